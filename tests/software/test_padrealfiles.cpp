// PAD files shaped like those published by real projects: each case is one
// way in which the author's text used to reach the record changed or lost.
#include "padtestutil.h"

#include "software/padimport.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include "base/error.h"

#include <QSignalSpy>
#include <QtTest>

using padtest::Sandbox;

namespace {

QString field(const software::TSoftwareTable &t, const char *name) { return t.fieldText(QString::fromLatin1(name)); }

// A PAD 4.0 file with descriptions in French and German before English, and
// keywords in Program_Info before the descriptions.
const QByteArray kThreeLanguages = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                   "<XML_DIZ_INFO>\r\n"
                                   "  <Program_Info>\r\n"
                                   "    <Program_Name>Vielsprache</Program_Name>\r\n"
                                   "    <Keywords>old, misplaced</Keywords>\r\n"
                                   "  </Program_Info>\r\n"
                                   "  <Program_Descriptions>\r\n"
                                   "    <French>\r\n"
                                   "      <Keywords>mots, cl\xC3\xA9s</Keywords>\r\n"
                                   "      <Char_Desc_45>Un outil fran\xC3\xA7"
                                   "ais</Char_Desc_45>\r\n"
                                   "    </French>\r\n"
                                   "    <German>\r\n"
                                   "      <Keywords>Schl\xC3\xBCsselw\xC3\xB6rter</Keywords>\r\n"
                                   "      <Char_Desc_45>Ein deutsches Werkzeug</Char_Desc_45>\r\n"
                                   "      <Char_Desc_80>Nur deutsch</Char_Desc_80>\r\n"
                                   "    </German>\r\n"
                                   "    <English>\r\n"
                                   "      <Keywords>words, keys</Keywords>\r\n"
                                   "      <Char_Desc_45>An English tool</Char_Desc_45>\r\n"
                                   "    </English>\r\n"
                                   "  </Program_Descriptions>\r\n"
                                   "  <Program_Info2><Char_Desc_2000>Outside every language</Char_Desc_2000>"
                                   "</Program_Info2>\r\n"
                                   "</XML_DIZ_INFO>\r\n";

software::TSoftwareTable *loadedTable(QObject *parent)
{
    auto *t = new software::TSoftwareTable(parent);
    t->LoadFromFile(QStringLiteral("softdata.xml"));
    return t;
}

} // namespace

class PadRealFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void characterReferencesAreDecoded();
    void surroundingWhiteSpaceIsTrimmed();
    void tagsInOtherLetterCaseAreRead();
    void severalLanguagesGiveEnglish();
    void chosenLanguageIsRememberedWithTheFile();
    void fileThatIsNoPadFileChangesNothing();
    void utf16FilesImport();
    void failedImportKeepsTheRememberedFile();
    void declaredEncodingsNeverGiveLoneSurrogates();
    void unreadableEncodingIsRefused();
};

void PadRealFilesTest::characterReferencesAreDecoded()
{
    Sandbox box;
    auto *t = loadedTable(this);
    software::importPadFile(*t,
                            box.write(QStringLiteral("refs.xml"),
                                      "<XML_DIZ_INFO><Company_Info><Company_Name>Alex Th&#252;ring</Company_Name>"
                                      "</Company_Info><Program_Info>"
                                      "<Program_Category_Class>Audio &#38; Multimedia::Other"
                                      "</Program_Category_Class></Program_Info><Program_Descriptions><English>"
                                      "<Char_Desc_80>The &quot;best&quot; &lt;free&gt; tool &apos;ever&apos;"
                                      "</Char_Desc_80></English></Program_Descriptions></XML_DIZ_INFO>"));
    QCOMPARE(field(*t, "Company_Name"), QStringLiteral("Alex Th\u00FCring"));
    QCOMPARE(field(*t, "Program_Category_Class"), QStringLiteral("Audio & Multimedia::Other"));
    QCOMPARE(field(*t, "Char_Desc_80"), QStringLiteral("The \"best\" <free> tool 'ever'"));
}

