#include "reportmode.h"

#include "base/json.h"

#include "base/error.h"
#include "engine/host.h"
#include "web/address.h"
#include "web/autofill.h"
#include "web/certificateexceptions.h"
#include "web/fillablepage.h"
#include "web/pagereport.h"
#include "web/scriptrunner.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace app {

namespace {

class RecordingHost : public engine::Host {
public:
    QString username, password;
    QStringList messages;
    void showMessage(const QString &text) override { messages << text; }
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    QString loginUsername() const override { return username; }
    QString loginPassword() const override { return password; }
};

} // namespace

int runReport(const ReportOptions &opt)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    RecordingHost host;
    host.username = opt.username;
    host.password = opt.password;

    software::TSoftwareTable table;
    software::loadRecordAtStartup(table);

    QStringList errors;
    // Off the record: nothing of the page is kept. The page goes before the
    // profile it uses.
    QObject profileOwner;
    web::FillablePage page(web::newProfile(QString(), &profileOwner));
    // Shown as a window's page would be, so that the page's timers run at
    // their pace rather than a hidden page's throttled one.
    page.setVisible(true);
    web::AutoFill fill(
        &page, table, host, [&](const QString &text) { errors << text; }, true);
    fill.setRulesProvider([&opt] { return opt.rules; });
    QString certificateRefused;
    web::answerCertificateErrors(&page, opt.acceptCertificateErrors,
                                 [&certificateRefused](const QString &why) { certificateRefused = why; });

    // The report waits until the page has settled: the first fill done and
    // no document of the page completed for half a second (a frame that
    // moves on to its next step is filled again), within the time allowed.
    QEventLoop loop;
    bool loaded = false, finished = false;
    QTimer settled;
    settled.setSingleShot(true);
    settled.setInterval(500);
    QObject::connect(&settled, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&fill, &web::AutoFill::filled, &loop, [&] {
        finished = true;
        settled.start();
    });
    QObject::connect(&page, &web::FillablePage::loadFinished, &loop, [&](bool ok) { loaded = ok; });
    QObject::connect(&page, &web::FillablePage::frameDocumentCompleted, &settled, [&] {
        if (finished)
            settled.start();
    });
    QTimer::singleShot(opt.timeoutSeconds * 1000, &loop, &QEventLoop::quit);
    const QUrl url = web::addressToUrl(opt.address);
    page.load(url);
    loop.exec();
    if (!finished || !loaded) {
        err << "doduvodaz: " << opt.address
            << (finished ? " could not be loaded"
                         : QStringLiteral(" did not load within %1 s").arg(opt.timeoutSeconds));
        if (!certificateRefused.isEmpty())
            err << ": the certificate was refused (" << certificateRefused
                << "); --accept-certificate-errors goes on anyway";
        err << "\n";
        return 2;
    }

    if (opt.mode != engine::FormMode::Fill) {
        try {
            web::runFormCommandOnPage(&page, opt.mode, table, host, true, opt.rules);
        } catch (const base::Error &e) {
            errors << e.text();
        }
    }
    // Scripts run in order: this answers once every write has been applied.
    web::runScriptAndWait(&page, QStringLiteral("0"));

    for (const QString &line : web::controlReport(&page, opt.rules == web::FillRules::Smart))
        out << line << "\n";
    for (const QString &m : host.messages)
        out << base::OrderedJsonObject().add(QStringLiteral("message"), m).toJson() << "\n";
    for (const QString &e : errors)
        out << base::OrderedJsonObject().add(QStringLiteral("error"), e).toJson() << "\n";
    out.flush();
    return errors.isEmpty() ? 0 : 1;
}

} // namespace app
