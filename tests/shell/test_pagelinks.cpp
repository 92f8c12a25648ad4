// Links and zoom in the real engine offscreen against a loopback server:
// links opened in new tabs by Ctrl click, middle click and the page's context
// menu, and the zoom remembered per host, set from the menu and by the keys
// typed into the page or the address box.
#include "shell/addressbar.h"
#include "shell/keyrouter.h"
#include "shell/mainwindow.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "support/pages.h"
#include "web/embeddedwb.h"
#include "web/pagezoom.h"
#include "web/webengineenv.h"
#include "shell/siteserver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

using testsupport::htmlReply;
using testsupport::SiteReply;
using testsupport::SiteRequest;

namespace {

// The text of a menu item as the user reads it.
QString plainText(const QAction *a)
{
    QString text = a->text();
    return text.remove(QLatin1Char('&'));
}

} // namespace

class TestPageLinks : public QObject {
    Q_OBJECT
private:
    software::TSoftwareTable record;
    testsupport::SiteServer server;
    std::unique_ptr<shell::TfrmBrwMain> win;
    shell::TKeyRouter *router = nullptr;

    shell::TbxWebTabSheet *open(const QUrl &url)
    {
        const int before = win->pageCount();
        // In a new tab, whatever modifiers the keys typed before left behind.
        win->withCtrl(false, [&] { win->OpenURL(url.toString()); });
        [&] { QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), before + 1, 15000); }();
        return win->pageAt(before);
    }
    static bool focusInPage(shell::TbxWebTabSheet *sheet)
    {
        QWidget *f = QApplication::focusWidget();
        return f && (f == sheet->browser() || sheet->browser()->isAncestorOf(f));
    }
    // Types a key with Ctrl where the focus is and waits for the zoom the
    // menu item of that key gives.
    bool zoomKey(shell::TbxWebTabSheet *sheet, Qt::Key key, qreal expected)
    {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        return QTest::qWaitFor([&] { return qFuzzyCompare(sheet->browser()->zoomFactor(), expected); }, 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        record.open(software::TSoftwareTable::standardFields(), {});
        server.handler = [](const SiteRequest &r) -> SiteReply {
            const QString path = r.path.section(QLatin1Char('?'), 0, 0);
            if (path == QLatin1String("/thanks.htm"))
                return htmlReply("<title>Thanks</title><body><h1>Received ClipNest, thank you</h1></body>");
            if (path == QLatin1String("/links.htm"))
                return htmlReply("<title>Links</title><body style='margin:0'><a href='/thanks.htm' "
                                 "style='display:block;width:300px;height:80px'>Thanks</a>"
                                 "<input name=q></body>");
            return htmlReply("<title>Missing</title>", 404);
        };
        QVERIFY(server.start());
    }

    void init()
    {
        web::PageZoom::clear();
        win = std::make_unique<shell::TfrmBrwMain>(record);
        // The program routes the window's keys this way while it is active.
        router = new shell::TKeyRouter(win.get());
        router->install();
        win->resize(1000, 700);
        win->show();
        win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.get()));
    }

    void cleanup()
    {
        router->remove();
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void linksOpenInNewTabs()
    {
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("links.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Links"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(sheet->browser()->focusProxy(), 15000);
        const QUrl link = server.url(QStringLiteral("thanks.htm"));
        // A Ctrl click on a link opens it in a new tab; this one stays.
        for (int i = 0; i < 10 && win->pageCount() < 2; ++i) {
            QTest::mouseClick(sheet->browser()->focusProxy(), Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
            QTest::qWait(1000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageAt(1)->title(), QStringLiteral("Thanks"), 15000);
        QCOMPARE(sheet->title(), QStringLiteral("Links"));
        // And so does a middle click.
        QTest::mouseClick(sheet->browser()->focusProxy(), Qt::MiddleButton, {}, QPoint(40, 40));
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 3, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageAt(2)->browser()->url(), link, 15000);

        // And the item of the link's context menu.
        win->SetCurrentPage(sheet);
        QMenu *menu = nullptr;
        for (int i = 0; i < 10 && !menu; ++i) {
            QTest::mouseClick(sheet->browser()->focusProxy(), Qt::RightButton, {}, QPoint(40, 40));
            if (QTest::qWaitFor([] { return QApplication::activePopupWidget(); }, 1000))
                menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        }
        QVERIFY(menu);
        QAction *newTab = nullptr;
        QStringList items;
        for (QAction *a : menu->actions()) {
            items << plainText(a);
            if (plainText(a) == QLatin1String("Open link in new tab"))
                newTab = a;
        }
        QVERIFY2(newTab && newTab->isEnabled(), qPrintable(items.join(QLatin1String(", "))));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(newTab).center());
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 4, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageAt(3)->browser()->url(), link, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageAt(3)->title(), QStringLiteral("Thanks"), 15000);
        QCOMPARE(sheet->browser()->url(), server.url(QStringLiteral("links.htm")));
        QCOMPARE(sheet->title(), QStringLiteral("Links"));
        QVERIFY(!QApplication::activePopupWidget());
    }

    void zoomPerHostFromTheMenu()
    {
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("links.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Links"), 15000);
        win->SetCurrentPage(sheet);
        QAction *in = win->findChild<QAction *>(QStringLiteral("menZoomIn"));
        QVERIFY(in);
        QVERIFY(in->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Plus)));
        in->trigger();
        in->trigger();
        QCOMPARE(sheet->browser()->zoomFactor(), 1.25);
        // Another page of the host opens at its zoom; another host does not.
        shell::TbxWebTabSheet *same = open(server.url(QStringLiteral("thanks.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(same->title(), QStringLiteral("Thanks"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(same->browser()->zoomFactor(), 1.25, 15000);
        QUrl other = server.url(QStringLiteral("thanks.htm"));
        other.setHost(QStringLiteral("localhost"));
        shell::TbxWebTabSheet *elsewhere = open(other);
        QTRY_COMPARE_WITH_TIMEOUT(elsewhere->title(), QStringLiteral("Thanks"), 15000);
        QCOMPARE(elsewhere->browser()->zoomFactor(), 1.0);
        win->SetCurrentPage(sheet);
        win->findChild<QAction *>(QStringLiteral("menZoomOut"))->trigger();
        QCOMPARE(sheet->browser()->zoomFactor(), 1.1);
        win->findChild<QAction *>(QStringLiteral("menZoomReset"))->trigger();
        QCOMPARE(sheet->browser()->zoomFactor(), 1.0);
    }

    void zoomByKeys()
    {
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("links.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Links"), 15000);
        sheet->browser()->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(focusInPage(sheet), 5000);

        // The page has the focus.
        QVERIFY2(zoomKey(sheet, Qt::Key_Plus, 1.1), qPrintable(QString::number(sheet->browser()->zoomFactor())));
        QVERIFY(zoomKey(sheet, Qt::Key_Equal, 1.25));
        QVERIFY(zoomKey(sheet, Qt::Key_Minus, 1.1));
        QVERIFY(zoomKey(sheet, Qt::Key_0, 1.0));

        // The caret is in a text field of the page: the keys zoom all the
        // same.
        QCOMPARE(testpages::eval(sheet->browser()->page(),
                                 QStringLiteral("document.querySelector('input').focus(); document.activeElement.name"))
                     .toString(),
                 QStringLiteral("q"));
        QVERIFY(zoomKey(sheet, Qt::Key_Minus, 0.9));
        QVERIFY(zoomKey(sheet, Qt::Key_Minus, 0.75));
        QVERIFY(zoomKey(sheet, Qt::Key_Plus, 0.9));
        QVERIFY(zoomKey(sheet, Qt::Key_0, 1.0));

        // The address box has the focus: the keys zoom the current page.
        win->addressBox()->setFocus();
        QTRY_VERIFY(win->addressBoxHasFocus());
        QVERIFY(zoomKey(sheet, Qt::Key_Plus, 1.1));
        QVERIFY(zoomKey(sheet, Qt::Key_0, 1.0));
        QVERIFY(win->addressBoxHasFocus());

        // The zoom the keys set is the host's, as the menu's is.
        QVERIFY(zoomKey(sheet, Qt::Key_Plus, 1.1));
        shell::TbxWebTabSheet *same = open(server.url(QStringLiteral("thanks.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(same->title(), QStringLiteral("Thanks"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(same->browser()->zoomFactor(), 1.1, 15000);
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestPageLinks t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_pagelinks.moc"
