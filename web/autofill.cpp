#include "autofill.h"

#include "fillablepage.h"

#include <QPointer>

namespace web {

AutoFill::AutoFill(QWebEnginePage *page, const engine::Record &record, engine::Host &host, ErrorHandler onError,
                   bool recordPresses)
    : QObject(page),
      m_page(page),
      m_record(record),
      m_host(host),
      m_onError(std::move(onError)),
      m_recordPresses(recordPresses)
{
    prepareFormCommands(page);
    // The fill starts on the next turn of the event loop, outside the
    // engine's own notification.
    m_deferred.setSingleShot(true);
    m_deferred.setInterval(0);
    connect(&m_deferred, &QTimer::timeout, this, &AutoFill::startNext);
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

void AutoFill::stop()
{
    m_stopped = true;
    m_pending = 0;
    m_deferred.stop();
    cancelFormCommands(m_page);
}

void AutoFill::schedule()
{
    if (m_stopped)
        return;
    // One fill for every document-complete event, one after the other.
    ++m_pending;
    if (!m_running)
        m_deferred.start();
}

void AutoFill::startNext()
{
    if (m_running || m_pending == 0 || m_stopped)
        return;
    --m_pending;
    ++m_runs;
    m_running = true;
    // The event's own arguments do not matter: the whole page is filled,
    // whether it loaded or shows an error page; pages without a submission
    // form pass without a word.
    const FillRules rules = m_rules ? m_rules() : FillRules::Classic;
    runFormCommand(m_page, engine::FormMode::Fill, m_record, m_host, {rules, m_recordPresses},
                   [self = QPointer<AutoFill>(this)](const FormCommandResult &result) {
                       if (self)
                           self->finished(result);
                   });
}

void AutoFill::finished(const FormCommandResult &result)
{
    m_running = false;
    m_lastOutcome = result.outcome;
    if (m_pending > 0)
        m_deferred.start();
    if (result.smart && result.smart->formFound)
        Q_EMIT smartFilled(smartFillStatus(*result.smart));
    Q_EMIT filled();
    // The error comes last: its box lets window events run, which may close
    // the page and this object with it.
    if (!result.error.isEmpty() && m_onError) {
        const ErrorHandler onError = m_onError;
        onError(result.error);
    }
}

} // namespace web
