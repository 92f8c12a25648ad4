// The preview report of the real program: doduvodaz --report run in a working
// directory prepared like a user's, on the delivered demo pages.
#include "software/softwaretable.h"
#include "support/reportlines.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run : testsupport::ReportLines {
    int exitCode = -1;
    QString out, err;

    QStringList texts(const char *key) const
    {
        QStringList r;
        for (const QJsonObject &o : lines)
            if (o.contains(QLatin1String(key)))
                r << o.value(QLatin1String(key)).toString();
        return r;
    }
    int controlCount() const
    {
        int n = 0;
        for (const QJsonObject &o : lines)
            n += o.contains(QLatin1String("tag"));
        return n;
    }
};

QString asTextArea(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void fillOfTheSubmissionPage();
    void submitOnTheFramesetPage();
    void loginPage();
    void frameThatMovesOnIsInTheReport();
    void frameMovedOnAfterSecondsIsInTheReport();
    void withoutDataFileEveryLookupFails();
    void addressThatDoesNotLoad_data();
    void addressThatDoesNotLoad();
    void badArguments_data();
    void badArguments();
    void smartRulesNameTheFieldPerControl();

private:
    // Runs the program in dir with the arguments.
    Run report(const QString &dir, const QStringList &arguments);
    // A working directory holding the demo pages, and the data file when asked.
    QString workDir(bool withData);
    QString field(const char *name) const { return m_record.fieldText(QString::fromLatin1(name)); }

    QTemporaryDir m_root;
    int m_dirs = 0;
    software::TSoftwareTable m_record;
};

void TestReport::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY(QFileInfo(QStringLiteral(DODU_BINARY)).isExecutable());
    m_record.LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
}

QString TestReport::workDir(bool withData)
{
    const QString dir = m_root.filePath(QStringLiteral("run%1").arg(++m_dirs));
    const QDir source(QStringLiteral(DODU_SOURCE_DIR "/data"));
    if (!QDir().mkpath(dir + QStringLiteral("/demo")))
        return QString();
    for (const QString &name : source.entryList({QStringLiteral("*")}, QDir::Files, QDir::Name))
        if (withData || name != QLatin1String("softdata.xml"))
            QFile::copy(source.filePath(name), dir + QLatin1Char('/') + name);
    const QDir demo(source.filePath(QStringLiteral("demo")));
    for (const QString &name : demo.entryList(QDir::Files))
        QFile::copy(demo.filePath(name), dir + QStringLiteral("/demo/") + name);
    return dir;
}

Run TestReport::report(const QString &dir, const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // No remembered PAD file of the machine may refill the record.
    env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), m_root.filePath(QStringLiteral("system-settings.json")));
    // The per-user data folder cannot be made (its name is taken by a file),
    // so a folder without softdata.xml stays the working folder.
    QFile block(m_root.filePath(QStringLiteral("doduvodaz")));
    if (!block.exists() && block.open(QIODevice::WriteOnly))
        block.close();
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(DODU_BINARY), QStringList {QStringLiteral("--report")} + arguments);
    Run r;
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        qWarning("the report did not end");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !d.isObject())
            qWarning("not a JSON object line: %s", qPrintable(line));
        r.lines << d.object();
    }
    return r;
}

