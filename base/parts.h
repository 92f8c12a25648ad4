#pragma once
// Work on many independent items split in parts over the pool's threads.
#include <QtGlobal>

#include <functional>

namespace base {

// Calls work(from, to) for consecutive ranges covering [0, count), in
// parts on the global thread pool when count reaches `minimum`, else at
// once; returns when every part is done. The calling thread takes the first
// part and any part no thread was free for, so it never waits on a full
// pool. The work on different items must not touch the same data.
void forEachInParts(qsizetype count, qsizetype minimum, const std::function<void(qsizetype from, qsizetype to)> &work);

} // namespace base
