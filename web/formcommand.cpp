#include "formcommand.h"

#include "pagebrowser.h"
#include "scriptrunner.h"
#include "smartpage.h"
#include "snapshotscript.h"

#include "base/error.h"
#include "engine/fillrules.h"
#include "engine/smartfill.h"

#include <QPointer>
#include <QTimer>

namespace web {

namespace {

// How long the page may take to answer one call.
constexpr int kAnswerTimeoutMs = 15000;

// A long page's snapshot with signals comes in parts of this many controls,
// each read here while the page describes the next.
constexpr int kSnapshotPart = 1000;

// The host the rules see while they run on the snapshot: the login texts
// come from the real host, the messages wait for the end of the chain.
class WalkHost : public engine::Host {
public:
    WalkHost(engine::Host &host, QStringList &messages) : m_host(host), m_messages(messages) { }
    void showMessage(const QString &text) override { m_messages << text; }
    QString loginUsername() const override { return m_host.loginUsername(); }
    QString loginPassword() const override { return m_host.loginPassword(); }

private:
    engine::Host &m_host;
    QStringList &m_messages;
};

class FormCommandJob : public QObject {
    Q_OBJECT
public:
    FormCommandJob(QWebEnginePage *page, engine::FormMode mode, const engine::Record &record, engine::Host &host,
                   FormCommandOptions options, FormCommandDone done)
        : QObject(page),
          m_page(page),
          m_mode(mode),
          m_record(record),
          m_host(host),
          m_options(options),
          m_done(std::move(done)),
          m_generation(newSnapshotGeneration())
    {
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(kAnswerTimeoutMs);
        connect(&m_timeout, &QTimer::timeout, this, [this] {
            m_result.error = tr("The page did not answer.");
            finish();
        });
    }

    void start()
    {
        if (m_mode != engine::FormMode::Login && m_options.rules == FillRules::Smart)
            call(snapshotScript(m_generation, SnapshotDetail::Signals, kSnapshotPart), &FormCommandJob::readFirstPart);
        else
            call(snapshotScript(m_generation, SnapshotDetail::Plain), &FormCommandJob::walk);
    }

private:
    using Step = void (FormCommandJob::*)(const QVariant &);

    // Calls the page function or script; its answer goes on with the next
    // step.
    void call(const PageCall &function, Step next) { callPageFunction(m_page, function, this, answerTo(next)); }
    void call(const QString &script, Step next) { callScript(m_page, script, this, answerTo(next)); }

    std::function<void(const QVariant &)> answerTo(Step next)
    {
        const int call = ++m_calls;
        m_timeout.start();
        return [this, call, next](const QVariant &answer) {
            if (call != m_calls || m_finished)
                return; // answered after the time allowed
            m_timeout.stop();
            (this->*next)(answer);
        };
    }

    // The exact rules, run on the snapshot. The writes of each document go
    // to the page in the order the routines made them; the page's answer to
    // the snapshot's release, sent after them, tells that all were applied.
    void walk(const QVariant &snapshot)
    {
        PageBrowser browser(snapshot, m_generation, m_options.recordPresses);
        WalkHost host(m_host, m_messages);
        try {
            engine::RunFormCommand(browser, m_mode, m_record, host);
        } catch (const base::Error &e) {
            m_result.error = e.text();
        }
        m_result.outcome = {browser.written(), browser.pressed()};
        if (!browser.document()) {
            finish();
            return;
        }
        for (const QString &replay : browser.takeReplays())
            runScript(m_page, replay);
        call(releaseSnapshotScript(m_generation), &FormCommandJob::applied);
    }

