#include "previewcommand.h"

#include "base/error.h"
#include "engine/host.h"
#include "web/address.h"
#include "web/autofill.h"
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

struct Options {
    QString mode = QStringLiteral("fill");
    web::FillRules rules = web::FillRules::Classic;
    QString address;
    int timeoutSeconds = 30;
};

void usage(QTextStream &err)
{
    err << "usage: doduvodaz --report [--mode fill|login|submit] [--rules classic|smart] [--username TEXT]\n"
           "                          [--password TEXT] [--timeout SECONDS] ADDRESS\n";
}

} // namespace

int runPreviewCommand(const QStringList &arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    RecordingHost host;
    Options opt;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString a = arguments.at(i);
        auto value = [&](QString &into) {
            if (i + 1 >= arguments.size())
                return false;
            into = arguments.at(++i);
            return true;
        };
        QString v;
        if (a == QLatin1String("--report")) {
            continue;
        } else if (a == QLatin1String("--mode")) {
            if (!value(opt.mode) || !QStringList{"fill", "login", "submit"}.contains(opt.mode)) {
                err << "doduvodaz: --mode takes fill, login or submit\n";
                return 64;
            }
        } else if (a == QLatin1String("--rules")) {
            if (!value(v) || (v != QLatin1String("classic") && v != QLatin1String("smart"))) {
                err << "doduvodaz: --rules takes classic or smart\n";
                return 64;
            }
            opt.rules = v == QLatin1String("smart") ? web::FillRules::Smart : web::FillRules::Classic;
        } else if (a == QLatin1String("--username")) {
            if (!value(host.username)) { usage(err); return 64; }
        } else if (a == QLatin1String("--password")) {
            if (!value(host.password)) { usage(err); return 64; }
        } else if (a == QLatin1String("--timeout")) {
            bool ok = false;
            if (value(v))
                opt.timeoutSeconds = v.toInt(&ok);
            if (!ok || opt.timeoutSeconds <= 0) {
                err << "doduvodaz: --timeout takes a whole number of seconds\n";
                return 64;
            }
        } else if (opt.address.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            opt.address = a;
        } else {
            usage(err);
            return 64;
        }
    }
    if (opt.address.isEmpty()) {
        usage(err);
        return 64;
    }

    TSoftwareTable table;
    loadRecordAtStartup(table);

    QStringList errors;
    // Off the record: nothing of the page is kept. The page goes before the
    // profile it uses.
    QObject profileOwner;
    web::FillablePage page(web::newProfile(QString(), &profileOwner));
    // Shown as a window's page would be, so that the page's timers run at
    // their pace rather than a hidden page's throttled one.
    page.setVisible(true);
    web::AutoFill fill(&page, table, host, [&](const QString &text) { errors << text; }, true);
    fill.setRulesProvider([&opt] { return opt.rules; });

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
            << (finished ? " could not be loaded" : QStringLiteral(" did not load within %1 s").arg(opt.timeoutSeconds))
            << "\n";
        return 2;
    }

    if (opt.mode != QLatin1String("fill")) {
        try {
            web::runFormCommandOnPage(&page, engine::formModeOf(opt.mode), table, host, true, opt.rules);
        } catch (const dodu::Error &e) {
            errors << e.text();
        }
    }
    // Scripts run in order: this answers once every write has been applied.
    web::runScriptAndWait(&page, QStringLiteral("0"));

    for (const QString &line : web::controlReport(&page, opt.rules == web::FillRules::Smart))
        out << line << "\n";
    for (const QString &m : host.messages)
        out << "{\"message\":" << web::jsonQuote(m) << "}\n";
    for (const QString &e : errors)
        out << "{\"error\":" << web::jsonQuote(e) << "}\n";
    out.flush();
    return errors.isEmpty() ? 0 : 1;
}
