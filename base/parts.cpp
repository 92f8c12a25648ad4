#include "parts.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace base {

void forEachInParts(qsizetype count, qsizetype minimum, const std::function<void(qsizetype from, qsizetype to)> &work)
{
    const int parts = count < minimum ? 1 : std::clamp(QThread::idealThreadCount(), 1, 4);
    auto part = [&](int p) { work(count * p / parts, count * (p + 1) / parts); };
    QSemaphore done;
    int started = 0;
    for (int p = 1; p < parts; ++p) {
        if (QThreadPool::globalInstance()->tryStart([&part, &done, p] {
                part(p);
                done.release();
            }))
            ++started;
        else
            part(p);
    }
    part(0);
    done.acquire(started);
}

} // namespace base
