// "Check sites" over the network, against servers on 127.0.0.1: what each
// kind of answer is reported as, how many are asked at once, HEAD refused,
// redirects, TLS with a self-signed certificate, cancelling, and what is sent.
#include "sites/sitechecker.h"
#include "support/checkserver.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using campaign::CheckOutcome;
using testsupport::CheckAnswer;
using testsupport::CheckServer;

namespace {

const QByteArray kFormPage = "<html><head><title>Submit your software</title></head><body>"
                             "<form method=post action=/send><input name=Program_Name></form></body></html>";

campaign::Site siteAt(const QString &address) { return {QStringLiteral("Site ") + address, address, QString()}; }

} // namespace

class SiteCheckerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Runs a check of the addresses and returns each result by address.
    QHash<QString, campaign::SiteCheck> check(const QStringList &addresses, int jobs = 8, int timeoutMs = 3000)
    {
        QList<campaign::Site> sites;
        for (const QString &a : addresses)
            sites << siteAt(a);
        sites::SiteChecker checker;
        checker.setJobs(jobs);
        checker.setTimeout(timeoutMs);
        QHash<QString, campaign::SiteCheck> out;
        connect(&checker, &sites::SiteChecker::checked, this,
                [&](const campaign::SiteCheck &c) { out.insert(c.address, c); });
        QSignalSpy finished(&checker, &sites::SiteChecker::finished);
        checker.start(sites::checkTargets(sites));
        if (!finished.wait(60000))
            qWarning("the check did not finish");
        return out;
    }

