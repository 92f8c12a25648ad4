// What real sites do, in the real engine offscreen against servers started
// here on 127.0.0.1: a self-signed certificate (our own page, Go back,
// Continue and the fill after it, the report with and without
// --accept-certificate-errors), Basic authentication (right and wrong
// password, cancel), the page's own dialogs during the fill and on Submit, a
// permission request, and a renderer killed while its tab is open.
#include "shell/mainwindow.h"
#include "shell/webtabsheet.h"
#include "software/softwaretable.h"
#include "support/pages.h"
#include "web/certificateexceptions.h"
#include "web/embeddedwb.h"
#include "web/pageguard.h"
#include "web/problempage.h"
#include "web/webengineenv.h"
#include "shell/dialoganswerer.h"
#include "shell/siteserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>

using testsupport::DialogAnswerer;
using testsupport::htmlReply;
using testsupport::SiteReply;
using testsupport::SiteRequest;

namespace {

const QByteArray kForm = "<title>Submit</title><body>Submit your program<form action='/thanks.htm' method=get>"
                         "<input name=title><input name=version><input type=submit value='Send it'></form></body>";

} // namespace

class TestRealSites : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;
    testsupport::SiteServer https, http;
    std::unique_ptr<shell::TfrmBrwMain> win;

    shell::TbxWebTabSheet *open(const QUrl &url)
    {
        const int before = win->pageCount();
        win->OpenURL(url.toString());
        [&] { QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), before + 1, 15000); }();
        return win->pageAt(before);
    }
    static web::ProblemPage *problem(shell::TbxWebTabSheet *sheet)
    {
        return sheet->browser() ? sheet->browser()->guard()->problemPage() : nullptr;
    }
    static QString eval(shell::TbxWebTabSheet *sheet, const QString &script)
    {
        return testpages::eval(sheet->browser()->page(), script).toString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        record.open(software::TSoftwareTable::standardFields(), {});
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("ClipNest"));
        record.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("3.2.1"));
        record.Post();
        QVERIFY(https.makeCertificate(dir));
        auto serve = [](const SiteRequest &r) -> SiteReply {
            const QString path = r.path.section(QLatin1Char('?'), 0, 0);
            if (path == QLatin1String("/submit.htm"))
                return htmlReply(kForm);
            if (path == QLatin1String("/thanks.htm"))
                return htmlReply("<title>Thanks</title><body>Received</body>");
            if (path == QLatin1String("/private/")) {
                if (r.headers.value("authorization") == "Basic " + QByteArray("author:secret").toBase64())
                    return htmlReply("<title>Author area</title><body>Welcome</body>");
                return htmlReply("<title>Denied</title><body>Not for you</body>", 401,
                                 "WWW-Authenticate: Basic realm=\"Authors\"\r\n");
            }
            if (path == QLatin1String("/confirm.htm"))
                return htmlReply(
                    "<title>Confirm</title><body>Submit your program here<form action='/thanks.htm' method=get "
                    "onsubmit=\"return confirm('Send it now?')\"><input name=title>"
                    "<input type=submit value='Send it'></form></body>");
            if (path == QLatin1String("/alert.htm"))
                return htmlReply("<title>Alert</title><body>Submit your program here<form><input name=title "
                                 "onchange=\"alert('Title is ' + this.value)\"><input name=version></form></body>");
            if (path == QLatin1String("/notify.htm"))
                return htmlReply("<title>Notify</title><body>News<script>Notification.requestPermission()"
                                 ".then(p => document.title = 'asked ' + p)</script></body>");
            return htmlReply("<title>Missing</title>", 404);
        };
        https.handler = serve;
        http.handler = serve;
        QVERIFY(https.start());
        QVERIFY(http.start());
    }

    void init()
    {
        web::CertificateExceptions::clear();
        web::RememberedCredentials::clear();
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->resize(1000, 700);
        win->show();
    }

    void cleanup()
    {
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void certificatePageGoBackAndContinue()
    {
        const QUrl url = https.url(QStringLiteral("submit.htm"));
        shell::TbxWebTabSheet *sheet = open(url);
        QTRY_VERIFY_WITH_TIMEOUT(problem(sheet), 15000);
        QCOMPARE(problem(sheet)->heading(), QStringLiteral("This site's certificate is not trusted"));
        QVERIFY2(problem(sheet)->text().contains(QLatin1String("The connection to 127.0.0.1 is not private")),
                 qPrintable(problem(sheet)->text()));
        QVERIFY(problem(sheet)->text().contains(QLatin1String("not issued by an authority this computer trusts")));
        auto *cont = problem(sheet)->findChild<QPushButton *>(QStringLiteral("ContinueAnyway"));
        QVERIFY(cont);
        QCOMPARE(cont->text(), QStringLiteral("Continue to 127.0.0.1 anyway"));
        QCOMPARE(https.requestCount(QStringLiteral("/submit.htm")), 0);

        // Go back: nothing was sent, and the tab has nothing to go back to.
        QTest::mouseClick(problem(sheet)->findChild<QPushButton *>(QStringLiteral("GoBack")), Qt::LeftButton);
        QVERIFY(!problem(sheet));
        QTRY_VERIFY_WITH_TIMEOUT(!sheet->browser()->isBusy(), 15000);
        QCOMPARE(https.requestCount(QStringLiteral("/submit.htm")), 0);

        // Again, and continue: the page loads and is filled.
        win->withCtrl(true, [&] { win->OpenURL(url.toString()); });
        QTRY_VERIFY_WITH_TIMEOUT(problem(sheet), 15000);
        QTest::mouseClick(problem(sheet)->findChild<QPushButton *>(QStringLiteral("ContinueAnyway")), Qt::LeftButton);
        QVERIFY(!problem(sheet));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Submit"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(eval(sheet, QStringLiteral("document.querySelector('[name=version]').value")),
                                  QStringLiteral("3.2.1"), 15000);

        // The host's certificate is trusted from now on, in other tabs too.
        shell::TbxWebTabSheet *second = open(https.url(QStringLiteral("thanks.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(second->title(), QStringLiteral("Thanks"), 15000);
        QVERIFY(!problem(second));
    }

    void reportSaysWhichCertificateErrorStoppedIt()
    {
        const QString work = dir.filePath(QStringLiteral("report"));
        QVERIFY(QDir().mkpath(work));
        QVERIFY(QFile::copy(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"), work + "/softdata.xml"));
        auto run = [&](const QStringList &extra, QString *out, QString *err) {
            QProcess p;
            p.setWorkingDirectory(work);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), dir.filePath(QStringLiteral("settings.json")));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(DODU_BINARY),
                    QStringList {"--report", "--timeout", "60"} + extra +
                        QStringList {https.url("submit.htm").toString()});
            // The server answers in this process: keep its events running.
            [&] { QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 120000); }();
            *out = QString::fromUtf8(p.readAllStandardOutput());
            *err = QString::fromUtf8(p.readAllStandardError());
            return p.exitCode();
        };
        QString out, err;
        QCOMPARE(run({}, &out, &err), 2);
        QVERIFY2(err.contains(QLatin1String("the certificate was refused (127.0.0.1: The site's certificate was not "
                                            "issued by an authority")),
                 qPrintable(err));
        QVERIFY(out.isEmpty());
        QCOMPARE(run({QStringLiteral("--accept-certificate-errors")}, &out, &err), 0);
        QVERIFY2(out.contains(QLatin1String("\"name\":\"version\"")), qPrintable(out + err));
        QVERIFY2(out.contains(QLatin1String("\"value\":\"")), qPrintable(out));
    }

    void basicAuthentication()
    {
        const QUrl url = http.url(QStringLiteral("private/"));
        QList<std::tuple<QString, QString, bool>> answers; // user, password, ok
        DialogAnswerer answerer(this);
        QStringList intros;
        answerer.answer = [&](QDialog *d) {
            if (d->objectName() != QLatin1String("AuthDialog") || answers.isEmpty())
                return false;
            for (QLabel *l : d->findChildren<QLabel *>())
                intros << l->text();
            const auto [user, password, ok] = answers.takeFirst();
            d->findChild<QLineEdit *>(QStringLiteral("Username"))->setText(user);
            d->findChild<QLineEdit *>(QStringLiteral("Password"))->setText(password);
            ok ? d->accept() : d->reject();
            return true;
        };

        // Cancel: the site's own refusal page.
        answers = {{QString(), QString(), false}};
        shell::TbxWebTabSheet *sheet = open(url);
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Denied"), 15000);
        QCOMPARE(answerer.seen, QStringList {QStringLiteral("Password for 127.0.0.1")});
        QVERIFY(intros.contains(QStringLiteral("127.0.0.1 asks for a username and password (\"Authors\").")));

        // A wrong password asks again; then cancel.
        answers = {{"author", "wrong", true}, {QString(), QString(), false}};
        win->withCtrl(true, [&] { win->OpenURL(url.toString() + "?2"); });
        QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 3, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Denied"), 15000);
        QVERIFY(answers.isEmpty());

        // The right one opens the author area.
        answers = {{"author", "secret", true}};
        win->withCtrl(true, [&] { win->OpenURL(url.toString() + "?3"); });
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Author area"), 15000);
        QCOMPARE(answerer.seen.size(), 4);
    }

    void pageDialogsDuringFillAndSubmit()
    {
        DialogAnswerer answerer(this);
        QStringList texts;
        bool okConfirm = false;
        answerer.answer = [&](QDialog *d) {
            auto *box = qobject_cast<QMessageBox *>(d);
            if (!box || d->objectName() != QLatin1String("PageDialog"))
                return false;
            texts << box->text();
            if (box->button(QMessageBox::Cancel) && !okConfirm)
                box->button(QMessageBox::Cancel)->click();
            else
                box->button(QMessageBox::Ok)->click();
            return true;
        };
        // An alert raised by the fill's change event: shown, and the fill
        // goes on to the next control.
        shell::TbxWebTabSheet *sheet = open(http.url(QStringLiteral("alert.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(texts, QStringList {QStringLiteral("Title is ClipNest")}, 15000);
        QCOMPARE(answerer.seen, QStringList {QStringLiteral("127.0.0.1")});
        QTRY_COMPARE_WITH_TIMEOUT(eval(sheet, QStringLiteral("document.querySelector('[name=version]').value")),
                                  QStringLiteral("3.2.1"), 15000);

        // confirm() on Submit: the program goes on while it is open;
        // Cancel keeps the page, OK sends the form.
        win->withCtrl(true, [&] { win->OpenURL(http.url(QStringLiteral("confirm.htm")).toString()); });
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Confirm"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!sheet->browser()->isBusy(), 15000);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        texts.clear();
        win->submitForm();
        QTRY_COMPARE_WITH_TIMEOUT(texts, QStringList {QStringLiteral("Send it now?")}, 15000);
        QTest::qWait(500);
        QCOMPARE(sheet->title(), QStringLiteral("Confirm"));
        QCOMPARE(http.requestCount(QStringLiteral("/thanks.htm")), 0);
        okConfirm = true;
        win->submitForm();
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Thanks"), 15000);
        QCOMPARE(texts.size(), 2);
        QVERIFY(ticks > 10);
    }

    void permissionRequestRefusedWithNote()
    {
        shell::TbxWebTabSheet *sheet = open(http.url(QStringLiteral("notify.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("asked denied"), 15000);
        QCOMPARE(sheet->statusPanel()->text(), QStringLiteral("127.0.0.1 asked to show notifications; refused."));
    }

    void killedRendererLeavesOurPage()
    {
        shell::TbxWebTabSheet *victim = open(http.url(QStringLiteral("submit.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(victim->title(), QStringLiteral("Submit"), 15000);
        // Another site, so another renderer.
        QUrl other = http.url(QStringLiteral("thanks.htm"));
        other.setHost(QStringLiteral("localhost"));
        shell::TbxWebTabSheet *bystander = open(other);
        QTRY_COMPARE_WITH_TIMEOUT(bystander->title(), QStringLiteral("Thanks"), 15000);
        const qint64 pid = victim->browser()->page()->renderProcessPid();
        QVERIFY(pid > 0);
        QVERIFY(pid != bystander->browser()->page()->renderProcessPid());
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_VERIFY_WITH_TIMEOUT(problem(victim), 15000);
        QCOMPARE(problem(victim)->heading(), QStringLiteral("This page stopped working"));
        QVERIFY(problem(victim)->text().contains(QLatin1String("127.0.0.1")));
        QCOMPARE(eval(bystander, QStringLiteral("document.title")), QStringLiteral("Thanks"));

        QTest::mouseClick(problem(victim)->findChild<QPushButton *>(QStringLiteral("Reload")), Qt::LeftButton);
        QVERIFY(!problem(victim));
        QTRY_COMPARE_WITH_TIMEOUT(eval(victim, QStringLiteral("document.title")), QStringLiteral("Submit"), 15000);
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestRealSites t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_realsites.moc"
