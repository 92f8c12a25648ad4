#pragma once
// Fitting texts into fixed widths without cutting a character in two.
#include <QString>

namespace shell {

// Exactly n characters: s padded with blanks when shorter; otherwise its first
// n, or its first n - 1 followed by "." when the n-th would split a character.
QString FitText(const QString &s, int n);

// The window caption for a text and a limit in characters: the text when it
// is shorter than the limit, else its first limit characters (one fewer when
// that would split a character) followed by "...".
QString fitCaption(const QString &text, int limit);

} // namespace shell
