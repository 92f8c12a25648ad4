#pragma once
// Text of files written in UTF-16. Qt's decoder passes a surrogate without its
// partner through, which no later encoding can carry (UTF-8 turns it into
// "?"); here it becomes U+FFFD, as an invalid UTF-8 sequence does.
#include <QByteArray>
#include <QString>
#include <QStringConverter>

namespace platform {

// encoding: QStringConverter::Utf16LE or Utf16BE. The caller drops the
// byte-order mark; a U+FEFF left at the start is kept as a character. An odd
// last byte is no character and is left out.
QString decodeUtf16(const QByteArray &bytes, QStringConverter::Encoding encoding);

// Every surrogate that is not half of a pair replaced by U+FFFD.
QString withoutLoneSurrogates(QString text);

} // namespace platform
