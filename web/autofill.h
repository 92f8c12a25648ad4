#pragma once
// Runs the form fill on a page each time a document of it completes. The top
// document's completion is the engine's load-finished; a frame's document
// completing later (a frame that moves to its next step) is heard on pages
// that are FillablePages. While the top document loads its frames'
// completions are left to the fill that follows it.
#include "formcommand.h"

#include "engine/host.h"
#include "engine/record.h"

#include <QObject>
#include <QTimer>
#include <QWebEnginePage>
#include <functional>

namespace web {

class AutoFill : public QObject {
    Q_OBJECT
public:
    using ErrorHandler = std::function<void(const QString &text)>;

    // A child of page; it goes with it.
    AutoFill(QWebEnginePage *page, const engine::Record &record, engine::Host &host, ErrorHandler onError,
             bool recordPresses = false);

    // Number of fills started so far (whatever their outcome).
    int runs() const { return m_runs; }
    // What the last fill did (also when it ended in an error).
    const FormCommandOutcome &lastOutcome() const { return m_lastOutcome; }

    // Asked before each fill which rules to use; classic without one.
    void setRulesProvider(std::function<FillRules()> provider) { m_rules = std::move(provider); }

    // Fills no more (the page's tab is closing); a fill under way ends where
    // it is.
    void stop();

Q_SIGNALS:
    // A fill has ended and the page has applied its writes.
    void filled();
    // After a smart fill that found a form: the status line saying what was
    // filled.
    void smartFilled(const QString &status);

private:
    void schedule();
    void startNext();
    void finished(const FormCommandResult &result);

    QWebEnginePage *m_page; // the parent
    const engine::Record &m_record;
    engine::Host &m_host;
    ErrorHandler m_onError;
    std::function<FillRules()> m_rules;
    bool m_recordPresses;
    int m_runs = 0;
    FormCommandOutcome m_lastOutcome;
    int m_pending = 0;
    bool m_running = false;
    bool m_stopped = false;
    bool m_topLoading = false;
    QTimer m_deferred;
};

} // namespace web
