#include "reportmode.h"

#include "base/json.h"

#include "engine/host.h"
#include "web/address.h"
#include "web/autofill.h"
#include "web/certificateexceptions.h"
#include "web/fillablepage.h"
#include "web/formcommand.h"
#include "web/pagereport.h"
#include "web/scriptrunner.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

namespace app {

namespace {

// How long the page must stay quiet (no document of it starting or
// finishing to load, no fill under way) before it counts as settled. A
// frame that a script of the page sends on after a second is still seen.
constexpr int kQuietMs = 1500;

class RecordingHost : public engine::Host {
public:
    QString username, password;
    QStringList messages;
    void showMessage(const QString &text) override { messages << text; }
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

    // The report waits until the page has settled: the first fill done, no
    // document of the page (top or frame) loading, and none having started or
    // finished for the quiet time (a frame that moves on to its next step is
    // filled again), within the time allowed.
    bool loaded = false, finished = false, topLoading = false, settledOnce = false;
    int framesLoading = 0;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(kQuietMs);
    QTimer limit;
    limit.setSingleShot(true);
    limit.setInterval(opt.timeoutSeconds * 1000);

    // Prints what the controls hold, the messages and the errors, and ends.
    auto report = [&] {
        web::callScript(&page, web::controlReportScript(), &page, [&](const QVariant &answer) {
            for (const QString &line : web::readControlReport(answer, opt.rules == web::FillRules::Smart))
                out << line << "\n";
            for (const QString &m : host.messages)
                out << base::OrderedJsonObject().add(QStringLiteral("message"), m).toJson() << "\n";
            for (const QString &e : errors)
                out << base::OrderedJsonObject().add(QStringLiteral("error"), e).toJson() << "\n";
            out.flush();
            QCoreApplication::exit(errors.isEmpty() ? 0 : 1);
        });
    };
    auto settled = [&] {
        if (settledOnce)
            return;
        settledOnce = true;
        quiet.stop();
        limit.stop();
        if (!finished || !loaded) {
            err << "doduvodaz: " << opt.address
                << (finished ? QCoreApplication::translate("app", " could not be loaded")
                             : QCoreApplication::translate("app", " did not load within %1 s").arg(opt.timeoutSeconds));
            if (!certificateRefused.isEmpty())
                err << QCoreApplication::translate("app",
                                                   ": the certificate was refused (%1); --accept-certificate-errors "
                                                   "goes on anyway")
                           .arg(certificateRefused);
            err << "\n";
            err.flush();
            QCoreApplication::exit(2);
            return;
        }
        if (opt.mode == engine::FormMode::Fill) {
            report();
            return;
        }
        web::runFormCommand(&page, opt.mode, table, host, {opt.rules, true}, [&](const web::FormCommandResult &result) {
            if (!result.error.isEmpty())
                errors << result.error;
            report();
        });
    };
    auto activity = [&] {
        if (!settledOnce)
            quiet.start();
    };
    QObject::connect(&quiet, &QTimer::timeout, &page, [&] {
        if (finished && !topLoading && framesLoading == 0)
            settled();
    });
    QObject::connect(&limit, &QTimer::timeout, &page, settled);
    QObject::connect(&fill, &web::AutoFill::filled, &page, [&] {
        finished = true;
        activity();
    });
    QObject::connect(&page, &web::FillablePage::loadStarted, &page, [&] {
        // A new top document has new frames, which its own load waits for.
        topLoading = true;
        framesLoading = 0;
        activity();
    });
    QObject::connect(&page, &web::FillablePage::loadFinished, &page, [&](bool ok) {
        loaded = ok;
        topLoading = false;
        activity();
    });
    QObject::connect(&page, &web::FillablePage::frameDocumentLeft, &page, [&] {
        if (!topLoading)
            ++framesLoading;
        activity();
    });
    QObject::connect(&page, &web::FillablePage::frameDocumentCompleted, &page, [&] {
        framesLoading = std::max(0, framesLoading - 1);
        activity();
    });
    limit.start();
    page.load(web::addressToUrl(opt.address));
    // The application's own loop runs until the report ends it.
    return QCoreApplication::exec();
}

} // namespace app
