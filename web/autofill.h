#pragma once
// Runs the form fill on a page each time a document of it completes, and the
// user commands on demand, through the page bridge. The top document's
// completion is the engine's load-finished; a frame's document completing
// later (a frame that moves to its next step) is heard on pages that are
// FillablePages. While the top document loads its frames' completions are
// left to the fill that follows it.
#include "engine/host.h"
#include "engine/record.h"
#include "engine/routines.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWebEnginePage>
#include <functional>

namespace web {

// What one command did to a page: controls written and buttons pressed.
struct FormCommandOutcome {
    int written = 0;
    QStringList pressed;
};

// Which fill runs: the exact name rules, or the smart fill of the page's
// best-fitting form (which also picks the submit control "submit" presses).
enum class FillRules { Classic, Smart };

// Runs the dispatcher with the mode word on the page. Errors propagate;
// partial, when given, receives what was done also when an error ends it.
// With the smart rules, the fill and "submit" act on the page's
// best-fitting form; "login" is the same under both.
FormCommandOutcome runFormCommandOnPage(QWebEnginePage *page, engine::FormMode mode, const engine::Record &record,
                                        engine::Host &host, bool recordPresses = false,
                                        FillRules rules = FillRules::Classic, FormCommandOutcome *partial = nullptr);

class AutoFill : public QObject {
    Q_OBJECT
public:
    using ErrorHandler = std::function<void(const QString &text)>;

    AutoFill(QWebEnginePage *page, const engine::Record &record, engine::Host &host, ErrorHandler onError,
             bool recordPresses = false);

    // Number of fills run so far (whatever their outcome).
    int runs() const { return m_runs; }
    // What the last run did (also when it ended in an error).
    const FormCommandOutcome &lastOutcome() const { return m_lastOutcome; }

    // Asked before each fill which rules to use; classic without one.
    void setRulesProvider(std::function<FillRules()> provider) { m_rules = std::move(provider); }

Q_SIGNALS:
    void filled();
    // After a smart fill that found a form: the status line saying what was
    // filled.
    void smartFilled(const QString &status);

private:
    void onLoadFinished();
    void schedule();

    QPointer<QWebEnginePage> m_page;
    const engine::Record &m_record;
    engine::Host &m_host;
    ErrorHandler m_onError;
    std::function<FillRules()> m_rules;
    bool m_recordPresses;
    int m_runs = 0;
    FormCommandOutcome m_lastOutcome;
    int m_pending = 0;
    bool m_topLoading = false;
    QTimer m_deferred;
};

} // namespace web
