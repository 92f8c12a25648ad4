#pragma once
// The script that takes a page's snapshot in the program's world. It keeps
// the live elements on the page side, in window.__dodu[generation], and
// returns the description parsePageSnapshot reads. The plain snapshot is
// what the fill rules run on; the snapshot with signals describes every form
// control by what it and the page say about it, for the smart fill.
#include "pagefunctions.h"

#include <QString>

namespace web {

enum class SnapshotDetail { Plain, Signals };

// A generation number for a new snapshot, unique in this process.
int newSnapshotGeneration();

// The page function that takes snapshots.
const PageFunction &snapshotFunction();

// The call that takes the snapshot. It answers the description as JSON
// text, or no text when the page has no document. With signals and a part
// size above 0, a page of more controls than that is described in parts:
// the first answer gives their number in "parts", and snapshotPartScript
// calls answer the next ones in turn.
PageCall snapshotScript(int generation, SnapshotDetail detail, int partSize = 0);
// The call that answers the next part of the snapshot of the generation:
// {"sig": ...}, the last part with "frames"; no text when the page no
// longer holds that snapshot.
PageCall snapshotPartScript(int generation);

// The script that lets the page drop the elements a snapshot kept.
QString releaseSnapshotScript(int generation);

// Appends text as a string literal valid in JSON and in script alike, for
// the scripts that apply writes on the kept elements. Lone surrogates are
// escaped so that they reach the page unchanged.
void appendScriptString(QString &out, const QString &text);

} // namespace web
