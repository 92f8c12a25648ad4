// Key routing in the real engine, offscreen: global keys, keys for the page
// first, and the address box keeping its keys.
#include "platform/messages.h"
#include "web/webengineenv.h"
#include "shell/addressbar.h"
#include "shell/keyrouter.h"
#include "shell/mainwindow.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "support/pages.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class TestKeyRouting : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;
    std::unique_ptr<shell::TfrmBrwMain> win;
    shell::TKeyRouter *router = nullptr;

    QString page(const QString &name, const QString &html) { return testpages::write(dir, name, html); }

    QVariant eval(shell::TbxWebTabSheet *sheet, const QString &script)
    {
        return testpages::eval(sheet->browser()->page(), script);
    }

    shell::TbxWebTabSheet *openAndFocus(const QString &file)
    {
        win->OpenURL(file);
        if (!QTest::qWaitFor(
                [&] {
                    return win->CurrentPage() && win->CurrentPage()->browser() &&
                        !win->CurrentPage()->browser()->isBusy() && !win->CurrentPage()->title().isEmpty();
                },
                15000))
            return nullptr;
        shell::TbxWebTabSheet *sheet = win->CurrentPage();
        sheet->browser()->setFocus();
        if (!QTest::qWaitFor([&] { return focusInPage(sheet); }, 5000))
            return nullptr;
        eval(sheet, QStringLiteral("var i = document.querySelector('input'); if (i) i.focus(); 0"));
        return sheet;
    }

    static bool focusInPage(shell::TbxWebTabSheet *sheet)
    {
        QWidget *f = QApplication::focusWidget();
        return f && (f == sheet->browser() || sheet->browser()->isAncestorOf(f));
    }

    // A page that keeps loading (its server accepts and never answers) is
    // stopped by Esc, with the given modifiers, typed into the address box.
    void escStopsALoadingPageFromTheAddressBox(Qt::KeyboardModifiers modifiers)
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QList<QTcpSocket *> held;
        connect(&silent, &QTcpServer::newConnection, this, [&] { held << silent.nextPendingConnection(); });
        win->OpenURL(QStringLiteral("http://127.0.0.1:%1/slow").arg(silent.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(
            win->CurrentPage() && win->CurrentPage()->browser() && win->CurrentPage()->browser()->isBusy(), 10000);
        web::TbxEmbeddedWb *browser = win->CurrentPage()->browser();
        QSignalSpy finished(browser->page(), &QWebEnginePage::loadFinished);
        win->addressBox()->setFocus();
        QTRY_VERIFY(win->addressBoxHasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape, modifiers);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() >= 1, 10000);
        QVERIFY(!browser->isBusy());
        qDeleteAll(held);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        record.open(software::TSoftwareTable::standardFields(), {QStringList()});
        platform::setMessageSink([](const QString &, const QString &) { return true; });
        const QString counter = QStringLiteral(
            "<title>%1</title><body>keys page <input name=q><input name=r>"
            "<script>window.keys = []; document.addEventListener('keydown', function (e) {"
            " window.keys.push(e.key); if (e.key === 'F5' && window.eatF5) e.preventDefault(); });</script></body>");
        page(QStringLiteral("keys.htm"), counter.arg(QStringLiteral("Keys")));
        page(QStringLiteral("keys2.htm"), counter.arg(QStringLiteral("Keys2")));
        page(QStringLiteral("hot.htm"), QStringLiteral("<title>Hot</title><body>the hot page</body>"));
    }

    void init()
    {
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->setHotUrlProvider([this](int n) { return n == 2 ? dir.filePath(QStringLiteral("hot.htm")) : QString(); });
        router = new shell::TKeyRouter(win.get());
        router->install();
        win->show();
        win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.get()));
    }

    void cleanup()
    {
        router->remove();
        win.reset();
    }

    void ctrlF2OpensInTheCurrentTab()
    {
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Hot"), 10000);
        QCOMPARE(win->pageCount(), 1);
        // Without Ctrl the hot address gets a tab of its own.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 10000);
    }

    void escStopsThePageWhileTheAddressBoxHasTheFocus() { escStopsALoadingPageFromTheAddressBox(Qt::NoModifier); }

    void keysTypedIntoTheAddressBoxNeverReachThePage()
    {
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        win->addressBox()->setFocus();
        QTRY_VERIFY(win->addressBoxHasFocus());
        win->addressBox()->lineEdit()->clear();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(win->addressBox()->lineEdit()->text(), QStringLiteral("ab"));
        QTest::qWait(300);
        QCOMPARE(eval(sheet, QStringLiteral("window.keys.length")).toInt(), 0);
    }

    void f5GoesToThePageFirst()
    {
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        QSignalSpy started(sheet->browser()->page(), &QWebEnginePage::loadStarted);
        eval(sheet, QStringLiteral("window.eatF5 = true; 0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QTRY_COMPARE_WITH_TIMEOUT(eval(sheet, QStringLiteral("window.keys.join(',')")).toString(), QStringLiteral("F5"),
                                  10000);
        QTest::qWait(500);
        QCOMPARE(started.count(), 0); // the page consumed it: no refresh

        eval(sheet, QStringLiteral("window.eatF5 = false; 0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(started.count() >= 1, 10000); // not consumed: Refresh runs
    }

    void tabNeverLeavesThePage()
    {
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        QVERIFY(focusInPage(sheet));
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::qWait(100);
            QVERIFY2(focusInPage(sheet), qPrintable(QString::number(i)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            eval(sheet, QStringLiteral("window.keys.filter(k => k === 'Tab').length")).toInt() >= 6, 10000);
    }

    void ctrlShortcutsWinOverTheFocusedTextField()
    {
        shell::TbxWebTabSheet *first = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(first);
        win->OpenURL(dir.filePath(QStringLiteral("keys2.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 15000);
        shell::TbxWebTabSheet *second = win->CurrentPage();
        QTRY_COMPARE_WITH_TIMEOUT(second->title(), QStringLiteral("Keys2"), 15000);
        second->browser()->setFocus();
        QTRY_VERIFY(focusInPage(second));
        // The caret is in a text field of the page.
        QCOMPARE(eval(second, QStringLiteral("document.querySelector('input').focus(); document.activeElement.name"))
                     .toString(),
                 QStringLiteral("q"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_COMPARE(win->CurrentPage(), first); // Next Tab, wrapping round
    }

    void altLettersRunTheirCommandsOnce()
    {
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier); // Dup Page
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 10000);
        QTest::qWait(500);
        QCOMPARE(win->pageCount(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier); // Close Page
        QTRY_COMPARE(win->pageCount(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier); // address box
        QTRY_VERIFY(win->addressBoxHasFocus());
    }

    void shiftedKeysActLikeUnshifted()
    {
        // Alt+Shift+letter runs the same command as Alt+letter.
        shell::TbxWebTabSheet *sheet = openAndFocus(dir.filePath(QStringLiteral("keys.htm")));
        QVERIFY(sheet);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier | Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 10000);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier | Qt::ShiftModifier);
        QTRY_COMPARE(win->pageCount(), 1);

        // Shift+Esc stops a loading page like Esc.
        escStopsALoadingPageFromTheAddressBox(Qt::ShiftModifier);
        if (QTest::currentTestFailed())
            return;
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestKeyRouting t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_keyrouting.moc"
