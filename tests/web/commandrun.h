#pragma once
// Waiting helpers for page tests: a form command run to its end, the report's
// lines and the smart fill's picture of a page, each read through the page
// bridge's own scripts.
#include "web/formcommand.h"
#include "web/pagereport.h"
#include "web/scriptrunner.h"
#include "web/smartpage.h"
#include "web/snapshotscript.h"
#include "support/pages.h"

#include <QPointer>
#include <QtTest>
#include <memory>
#include <optional>

namespace testcommands {

// Runs the command and waits until it has ended (the page has applied its
// writes) or the page has gone. The result is empty when it did not end.
inline std::optional<web::FormCommandResult> run(QWebEnginePage *page, engine::FormMode mode,
                                                 const engine::Record &record, engine::Host &host,
                                                 web::FormCommandOptions options = {}, int timeoutMs = 30000)
{
    auto result = std::make_shared<std::optional<web::FormCommandResult>>();
    const QPointer<QWebEnginePage> guard(page);
    web::runFormCommand(page, mode, record, host, options, [result](const web::FormCommandResult &r) { *result = r; });
    QTest::qWaitFor([&] { return result->has_value() || !guard; }, timeoutMs);
    return *result;
}

// Waits until every script sent to the page so far has run.
inline void settle(QWebEnginePage *page)
{
    if (page)
        testpages::eval(page, QStringLiteral("0"), web::programWorld());
}

// What the page's controls hold now, as the report's lines.
inline QStringList controlReport(QWebEnginePage *page, bool withField = false)
{
    return web::readControlReport(testpages::eval(page, web::controlReportScript(), web::programWorld(), 30000),
                                  withField);
}

// The smart fill's picture of the page, from a snapshot with signals that
// stays on the page under *generation.
inline engine::Page readSmartPage(QWebEnginePage *page, int *generation)
{
    *generation = web::newSnapshotGeneration();
    return web::readSmartSnapshot(testpages::eval(
        page, web::snapshotScript(*generation, web::SnapshotDetail::Signals).standalone(), web::programWorld(), 30000));
}

} // namespace testcommands
