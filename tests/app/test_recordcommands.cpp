// doduvodaz --import-pad FILE and doduvodaz --show-record, run as the real
// executable without a display: the import of a real-world-shaped PAD file,
// the record printed as JSON, the start-up refill, and every way they fail.
#include "software/padtestutil.h"

#include "software/softwaretable.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QtTest>

#include <grp.h>
#include <unistd.h>

using padtest::Sandbox;

namespace {

struct Run {
    int code = -1;
    QByteArray out, err;
};

// A PAD file as generators write them: container elements, decoys in upper
// case, self-closing empty elements, a second language, references.
const char kPad[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                    "<XML_DIZ_INFO>\n"
                    "\t<MASTER_PAD_VERSION_INFO>\n"
                    "\t\t<MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>\n"
                    "\t</MASTER_PAD_VERSION_INFO>\n"
                    "\t<Company_Info>\n"
                    "\t\t<COMPANY_NAME>Decoy Ltd</COMPANY_NAME>\n"
                    "\t\t<Company_Name>Korvane &amp; Daughters</Company_Name>\n"
                    "\t\t<Address_1>1 Quay Street</Address_1>\n"
                    "\t\t<Address_2 />\n"
                    "\t\t<City_Town>Port Alwen</City_Town>\n"
                    "\t\t<Company_WebSite_URL>https://korvane.example/</Company_WebSite_URL>\n"
                    "\t\t<Contact_Info>\n"
                    "\t\t\t<Author_First_Name>Ada</Author_First_Name>\n"
                    "\t\t\t<Author_Email>ada@korvane.example</Author_Email>\n"
                    "\t\t</Contact_Info>\n"
                    "\t</Company_Info>\n"
                    "\t<Program_Info>\n"
                    "\t\t<PROGRAM_NAME>Decoy</PROGRAM_NAME>\n"
                    "\t\t<Program_Name>ClipNest</Program_Name>\n"
                    "\t\t<Program_Version>3.2.1</Program_Version>\n"
                    "\t\t<Program_Type>shareware</Program_Type>\n"
                    "\t\t<Program_Cost_Other_Code>EUR</Program_Cost_Other_Code>\n"
                    "\t\t<Program_Cost_Other>22,95 \xE2\x82\xAC</Program_Cost_Other>\n"
                    "\t\t<Program_OS_Support>Win2000, WinXP, Linux</Program_OS_Support>\n"
                    "\t\t<File_Info>\n"
                    "\t\t\t<File_Size_Bytes>2457600</File_Size_Bytes>\n"
                    "\t\t\t<File_Size_K>2400</File_Size_K>\n"
                    "\t\t\t<File_Size_MB/>\n"
                    "\t\t</File_Info>\n"
                    "\t\t<Expire_Info>\n"
                    "\t\t\t<Has_Expire_Info>Y</Has_Expire_Info>\n"
                    "\t\t\t<Expire_Count>30</Expire_Count>\n"
                    "\t\t\t<Expire_Based_On>Days</Expire_Based_On>\n"
                    "\t\t\t<Expire_Other_Info></Expire_Other_Info>\n"
                    "\t\t</Expire_Info>\n"
                    "\t</Program_Info>\n"
                    "\t<Program_Descriptions>\n"
                    "\t\t<English>\n"
                    "\t\t\t<Keywords>clipboard, history</Keywords>\n"
                    "\t\t\t<Char_Desc_45>Clipboard history &amp; snippets</Char_Desc_45>\n"
                    "\t\t\t<Char_Desc_2000>Line one.\n"
                    "Line two &amp;amp; &lt;b&gt;more&lt;/b&gt;\n"
                    "\n"
                    "  Indented, trailing  </Char_Desc_2000>\n"
                    "\t\t</English>\n"
                    "\t\t<German>\n"
                    "\t\t\t<Char_Desc_45>Zwischenablage</Char_Desc_45>\n"
                    "\t\t</German>\n"
                    "\t</Program_Descriptions>\n"
                    "\t<Web_Info>\n"
                    "\t\t<Application_URLs>\n"
                    "\t\t\t<Application_Info_URL>https://korvane.example/?a=1&amp;b=2</Application_Info_URL>\n"
                    "\t\t</Application_URLs>\n"
                    "\t\t<Download_URLs>\n"
                    "\t\t\t<Primary_Download_URL><![CDATA[https://korvane.example/clip.zip]]></Primary_Download_URL>\n"
                    "\t\t</Download_URLs>\n"
                    "\t</Web_Info>\n"
                    "\t<Permissions>\n"
                    "\t\t<EULA>Shareware \"as is\".</EULA>\n"
                    "\t</Permissions>\n"
                    "</XML_DIZ_INFO>\n";

QHash<QString, QString> expectedRecord()
{
    return {
        {"Company_Name", "Korvane & Daughters"},
        {"Address_1", "1 Quay Street"},
        {"City_Town", "Port Alwen"},
        {"Company_WebSite_URL", "https://korvane.example/"},
        {"Author_First_Name", "Ada"},
        {"Author_Email", "ada@korvane.example"},
        {"Program_Name", "ClipNest"},
        {"Program_Version", "3.2.1"},
        {"Program_Type", "shareware"},
        {"Program_Cost_Other_Code", "EUR"},
        {"Program_Cost_Other", QStringLiteral("22,95 \u20AC")},
        {"Program_OS_Support", "Win2000, WinXP, Linux"},
        {"File_Size_Bytes", "2457600"},
        {"File_Size_K", "2400"},
        {"Has_Expire_Info", "Y"},
        {"Expire_Count", "30"},
        {"Expire_Based_On", "Days"},
        {"Keywords", "clipboard, history"},
        {"Char_Desc_45", "Clipboard history & snippets"},
        {"Char_Desc_2000", "Line one.\r\nLine two &amp; <b>more</b>\r\n\r\n  Indented, trailing"},
        {"Application_Info_URL", "https://korvane.example/?a=1&b=2"},
        {"Primary_Download_URL", "https://korvane.example/clip.zip"},
        {"EULA", "Shareware \"as is\"."},
    };
}

// A data home whose doduvodaz entry is a file, not a folder.
QString blockedDataHome()
{
    static QTemporaryDir home;
    QFile block(home.filePath(QStringLiteral("doduvodaz")));
    if (!block.exists() && block.open(QIODevice::WriteOnly))
        block.close();
    return home.path();
}

Run run(const QString &dir, const QString &settings, const QStringList &args, bool unprivileged = false)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display of any kind.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), settings);
    // No per-user data folder can be made, so a folder without softdata.xml
    // stays the working folder.
    env.insert(QStringLiteral("XDG_DATA_HOME"), blockedDataHome());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    if (unprivileged) {
        p.setChildProcessModifier([] {
            // Root may write anywhere; a plain user may not.
            const gid_t none = 65534;
            if (setgroups(1, &none) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(125);
        });
    }
    p.start(QStringLiteral(DODU_BINARY), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QStringList keysInOrder(const QByteArray &json)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("^\\s*\"(\\w+)\"\\s*:"), QRegularExpression::MultilineOption);
    auto it = key.globalMatch(QString::fromUtf8(json));
    while (it.hasNext())
        keys << it.next().captured(1);
    return keys;
}