void TestReport::fillOfTheSubmissionPage()
{
    const QString dir = workDir(true);
    const Run r = report(dir, {QStringLiteral("demo/submit.htm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.controlCount(), 28);
    QVERIFY(r.texts("message").isEmpty());
    QVERIFY(r.texts("error").isEmpty());
    // The line format, key by key.
    QCOMPARE(
        r.out.section(QLatin1Char('\n'), 0, 0),
        QStringLiteral("{\"frame\":-1,\"tag\":\"input\",\"type\":\"text\",\"name\":\"company_name\",\"value\":\"%1\","
                       "\"checked\":false,\"clicked\":false}")
            .arg(field("Company_Name")));

    QCOMPARE(r.value(-1, QStringLiteral("company_name")), field("Company_Name"));
    QCOMPARE(r.value(-1, QStringLiteral("company_url")), field("Company_Name"));
    QCOMPARE(r.value(-1, QStringLiteral("contact_email")), field("Author_Email"));
    QCOMPARE(r.control(-1, QStringLiteral("contact_email")).value(QLatin1String("type")).toString(),
             QStringLiteral("email"));
    QCOMPARE(r.value(-1, QStringLiteral("country")), QString());
    QCOMPARE(r.value(-1, QStringLiteral("title")), field("Program_Name"));
    QCOMPARE(r.value(-1, QStringLiteral("version")), field("Program_Version"));
    QCOMPARE(r.value(-1, QStringLiteral("price")), field("Program_Cost_Dollars"));
    QCOMPARE(r.value(-1, QStringLiteral("filesize")), field("File_Size_K"));
    QCOMPARE(r.value(-1, QStringLiteral("download_url")), field("Primary_Download_URL"));
    QCOMPARE(r.value(-1, QStringLiteral("screenshot")), field("Application_Screenshot_URL"));
    QCOMPARE(r.value(-1, QStringLiteral("pad_url")), field("Application_XML_File_URL"));
    QCOMPARE(r.value(-1, QStringLiteral("buy_link")), field("Application_Order_URL"));
    QCOMPARE(r.value(-1, QStringLiteral("keywords")), field("Keywords"));
    QCOMPARE(r.value(-1, QStringLiteral("cat")), QStringLiteral("Choose a category"));
    QCOMPARE(r.value(-1, QStringLiteral("limitation")), QString());
    // The delivered record has an uninstaller.
    QVERIFY(r.checked(-1, QStringLiteral("has_uninstaller"), 0));
    QVERIFY(!r.checked(-1, QStringLiteral("has_uninstaller"), 1));
    QVERIFY(!r.checked(-1, QStringLiteral("licence"), 0));
    QVERIFY(!r.checked(-1, QStringLiteral("licence"), 1));
    QVERIFY(r.checked(-1, QStringLiteral("licence"), 2));
    QCOMPARE(r.value(-1, QStringLiteral("short_description")), field("Char_Desc_45"));
    QCOMPARE(r.value(-1, QStringLiteral("description")), asTextArea(field("Char_Desc_2000")));
    QCOMPARE(r.value(-1, QStringLiteral("requirements")), field("Program_System_Requirements"));
    QCOMPARE(r.value(-1, QStringLiteral("comments")), QString());
    QVERIFY(r.checked(-1, QStringLiteral("agree")));
    QVERIFY(r.checked(-1, QStringLiteral("newsletter")));
    for (const QJsonObject &o : r.lines)
        QVERIFY(!o.value(QLatin1String("clicked")).toBool());
}

void TestReport::submitOnTheFramesetPage()
{
    const QString dir = workDir(true);
    const Run r =
        report(dir, {QStringLiteral("--mode"), QStringLiteral("submit"), QStringLiteral("demo/frameset.htm")});
    QCOMPARE(r.exitCode, 0);
    // The automatic fill reached both frames...
    QCOMPARE(r.value(0, QStringLiteral("publisher_company")), field("Company_Name"));
    QCOMPARE(r.value(0, QStringLiteral("email")), field("Author_Email"));
    QCOMPARE(r.value(0, QStringLiteral("homepage")), field("Company_WebSite_URL"));
    QCOMPARE(r.value(1, QStringLiteral("product")), field("Program_Name"));
    QCOMPARE(r.value(1, QStringLiteral("ver")), field("Program_Version"));
    QCOMPARE(r.value(1, QStringLiteral("long_desc")), asTextArea(field("Char_Desc_2000")));
    // ...and the submit finder spoke for the first and pressed in the second.
    QCOMPARE(r.texts("message"), QStringList {QStringLiteral("Submit button not found.")});
    QVERIFY(r.texts("error").isEmpty());
    int clicked = 0;
    for (const QJsonObject &o : r.lines)
        if (o.value(QLatin1String("clicked")).toBool()) {
            ++clicked;
            QCOMPARE(o.value(QLatin1String("frame")).toInt(), 1);
            QCOMPARE(o.value(QLatin1String("type")).toString(), QStringLiteral("submit"));
        }
    QCOMPARE(clicked, 1);
    QVERIFY(r.control(-1, QStringLiteral("product")).isEmpty()); // the frameset has no controls of its own
}

void TestReport::loginPage()
{
    const QString dir = workDir(true);
    const QString password = QString::fromUtf8("p\"<w>&\xc3\xa4");
    const Run r =
        report(dir,
               {QStringLiteral("--mode"), QStringLiteral("login"), QStringLiteral("--username"),
                QStringLiteral("maren"), QStringLiteral("--password"), password, QStringLiteral("demo/login.htm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.value(-1, QStringLiteral("username")), QStringLiteral("maren"));
    QCOMPARE(r.value(-1, QStringLiteral("password")), password);
    QVERIFY(r.checked(-1, QStringLiteral("remember")));
    QVERIFY(r.clicked(-1, QStringLiteral("login")));
    QVERIFY(!r.clicked(-1, QStringLiteral("back")));
    QCOMPARE(r.value(-1, QStringLiteral("q")), QString());
    QVERIFY(r.texts("message").isEmpty());

    // Empty boxes write empty values over what the automatic fill put there.
    const Run empty =
        report(dir, {QStringLiteral("--mode"), QStringLiteral("login"), QStringLiteral("demo/login.htm")});
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.value(-1, QStringLiteral("username")), QString());
    QCOMPARE(empty.value(-1, QStringLiteral("password")), QString());
    QVERIFY(empty.clicked(-1, QStringLiteral("login")));

    // Without --mode only the automatic fill runs: username holds "name".
    const Run fill = report(dir, {QStringLiteral("demo/login.htm")});
    QCOMPARE(fill.value(-1, QStringLiteral("username")), field("Program_Name"));
    QCOMPARE(fill.value(-1, QStringLiteral("password")), QString());
    QVERIFY(!fill.clicked(-1, QStringLiteral("login")));
}

void TestReport::frameThatMovesOnIsInTheReport()
{
    // The second frame shows a notice first and the program form a moment
    // after the page has loaded.
    const QString dir = workDir(true);
    QFile wait(dir + QStringLiteral("/demo/wait.htm"));
    QVERIFY(wait.open(QIODevice::WriteOnly));
    wait.write("<!DOCTYPE html><html><body><p>One moment...</p>"
               "<script>setTimeout(() => { location.href = 'frame-program.htm'; }, 300);</script></body></html>");
    wait.close();
    QFile steps(dir + QStringLiteral("/demo/steps.htm"));
    QVERIFY(steps.open(QIODevice::WriteOnly));
    steps.write("<!DOCTYPE html><html><frameset cols=\"50%,*\"><frame src=\"frame-company.htm\">"
                "<frame src=\"wait.htm\"></frameset></html>");
    steps.close();
    const Run r = report(dir, {QStringLiteral("demo/steps.htm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.value(1, QStringLiteral("product")), field("Program_Name"));
}

// A frame sent on by the page's script a second after it loaded, and again a
// second after that: the report waits for the page to stay quiet.
void TestReport::frameMovedOnAfterSecondsIsInTheReport()
{
    const QString dir = workDir(true);
    auto write = [&](const QString &name, const QByteArray &html) {
        QFile f(dir + QStringLiteral("/demo/") + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(html);
    };
    write(QStringLiteral("later1.htm"),
          "<!DOCTYPE html><html><body><p>One moment...</p>"
          "<script>setTimeout(() => { location.href = 'later2.htm'; }, 1000);</script></body></html>");
    write(QStringLiteral("later2.htm"),
          "<!DOCTYPE html><html><body><p>Nearly there...</p>"
          "<script>setTimeout(() => { location.href = 'frame-program.htm'; }, 1000);</script></body></html>");
    write(QStringLiteral("later.htm"),
          "<!DOCTYPE html><html><frameset cols=\"50%,*\"><frame src=\"frame-company.htm\">"
          "<frame src=\"later1.htm\"></frameset></html>");
    const Run r = report(dir, {QStringLiteral("demo/later.htm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.value(1, QStringLiteral("product")), field("Program_Name"));
}

void TestReport::withoutDataFileEveryLookupFails()
{
    const QString dir = workDir(false);
    QVERIFY(!QFile::exists(dir + QStringLiteral("/softdata.xml")));
    const Run r = report(dir, {QStringLiteral("demo/submit.htm")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.texts("error"), QStringList {QStringLiteral("ClientDataSet1: Field 'Company_Name' not found")});
    QVERIFY(r.lines.last().contains(QLatin1String("error")));
    QCOMPARE(r.controlCount(), 28);
    QCOMPARE(r.value(-1, QStringLiteral("company_name")), QString());
    QCOMPARE(r.value(-1, QStringLiteral("limitation")), QStringLiteral("none"));

    // A data file that is not one behaves the same.
    QFile broken(dir + QStringLiteral("/softdata.xml"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("<softdata><fields><field name=\"Company_Name\"");
    broken.close();
    const Run again =
        report(dir, {QStringLiteral("--mode"), QStringLiteral("submit"), QStringLiteral("demo/submit.htm")});
    QCOMPARE(again.exitCode, 1);
    QCOMPARE(again.texts("error"), QStringList {QStringLiteral("ClientDataSet1: Field 'Company_Name' not found")});
    // The automatic fill failed; the submit command still ran after it.
    QVERIFY(again.clicked(-1, QStringLiteral("go")));
}

void TestReport::addressThatDoesNotLoad_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("missing file") << "demo/no-such-page.htm";
    QTest::newRow("nothing listening") << "http://127.0.0.1:1/submit.htm";
}

void TestReport::addressThatDoesNotLoad()
{
    QFETCH(QString, address);
    const QString dir = workDir(true);
    const Run r = report(dir, {QStringLiteral("--timeout"), QStringLiteral("60"), address});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(QStringLiteral("doduvodaz: ") + address), qPrintable(r.err));
}

void TestReport::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("no address") << QStringList {} << "usage:";
    QTest::newRow("unknown mode") << QStringList {"--mode", "fly", "demo/submit.htm"} << "--mode";
    QTest::newRow("mode in capitals") << QStringList {"--mode", "Submit", "demo/submit.htm"} << "--mode";
    QTest::newRow("mode without word") << QStringList {"demo/submit.htm", "--mode"} << "--mode";
    QTest::newRow("timeout not a number") << QStringList {"--timeout", "soon", "demo/submit.htm"} << "--timeout";
    QTest::newRow("timeout zero") << QStringList {"--timeout", "0", "demo/submit.htm"} << "--timeout";
    QTest::newRow("username without text") << QStringList {"demo/submit.htm", "--username"} << "usage:";
    QTest::newRow("unknown option") << QStringList {"--frobnicate", "demo/submit.htm"} << "usage:";
    QTest::newRow("two addresses") << QStringList {"demo/submit.htm", "demo/login.htm"} << "usage:";
}

void TestReport::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    const Run r = report(workDir(true), arguments);
    QCOMPARE(r.exitCode, 64);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(complaint), qPrintable(r.err));
}

void TestReport::smartRulesNameTheFieldPerControl()
{
    const QString dir = workDir(true);
    const Run r = report(dir, {QStringLiteral("--rules"), QStringLiteral("smart"), QStringLiteral("demo/submit.htm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.controlCount(), 28);
    for (const QJsonObject &o : r.lines)
        if (o.contains(QLatin1String("tag")))
            QVERIFY(o.contains(QLatin1String("field")));
    auto fieldOf = [&](const QString &name, int nth = 0) {
        return r.control(-1, name, nth).value(QLatin1String("field")).toString();
    };
    QCOMPARE(fieldOf("company_url"), QStringLiteral("Company_WebSite_URL"));
    QCOMPARE(r.value(-1, QStringLiteral("company_url")), field("Company_WebSite_URL"));
    QCOMPARE(fieldOf("short_description"), QStringLiteral("Char_Desc_45"));
    QCOMPARE(fieldOf("licence", 1), QStringLiteral("Program_Type"));
    QVERIFY(r.checked(-1, QStringLiteral("licence"), 1));
    QVERIFY(!r.checked(-1, QStringLiteral("licence"), 2));
    QCOMPARE(fieldOf("comments"), QString());
    // Check boxes the record says nothing about keep their state.
    QVERIFY(!r.checked(-1, QStringLiteral("agree")));
    QVERIFY(r.checked(-1, QStringLiteral("newsletter")));

    // Submit presses the form's button; classic stays the default.
    const Run s = report(dir,
                         {QStringLiteral("--rules"), QStringLiteral("smart"), QStringLiteral("--mode"),
                          QStringLiteral("submit"), QStringLiteral("demo/submit.htm")});
    QVERIFY(s.clicked(-1, QStringLiteral("go")));
    const Run c =
        report(dir, {QStringLiteral("--rules"), QStringLiteral("classic"), QStringLiteral("demo/submit.htm")});
    QCOMPARE(c.exitCode, 0);
    QVERIFY(!c.out.contains(QLatin1String("\"field\"")));
    QCOMPARE(c.value(-1, QStringLiteral("company_url")), field("Company_Name"));

    const Run bad =
        report(dir, {QStringLiteral("--rules"), QStringLiteral("clever"), QStringLiteral("demo/submit.htm")});
    QCOMPARE(bad.exitCode, 64);
    QVERIFY(bad.err.contains(QLatin1String("--rules")));
}

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
