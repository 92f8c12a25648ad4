#include "padexport.h"

#include "softwaretable.h"

#include "base/error.h"
#include "platform/atomicfile.h"

#include <QFileInfo>
#include <QSet>
#include <QXmlStreamWriter>

#include <vector>

namespace software {

namespace {

// One element of the PAD file: a container with its children, or a field
// (no children) whose text is the record's field of the same name.
struct Node {
    const char *name;
    std::vector<Node> children = {};
};

Node fields(const char *container, std::initializer_list<const char *> names)
{
    Node n {container};
    for (const char *f : names)
        n.children.push_back(Node {f});
    return n;
}

const Node &padTree()
{
    static const Node tree = [] {
        Node company = fields("Company_Info",
                              {"Company_Name", "Address_1", "Address_2", "City_Town", "State_Province",
                               "Zip_Postal_Code", "Country", "Company_WebSite_URL"});
        company.children.push_back(fields("Contact_Info",
                                          {"Author_First_Name", "Author_Last_Name", "Author_Email",
                                           "Contact_First_Name", "Contact_Last_Name", "Contact_Email"}));
        company.children.push_back(fields("Support_Info",
                                          {"Sales_Email", "Support_Email", "General_Email", "Sales_Phone",
                                           "Support_Phone", "General_Phone", "Fax_Phone"}));
        Node program = fields("Program_Info",
                              {"Program_Name",
                               "Program_Version",
                               "Program_Release_Month",
                               "Program_Release_Day",
                               "Program_Release_Year",
                               "Program_Cost_Dollars",
                               "Program_Cost_Other_Code",
                               "Program_Cost_Other",
                               "Program_Type",
                               "Program_Release_Status",
                               "Program_Install_Support",
                               "Program_OS_Support",
                               "Program_Language",
                               "Program_Change_Info",
                               "Program_Specific_Category",
                               "Program_Category_Class",
                               "Program_Categories",
                               "Program_System_Requirements",
                               "Includes_JAVA_VM",
                               "Includes_VB_Runtime",
                               "Includes_DirectX"});
        program.children.push_back(fields("File_Info",
                                          {"Filename_Versioned", "Filename_Previous", "Filename_Generic",
                                           "Filename_Long", "File_Size_Bytes", "File_Size_K", "File_Size_MB"}));
        program.children.push_back(fields("Expire_Info",
                                          {"Has_Expire_Info", "Expire_Count", "Expire_Based_On", "Expire_Other_Info",
                                           "Expire_Month", "Expire_Day", "Expire_Year"}));
        Node descriptions {"Program_Descriptions"};
        descriptions.children.push_back(
            fields("English",
                   {"Keywords", "Char_Desc_45", "Char_Desc_80", "Char_Desc_250", "Char_Desc_450", "Char_Desc_2000"}));
        Node web {"Web_Info"};
        web.children.push_back(fields("Application_URLs",
                                      {"Application_Info_URL", "Application_Order_URL", "Application_Screenshot_URL",
                                       "Application_Icon_URL", "Application_XML_File_URL"}));
        web.children.push_back(fields("Download_URLs",
                                      {"Primary_Download_URL", "Secondary_Download_URL", "Additional_Download_URL_1",
                                       "Additional_Download_URL_2"}));
        Node permissions = fields("Permissions", {"Distribution_Permissions", "EULA"});
        Node root {"XML_DIZ_INFO"};
        root.children = {company, program, descriptions, web, permissions};
        return root;
    }();
    return tree;
}

bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == u'\r' || c == u'\n'; }

// Whether XML 1.0 can carry the character at i (a pair counts once).
bool carriable(const QString &s, qsizetype i)
{
    const char16_t c = s.at(i).unicode();
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    if (c == 0xFFFE || c == 0xFFFF)
        return false;
    if (QChar::isHighSurrogate(c))
        return i + 1 < s.size() && s.at(i + 1).isLowSurrogate();
    if (QChar::isLowSurrogate(c))
        return i > 0 && s.at(i - 1).isHighSurrogate();
    return true;
}

// A valid XML name of ASCII letters, digits, "_", "-" and ".".
bool isElementName(const QString &name)
{
    if (name.isEmpty() || !(name.at(0).isLetter() || name.at(0) == QLatin1Char('_')) ||
        name.startsWith(QLatin1String("xml"), Qt::CaseInsensitive))
        return false;
    for (QChar c : name)
        if (c.unicode() > 0x7F ||
            !(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.')))
            return false;
    return true;
}

// The field's text so that the import reads it back as it is.
void writeValue(QXmlStreamWriter &xml, const QString &value)
{
    qsizetype left = 0, right = value.size();
    while (left < right && isSpace(value.at(left)))
        ++left;
    while (right > left && isSpace(value.at(right - 1)))
        --right;
    const auto reference = [&xml](QChar c) { xml.writeEntityReference(QStringLiteral("#%1").arg(c.unicode())); };
    for (qsizetype i = 0; i < left; ++i)
        reference(value.at(i));
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty())
            xml.writeCharacters(run);
        run.clear();
    };
    for (qsizetype i = left; i < right; ++i) {
        const QChar c = value.at(i);
        if (c == u'\r' && i + 1 < right && value.at(i + 1) == u'\n') {
            run += QLatin1Char('\n'); // read back as CR LF
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            flush();
            reference(c);
        } else if (!carriable(value, i)) {
            run += QChar(QChar::ReplacementCharacter);
        } else {
            run += c;
        }
    }
    flush();
    for (qsizetype i = right; i < value.size(); ++i)
        reference(value.at(i));
}

class Writer {
public:
    Writer(const TSoftwareTable &table, QByteArray *out) : m_table(table), m_xml(out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
    }

