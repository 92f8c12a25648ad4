#include "autofill.h"

#include "fillablepage.h"
#include "pagebrowser.h"
#include "smartpage.h"

#include "base/error.h"
#include "engine/routines.h"
#include <QTimer>

namespace web {

FormCommandOutcome runFormCommandOnPage(QWebEnginePage *page, engine::FormMode mode, const engine::Record &record,
                                        engine::Host &host, bool recordPresses, FillRules rules,
                                        FormCommandOutcome *partial)
{
    if (rules == FillRules::Smart && mode != engine::FormMode::Login) {
        FormCommandOutcome outcome;
        if (mode == engine::FormMode::Submit) {
            if (smartSubmitPage(page, record, recordPresses))
                outcome.pressed << QStringLiteral("submit");
            else
                host.showMessage(QStringLiteral("Submit button not found."));
        } else {
            outcome.written = smartFillPage(page, record).filled;
        }
        if (partial)
            *partial = outcome;
        return outcome;
    }
    PageBrowser browser(page, recordPresses);
    struct Report {
        PageBrowser &b;
        FormCommandOutcome *out;
        ~Report()
        {
            if (out)
                *out = {b.written(), b.pressed()};
        }
    } report {browser, partial};
    engine::RunFormCommand(browser, mode, record, host);
    return {browser.written(), browser.pressed()};
}

AutoFill::AutoFill(QWebEnginePage *page, const engine::Record &record, engine::Host &host, ErrorHandler onError,
                   bool recordPresses)
    : QObject(page),
      m_page(page),
      m_record(record),
      m_host(host),
      m_onError(std::move(onError)),
      m_recordPresses(recordPresses)
{
    // The fill waits for the page's answer, which the engine cannot deliver
    // from inside its own notification nor inside a posted event; a timer
    // event runs it right after.
    m_deferred.setSingleShot(true);
    m_deferred.setInterval(0);
    connect(&m_deferred, &QTimer::timeout, this, &AutoFill::onLoadFinished);
    connect(page, &QWebEnginePage::loadStarted, this, [this] { m_topLoading = true; });
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        m_topLoading = false;
        schedule();
    });
    if (auto *fillable = qobject_cast<FillablePage *>(page))
        connect(fillable, &FillablePage::frameDocumentCompleted, this, [this] {
            if (!m_topLoading)
                schedule();
        });
}

void AutoFill::schedule()
{
    ++m_pending;
    m_deferred.start();
}

void AutoFill::onLoadFinished()
{
    // The event's own arguments do not matter: the whole page is filled,
    // whether it loaded or shows an error page.
    // One run for every document-complete event. The page (and this object
    // with it) may be closed while a run waits for the page's answer.
    QPointer<AutoFill> self(this);
    while (self && m_pending > 0 && m_page) {
        --m_pending;
        ++m_runs;
        QString error;
        QString status;
        // The run writes only to locals: this object goes with its page,
        // which may be closed while the run waits for the page's answer.
        FormCommandOutcome outcome;
        QWebEnginePage *page = m_page;
        try {
            // Pages without a submission form pass without a word.
            if (m_rules && m_rules() == FillRules::Smart) {
                const SmartOutcome smart = smartFillPage(page, m_record);
                outcome.written = smart.filled;
                if (smart.formFound)
                    status = smartFillStatus(smart);
            } else {
                runFormCommandOnPage(page, engine::FormMode::Fill, m_record, m_host, m_recordPresses,
                                     FillRules::Classic, &outcome);
            }
        } catch (const base::Error &e) {
            error = e.text();
        }
        if (!self)
            return;
        m_lastOutcome = outcome;
        if (!error.isEmpty() && m_onError)
            m_onError(error);
        if (!self)
            return;
        if (!status.isEmpty())
            Q_EMIT smartFilled(status);
        if (!self)
            return;
        Q_EMIT filled();
    }
}

} // namespace web
