#pragma once
// The script that takes a page's snapshot in the program's world. It keeps
// the live elements on the page side, in window.__dodu[generation], and
// returns the description parsePageSnapshot reads. The plain snapshot is
// what the fill rules run on; the snapshot with signals describes every form
// control by what it and the page say about it, for the smart fill.
#include <QVariant>
#include <QWebEnginePage>

namespace web {

enum class SnapshotDetail { Plain, Signals };

// A generation number for a new snapshot, unique in this process.
int newSnapshotGeneration();

// Takes the snapshot: the description as JSON text; an invalid QVariant, with
// *ok false, when the page went away or did not answer; no text when the page
// has no document.
QVariant takeSnapshot(QWebEnginePage *page, int generation, SnapshotDetail detail, bool *ok);

// Lets the page drop the elements a snapshot kept.
void releaseSnapshot(QWebEnginePage *page, int generation);

// Appends text as a string literal valid in JSON and in script alike, for
// the scripts that apply writes on the kept elements. Lone surrogates are
// escaped so that they reach the page unchanged.
void appendScriptString(QString &out, const QString &text);

} // namespace web
