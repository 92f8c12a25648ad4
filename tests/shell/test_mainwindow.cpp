// The main window in the real browser engine, offscreen: tabs, new windows,
// closing, stepping, captions, progress and the submission commands.
#include "platform/messages.h"
#include "web/webengineenv.h"
#include "web/embeddedwb.h"
#include "shell/fittext.h"
#include "shell/mainwindow.h"
#include "shell/settings.h"
#include "shell/tabstrip.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "support/pages.h"

#include <QApplication>
#include <QMenu>
#include <QToolBar>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QWebEngineView>

using testpages::write;

namespace {
QString valueOf(shell::TbxWebTabSheet *sheet, const QString &script)
{
    return testpages::eval(sheet->browser()->page(), script).toString();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;
    QStringList messages;
    bool answerYes = true;
    std::unique_ptr<shell::TfrmBrwMain> win;
    bool ctrl = false;

    shell::TfrmBrwMain &window() { return *win; }

    // Waits until the page in a tab has finished loading and been filled.
    void waitLoaded(shell::TbxWebTabSheet *sheet)
    {
        QTRY_VERIFY_WITH_TIMEOUT(sheet->browser() && !sheet->browser()->isBusy() && !sheet->browser()->url().isEmpty(),
                                 15000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        record.open(software::TSoftwareTable::standardFields(), {});
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("ClipNest"));
        record.setFieldText(QStringLiteral("Company_Name"), QStringLiteral("Tidewater"));
        record.Post();
        platform::setMessageSink([this](const QString &kind, const QString &text) {
            messages << kind + QLatin1Char(':') + text;
            return answerYes;
        });
        write(dir, QStringLiteral("a.htm"),
              QStringLiteral("<title>Page A</title><body>Page A text <input name=title></body>"));
        write(dir, QStringLiteral("b.htm"), QStringLiteral("<title>Page B</title><body>Page B text</body>"));
        write(dir, QStringLiteral("c.htm"), QStringLiteral("<title>Page C</title><body>Page C text</body>"));
        write(dir, QStringLiteral("opener.htm"),
              QStringLiteral("<title>Opener</title><body>Opens two windows"
                             "<script>window.open('b.htm','w1'); window.open('c.htm','w2');</script></body>"));
        write(dir, QStringLiteral("closer.htm"),
              QStringLiteral("<title>Closer</title><body>Closes itself<script>setTimeout(function(){window.close();}, "
                             "300);</script></body>"));
        write(dir, QStringLiteral("opensclose.htm"),
              QStringLiteral(
                  "<title>Opens closer</title><body>opener<script>window.open('closer.htm','c');</script></body>"));
        for (int i = 1; i <= 3; ++i)
            write(dir, QStringLiteral("f%1.htm").arg(i),
                  QStringLiteral("<body>frame %1 <input type=submit value='%2' alt=x></body>")
                      .arg(i)
                      .arg(i == 2 ? QStringLiteral("Go") : QStringLiteral("Cancel now")));
        write(dir, QStringLiteral("frames.htm"),
              QStringLiteral(
                  "<frameset cols='33%,33%,*'><frame src=f1.htm><frame src=f2.htm><frame src=f3.htm></frameset>"));
    }

    void init()
    {
        messages.clear();
        answerYes = true;
        ctrl = false;
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->setCtrlSource([this] { return ctrl; });
        win->resize(900, 600);
        win->show();
    }

    void cleanup()
    {
        answerYes = true;
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void openingInNewTabAndInCurrentTabWithCtrl()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        waitLoaded(window().CurrentPage());
        window().OpenURL(dir.filePath(QStringLiteral("b.htm")));
        QTRY_COMPARE(window().pageCount(), 2);
        QCOMPARE(window().CurrentPage(), window().pageAt(1));
        waitLoaded(window().pageAt(1));
        ctrl = true;
        window().OpenURL(dir.filePath(QStringLiteral("c.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageAt(1)->title(), QStringLiteral("Page C"), 10000);
        QCOMPARE(window().pageCount(), 2);
        // An empty address opens nothing.
        ctrl = false;
        window().OpenURL(QString());
        QTest::qWait(200);
        QCOMPARE(window().pageCount(), 2);
    }

    void scriptWindowsBecomeTabsAndClosingClosesOnlyItsTab()
    {
        window().OpenURL(dir.filePath(QStringLiteral("opener.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 3, 15000);
        QCOMPARE(window().CurrentPage(), window().pageAt(2)); // each new one made current in turn
        QTRY_COMPARE_WITH_TIMEOUT(window().pageAt(1)->title(), QStringLiteral("Page B"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(window().pageAt(2)->title(), QStringLiteral("Page C"), 10000);

        window().OpenURL(dir.filePath(QStringLiteral("opensclose.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 5, 15000);
        shell::TbxWebTabSheet *closer = window().pageAt(4);
        QPointer<shell::TbxWebTabSheet> guard(closer);
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 4, 15000);
        QTRY_VERIFY(!guard);
        QCOMPARE(window().pageAt(3)->title(), QStringLiteral("Opens closer"));
    }

    void closeAllAnsweredNoAndYes()
    {
        for (const char *p : {"a.htm", "b.htm", "c.htm"})
            window().OpenURL(dir.filePath(QString::fromLatin1(p)));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 3, 15000);
        answerYes = false;
        QVERIFY(!window().closeAll());
        QCOMPARE(window().pageCount(), 3);
        QVERIFY(messages.contains(QStringLiteral("question:Do you really want to close all windows?")));
        answerYes = true;
        QVERIFY(window().closeAll());
        QCOMPARE(window().pageCount(), 0);
        QVERIFY(!window().CurrentPage());
        QCOMPARE(window().windowTitle().left(30), QStringLiteral("Korvane Software Doduvodaz 1.5").left(30));
        QVERIFY(window().newPagesAllowed());
    }

    void closeAllWhilePagesNavigate()
    {
        window().OpenURL(dir.filePath(QStringLiteral("opener.htm")));
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(window().pageCount() >= 2, 15000);
        QVERIFY(window().closeAll());
        QTest::qWait(1000); // windows the pages were still opening get no tab
        QCOMPARE(window().pageCount(), 0);
    }

    // A closed tab's control lives on until its deferred deletion; events of
    // its page that arrive meanwhile open no window and give it no tab.
    void closedPageOpensNothingBeforeItIsDeleted()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 1, 15000);
        QPointer<web::TbxEmbeddedWb> browser = window().CurrentPage()->browser();
        window().CloseTabPage(window().CurrentPage());
        QVERIFY(browser);
        QVERIFY(window().newPagesAllowed());
        QCOMPARE(browser->WBNewWindow2(), nullptr);
        QVERIFY(!browser->WBBeforeNavigate2());
        QCOMPARE(window().pageCount(), 0);
    }

    void steppingWrapsAndClosingFirstActivatesLast()
    {
        for (const char *p : {"a.htm", "b.htm", "c.htm"})
            window().OpenURL(dir.filePath(QString::fromLatin1(p)));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 3, 15000);
        shell::TbxWebTabSheet *first = window().pageAt(0), *last = window().pageAt(2);
        QCOMPARE(window().CurrentPage(), last);
        window().StepTab(true);
        QCOMPARE(window().CurrentPage(), first);
        window().StepTab(false);
        QCOMPARE(window().CurrentPage(), last);
        window().updateActions();
        QVERIFY(window().action(QStringLiteral("actTabNext"))->isEnabled());

        window().StepTab(true);
        QCOMPARE(window().CurrentPage(), first);
        window().CloseTabPage(first);
        QCOMPARE(window().pageCount(), 2);
        QCOMPARE(window().CurrentPage(), last);

        // Closing a tab that is not current leaves the current one.
        shell::TbxWebTabSheet *other = window().pageAt(0);
        window().CloseTabPage(other);
        QCOMPARE(window().CurrentPage(), last);
        window().updateActions();
        QVERIFY(!window().action(QStringLiteral("actTabNext"))->isEnabled());
        window().StepTab(true);
        QCOMPARE(window().CurrentPage(), last);
    }

    // Commands follow the page's state through its signals and the File
    // menu's items follow their command, without the menu being shown.
    void commandsFollowPageSignals()
    {
        QMenu *file = window().menuNamed(QStringLiteral("File"));
        QAction *saveItem = nullptr;
        for (QAction *a : file->actions())
            if (a->text() == QStringLiteral("&Save As..."))
                saveItem = a;
        QVERIFY(saveItem);
        QVERIFY(!window().action(shell::Command::ClosePage)->isEnabled());
        QVERIFY(!saveItem->isEnabled());

        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        shell::TbxWebTabSheet *sheet = window().CurrentPage();
        QVERIFY(window().action(shell::Command::ClosePage)->isEnabled());
        QVERIFY(!window().action(shell::Command::TabNext)->isEnabled());
        waitLoaded(sheet);
        QVERIFY(window().action(shell::Command::Save)->isEnabled());
        QVERIFY(saveItem->isEnabled());

        window().OpenURL(dir.filePath(QStringLiteral("b.htm")));
        QTRY_COMPARE(window().pageCount(), 2);
        QVERIFY(window().action(shell::Command::TabNext)->isEnabled());
        window().CloseTabPage(window().CurrentPage());
        QVERIFY(!window().action(shell::Command::TabNext)->isEnabled());
        window().CloseTabPage(window().CurrentPage());
        QVERIFY(!window().action(shell::Command::ClosePage)->isEnabled());
        QCOMPARE(saveItem->isEnabled(), window().action(shell::Command::Save)->isEnabled());
    }

    void titlesOf99And100Units()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        shell::TbxWebTabSheet *sheet = window().CurrentPage();
        waitLoaded(sheet);
        QTRY_COMPARE(sheet->title(), QStringLiteral("Page A"));
        const QString t99(99, QLatin1Char('x')), t100(100, QLatin1Char('y'));
        sheet->WBTitleChange(t99);
        QCOMPARE(sheet->title(), t99);
        QCOMPARE(window().tabStrip()->tabText(0), QString(20, QLatin1Char('x')));
        sheet->WBTitleChange(t100);
        QCOMPARE(sheet->title(), t99);
        QCOMPARE(window().tabStrip()->tabText(0), QString(20, QLatin1Char('x')));
        sheet->WBTitleChange(QStringLiteral("abc"));
        QCOMPARE(window().tabStrip()->tabText(0), QStringLiteral("abc") + QString(17, QLatin1Char(' ')));
    }

    void progressReports()
    {
        QCOMPARE(shell::TbxWebTabSheet::progressPercent(150, 100), 100);
        QCOMPARE(shell::TbxWebTabSheet::progressPercent(1, 3), 33);
        QCOMPARE(shell::TbxWebTabSheet::progressPercent(-5, 100), 0);
        QCOMPARE(shell::TbxWebTabSheet::progressPercent(5, 0), -1);
        shell::TbxWebTabSheet sheet;
        sheet.show();
        sheet.browserLoadStarted();
        QVERIFY(sheet.isBusy());
        sheet.WBProgressChange(150, 100);
        QVERIFY(sheet.progressBar()->isVisible());
        QCOMPARE(sheet.progressBar()->value(), 100);
        sheet.WBProgressChange(3, 0);
        QVERIFY(!sheet.progressBar()->isVisible());
        QVERIFY(!sheet.isBusy());
        // Status texts of 255 units or more leave the status as it was.
        sheet.WBStatusTextChange(QStringLiteral("link"));
        sheet.WBStatusTextChange(QString(255, QLatin1Char('s')));
        QCOMPARE(sheet.statusPanel()->text(), QStringLiteral("link"));
    }

    void captionFollowsATabOpenedByAddress()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        waitLoaded(window().CurrentPage());
        QTRY_VERIFY(window().windowTitle().startsWith(QLatin1String("Page A - ")));
        // A typed address (or one handed over) opens a new current tab.
        window().OpenURL(dir.filePath(QStringLiteral("b.htm")));
        QTRY_COMPARE(window().pageCount(), 2);
        QCOMPARE(window().CurrentPage(), window().pageAt(1));
        QVERIFY(!window().windowTitle().startsWith(QLatin1String("Page A")));
        waitLoaded(window().pageAt(1));
        QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle().left(9), QStringLiteral("Page B - "), 10000);
        // Back to the first: its title again.
        window().SetCurrentPage(window().pageAt(0));
        QVERIFY(window().windowTitle().startsWith(QLatin1String("Page A - ")));
    }

    void tabTooltipShowsThePageTitleAsItIs()
    {
        write(dir, QStringLiteral("bold.htm"),
              QStringLiteral("<title>&lt;b&gt;Thanks&lt;/b&gt;</title><body>x</body>"));
        window().OpenURL(dir.filePath(QStringLiteral("bold.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(window().CurrentPage()->title(), QStringLiteral("<b>Thanks</b>"), 10000);
        const QString tip = window().tabStrip()->tabToolTip(0);
        QTextDocument shown;
        if (Qt::mightBeRichText(tip))
            shown.setHtml(tip);
        else
            shown.setPlainText(tip);
        QCOMPARE(shown.toPlainText(), QStringLiteral("<b>Thanks</b>"));
    }

    void savedBandWidthsDoNotRaiseTheMinimumWidth()
    {
        // Two windows whose bands share one row: one saved after a session at
        // a wide size, one with bands saved 1 pixel wide.
        const auto placed = [this](int menu, int address, int buttons) {
            QTemporaryDir folder;
            QFile ini(QDir(folder.path()).filePath(QStringLiteral("quillet.ini")));
            [&] { QVERIFY(ini.open(QIODevice::WriteOnly)); }();
            ini.write(QStringLiteral("[PROGRAM]\nMaximized=0\nLeft=0\nTop=0\nWidth=780\nHeight=560\n"
                                     "[cb0]\nobj=0\nbrk=1\nWidth=%1\n[cb1]\nobj=1\nbrk=0\nWidth=%2\n"
                                     "[cb2]\nobj=2\nbrk=0\nWidth=%3\n")
                          .arg(menu)
                          .arg(address)
                          .arg(buttons)
                          .toUtf8());
            ini.close();
            auto w = std::make_unique<shell::TfrmBrwMain>(record);
            const shell::Settings settings(folder.path());
            w->restoreLayout(settings);
            w->show();
            w->applyPlacement(settings);
            QCoreApplication::processEvents();
            return w;
        };
        auto wide = placed(200, 400, 150);
        auto narrow = placed(1, 1, 1);
        QCOMPARE(wide->minimumSizeHint().width(), narrow->minimumSizeHint().width());
        QVERIFY(wide->minimumSize().width() <= narrow->minimumSizeHint().width());
        // The saved width is still what the band takes while there is room.
        QTRY_VERIFY2(wide->addressBand()->width() >= 350, qPrintable(QString::number(wide->addressBand()->width())));
        // Narrower than the saved bands: the window follows and the address
        // bar stays inside it.
        const int small = narrow->minimumSizeHint().width() + 20;
        QVERIFY(small < 200 + 400 + 150);
        wide->resize(small, 500);
        QTRY_COMPARE(wide->width(), small);
        QVERIFY(wide->addressBand()->geometry().right() < small);
    }

    void fitTextAndCaptionCuts()
    {
        QCOMPARE(shell::FitText(QStringLiteral("abc"), 20).size(), 20);
        QCOMPARE(shell::FitText(QString(25, QLatin1Char('a')), 20), QString(20, QLatin1Char('a')));
        // A character outside the basic plane is never cut in two.
        const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
        const QString s = QString(19, QLatin1Char('a')) + clef + QStringLiteral("zz");
        QCOMPARE(shell::FitText(s, 20), QString(19, QLatin1Char('a')) + QLatin1Char('.'));
        QCOMPARE(shell::fitCaption(QString(40, QLatin1Char('c')), 33),
                 QString(33, QLatin1Char('c')) + QStringLiteral("..."));
        QCOMPARE(shell::fitCaption(QStringLiteral("short"), 33), QStringLiteral("short"));
    }

    void captionTruncationForWindowWidth()
    {
        window().resize(600, 400);
        QTRY_COMPARE(window().width(), 600);
        window().UpdateCaption();
        const int w = window().fontMetrics().horizontalAdvance(QLatin1Char('W'));
        const int limit = 600 / w - 17;
        const QString product = QStringLiteral("Korvane Software Doduvodaz 1.5");
        if (product.size() >= limit)
            QCOMPARE(window().windowTitle(), product.left(limit) + QStringLiteral("..."));
        else
            QCOMPARE(window().windowTitle(), product);
    }

    void automaticFillRunsInEveryTab()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(window().pageCount(), 2, 15000);
        for (int i = 0; i < 2; ++i) {
            shell::TbxWebTabSheet *sheet = window().pageAt(i);
            waitLoaded(sheet);
            QTRY_COMPARE_WITH_TIMEOUT(valueOf(sheet, QStringLiteral("document.querySelector('input').value")),
                                      QStringLiteral("ClipNest"), 10000);
        }
    }

    void submitOnAFramesetOfThreeFrames()
    {
        window().OpenURL(dir.filePath(QStringLiteral("frames.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        shell::TbxWebTabSheet *sheet = window().CurrentPage();
        waitLoaded(sheet);
        QTest::qWait(300);
        // Record presses in frame 2 without leaving the page.
        valueOf(sheet,
                QStringLiteral("var b = frames[1].document.querySelector('input');"
                               "b.addEventListener('click', function(e){ e.preventDefault(); window.pressed = "
                               "(window.pressed||0)+1; }); 'ok'"));
        messages.clear();
        window().submitForm();
        QTRY_COMPARE_WITH_TIMEOUT(messages,
                                  QStringList({QStringLiteral("message:Submit button not found."),
                                               QStringLiteral("message:Submit button not found.")}),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(valueOf(sheet, QStringLiteral("String(window.pressed)")), QStringLiteral("1"), 10000);
    }

    void fillCommandsWithoutTabDoNothing()
    {
        window().fillForm();
        window().submitForm();
        window().login();
        QVERIFY(messages.isEmpty());
    }

    void lastTabClosedWhileFillQueued()
    {
        window().OpenURL(dir.filePath(QStringLiteral("a.htm")));
        QTRY_COMPARE(window().pageCount(), 1);
        shell::TbxWebTabSheet *sheet = window().CurrentPage();
        QTRY_VERIFY_WITH_TIMEOUT(sheet->browser()->isBusy() == false, 15000);
        window().CloseTabPage(sheet);
        QCOMPARE(window().pageCount(), 0);
        QTest::qWait(300);
        QVERIFY(!window().CurrentPage());
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestMainWindow t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_mainwindow.moc"