QStringList tableOrder()
{
    QStringList names;
    for (const software::TFieldDef &f : software::TSoftwareTable::standardFields())
        names << f.name;
    return names;
}

} // namespace

class RecordCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importThenShow();
    void refillAtStartShown();
    void longValuesKeptOrNamedWhenCut();
    void windowsFileKeepsItsLetters();
    void unreadablePadFile_data();
    void unreadablePadFile();
    void withoutDataFile();
    void unwritableDirectory();
    void wrongArguments();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void languageOption();
    void exportThenImport();
};

void RecordCommandsTest::importThenShow()
{
    Sandbox box;
    box.write(QStringLiteral("pad.xml"), kPad);
    const Run import = run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")});
    QCOMPARE(import.code, 0);
    QCOMPARE(import.out, QByteArray());
    QCOMPARE(import.err, QByteArray());
    // Remembered as a full path.
    QVERIFY(padtest::readBytes(box.settingsPath()).contains(box.path(QStringLiteral("pad.xml")).toUtf8()));

    const Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    QCOMPARE(show.code, 0);
    QCOMPARE(show.err, QByteArray());
    QCOMPARE(keysInOrder(show.out), tableOrder());
    QJsonParseError error;
    const QJsonObject record = QJsonDocument::fromJson(show.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QHash<QString, QString> expected = expectedRecord();
    for (const QString &field : tableOrder())
        QCOMPARE(record.value(field).toString(), expected.value(field));

    // The import saved the record: the data file alone gives the same.
    software::TSoftwareTable saved;
    saved.LoadFromFile(box.path(QStringLiteral("softdata.xml")));
    QCOMPARE(saved.fieldText(QStringLiteral("Char_Desc_2000")), expected.value(QStringLiteral("Char_Desc_2000")));
}

// Values as long as today's PAD files carry fit the delivered table; a value
// that still does not fit is cut and named on stderr, and the import succeeds.
void RecordCommandsTest::longValuesKeptOrNamedWhenCut()
{
    Sandbox box;
    const QString languages = QStringList(QVector<QString>(118, QStringLiteral("Language,"))).join(QString());
    const QString tooLong(1500, QLatin1Char('d'));
    box.write(QStringLiteral("pad.xml"),
              QStringLiteral("<XML_DIZ_INFO><Program_Info><Program_Name>Long</Program_Name>"
                             "<Program_Language>%1</Program_Language></Program_Info>"
                             "<Program_Descriptions><English><Char_Desc_45>%2</Char_Desc_45>"
                             "</English></Program_Descriptions></XML_DIZ_INFO>")
                  .arg(languages, tooLong)
                  .toUtf8());
    QCOMPARE(languages.size(), 1062);
    const Run import = run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")});
    QCOMPARE(import.code, 0);
    QCOMPARE(import.out, QByteArray());
    QCOMPARE(QString::fromUtf8(import.err),
             QStringLiteral("doduvodaz: %1: Char_Desc_45 was cut to 1000 characters\n")
                 .arg(box.path(QStringLiteral("pad.xml"))));

    const QJsonObject record =
        QJsonDocument::fromJson(run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")}).out).object();
    QCOMPARE(record.value(QStringLiteral("Program_Language")).toString(), languages);
    QCOMPARE(record.value(QStringLiteral("Char_Desc_45")).toString(), tooLong.left(1000));
}

void RecordCommandsTest::refillAtStartShown()
{
    Sandbox box;
    const QString pad = box.write(QStringLiteral("pad.xml"), kPad);
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), pad}).code, 0);

    // Changed by hand: a value the PAD file has, and one it lacks.
    QByteArray data = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
    QVERIFY(data.contains(">ClipNest<"));
    data.replace(">ClipNest<", ">Hand edited<");
    data.replace("<value name=\"Country\"></value>", "<value name=\"Country\">Handland</value>");
    QVERIFY(data.contains("Handland"));
    padtest::writeBytes(box.path(QStringLiteral("softdata.xml")), data);

    Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    QCOMPARE(show.code, 0);
    QJsonObject record = QJsonDocument::fromJson(show.out).object();
    QCOMPARE(record.value(QStringLiteral("Program_Name")).toString(), QStringLiteral("ClipNest"));
    QCOMPARE(record.value(QStringLiteral("Country")).toString(), QString());

    // Once the PAD file is gone, the hand-made record shows, without a word.
    QVERIFY(QFile::remove(pad));
    show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    QCOMPARE(show.code, 0);
    QCOMPARE(show.err, QByteArray());
    record = QJsonDocument::fromJson(show.out).object();
    QCOMPARE(record.value(QStringLiteral("Program_Name")).toString(), QStringLiteral("Hand edited"));
    QCOMPARE(record.value(QStringLiteral("Country")).toString(), QStringLiteral("Handland"));
}

