#pragma once
// One form command on a live page: the form fill, "submit" or "login", by the
// exact name rules or the smart fill. This is the one place that chooses
// between them: "login" is the same under both; with the smart rules the fill
// and "submit" act on the page's best-fitting form.
//
// A command is a chain of script calls owned by a small job object that is a
// child of the page, so it goes with the page: the snapshot is asked for,
// the rules run on its answer, their writes are sent back in order, and the
// page's answer to the last of them ends the chain. Nothing waits; a page
// closed at any point simply ends the chain there, with no call back.
#include "smartpage.h"

#include "engine/host.h"
#include "engine/record.h"
#include "engine/routines.h"

#include <QStringList>
#include <QWebEnginePage>
#include <functional>
#include <optional>

namespace web {

// Which fill runs: the exact name rules, or the smart fill of the page's
// best-fitting form (which also picks the submit control "submit" presses).
enum class FillRules { Classic, Smart };

// What one command did to a page: controls written and buttons pressed.
struct FormCommandOutcome {
    int written = 0;
    QStringList pressed;
};

struct FormCommandResult {
    // Also when an error ended the command half-way.
    FormCommandOutcome outcome;
    // After a smart fill: what it found and did.
    std::optional<SmartOutcome> smart;
    // The text of the error that ended the command; empty when none did.
    QString error;
};

struct FormCommandOptions {
    FillRules rules = FillRules::Classic;
    // A press is remembered on the page and its default action prevented,
    // so that the page stays (preview reports).
    bool recordPresses = false;
};

using FormCommandDone = std::function<void(const FormCommandResult &result)>;

// Starts the command on the page and returns at once. The login texts are
// read from host when the snapshot has come; at the end of the chain, once
// the page has applied every write, the messages the command gave go to
// host.showMessage in order, then done (when given) gets the result. Neither
// happens when the page has gone by then.
void runFormCommand(QWebEnginePage *page, engine::FormMode mode, const engine::Record &record, engine::Host &host,
                    FormCommandOptions options, FormCommandDone done = {});

// Makes the page ready for form commands: the functions they call on the
// page side are defined in each document as it is made, so that a command
// sends only their arguments. Commands work on pages not made ready too,
// sending a function the first time a document needs it.
void prepareFormCommands(QWebEnginePage *page);

// Ends every command still running on the page where it is: nothing more is
// written to the page and no one is called back (the page's tab is closing).
void cancelFormCommands(QWebEnginePage *page);

} // namespace web
