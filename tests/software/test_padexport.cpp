// The record written as a PAD file: its structure as PAD readers expect it,
// and an import of it giving the same record back, whatever the text.
#include "padtestutil.h"

#include "software/padexport.h"
#include "software/padimport.h"
#include "software/softwaretable.h"

#include "base/error.h"

#include <QXmlStreamReader>
#include <QtTest>

using padtest::Sandbox;

namespace {

// Element paths of the file with their texts, as an XML parser reads them.
QMap<QString, QString> elements(const QByteArray &bytes, QString *error)
{
    QMap<QString, QString> out;
    QXmlStreamReader xml(bytes);
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            path << xml.name().toString();
            out.insert(path.join(QLatin1Char('/')), QString());
        } else if (xml.isEndElement()) {
            path.removeLast();
        } else if (xml.isCharacters() && !path.isEmpty()) {
            out[path.join(QLatin1Char('/'))] += xml.text();
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return out;
}

// Exports table, imports the file into a fresh copy of its fields, and
// compares every field.
void roundTrip(const software::TSoftwareTable &table, const Sandbox &box)
{
    const QString pad = box.path(QStringLiteral("export.xml"));
    software::exportPadFile(table, pad);
    software::TSoftwareTable back;
    back.open(software::TSoftwareTable::standardFields(), {});
    software::importPadFile(back, pad);
    for (int i = 0; i < table.fieldCount(); ++i)
        QVERIFY2(back.fieldText(table.fieldName(i)) == table.fieldText(i), qPrintable(table.fieldName(i)));
}

} // namespace

class PadExportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void structure();
    void deliveredRecordRoundTrip();
    void awkwardRecordRoundTrip();
    void failedExportKeepsTheOldFile();
    void dataFileFormatIsUnchanged();
};

void PadExportTest::structure()
{
    Sandbox box;
    software::TSoftwareTable t;
    t.LoadFromFile(QStringLiteral("softdata.xml"));
    const QByteArray bytes = software::padFileBytes(t);
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QString error;
    const auto e = elements(bytes, &error);
    QCOMPARE(error, QString());
    QCOMPARE(e.value(QStringLiteral("XML_DIZ_INFO/MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION")),
             QStringLiteral("3.11"));
    const QStringList paths = {"XML_DIZ_INFO/Company_Info/Company_Name",
                               "XML_DIZ_INFO/Company_Info/Contact_Info/Author_Email",
                               "XML_DIZ_INFO/Company_Info/Support_Info/Fax_Phone",
                               "XML_DIZ_INFO/Program_Info/Program_Name",
                               "XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes",
                               "XML_DIZ_INFO/Program_Info/Expire_Info/Expire_Count",
                               "XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_2000",
                               "XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL",
                               "XML_DIZ_INFO/Web_Info/Download_URLs/Primary_Download_URL",
                               "XML_DIZ_INFO/Permissions/EULA"};
    for (const QString &p : paths) {
        QVERIFY2(e.contains(p), qPrintable(p));
        QCOMPARE(e.value(p), t.fieldText(p.section(QLatin1Char('/'), -1)).replace(QLatin1String("\r\n"), "\n"));
    }
    // Every field once, nothing else at the top beyond the sections.
    int fields = 0;
    for (auto it = e.begin(); it != e.end(); ++it)
        fields += t.indexOf(it.key().section(QLatin1Char('/'), -1)) >= 0;
    QCOMPARE(fields, t.fieldCount());
}

void PadExportTest::deliveredRecordRoundTrip()
{
    Sandbox box;
    software::TSoftwareTable t;
    t.LoadFromFile(QStringLiteral("softdata.xml"));
    QVERIFY(!t.fieldText(QStringLiteral("Char_Desc_2000")).isEmpty());
    roundTrip(t, box);
}

void PadExportTest::awkwardRecordRoundTrip()
{
    Sandbox box;
    software::TSoftwareTable t;
    QVector<QStringList> rows(1);
    const QString awkward[] = {
        QStringLiteral("a < b && c > d </Program_Name> <![CDATA[x]]> &amp; &#38;"),
        QStringLiteral("\"double\" and 'single' quotes, \u00AB\u00BB \u201E\u201C"),
        QStringLiteral(
            "\u65E5\u672C\u8A9E \u0420\u0443\u0441\u0441\u043A\u0438\u0439 \u0627\u0644\u0639\u0631\u0628\u064A\u0629 "
            "\U0001F600"),
        QStringLiteral("line one\r\nline two\r\n\r\nafter an empty line"),
        QStringLiteral("  leading and trailing spaces\t "),
        QStringLiteral("\r\nbreaks at both ends\r\n"),
        QStringLiteral("lone\rcarriage return and lone\nline feed"),
        QStringLiteral("<English><Keywords>decoy</Keywords></English>"),
    };
    int i = 0;
    for (const software::TFieldDef &f : software::TSoftwareTable::standardFields()) {
        QString v = awkward[i++ % std::size(awkward)] + QStringLiteral(" (%1)").arg(f.name);
        if (f.width >= 16000)
            v = (v + QLatin1Char(' ')).repeated(16000 / (v.size() + 1) + 1).left(16000);
        rows[0] << v.left(f.width);
    }
    t.open(software::TSoftwareTable::standardFields(), rows);
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_2000")).size(), 16000);
    roundTrip(t, box);
    QString error;
    elements(padtest::readBytes(box.path(QStringLiteral("export.xml"))), &error);
    QCOMPARE(error, QString());
}

void PadExportTest::failedExportKeepsTheOldFile()
{
    Sandbox box;
    software::TSoftwareTable t;
    t.LoadFromFile(QStringLiteral("softdata.xml"));
    const QString target = box.write(QStringLiteral("old.xml"), "old");
    if (!padtest::runningAsRoot()) {
        QFile::setPermissions(box.dir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        try {
            software::exportPadFile(t, target);
            QFAIL("written");
        } catch (const base::Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Cannot create file %1").arg(target));
        }
        QFile::setPermissions(box.dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(padtest::readBytes(target), QByteArray("old"));
    }
    QVERIFY_THROWS_EXCEPTION(base::Error, software::exportPadFile(t, box.path(QStringLiteral("no/such/dir.xml"))));
    software::TSoftwareTable closed;
    QVERIFY_THROWS_EXCEPTION(base::Error, software::padFileBytes(closed));
}

void PadExportTest::dataFileFormatIsUnchanged()
{
    // The delivered file was written by the program: loading and saving it
    // gives the same bytes.
    Sandbox box;
    software::TSoftwareTable t;
    t.LoadFromFile(QStringLiteral("softdata.xml"));
    t.SaveToFile(QStringLiteral("again.xml"));
    QCOMPARE(padtest::readBytes(QStringLiteral("again.xml")), padtest::readBytes(padtest::deliveredData()));
}

QTEST_GUILESS_MAIN(PadExportTest)
#include "test_padexport.moc"