void RecordCommandsTest::windowsFileKeepsItsLetters()
{
    Sandbox box;
    box.write(QStringLiteral("win.xml"),
              "<XML_DIZ_INFO><Company_Name>M\xFCller \x96 S\xF6hne</Company_Name>"
              "<Program_Name>Caf\xE9\r\nBar</Program_Name></XML_DIZ_INFO>");
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("win.xml")}).code, 0);
    const Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    const QJsonObject record = QJsonDocument::fromJson(show.out).object();
    QCOMPARE(record.value(QStringLiteral("Company_Name")).toString(), QStringLiteral("M\u00FCller \u2013 S\u00F6hne"));
    QCOMPARE(record.value(QStringLiteral("Program_Name")).toString(), QStringLiteral("Caf\u00E9\r\nBar"));
}

void RecordCommandsTest::unreadablePadFile_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("missing") << false;
    QTest::newRow("folder") << true;
}

void RecordCommandsTest::unreadablePadFile()
{
    QFETCH(bool, folder);
    Sandbox box;
    const QByteArray before = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
    if (folder)
        QDir(box.dir()).mkdir(QStringLiteral("pad.xml"));
    const Run r = run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains("pad.xml"), r.err.constData());
    QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), before);
    // Remembered only after an import succeeded.
    QVERIFY(!QFile::exists(box.settingsPath()));
}

