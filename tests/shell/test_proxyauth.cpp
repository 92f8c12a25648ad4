// A site reached through a proxy that asks for a password, in the real engine
// offscreen. The proxy runs here on 127.0.0.1 and is the program's proxy for
// the whole run (the engine takes it from the application's proxy), so this
// is a program of its own. The engine goes to loopback addresses directly,
// so the site has a name only the proxy knows.
#include "shell/mainwindow.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "web/credentials.h"
#include "web/embeddedwb.h"
#include "web/webengineenv.h"
#include "shell/dialoganswerer.h"
#include "shell/siteserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QTest>

using testsupport::DialogAnswerer;
using testsupport::htmlReply;
using testsupport::SiteReply;
using testsupport::SiteRequest;

class TestProxyAuth : public QObject {
    Q_OBJECT
private:
    software::TSoftwareTable record;
    testsupport::SiteServer proxy;
    QList<SiteRequest> requests;
    std::unique_ptr<shell::TfrmBrwMain> win;

    shell::TbxWebTabSheet *open(const QString &address)
    {
        const int before = win->pageCount();
        win->withCtrl(false, [&] { win->OpenURL(address); });
        [&] { QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), before + 1, 15000); }();
        return win->pageAt(before);
    }

    static QByteArray basic(const QByteArray &userAndPassword) { return "Basic " + userAndPassword.toBase64(); }
    // What the requests for the page whose address ends so gave the proxy
    // as its password, in turn.
    QList<QByteArray> passwordsSent(const QString &ending) const
    {
        QList<QByteArray> sent;
        for (const SiteRequest &r : requests)
            if (r.path.endsWith(ending))
                sent << r.headers.value("proxy-authorization");
        return sent;
    }

private Q_SLOTS:
    void initTestCase()
    {
        record.open(software::TSoftwareTable::standardFields(), {});
        // The proxy serves site.invalid to those who give its password.
        proxy.handler = [this](const SiteRequest &r) -> SiteReply {
            requests << r;
            if (!r.path.startsWith(QLatin1String("http://site.invalid/")))
                return htmlReply("<title>Not through here</title>", 502);
            if (r.headers.value("proxy-authorization") != basic("relay:secret"))
                return htmlReply("<title>Proxy refused</title><body>No password, no way out</body>", 407,
                                 "Proxy-Authenticate: Basic realm=\"Office\"\r\n");
            return htmlReply("<title>Behind the proxy</title><body>Submit your program here</body>");
        };
        QVERIFY(proxy.start());
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.serverPort()));
    }

    void init()
    {
        web::RememberedCredentials::clear();
        requests.clear();
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->resize(1000, 700);
        win->show();
    }

    void cleanup()
    {
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void proxyPasswordIsAsked()
    {
        QList<std::tuple<QString, QString, bool, bool>> answers; // user, password, ok, remember
        DialogAnswerer answerer(this);
        QStringList intros;
        answerer.answer = [&](QDialog *d) {
            if (d->objectName() != QLatin1String("AuthDialog"))
                return false;
            // One not expected is refused, and counted.
            if (answers.isEmpty()) {
                d->reject();
                return true;
            }
            for (QLabel *l : d->findChildren<QLabel *>())
                intros << l->text();
            const auto [user, password, ok, remember] = answers.takeFirst();
            d->findChild<QLineEdit *>(QStringLiteral("Username"))->setText(user);
            d->findChild<QLineEdit *>(QStringLiteral("Password"))->setText(password);
            d->findChild<QCheckBox *>(QStringLiteral("Remember"))->setChecked(remember);
            ok ? d->accept() : d->reject();
            return true;
        };

        // Cancel: the site's page is not shown.
        answers = {{QString(), QString(), false, false}};
        shell::TbxWebTabSheet *sheet = open(QStringLiteral("http://site.invalid/page.htm"));
        QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 15000);
        QCOMPARE(answerer.seen.constFirst(), QStringLiteral("Proxy password"));
        QVERIFY2(intros.contains(QStringLiteral("The proxy 127.0.0.1 asks for a username and password (\"Office\").")),
                 qPrintable(intros.join(QLatin1Char('|'))));
        // What the proxy sent with its refusal.
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Proxy refused"), 15000);
        QVERIFY(!requests.isEmpty());
        QCOMPARE(requests.constFirst().path, QStringLiteral("http://site.invalid/page.htm"));

        // A wrong password asks again; the right one opens the page.
        answers = {{"relay", "wrong", true, false}, {"relay", "secret", true, true}};
        sheet->browser()->navigate(QStringLiteral("http://site.invalid/page.htm?2"));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Behind the proxy"), 15000);
        QCOMPARE(answerer.seen.size(), 3);
        QVERIFY(answers.isEmpty());
        QCOMPARE(passwordsSent(QStringLiteral("?2")),
                 QList<QByteArray>({QByteArray(), basic("relay:wrong"), basic("relay:secret")}));
        QCOMPARE(sheet->browser()->url(), QUrl(QStringLiteral("http://site.invalid/page.htm?2")));

        // The answer was to be remembered: a new window, whose engine knows
        // no password yet, goes through without asking.
        cleanup();
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->show();
        sheet = open(QStringLiteral("http://site.invalid/page.htm?3"));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Behind the proxy"), 15000);
        QCOMPARE(answerer.seen.size(), 3);
        QCOMPARE(passwordsSent(QStringLiteral("?3")), QList<QByteArray>({QByteArray(), basic("relay:secret")}));
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestProxyAuth t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_proxyauth.moc"
