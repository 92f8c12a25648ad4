// The command line: which mode the arguments ask for, each mode's options and
// complaints, and --help / --version run as the real program.
#include "app/commandline.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using app::Mode;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void modeIsToldByItsOwnOption();
    void reportOptions();
    void wrongArgumentsNameTheProblemAndTheUsage();
    void windowItems();
    void relativeFilesBecomeAbsoluteAgainstTheStartFolder();
    void helpAndVersionAsTheProgram();
};

void TestCommandLine::modeIsToldByItsOwnOption()
{
    QCOMPARE(app::modeOf({}), Mode::Window);
    QCOMPARE(app::modeOf({"http://example.com/", "notes.url"}), Mode::Window);
    QCOMPARE(app::modeOf({"--version"}), Mode::Version);
    // With --campaign, --version names a release.
    QCOMPARE(app::modeOf({"--campaign", "--version", "3.0"}), Mode::Campaign);
    QCOMPARE(app::modeOf({"--version", "3.0", "--campaign"}), Mode::Campaign);
    QCOMPARE(app::modeOf({"--import-pad=pad.xml"}), Mode::ImportPad);
    QCOMPARE(app::modeOf({"--show-record"}), Mode::ShowRecord);
    QCOMPARE(app::modeOf({"--report", "--mode", "login", "x.htm"}), Mode::Report);
    // Help wins, so that a user lost in a mode's options can ask for it.
    QCOMPARE(app::modeOf({"--report", "--help"}), Mode::Help);
    QCOMPARE(app::modeOf({"-h"}), Mode::Help);
    // After "--" everything is an item.
    QCOMPARE(app::modeOf({"--", "--report"}), Mode::Window);
}

void TestCommandLine::reportOptions()
{
    QString error;
    auto o = app::parseReport({"--report", "--mode=login", "--rules", "smart", "--username", "ann", "--password", "",
                               "--timeout", "7", "page.htm"},
                              &error);
    QVERIFY2(o, qPrintable(error));
    QCOMPARE(o->mode, engine::FormMode::Login);
    QCOMPARE(o->rules, web::FillRules::Smart);
    QCOMPARE(o->username, QStringLiteral("ann"));
    QCOMPARE(o->password, QString());
    QCOMPARE(o->timeoutSeconds, 7);
    QCOMPARE(o->address, QStringLiteral("page.htm"));

    o = app::parseReport({"page.htm", "--report"}, &error);
    QVERIFY2(o, qPrintable(error));
    QCOMPARE(o->mode, engine::FormMode::Fill);
    QCOMPARE(o->rules, web::FillRules::Classic);
    QCOMPARE(o->timeoutSeconds, 30);
}

void TestCommandLine::wrongArgumentsNameTheProblemAndTheUsage()
{
    struct Case {
        QStringList args;
        QString complaint;
        QString usage;
    };
    const QString report = QStringLiteral("usage: doduvodaz --report");
    const QString record = QStringLiteral("usage: doduvodaz --import-pad FILE");
    const QString campaign = QStringLiteral("usage: doduvodaz --campaign");
    const QList<Case> cases = {
        {{"--report", "--mode", "fly", "x.htm"}, "--mode takes fill, login or submit", report},
        {{"--report", "x.htm", "--mode"}, "--mode", report},
        {{"--report", "--rules", "clever", "x.htm"}, "--rules takes classic or smart", report},
        {{"--report", "--timeout", "-3", "x.htm"}, "--timeout", report},
        {{"--report", "--frobnicate", "x.htm"}, "frobnicate", report},
        {{"--report", "a.htm", "b.htm"}, "one address only", report},
        {{"--report"}, "no address", report},
        {{"--import-pad"}, "--import-pad", record},
        {{"--import-pad", "a.xml", "--import-pad", "b.xml"}, "one file", record},
        {{"--show-record", "extra"}, "no items", record},
        {{"--campaign", "--format", "xml"}, "--format takes json or csv", campaign},
        {{"--campaign", "--version"}, "--version", campaign},
    };
    for (const Case &c : cases) {
        QString error;
        bool failed = false;
        switch (app::modeOf(c.args)) {
        case Mode::Report: failed = !app::parseReport(c.args, &error); break;
        case Mode::ImportPad: failed = !app::parseImportPad(c.args, &error); break;
        case Mode::ShowRecord: failed = !app::parseShowRecord(c.args, &error); break;
        case Mode::Campaign: failed = !app::parseCampaign(c.args, &error); break;
        default: QFAIL(qPrintable(c.args.join(' ')));
        }
        QVERIFY2(failed, qPrintable(c.args.join(' ')));
        QVERIFY2(error.contains(c.complaint) && error.contains(c.usage), qPrintable(error));
    }
}

void TestCommandLine::windowItems()
{
    QString error;
    const auto items = app::parseWindowItems({"http://a.example/", "", "notes.url", "--", "-dash.htm"}, &error);
    QVERIFY2(items, qPrintable(error));
    // An empty item is skipped; after "--" a leading dash is part of a name.
    QCOMPARE(*items, QStringList({"http://a.example/", "notes.url", "-dash.htm"}));
    // Qt's own options are left to the application object.
    QCOMPARE(*app::parseWindowItems({"-platform", "xcb", "--style=fusion", "-reverse", "a.htm"}, &error),
             QStringList({"a.htm"}));
    QVERIFY(!app::parseWindowItems({"--frobnicate"}, &error));
    QVERIFY2(error.contains("frobnicate") && error.contains("--help"), qPrintable(error));
}

void TestCommandLine::relativeFilesBecomeAbsoluteAgainstTheStartFolder()
{
    QTemporaryDir start;
    QVERIFY(QDir(start.path()).mkpath("sub"));
    QFile f(start.filePath("sub/pad.xml"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QStringList out =
        app::absoluteItems({"sub/pad.xml", "missing.xml", "http://x.example/", "/etc/hosts"}, start.path());
    QCOMPARE(out, QStringList({start.filePath("sub/pad.xml"), "missing.xml", "http://x.example/", "/etc/hosts"}));
}

void TestCommandLine::helpAndVersionAsTheProgram()
{
    QTemporaryDir home;
    auto run = [&](const QStringList &args, QByteArray *out) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.remove("QT_QPA_PLATFORM"); // no display: nothing here may need one
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(home.path());
        p.start(QStringLiteral(DODU_BINARY), args);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000))
            return -1;
        *out = p.readAllStandardOutput();
        return p.exitCode();
    };
    QByteArray out;
    QCOMPARE(run({"--help"}, &out), 0);
    for (const char *option : {"--report", "--mode", "--rules", "--username", "--password", "--timeout", "--import-pad",
                               "--show-record", "--campaign", "--version", "--format", "--help"})
        QVERIFY2(out.contains(option), option);
    QVERIFY(out.startsWith("Usage: doduvodaz"));
    QVERIFY(out.contains("--version V"));
    QCOMPARE(run({"--version"}, &out), 0);
    QCOMPARE(out, QByteArray("doduvodaz 1.5\n"));
    // An unknown option is told without a display or a window.
    QCOMPARE(run({"--frobnicate"}, &out), app::kUsageStatus);
    // None of these starts the program or prepares a working folder.
    QVERIFY(!QFileInfo::exists(home.filePath("data")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