void RecordCommandsTest::withoutDataFile()
{
    Sandbox box(false);
    const Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    QCOMPARE(show.code, 1);
    QCOMPARE(show.out, QByteArray("{}\n"));
    QVERIFY2(show.err.contains("closed"), show.err.constData());

    box.write(QStringLiteral("pad.xml"), kPad);
    const Run import = run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")});
    QCOMPARE(import.code, 1);
    QVERIFY2(import.err.contains("softdata.xml"), import.err.constData());
    QVERIFY(!QFile::exists(box.path(QStringLiteral("softdata.xml"))));
}

void RecordCommandsTest::unwritableDirectory()
{
    Sandbox box;
    const bool root = padtest::runningAsRoot();
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
        QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    // The working folder: readable by everyone, writable by no one.
    const QString work = box.path(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QFile::copy(padtest::deliveredData(), work + QStringLiteral("/softdata.xml")));
    padtest::writeBytes(work + QStringLiteral("/pad.xml"), kPad);
    const QString settingsDir = box.path(QStringLiteral("machine"));
    QVERIFY(QDir().mkpath(settingsDir));
    QFile::setPermissions(box.dir(), all);
    QFile::setPermissions(settingsDir, all);
    QFile::setPermissions(work + QStringLiteral("/softdata.xml"),
                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(work + QStringLiteral("/pad.xml"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(work,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                              QFile::ExeOther);
    const QByteArray before = padtest::readBytes(work + QStringLiteral("/softdata.xml"));

    const Run r = run(work, box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")}, root);
    QFile::setPermissions(work, all);
    QVERIFY2(r.code != 125, "could not run as an unprivileged user");
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Cannot create file " + work.toUtf8() + "/softdata.xml"), r.err.constData());
    QCOMPARE(padtest::readBytes(work + QStringLiteral("/softdata.xml")), before);
    QCOMPARE(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList({"pad.xml", "softdata.xml"}));
}

void RecordCommandsTest::wrongArguments()
{
    Sandbox box;
    const QByteArray before = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
    for (const QStringList &args : {QStringList {"--import-pad"}, QStringList {"--show-record", "extra"},
                                    QStringList {"--import-pad", "a.xml", "b.xml"}}) {
        const Run r = run(box.dir(), box.settingsPath(), args);
        QCOMPARE(r.code, 64);
        QVERIFY(r.err.contains("usage"));
    }
    QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), before);
    QVERIFY(!QFile::exists(box.settingsPath()));
}

// A missing file, a file that is no PAD file, one in an encoding that cannot
// be read: exit 1 with a message, the record and the remembered file as they
// were.
void RecordCommandsTest::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QByteArray>("complaint");
    QTest::newRow("missing") << QByteArray() << QByteArray("Cannot open file");
    QTest::newRow("not a PAD file") << QByteArray("<component><id>org.example.App</id></component>")
                                    << QByteArray("is not a PAD file");
    QTest::newRow("unreadable encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x-unheard-of\"?><Program_Name>X</Program_Name>")
        << QByteArray("x-unheard-of");
}

void RecordCommandsTest::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, complaint);
    Sandbox box;
    box.write(QStringLiteral("good.xml"), kPad);
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("good.xml")}).code, 0);
    const QByteArray data = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
    const QByteArray settings = padtest::readBytes(box.settingsPath());
    if (!content.isEmpty())
        box.write(QStringLiteral("bad.xml"), content);
    const Run r = run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("bad.xml")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains(complaint) && r.err.contains(box.path(QStringLiteral("bad.xml")).toUtf8()),
             r.err.constData());
    QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), data);
    QCOMPARE(padtest::readBytes(box.settingsPath()), settings);
    // The next start still refills from the good file.
    const Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
    QCOMPARE(show.err, QByteArray());
    QCOMPARE(QJsonDocument::fromJson(show.out).object().value(QStringLiteral("Program_Name")).toString(),
             QStringLiteral("ClipNest"));
}