private Q_SLOTS:
    void everyKindOfAnswerIsToldApart()
    {
        CheckServer server;
        QVERIFY(server.listenLocal());
        server.answer = [&](const QByteArray &method, const QByteArray &path) {
            CheckAnswer a;
            if (path == "/live") {
                a.body = kFormPage;
                a.headers = "Set-Cookie: visitor=1\r\n";
            } else if (path == "/missing") {
                a.status = 404;
            } else if (path == "/broken") {
                a.status = 500;
            } else if (path == "/silent") {
                a.silent = true;
            } else if (path == "/away") {
                a.status = 302;
                a.headers =
                    "Location: " + server.url(QStringLiteral("there"), QStringLiteral("localhost")).toUtf8() + "\r\n";
            } else if (path == "/inside") {
                a.status = 301;
                a.headers = "Location: /live\r\n";
            } else if (path == "/parked") {
                a.body = "<html><head><title>softdepot.example</title></head><body><h1>This domain is for "
                         "sale!</h1><p>Buy this domain today.</p><form action=/offer></form></body></html>";
            } else if (path == "/noform") {
                a.body = "<html><body><h1>Welcome</h1><p>Submissions are closed.</p></body></html>";
            } else if (path == "/nohead") {
                if (method == "HEAD")
                    a.status = 405;
                else
                    a.body = kFormPage;
            } else if (path == "/file.zip") {
                a.headers = "Content-Type: application/zip\r\n";
                a.body = "PK";
            } else {
                a.status = 404;
            }
            return a;
        };
        // A port where nothing listens any more.
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const QString refused = QStringLiteral("http://127.0.0.1:%1/submit").arg(gone.serverPort());
        gone.close();

        const auto u = [&](const char *path) { return server.url(QString::fromLatin1(path)); };
        const QStringList addresses = {u("live"),   u("missing"), u("broken"), u("silent"), u("away"),     u("inside"),
                                       u("parked"), u("noform"),  u("nohead"), refused,     u("file.zip"), "ftp://x/"};
        const QHash<QString, campaign::SiteCheck> r = check(addresses, 8, 1500);
        QCOMPARE(r.size(), addresses.size());

        QCOMPARE(r[u("live")].outcome, CheckOutcome::Live);
        QCOMPARE(r[u("live")].httpStatus, 200);
        QCOMPARE(r[u("missing")].outcome, CheckOutcome::Http);
        QCOMPARE(r[u("missing")].httpStatus, 404);
        QCOMPARE(r[u("broken")].outcome, CheckOutcome::Http);
        QCOMPARE(r[u("broken")].httpStatus, 500);
        QCOMPARE(r[u("silent")].outcome, CheckOutcome::Timeout);
        QCOMPARE(r[u("away")].outcome, CheckOutcome::Moved);
        QCOMPARE(r[u("away")].redirectHost, QStringLiteral("localhost"));
        QCOMPARE(r[u("away")].httpStatus, 302);
        QCOMPARE(r[u("inside")].outcome, CheckOutcome::Live);
        QCOMPARE(r[u("inside")].finalAddress, u("live"));
        QCOMPARE(r[u("inside")].redirectHost, QString());
        QCOMPARE(r[u("parked")].outcome, CheckOutcome::Parked);
        QCOMPARE(r[u("noform")].outcome, CheckOutcome::NoForm);
        QCOMPARE(r[u("nohead")].outcome, CheckOutcome::Live);
        QCOMPARE(r[refused].outcome, CheckOutcome::Refused);
        QCOMPARE(r[u("file.zip")].outcome, CheckOutcome::Live); // not a page: not read
        QCOMPARE(r["ftp://x/"].outcome, CheckOutcome::Network);

        // What is unreachable for "Next site", and what is not.
        for (const char *p : {"missing", "broken", "silent", "parked"})
            QVERIFY2(sites::isUnreachable(r[u(p)]), p);
        QVERIFY(sites::isUnreachable(r[refused]));
        for (const char *p : {"live", "away", "noform", "inside"})
            QVERIFY2(!sites::isUnreachable(r[u(p)]), p);

        // HEAD first; GET only where HEAD was refused or a page is to be read.
        QStringList lines;
        for (const QByteArray &head : std::as_const(server.requests))
            lines << QString::fromLatin1(head.left(head.indexOf("\r\n")));
        QCOMPARE(lines.count(QStringLiteral("HEAD /missing HTTP/1.1")), 1);
        QCOMPARE(lines.filter(QStringLiteral("/missing ")).size(), 1);
        QVERIFY(lines.contains(QStringLiteral("HEAD /nohead HTTP/1.1")));
        QVERIFY(lines.contains(QStringLiteral("GET /nohead HTTP/1.1")));
        QCOMPARE(lines.filter(QStringLiteral("/file.zip ")).size(), 1);
        // Never to the other host.
        QVERIFY(lines.filter(QStringLiteral("/there")).isEmpty());
        // Every request names the program and sends no cookie, even after a
        // page set one.
        for (const QByteArray &head : std::as_const(server.requests)) {
            QVERIFY2(head.contains("User-Agent: Doduvodaz/"), head.constData());
            QVERIFY2(!head.toLower().contains("\r\ncookie:"), head.constData());
        }
    }

    void selfSignedCertificateIsTlsNotDead()
    {
        QVERIFY(m_dir.isValid());
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
                       "-subj", "/CN=127.0.0.1"});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
        QFile c(cert), k(key);
        QVERIFY(c.open(QIODevice::ReadOnly) && k.open(QIODevice::ReadOnly));
        CheckServer server;
        server.useTls(QSslCertificate(c.readAll()), QSslKey(k.readAll(), QSsl::Rsa));
        server.answer = [](const QByteArray &, const QByteArray &) { return CheckAnswer {200, {}, kFormPage}; };
        QVERIFY(server.listenLocal());
        const QString address = server.url(QStringLiteral("submit"));
        const auto r = check({address});
        QCOMPARE(r[address].outcome, CheckOutcome::Tls);
        QVERIFY(!r[address].detail.isEmpty());
        QVERIFY(!sites::isUnreachable(r[address]));
    }

    void atMostJobsAtOnceAndSlowOnesDoNotHoldTheRest()
    {
        CheckServer server;
        QVERIFY(server.listenLocal());
        server.answer = [](const QByteArray &, const QByteArray &path) {
            CheckAnswer a {200, {}, kFormPage};
            a.delayMs = path.startsWith("/slow") ? 300 : 0;
            return a;
        };
        QStringList addresses;
        for (int i = 0; i < 12; ++i)
            addresses << server.url(QStringLiteral("%1%2").arg(i % 2 ? "slow" : "fast").arg(i));
        const auto r = check(addresses, 3);
        QCOMPARE(r.size(), 12);
        QVERIFY2(server.mostOpen <= 3, qPrintable(QString::number(server.mostOpen)));
        QVERIFY(server.mostOpen >= 2);
        for (const auto &c : r)
            QCOMPARE(c.outcome, CheckOutcome::Live);
    }

    void cancelKeepsWhatWasCheckedAndStops()
    {
        CheckServer server;
        QVERIFY(server.listenLocal());
        server.answer = [](const QByteArray &, const QByteArray &path) {
            CheckAnswer a {200, {}, kFormPage};
            a.silent = path.startsWith("/silent");
            return a;
        };
        QList<campaign::Site> list;
        for (int i = 0; i < 3; ++i)
            list << siteAt(server.url(QStringLiteral("fast%1").arg(i)));
        for (int i = 0; i < 5; ++i)
            list << siteAt(server.url(QStringLiteral("silent%1").arg(i)));
        sites::SiteChecker checker;
        checker.setJobs(1);
        checker.setTimeout(60000);
        QList<campaign::SiteCheck> got;
        connect(&checker, &sites::SiteChecker::checked, this, [&](const campaign::SiteCheck &c) { got << c; });
        QSignalSpy finished(&checker, &sites::SiteChecker::finished);
        checker.start(sites::checkTargets(list));
        QTRY_COMPARE(got.size(), 3);
        QTRY_COMPARE(server.requests.size(), 3 * 2 + 1); // HEAD and GET each, then the silent one
        checker.cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(!checker.isRunning());
        QTest::qWait(300);
        QCOMPARE(got.size(), 3);
        QCOMPARE(checker.done(), 3);
        QCOMPARE(server.requests.size(), 7); // nothing more was asked
    }

    void pageWordsAndTargets()
    {
        QVERIFY(sites::looksParked("<title>Buy this domain</title>"));
        QVERIFY(sites::looksParked("<p>The domain name may be for sale.</p>"));
        QVERIFY(!sites::looksParked(kFormPage));
        QVERIFY(sites::hasForm("<FORM action=x>"));
        QVERIFY(sites::hasForm("<form>"));
        QVERIFY(!sites::hasForm("<formula>not a form</formula>"));
        // Both addresses, an empty one left out, one listed twice once.
        const QList<sites::CheckTarget> t = sites::checkTargets(
            {{"A", "http://a/new", "http://a/upd"}, {"B", "http://b/", ""}, {"C", "http://c/", "http://c/"}});
        QCOMPARE(t.size(), 4);
        QCOMPARE(t[1].address, QStringLiteral("http://a/upd"));
        QCOMPARE(t[3].site.name, QStringLiteral("C"));
    }
};

QTEST_MAIN(SiteCheckerTest)
#include "test_sitechecker.moc"
