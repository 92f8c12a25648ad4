#pragma once
// The page snapshot as the snapshot script returns it: JSON text describing
// the top document and, when that shows almost no text, its frames one level
// deep. Reading it needs no browser, so it is kept apart from the bridge.
//
// A document's description: {"html": bool, "body": bool, "len": body text
// length, "key": index of its live elements on the page, "els": [[type, name,
// value, alt, form], ...]}, a type "textarea" standing for a text area. A frame
// is such a description, or {"refused": true}, or {"none": true}.
#include "engine/memorydocument.h"

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

} // namespace web
