#pragma once
// Writing a whole file so that a failure leaves the previous file whole.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes bytes to a temporary file beside path and renames it into place.
// False, with the old file untouched, when anything fails. (QSaveFile's
// commit() alone does not notice bytes still buffered that fail to reach the
// disk, so the buffer is flushed and checked first.)
bool writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace platform