void PadRealFilesTest::surroundingWhiteSpaceIsTrimmed()
{
    Sandbox box;
    auto *t = loadedTable(this);
    software::importPadFile(*t,
                            box.write(QStringLiteral("indented.xml"),
                                      "<XML_DIZ_INFO>\r\n  <Program_Info>\r\n"
                                      "    <Program_Name>  Squeeze  </Program_Name>\r\n"
                                      "    <Program_Version>\t2.1\t</Program_Version>\r\n  </Program_Info>\r\n"
                                      "  <Program_Descriptions>\r\n    <English>\r\n"
                                      "      <Keywords>\r\n        image compressor, png\r\n      </Keywords>\r\n"
                                      "      <Char_Desc_2000>\n        First paragraph.\n\n"
                                      "        Second paragraph.\n      </Char_Desc_2000>\r\n"
                                      "    </English>\r\n  </Program_Descriptions>\r\n</XML_DIZ_INFO>\r\n"));
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("Squeeze"));
    QCOMPARE(field(*t, "Program_Version"), QStringLiteral("2.1"));
    QCOMPARE(field(*t, "Keywords"), QStringLiteral("image compressor, png"));
    // Line breaks inside stay (as CR LF), with the indentation inside.
    QCOMPARE(field(*t, "Char_Desc_2000"), QStringLiteral("First paragraph.\r\n\r\n        Second paragraph."));
}

void PadRealFilesTest::tagsInOtherLetterCaseAreRead()
{
    Sandbox box;
    auto *t = loadedTable(this);
    software::importPadFile(
        *t,
        box.write(QStringLiteral("upper.xml"),
                  "<XML_DIZ_INFO><PROGRAM_INFO><PROGRAM_NAME>Shouty</PROGRAM_NAME>"
                  "<PROGRAM_VERSION>1.0</PROGRAM_VERSION></PROGRAM_INFO>"
                  "<WEB_INFO><DOWNLOAD_URLS><PRIMARY_DOWNLOAD_URL>https://example.org/s.zip"
                  "</PRIMARY_DOWNLOAD_URL></DOWNLOAD_URLS></WEB_INFO>"
                  "<PROGRAM_DESCRIPTIONS><ENGLISH><CHAR_DESC_45>Loud</CHAR_DESC_45>"
                  "<char_desc_80>Quiet</char_desc_80></ENGLISH></PROGRAM_DESCRIPTIONS></XML_DIZ_INFO>"));
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("Shouty"));
    QCOMPARE(field(*t, "Program_Version"), QStringLiteral("1.0"));
    QCOMPARE(field(*t, "Primary_Download_URL"), QStringLiteral("https://example.org/s.zip"));
    QCOMPARE(field(*t, "Char_Desc_45"), QStringLiteral("Loud"));
    QCOMPARE(field(*t, "Char_Desc_80"), QStringLiteral("Quiet"));
    QCOMPARE(software::padLanguages(software::readPadText(box.path(QStringLiteral("upper.xml")))),
             QStringList({"ENGLISH"}));
}

void PadRealFilesTest::severalLanguagesGiveEnglish()
{
    Sandbox box;
    auto *t = loadedTable(this);
    const QString pad = box.write(QStringLiteral("languages.xml"), kThreeLanguages);
    QCOMPARE(software::padLanguages(software::readPadText(pad)), QStringList({"English", "French", "German"}));
    software::importPadFile(*t, pad);
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("Vielsprache"));
    QCOMPARE(field(*t, "Keywords"), QStringLiteral("words, keys"));
    QCOMPARE(field(*t, "Char_Desc_45"), QStringLiteral("An English tool"));
    // Not the German one: English has none.
    QCOMPARE(field(*t, "Char_Desc_80"), QString());
    // Outside the descriptions it is still found.
    QCOMPARE(field(*t, "Char_Desc_2000"), QStringLiteral("Outside every language"));
    QCOMPARE(software::rememberedPadLanguage(), QString()); // the default

    software::importPadFile(*t, pad, QStringLiteral("german"));
    QCOMPARE(field(*t, "Keywords"), QStringLiteral("Schl\u00FCsselw\u00F6rter"));
    QCOMPARE(field(*t, "Char_Desc_80"), QStringLiteral("Nur deutsch"));
    QCOMPARE(software::rememberedPadLanguage(), QStringLiteral("German"));

    // One language, no English: as before, the first of each name.
    software::importPadFile(*t,
                            box.write(QStringLiteral("french.xml"),
                                      "<Program_Name>Un</Program_Name><Program_Descriptions><French>"
                                      "<Keywords>mots</Keywords></French></Program_Descriptions>"));
    QCOMPARE(field(*t, "Keywords"), QStringLiteral("mots"));

    // A language the file lacks is refused, naming those it has.
    try {
        software::importPadFile(*t, pad, QStringLiteral("Klingon"));
        QFAIL("imported");
    } catch (const base::Error &e) {
        QVERIFY2(e.text().contains(QStringLiteral("Klingon")) && e.text().contains(QStringLiteral("English, French")),
                 qPrintable(e.text()));
    }
    QCOMPARE(field(*t, "Keywords"), QStringLiteral("mots"));
}

