#pragma once
// How files written by others become text: a PAD file read as XML text is
// read, and a plain text file (a licence, say).
#include <QByteArray>
#include <QString>

namespace software {

// The bytes as Windows-1252; the five bytes that code page leaves undefined
// become the C1 controls of the same value.
QString fromWindows1252(const QByteArray &bytes);

// The text of an XML file's bytes. The encoding is taken from a byte-order
// mark (UTF-8, UTF-16 LE or BE, UTF-32 LE or BE; the mark is dropped), else
// from the XML declaration, else UTF-8 when the bytes are valid UTF-8, else
// Windows-1252. Two exceptions keep the author's text: bytes that are valid
// UTF-8 using multi-byte sequences are UTF-8 whatever the declaration says,
// and a UTF-8 declaration on bytes that are not UTF-8 counts as none (such
// files were written by Windows programs in their code page). A Latin-1 or
// ASCII declaration is read as Windows-1252, as those programs write.
// Invalid sequences become U+FFFD, and so does every surrogate that is not
// half of a pair, whatever the decoder gave. The text ends before its first
// U+0000. When the declared encoding cannot be read here (unknown, or one
// in which the declaration itself does not read back, as SCSU or UTF-7),
// the text is empty and refusedEncoding receives the encoding's name.
QString decodeXmlBytes(const QByteArray &bytes, QString *refusedEncoding);

// The text of a plain text file: by its byte-order mark (UTF-8, UTF-16 LE or
// BE, the mark dropped), else as UTF-8 when valid, else as Windows-1252. Zero
// bytes are kept as text.
QString decodePlainText(const QByteArray &bytes);

} // namespace software
