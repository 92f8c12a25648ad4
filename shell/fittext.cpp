#include "fittext.h"

namespace shell {

namespace {
// Would cutting after the first n UTF-16 units split a surrogate pair?
bool splitsCharacter(const QString &s, int n)
{
    return n > 0 && n < s.size() && s.at(n - 1).isHighSurrogate() && s.at(n).isLowSurrogate();
}
} // namespace

QString FitText(const QString &s, int n)
{
    if (n <= 0)
        return QString();
    if (s.size() < n)
        return s + QString(n - s.size(), QLatin1Char(' '));
    if (splitsCharacter(s, n))
        return s.left(n - 1) + QLatin1Char('.');
    return s.left(n);
}

QString fitCaption(const QString &text, int limit)
{
    if (text.size() < limit)
        return text;
    const int keep = qMax(0, limit);
    if (splitsCharacter(text, keep))
        return text.left(keep - 1) + QStringLiteral("...");
    return text.left(keep) + QStringLiteral("...");
}

} // namespace shell
