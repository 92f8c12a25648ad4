#pragma once
// The page snapshot as the snapshot script returns it: JSON text describing
// the top document and, when that shows almost no text, its frames one level
// deep. Reading it needs no browser, so it is kept apart from the bridge.
//
// A document's description: {"html": bool, "body": bool, "len": body text
// length, "key": index of its live elements on the page, "els": [[type, name,
// value, alt, form], ...]}, a type "textarea" standing for a text area. A frame
// is such a description, or {"refused": true}, or {"none": true}.
//
// The snapshot with signals (for the smart fill) describes every document,
// frames included whatever the page's text, as {"html", "body", "key",
// "sig": {"c": [control, ...], "b": [button, ...]}}: a control
// [form, type, flags, name, id, label, context, value, maxLength,
//  placeholder, aria, title, autocomplete, pattern, options] where values
// left off at the end are empty text, -1 or no options; flags 1 checked,
// 2 multiple, 4 visible, 8 editable; an option [text, value, selected] or
// [text] when its value is its text; a button [form, text, visible].
#include "engine/memorydocument.h"
#include "engine/smartfill.h"

#include <QJsonObject>
#include <QList>
#include <QString>

namespace web {

struct PageSnapshot {
    enum class FrameKind { Document, Refused, None };
    struct Frame {
        FrameKind kind = FrameKind::None;
        QJsonObject description; // for FrameKind::Document
    };
    QJsonObject top;
    QList<Frame> frames;
};

// Splits the script's answer into its documents. Text that is not a JSON
// object reads as an empty description: no HTML, no body, no controls, no
// frames; a frame that is not an object reads as an empty description too.
PageSnapshot parsePageSnapshot(const QString &json);

// The index under which the page keeps the document's live elements.
int snapshotKey(const QJsonObject &description);

// Fills a newly made document from its description: whether it is HTML, its
// body and body text length, its form controls in order. Values of the wrong
// JSON type read as empty text, zero, or no form (-1).
void loadSnapshotDocument(engine::MemoryDocument &doc, const QJsonObject &description);

// Adds a document's controls and submit buttons, from its signals, to the
// page the smart fill plans on. Values of the wrong JSON type read as empty
// text, -1, false, or no options.
void loadSnapshotSignals(engine::Page &page, const QJsonObject &description);

} // namespace web