void PadRealFilesTest::chosenLanguageIsRememberedWithTheFile()
{
    Sandbox box;
    const QString pad = box.write(QStringLiteral("languages.xml"), kThreeLanguages);
    {
        auto *t = loadedTable(this);
        software::importPadFile(*t, pad, QStringLiteral("French"));
    }
    // Every start refills in French.
    software::TSoftwareTable refilled;
    software::loadRecordAtStartup(refilled);
    QCOMPARE(field(refilled, "Char_Desc_45"), QStringLiteral("Un outil fran\u00E7ais"));
    // A file that no longer has it gives English.
    padtest::writeBytes(pad, QByteArray(kThreeLanguages).replace("French>", "Italian>"));
    software::TSoftwareTable changed;
    software::loadRecordAtStartup(changed);
    QCOMPARE(field(changed, "Char_Desc_45"), QStringLiteral("An English tool"));
}

void PadRealFilesTest::fileThatIsNoPadFileChangesNothing()
{
    Sandbox box;
    auto *t = loadedTable(this);
    const QString pad = box.write(QStringLiteral("good.xml"), "<Program_Name>Good</Program_Name>");
    software::importPadFile(*t, pad);
    const QString metainfo = box.write(QStringLiteral("org.example.App.metainfo.xml"),
                                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<component type=\"desktop-application\">\n  <id>org.example.App</id>\n"
                                       "  <name>App</name>\n  <summary>Does things</summary>\n</component>\n");
    QSignalSpy posts(t, &software::TSoftwareTable::AfterPost);
    try {
        software::importPadFile(*t, metainfo);
        QFAIL("imported");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("%1 is not a PAD file").arg(metainfo));
    }
    QCOMPARE(posts.count(), 0);
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("Good"));
    QCOMPARE(software::rememberedPadFile(), pad);
    // An element with the name of a field makes it one, even empty.
    software::importPadFile(*t, box.write(QStringLiteral("bare.xml"), "<x><Program_Name></Program_Name></x>"));
    QCOMPARE(field(*t, "Program_Name"), QString());
}

void PadRealFilesTest::utf16FilesImport()
{
    Sandbox box;
    auto *t = loadedTable(this);
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<XML_DIZ_INFO><Program_Info>"
                                        "<Program_Name>\u0417\u0435\u0431\u0440\u0430 \U0001F993</Program_Name>"
                                        "</Program_Info></XML_DIZ_INFO>\r\n");
    for (const bool little : {true, false}) {
        QByteArray bytes = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar c : text) {
            const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
            bytes.append(little ? lo : hi).append(little ? hi : lo);
        }
        software::importPadFile(*t, box.write(QStringLiteral("utf16.xml"), bytes));
        QCOMPARE(field(*t, "Program_Name"), QStringLiteral("\u0417\u0435\u0431\u0440\u0430 \U0001F993"));
        software::setRememberedPadFile(QString());
        software::importPadFile(*t, box.write(QStringLiteral("other.xml"), "<Program_Name>x</Program_Name>"));
    }
}

