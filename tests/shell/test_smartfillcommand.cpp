// The "Smart fill" command of the Submission menu in the main window, with
// the real engine offscreen: off by default, switching it changes the fill
// of the next page and of "Fill form fields", the tab's status says what was
// filled, and the choice is kept in quillet.ini.
#include "platform/messages.h"
#include "web/webengineenv.h"
#include "web/embeddedwb.h"
#include "shell/mainwindow.h"
#include "shell/settings.h"
#include "shell/smartfillswitch.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "support/pages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSmartFillCommand : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        record.LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
        platform::setMessageSink([](const QString &, const QString &) { return true; });
        testpages::write(dir, QStringLiteral("form.htm"),
                         QStringLiteral("<body><form id=s><input name=keywords></form>"
                                        "<form id=m><label>Program name <input name=program_name></label>"
                                        "<label>Version <input name=ver></label>"
                                        "<label>Twitter <input name=twitter></label></form></body>"));
    }

    void commandFillsAndSaysSo()
    {
        shell::TfrmBrwMain win(record);
        win.resize(900, 600);
        win.show();
        QMenu *submission = win.menuNamed(QStringLiteral("Submission"));
        QVERIFY(submission);
        QAction *smart = nullptr;
        for (QAction *a : submission->actions())
            if (a->objectName() == QLatin1String("menSmartFill"))
                smart = a;
        QVERIFY(smart);
        QCOMPARE(smart->text(), QStringLiteral("Smart fill"));
        QVERIFY(smart->isCheckable());
        QVERIFY(!smart->isChecked());

        // Off: the exact rules fill the search box ("keywords") too.
        const QString page = dir.filePath(QStringLiteral("form.htm"));
        win.OpenURL(page);
        QTRY_VERIFY_WITH_TIMEOUT(win.CurrentPage() && win.CurrentPage()->browser(), 15000);
        shell::TbxWebTabSheet *sheet = win.CurrentPage();
        QTRY_COMPARE_WITH_TIMEOUT(
            testpages::eval(sheet->browser()->page(), QStringLiteral("document.querySelector('#s input').value"))
                .toString(),
            record.fieldText(QStringLiteral("Keywords")), 15000);

        // On: the next page is filled by the smart rules, and says so.
        QSignalSpy changed(win.smartFill(), &shell::SmartFillSwitch::changed);
        smart->trigger();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toBool(), true);
        sheet->statusPanel()->clear();
        sheet->browser()->page()->triggerAction(QWebEnginePage::Reload);
        QTRY_COMPARE_WITH_TIMEOUT(sheet->statusPanel()->text(),
                                  QStringLiteral("Smart fill: 2 controls filled, 1 left for you."), 15000);
        QCOMPARE(testpages::eval(sheet->browser()->page(), QStringLiteral("document.querySelector('#s input').value"))
                     .toString(),
                 QString());

        // "Fill form fields" runs the smart fill too: nothing left to write.
        sheet->statusPanel()->clear();
        win.fillForm();
        QTRY_COMPARE_WITH_TIMEOUT(sheet->statusPanel()->text(),
                                  QStringLiteral("Smart fill: 0 controls filled, 1 left for you."), 15000);

        // Set from the settings without announcing it.
        win.smartFill()->setOn(false);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!smart->isChecked());
    }

    void choiceKeptInTheSettingsFile()
    {
        const QString folder = dir.filePath(QStringLiteral("ini")) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(folder));
        QFile f(folder + QStringLiteral("quillet.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Favorite]\r\nWidth=250\r\n");
        f.close();
        const shell::Settings s(folder);
        QVERIFY(!s.smartFill());
        QVERIFY(s.setSmartFill(true));
        QVERIFY(shell::Settings(folder).smartFill());
        QCOMPARE(shell::Settings(folder).favoriteWidth(), 250);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Favorite]\r\nWidth=250\r\n[Submission]\r\nSmartFill=1\r\n"));
        f.close();
        QVERIFY(s.setSmartFill(false));
        QVERIFY(!shell::Settings(folder).smartFill());
    }
};

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestSmartFillCommand test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_smartfillcommand.moc"