void RecordCommandsTest::languageOption()
{
    Sandbox box;
    box.write(QStringLiteral("pad.xml"), kPad);
    const QStringList import = {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")};
    QCOMPARE(run(box.dir(), box.settingsPath(), import + QStringList {"--language", "German"}).code, 0);
    const auto desc45 = [&] {
        const Run show = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")});
        return QJsonDocument::fromJson(show.out).object().value(QStringLiteral("Char_Desc_45")).toString();
    };
    // Remembered with the file: every start gives German.
    QCOMPARE(desc45(), QStringLiteral("Zwischenablage"));
    QCOMPARE(run(box.dir(), box.settingsPath(), import).code, 0);
    QCOMPARE(desc45(), QStringLiteral("Clipboard history & snippets"));
    const Run missing = run(box.dir(), box.settingsPath(), import + QStringList {"--language=Welsh"});
    QCOMPARE(missing.code, 1);
    QVERIFY2(missing.err.contains("Welsh") && missing.err.contains("English, German"), missing.err.constData());
    QCOMPARE(run(box.dir(), box.settingsPath(), {"--import-pad", "pad.xml", "--language", "a", "--language", "b"}).code,
             64);
}

void RecordCommandsTest::exportThenImport()
{
    Sandbox box;
    box.write(QStringLiteral("pad.xml"), kPad);
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("pad.xml")}).code, 0);
    const QByteArray before = run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")}).out;
    const Run exported =
        run(box.dir(), box.settingsPath(), {QStringLiteral("--export-pad"), QStringLiteral("out.xml")});
    QCOMPARE(exported.code, 0);
    QCOMPARE(exported.err, QByteArray());
    QVERIFY(padtest::readBytes(box.path(QStringLiteral("out.xml"))).contains("<MASTER_PAD_VERSION>3.11<"));
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--import-pad"), QStringLiteral("out.xml")}).code, 0);
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--show-record")}).out, before);

    const Run unwritable =
        run(box.dir(), box.settingsPath(), {QStringLiteral("--export-pad"), QStringLiteral("no/such/out.xml")});
    QCOMPARE(unwritable.code, 1);
    QVERIFY2(unwritable.err.contains("Cannot create file"), unwritable.err.constData());
    QCOMPARE(run(box.dir(), box.settingsPath(), {QStringLiteral("--export-pad")}).code, 64);
}

QTEST_GUILESS_MAIN(RecordCommandsTest)
#include "test_recordcommands.moc"