    // The first part of the snapshot with signals. The calls for the other
    // parts go out at once, so that the page describes them back to back
    // while each one that came is read here.
    void readFirstPart(const QVariant &answer)
    {
        const int parts = readSmartSnapshot(m_smartPage, answer);
        if (parts > 1) {
            m_partsLeft = parts - 1;
            const int call = ++m_calls;
            m_timeout.start();
            for (int k = 1; k < parts; ++k)
                callPageFunction(m_page, snapshotPartScript(m_generation), this, [this, call](const QVariant &part) {
                    if (call == m_calls && !m_finished)
                        readPart(part);
                });
        }
        m_units.update(m_smartPage, m_partsLeft > 0);
        if (m_partsLeft == 0)
            planSmart();
    }

    void readPart(const QVariant &answer)
    {
        m_timeout.start();
        if (readSmartSnapshot(m_smartPage, answer) == 0) {
            // The page went on to another document meanwhile.
            finish();
            return;
        }
        m_units.update(m_smartPage, m_partsLeft > 1);
        if (--m_partsLeft == 0)
            planSmart();
    }

    // The smart fill plans on the snapshot with signals; "submit" presses
    // the submit control of the form the fill would choose.
    void planSmart()
    {
        m_timeout.stop();
        const engine::Page &page = m_smartPage;
        PageCall script;
        try {
            if (m_mode == engine::FormMode::Submit) {
                const int form = engine::chooseForm(page, m_units, m_record);
                const int button = form < 0 ? -1 : engine::chooseSubmitButton(page, form);
                if (button >= 0) {
                    m_result.outcome.pressed << QStringLiteral("submit");
                    script = smartPressScript(m_generation, button, m_options.recordPresses);
                } else {
                    m_messages << QString::fromLatin1(engine::kSubmitButtonNotFound);
                }
            } else {
                const engine::Plan plan = engine::planFill(page, m_units, m_record);
                int filled = 0;
                script = smartFillScript(m_generation, page, plan, &filled);
                m_result.outcome.written = filled;
                m_result.smart = SmartOutcome {plan.form >= 0, filled, plan.left};
            }
        } catch (const base::Error &e) {
            m_result.error = e.text();
        }
        if (script.isNull()) {
            runScript(m_page, releaseSnapshotScript(m_generation));
            finish();
            return;
        }
        call(script, &FormCommandJob::applied);
        // Let go of the picture while the page applies the plan.
        m_smartPage = engine::Page();
        m_units = engine::PageUnits();
    }

    void applied(const QVariant &) { finish(); }

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_timeout.stop();
        // Showing a message lets window events run, and the page, this job
        // with it, may be closed meanwhile: from here on only copies are used.
        const QPointer<QWebEnginePage> page = m_page;
        engine::Host &host = m_host;
        const QStringList messages = m_messages;
        const FormCommandResult result = m_result;
        const FormCommandDone done = m_done;
        deleteLater();
        for (const QString &m : messages) {
            if (!page)
                return;
            host.showMessage(m);
        }
        if (page && done)
            done(result);
    }

    QWebEnginePage *m_page; // the parent
    engine::FormMode m_mode;
    const engine::Record &m_record;
    engine::Host &m_host;
    FormCommandOptions m_options;
    FormCommandDone m_done;
    int m_generation;
    QTimer m_timeout;
    int m_calls = 0;
    bool m_finished = false;
    engine::Page m_smartPage; // the picture the snapshot with signals gives
    engine::PageUnits m_units;
    int m_partsLeft = 0;
    QStringList m_messages;
    FormCommandResult m_result;
};

} // namespace

void prepareFormCommands(QWebEnginePage *page) { installPageFunctions(page, {&snapshotFunction(), &applyFunction()}); }

void runFormCommand(QWebEnginePage *page, engine::FormMode mode, const engine::Record &record, engine::Host &host,
                    FormCommandOptions options, FormCommandDone done)
{
    if (!page)
        return;
    (new FormCommandJob(page, mode, record, host, options, std::move(done)))->start();
}

void cancelFormCommands(QWebEnginePage *page)
{
    if (page)
        qDeleteAll(page->findChildren<FormCommandJob *>(Qt::FindDirectChildrenOnly));
}

} // namespace web

#include "formcommand.moc"
