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

#include <QWebEnginePage>

namespace web {

struct SmartOutcome {
    bool formFound = false;
    int filled = 0; // controls written
    int left = 0;   // visible controls of the form left to the author
};

// Takes the picture of the page. Throws base::Error when the page does not
// answer; an empty page when it has no document.
engine::Page readSmartPage(QWebEnginePage *page, int *generation);

// Fills the best-fitting form of the page. Throws base::Error when the page
// does not answer.
SmartOutcome smartFillPage(QWebEnginePage *page, const engine::Record &record);

// Presses the submit control of the page's best-fitting form. With
// recordPresses the press is remembered and its default action prevented.
// False when that form has no submit control.
bool smartSubmitPage(QWebEnginePage *page, const engine::Record &record, bool recordPresses);

// The status line after a smart fill.
QString smartFillStatus(const SmartOutcome &outcome);

} // namespace web
