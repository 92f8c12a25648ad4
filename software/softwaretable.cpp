// softdata.xml, as read and written here:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <softdata version="1">
//     <fields>
//       <field name="Company_Name" width="255"/>      one per field, in table order
//       ...
//     </fields>
//     <rows>
//       <row>
//         <value name="Company_Name">Korvane Labs</value>   one per field
//         ...
//       </row>
//     </rows>
//   </softdata>
//
// Values are UTF-8 text. Carriage returns are written as &#13; so that CR LF
// line ends survive the XML parser's line-end normalisation. A value holding a
// character that XML 1.0 cannot carry (most control characters) is written as
// base64 of its UTF-8 bytes with the attribute encoding="base64". A <value>
// naming no field is ignored; a field without a <value> in a row is empty.
// Anything that is not of this form is rejected whole.
#include "softwaretable.h"

#include "base/error.h"
#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace software {

namespace {

const qint64 kMaxDataFileSize = 64 * 1024 * 1024;

bool xmlCanCarry(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= s.size() || !QChar::isLowSurrogate(s.at(i + 1).unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

// The text of a value, each CR as a character reference so that CR LF line
// ends survive the XML parser's line-end normalisation.
void writeValueText(QXmlStreamWriter &xml, const QString &value)
{
    const QStringList parts = value.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        xml.writeCharacters(parts.at(i)); // also <value></value> for an empty one
    }
}

// The text cut to at most width UTF-16 units, never between the two halves of
// a surrogate pair.
QString cutToWidth(const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    qsizetype n = width;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

TSoftwareTable::TSoftwareTable(QObject *parent) : QObject(parent) { setObjectName(QStringLiteral("ClientDataSet1")); }

const QVector<TFieldDef> &TSoftwareTable::standardFields()
{
    static const QVector<TFieldDef> fields = [] {
        const char *const names[] = {"Company_Name",
                                     "Address_1",
                                     "Address_2",
                                     "City_Town",
                                     "State_Province",
                                     "Zip_Postal_Code",
                                     "Country",
                                     "Company_WebSite_URL",
                                     "Author_First_Name",
                                     "Author_Last_Name",
                                     "Author_Email",
                                     "Contact_First_Name",
                                     "Contact_Last_Name",
                                     "Contact_Email",
                                     "Sales_Email",
                                     "Support_Email",
                                     "General_Email",
                                     "Sales_Phone",
                                     "Support_Phone",
                                     "General_Phone",
                                     "Fax_Phone",
                                     "Program_Name",
                                     "Program_Version",
                                     "Program_Release_Month",
                                     "Program_Release_Day",
                                     "Program_Release_Year",
                                     "Program_Type",
                                     "Program_Release_Status",
                                     "Program_Cost_Dollars",
                                     "Program_Cost_Other_Code",
                                     "Program_Cost_Other",
                                     "Program_Install_Support",
                                     "Program_OS_Support",
                                     "Program_Language",
                                     "Program_System_Requirements",
                                     "Program_Change_Info",
                                     "Program_Category_Class",
                                     "File_Size_Bytes",
                                     "File_Size_K",
                                     "File_Size_MB",
                                     "Has_Expire_Info",
                                     "Expire_Count",
                                     "Expire_Based_On",
                                     "Expire_Month",
                                     "Expire_Day",
                                     "Expire_Year",
                                     "Expire_Other_Info",
                                     "Program_Categories",
                                     "Program_Specific_Category",
                                     "Filename_Versioned",
                                     "Filename_Previous",
                                     "Filename_Generic",
                                     "Filename_Long",
                                     "Includes_JAVA_VM",
                                     "Includes_VB_Runtime",
                                     "Includes_DirectX",
                                     "Keywords",
                                     "Char_Desc_45",
                                     "Char_Desc_80",
                                     "Char_Desc_250",
                                     "Char_Desc_450",
                                     "Char_Desc_2000",
                                     "Application_Info_URL",
                                     "Application_Order_URL",
                                     "Application_Screenshot_URL",
                                     "Application_Icon_URL",
                                     "Application_XML_File_URL",
                                     "Primary_Download_URL",
                                     "Secondary_Download_URL",
                                     "Additional_Download_URL_1",
                                     "Additional_Download_URL_2",
                                     "Distribution_Permissions",
                                     "EULA"};
        // Wide enough for what PAD files carry today: long lists of systems
        // and languages, change logs, addresses with query strings.
        const QHash<QString, int> wide = {{QStringLiteral("Keywords"), 4000},
                                          {QStringLiteral("Char_Desc_45"), 1000},
                                          {QStringLiteral("Char_Desc_80"), 1000},
                                          {QStringLiteral("Char_Desc_250"), 2000},
                                          {QStringLiteral("Char_Desc_450"), 4000},
                                          {QStringLiteral("Char_Desc_2000"), 16000},
                                          {QStringLiteral("Program_Change_Info"), 16000},
                                          {QStringLiteral("Program_OS_Support"), 4000},
                                          {QStringLiteral("Program_Language"), 4000},
                                          {QStringLiteral("Program_System_Requirements"), 4000},
                                          {QStringLiteral("Program_Categories"), 1000},
                                          {QStringLiteral("Program_Specific_Category"), 1000},
                                          {QStringLiteral("Program_Category_Class"), 1000},
                                          {QStringLiteral("Expire_Other_Info"), 1000},
                                          {QStringLiteral("Program_Cost_Other"), 1000},
                                          {QStringLiteral("Program_Install_Support"), 1000},
                                          {QStringLiteral("Distribution_Permissions"), 65535},
                                          {QStringLiteral("EULA"), 65535}};
        QVector<TFieldDef> v;
        for (const char *n : names) {
            const QString name = QString::fromLatin1(n);
            const int width =
                name.endsWith(QLatin1String("_URL")) || name.startsWith(QLatin1String("Additional_Download_URL"))
                ? 2048
                : wide.value(name, 255);
            v.push_back({name, width});
        }
        return v;
    }();
    return fields;
}

void TSoftwareTable::fail(const QString &message) const
{
    throw base::Error(objectName() + QStringLiteral(": ") + message);
}

void TSoftwareTable::requireEditing() const
{
    if (m_state == Closed)
        fail(tr("Cannot perform this operation on a closed dataset"));
    if (m_state != Editing)
        fail(tr("Dataset not in edit or insert mode"));
}

void TSoftwareTable::open(const QVector<TFieldDef> &fields, const QVector<QStringList> &rows)
{
    m_fields = fields;
    m_rows = rows;
    for (QStringList &r : m_rows) {
        while (r.size() < m_fields.size())
            r.append(QString());
        while (r.size() > m_fields.size())
            r.removeLast();
    }
    m_buffer.clear();
    m_appending = false;
    m_state = Browse;
    Q_EMIT recordChanged();
}

void TSoftwareTable::LoadFromFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw base::Error(tr("Cannot open file %1").arg(QFileInfo(path).absoluteFilePath()));
    if (f.size() > kMaxDataFileSize)
        throw base::Error(tr("File %1 is too large").arg(QFileInfo(path).absoluteFilePath()));

    QXmlStreamReader xml(&f);
    QVector<TFieldDef> fields;
    QVector<QStringList> rows;
    QHash<QString, int> index;
    auto bad = [&](const QString &why) {
        throw base::Error(tr("%1 is not a software data file: %2").arg(QFileInfo(path).absoluteFilePath(), why));
    };

    if (!xml.readNextStartElement() || xml.name() != QLatin1String("softdata"))
        bad(xml.hasError() ? xml.errorString() : tr("no <softdata> element"));
    bool sawFields = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("fields")) {
            sawFields = true;
            while (xml.readNextStartElement()) {
                if (xml.name() != QLatin1String("field"))
                    bad(tr("unexpected <%1> in <fields>").arg(xml.name()));
                TFieldDef def;
                def.name = xml.attributes().value(QLatin1String("name")).toString();
                bool ok = true;
                const auto w = xml.attributes().value(QLatin1String("width"));
                if (!w.isEmpty())
                    def.width = w.toInt(&ok);
                if (def.name.isEmpty() || !ok || def.width <= 0)
                    bad(tr("field without a name or with a bad width"));
                if (index.contains(def.name.toUpper()))
                    bad(tr("field %1 defined twice").arg(def.name));
                index.insert(def.name.toUpper(), int(fields.size()));
                fields.push_back(def);
                xml.skipCurrentElement();
            }
        } else if (xml.name() == QLatin1String("rows")) {
            if (!sawFields)
                bad(tr("<rows> before <fields>"));
            while (xml.readNextStartElement()) {
                if (xml.name() != QLatin1String("row"))
                    bad(tr("unexpected <%1> in <rows>").arg(xml.name()));
                QStringList row;
                for (int i = 0; i < fields.size(); ++i)
                    row.append(QString());
                while (xml.readNextStartElement()) {
                    if (xml.name() != QLatin1String("value"))
                        bad(tr("unexpected <%1> in <row>").arg(xml.name()));
                    const QString name = xml.attributes().value(QLatin1String("name")).toString();
                    const bool base64 = xml.attributes().value(QLatin1String("encoding")) == QLatin1String("base64");
                    QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                    if (xml.hasError())
                        break;
                    if (base64)
                        text = QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()));
                    const int at = index.value(name.toUpper(), -1);
                    if (at >= 0)
                        row[at] = cutToWidth(text, fields[at].width);
                }
                rows.push_back(row);
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    // Whatever follows the root element must be nothing but comments and space.
    while (!xml.hasError() && !xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        bad(xml.errorString());
    if (!sawFields)
        bad(tr("no <fields> element"));
    open(fields, rows);
}

void TSoftwareTable::SaveToFile(const QString &path)
{
    if (m_state == Editing)
        Post();
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("softdata"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeStartElement(QStringLiteral("fields"));
    for (const TFieldDef &f : m_fields) {
        xml.writeEmptyElement(QStringLiteral("field"));
        xml.writeAttribute(QStringLiteral("name"), f.name);
        xml.writeAttribute(QStringLiteral("width"), QString::number(f.width));
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("rows"));
    for (const QStringList &row : m_rows) {
        xml.writeStartElement(QStringLiteral("row"));
        for (int i = 0; i < m_fields.size(); ++i) {
            const QString &v = row.at(i);
            xml.writeStartElement(QStringLiteral("value"));
            xml.writeAttribute(QStringLiteral("name"), m_fields[i].name);
            if (xmlCanCarry(v)) {
                writeValueText(xml, v);
            } else {
                xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("base64"));
                xml.writeCharacters(QString::fromLatin1(v.toUtf8().toBase64()));
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();

    if (!platform::writeFileAtomically(path, out))
        throw base::Error(tr("Cannot create file %1").arg(QFileInfo(path).absoluteFilePath()));
}

int TSoftwareTable::indexOf(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TSoftwareTable::FieldByName(const QString &name) const
{
    const int i = indexOf(name);
    if (i < 0)
        fail(tr("Field '%1' not found").arg(name));
    return i;
}

QString TSoftwareTable::fieldText(const QString &name) const { return fieldText(FieldByName(name)); }

QString TSoftwareTable::fieldText(int index) const
{
    if (index < 0 || index >= m_fields.size())
        return QString();
    if (m_state == Editing)
        return m_buffer.value(index);
    if (m_rows.isEmpty())
        return QString();
    return m_rows.first().value(index);
}

void TSoftwareTable::setFieldText(const QString &name, const QString &text) { setFieldText(FieldByName(name), text); }

void TSoftwareTable::setFieldText(int index, const QString &text)
{
    requireEditing();
    if (index < 0 || index >= m_fields.size())
        fail(tr("Field index out of range"));
    const QString cut = cutToWidth(text, m_fields[index].width);
    if (m_buffer[index] == cut)
        return;
    m_buffer[index] = cut;
    Q_EMIT recordChanged();
}

void TSoftwareTable::Edit()
{
    if (m_state == Closed)
        fail(tr("Cannot perform this operation on a closed dataset"));
    if (m_state == Editing)
        return;
    m_appending = m_rows.isEmpty();
    m_buffer = m_appending ? QStringList() : m_rows.first();
    while (m_buffer.size() < m_fields.size())
        m_buffer.append(QString());
    m_state = Editing;
}

void TSoftwareTable::Post()
{
    if (m_state != Editing)
        return;
    if (m_appending)
        m_rows.prepend(m_buffer);
    else
        m_rows.first() = m_buffer;
    m_buffer.clear();
    m_appending = false;
    m_state = Browse;
    Q_EMIT recordChanged();
    Q_EMIT AfterPost();
}

void TSoftwareTable::cancel()
{
    if (m_state != Editing)
        return;
    m_buffer.clear();
    m_appending = false;
    m_state = Browse;
    Q_EMIT recordChanged();
}

} // namespace software