    void write()
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("XML_DIZ_INFO"));
        m_xml.writeStartElement(QStringLiteral("MASTER_PAD_VERSION_INFO"));
        m_xml.writeTextElement(QStringLiteral("MASTER_PAD_VERSION"), QStringLiteral("3.11"));
        m_xml.writeTextElement(QStringLiteral("MASTER_PAD_EDITOR"), QStringLiteral("Doduvodaz"));
        m_xml.writeTextElement(QStringLiteral("MASTER_PAD_INFO"),
                               QStringLiteral("Portable Application Description, or PAD for short, is a data set "
                                              "that is used by shareware authors to disseminate information to "
                                              "anyone interested in their software products."));
        m_xml.writeEndElement();
        for (const Node &section : padTree().children)
            writeNode(section);
        // Fields of the record that a PAD file has no place for.
        for (int i = 0; i < m_table.fieldCount(); ++i) {
            const QString name = m_table.fieldName(i);
            if (!m_written.contains(name.toLower()) && isElementName(name))
                writeField(name);
        }
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void writeNode(const Node &node)
    {
        const QString name = QString::fromLatin1(node.name);
        if (node.children.empty()) {
            writeField(name);
            return;
        }
        m_xml.writeStartElement(name);
        for (const Node &child : node.children)
            writeNode(child);
        m_xml.writeEndElement();
    }

    void writeField(const QString &name)
    {
        m_written.insert(name.toLower());
        m_xml.writeStartElement(name);
        const int at = m_table.indexOf(name);
        writeValue(m_xml, at < 0 ? QString() : m_table.fieldText(at));
        m_xml.writeCharacters(QString()); // <Name></Name>, never <Name/>
        m_xml.writeEndElement();
    }

    const TSoftwareTable &m_table;
    QXmlStreamWriter m_xml;
    QSet<QString> m_written;
};

} // namespace

QByteArray padFileBytes(const TSoftwareTable &table)
{
    if (!table.isOpen())
        throw base::Error(table.objectName() + QStringLiteral(": ") +
                          QObject::tr("Cannot perform this operation on a closed dataset"));
    QByteArray out;
    Writer(table, &out).write();
    return out;
}

void exportPadFile(const TSoftwareTable &table, const QString &path)
{
    const QByteArray bytes = padFileBytes(table);
    if (!platform::writeFileAtomically(path, bytes))
        throw base::Error(QObject::tr("Cannot create file %1").arg(QFileInfo(path).absoluteFilePath()));
}

} // namespace software