void PadRealFilesTest::failedImportKeepsTheRememberedFile()
{
    Sandbox box;
    auto *t = loadedTable(this);
    const QString pad = box.write(QStringLiteral("pad.xml"), "<Program_Name>Kept</Program_Name>");
    software::importPadFile(*t, pad);
    QVERIFY_THROWS_EXCEPTION(base::Error, software::importPadFile(*t, box.path(QStringLiteral("missing.xml"))));
    QCOMPARE(software::rememberedPadFile(), pad);
    // The next start still refills from the file imported last.
    software::TSoftwareTable next;
    QCOMPARE(software::loadRecordWithProblems(next), QStringList());
    QCOMPARE(field(next, "Program_Name"), QStringLiteral("Kept"));
}

void PadRealFilesTest::declaredEncodingsNeverGiveLoneSurrogates()
{
    Sandbox box;
    auto *t = loadedTable(this);
    // CESU-8 writes each half of a pair as three bytes; a lone half is
    // possible, and a pair makes one character.
    software::importPadFile(*t,
                            box.write(QStringLiteral("cesu.xml"),
                                      "<?xml version=\"1.0\" encoding=\"CESU-8\"?>\n"
                                      "<Program_Name>a\xED\xA0\x80z</Program_Name>"
                                      "<Program_Version>\xED\xA0\xBD\xED\xB8\x80</Program_Version>"));
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("a\uFFFDz"));
    QCOMPARE(field(*t, "Program_Version"), QStringLiteral("\U0001F600"));
    // The IMAP mailbox name encoding writes UTF-16 in base64 after "&".
    software::importPadFile(*t,
                            box.write(QStringLiteral("imap.xml"),
                                      "<?xml version=\"1.0\" encoding=\"IMAP-mailbox-name\"?>\n"
                                      "<Program_Name>x&2AA-y</Program_Name>"));
    const QString name = field(*t, "Program_Name");
    for (QChar c : name)
        QVERIFY(!c.isSurrogate());
    // And the record saves as it reads.
    t->SaveToFile(QStringLiteral("softdata.xml"));
    software::TSoftwareTable again;
    again.LoadFromFile(QStringLiteral("softdata.xml"));
    QCOMPARE(field(again, "Program_Name"), name);
}

void PadRealFilesTest::unreadableEncodingIsRefused()
{
    Sandbox box;
    auto *t = loadedTable(this);
    // SCSU (Unicode compressed into bytes by windows of a shifting state) is
    // read: byte 0x12 selects the Cyrillic window.
    const QString scsu = box.write(QStringLiteral("scsu.xml"),
                                   "<?xml version=\"1.0\" encoding=\"SCSU\"?>\n"
                                   "<Program_Name>\x12\xA4\xA5</Program_Name>");
    software::importPadFile(*t, scsu);
    QCOMPARE(field(*t, "Program_Name"), QStringLiteral("\u0424\u0425"));

    // An encoding unknown here, and one in which the file's own declaration
    // does not read back (EBCDIC): refused by name, nothing changed.
    const QByteArray files[] = {"<?xml version=\"1.0\" encoding=\"x-mac-klingon\"?>\n<Program_Name>q</Program_Name>",
                                "<?xml version=\"1.0\" encoding=\"IBM037\"?>\n<Program_Name>q</Program_Name>"};
    for (const QByteArray &bytes : files) {
        const QString pad = box.write(QStringLiteral("unreadable.xml"), bytes);
        const QString name = QString::fromLatin1(bytes.mid(30).split('"').first());
        try {
            software::importPadFile(*t, pad);
            QFAIL("imported");
        } catch (const base::Error &e) {
            QVERIFY2(e.text().contains(name) && e.text().contains(pad), qPrintable(e.text()));
        }
        QCOMPARE(field(*t, "Program_Name"), QStringLiteral("\u0424\u0425"));
        QCOMPARE(software::rememberedPadFile(), scsu);
    }
}

QTEST_GUILESS_MAIN(PadRealFilesTest)
#include "test_padrealfiles.moc"
