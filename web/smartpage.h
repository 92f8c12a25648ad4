#pragma once
// The smart fill on a live page. The page snapshot, taken with signals,
// tells what each form control of the page (and of its frames, one level)
// says about itself: name, id, label, the text before it, hints, type, size
// limit, options, visibility and whether it may be changed; references to
// the live elements stay on the page side. The engine plans the fill on that
// picture, and a second call applies the plan: values set with input and
// change events, written controls lightly highlighted until the author next
// edits them, and the record field used remembered per control for reports.
#include "engine/record.h"
#include "engine/smartfill.h"
#include "pagefunctions.h"

#include <QString>
#include <QVariant>

namespace web {

struct SmartOutcome {
    bool formFound = false;
    int filled = 0; // controls written
    int left = 0;   // visible controls of the form left to the author
};

// The picture of the page from the answer of the snapshot script taken with
// signals; an empty page when the answer is no text (no document).
engine::Page readSmartSnapshot(const QVariant &answer);
// Adds one answer of a snapshot taken in parts to the picture: the first
// part, or a further one. Returns how many answers the snapshot comes in as
// the first one says (1 for the others), or 0 when the answer is no text.
int readSmartSnapshot(engine::Page &page, const QVariant &answer);

// The page function that applies plans and presses buttons.
const PageFunction &applyFunction();

// The script that applies a plan made on page to the controls the snapshot
// of the generation kept; *filled receives the number of controls it
// writes. It answers how many it wrote and lets the snapshot go.
PageCall smartFillScript(int generation, const engine::Page &page, const engine::Plan &plan, int *filled);

// The script that presses button of the snapshot of the generation. With
// recordPresses the press is remembered and its default action prevented.
PageCall smartPressScript(int generation, int button, bool recordPresses);

// The status line after a smart fill.
QString smartFillStatus(const SmartOutcome &outcome);

} // namespace web
