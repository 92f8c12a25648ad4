#pragma once
// Internet-shortcut files (.url): INI text with an [InternetShortcut]
// section whose URL= key holds the address. Read for the favourites menu and
// for .url items given on the command line; written by "Add to favorities...".
// No widgets here, so the command-line handling can use it freely.
#include <QString>

namespace platform {

// Longest file name the shortcut reader accepts, in UTF-16 code units.
constexpr int MaxShortcutNameLength = 259;

// The address the shortcut file holds, or empty text when the file cannot be
// read, is not an Internet shortcut (no [InternetShortcut] section, binary
// content), has no URL= key or an empty one, or when the name is longer than
// MaxShortcutNameLength. Section and key names compare without regard to
// case; the value is taken without surrounding blanks or quotes.
QString ReadShortcutURL(const QString &fileName);

// Writes an Internet-shortcut file holding url, atomically: a failed write
// leaves any previous file whole. Line breaks in url are dropped, since they
// would end the value. Throws base::Error "Cannot create file <name>".
void writeShortcutFile(const QString &fileName, const QString &url);

} // namespace platform
