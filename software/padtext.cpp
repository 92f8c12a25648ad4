#include "padtext.h"

#include <optional>

namespace software {

namespace {

// A text to search, with a copy in which only A-Z are made lower case, so
// that a search in any letter case keeps every position (tag names are
// ASCII; no other letter is folded).
class Source {
public:
    explicit Source(QStringView text) : m_text(text), m_lower(text.toString())
    {
        for (QChar &c : m_lower)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + 32);
    }
    QStringView text() const { return m_text; }

    // Where the content of element tag starts and ends; nothing when a tag
    // is missing in every letter case.
    std::optional<std::pair<qsizetype, qsizetype>> element(const QString &tag) const
    {
        const QString open = QLatin1Char('<') + tag + QLatin1Char('>');
        const QString close = QLatin1String("</") + tag + QLatin1Char('>');
        qsizetype p = m_text.indexOf(open);
        qsizetype q = p < 0 ? -1 : m_text.indexOf(close);
        if (p < 0 || q < 0) {
            p = QStringView(m_lower).indexOf(asciiLower(open));
            q = p < 0 ? -1 : QStringView(m_lower).indexOf(asciiLower(close));
            if (p < 0 || q < 0)
                return std::nullopt;
        }
        const qsizetype start = p + open.size();
        return std::make_pair(start, qMax(start, q));
    }

    QStringView content(const QString &tag) const
    {
        const auto at = element(tag);
        return at ? m_text.mid(at->first, at->second - at->first) : QStringView();
    }

    static QString asciiLower(QString s)
    {
        for (QChar &c : s)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + 32);
        return s;
    }

private:
    QStringView m_text;
    QString m_lower;
};

const QString kDescriptions = QStringLiteral("Program_Descriptions");

bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == u'\r' || c == u'\n'; }

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
        c == QLatin1Char(':');
}

// The character a reference's name (between "&" and ";") stands for; no value
// when it is no reference.
std::optional<char32_t> referenced(QStringView name)
{
    if (name.startsWith(QLatin1Char('#'))) {
        QStringView digits = name.mid(1);
        int base = 10;
        if (digits.startsWith(QLatin1Char('x')) || digits.startsWith(QLatin1Char('X'))) {
            base = 16;
            digits = digits.mid(1);
        }
        if (digits.isEmpty() || digits.size() > 10)
            return std::nullopt;
        bool ok = false;
        const qulonglong v = digits.toULongLong(&ok, base);
        if (!ok || (base == 10 && !digits.front().isDigit()))
            return std::nullopt;
        if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
            return char32_t(0xFFFD);
        return char32_t(v);
    }
    static const std::pair<const char *, char32_t> named[] = {
        {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}};
    for (const auto &[n, c] : named)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return c;
    return std::nullopt;
}

// The names of the elements directly inside text that have a closing tag, in
// order, each once.
QStringList childElements(QStringView text)
{
    QStringList names;
    qsizetype i = 0;
    while ((i = text.indexOf(QLatin1Char('<'), i)) >= 0) {
        qsizetype end = i + 1;
        while (end < text.size() && isNameChar(text.at(end)))
            ++end;
        const QStringView name = text.mid(i + 1, end - i - 1);
        const qsizetype close = name.isEmpty() || end >= text.size() || text.at(end) != QLatin1Char('>')
            ? -1
            : text.indexOf(QString(QLatin1String("</") + name.toString() + QLatin1Char('>')), end, Qt::CaseInsensitive);
        if (close < 0) {
            i = end;
            continue;
        }
        bool known = false;
        for (const QString &n : std::as_const(names))
            known = known || n.compare(name, Qt::CaseInsensitive) == 0;
        // A field standing right inside is no language.
        if (!known && !isDescriptionField(name.toString()))
            names << name.toString();
        i = close + name.size() + 3;
    }
    return names;
}

QStringList languagesIn(const Source &source)
{
    QStringList names = childElements(source.content(kDescriptions));
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names.at(i).compare(QLatin1String("English"), Qt::CaseInsensitive) == 0) {
            names.move(i, 0);
            break;
        }
    return names;
}

} // namespace

QString decodePadValue(QStringView raw)
{
    static const QLatin1String cdataOpen("<![CDATA[");
    static const QLatin1String cdataClose("]]>");
    QString out;
    out.reserve(raw.size());
    // The first and last character a reference gave: trimming stops there.
    qsizetype firstKept = -1, lastKept = -1;
    const qsizetype n = raw.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('<') && raw.mid(i).startsWith(cdataOpen)) {
            const qsizetype from = i + cdataOpen.size();
            qsizetype end = raw.indexOf(cdataClose, from);
            if (end < 0)
                end = n;
            out += raw.mid(from, end - from);
            i = qMin(n, end + cdataClose.size());
            continue;
        }
        if (c == QLatin1Char('&')) {
            const qsizetype semi = raw.mid(i + 1, 12).indexOf(QLatin1Char(';'));
            if (const auto ch = semi < 0 ? std::nullopt : referenced(raw.mid(i + 1, semi))) {
                if (firstKept < 0)
                    firstKept = out.size();
                if (QChar::requiresSurrogates(*ch)) {
                    out += QChar(QChar::highSurrogate(*ch));
                    out += QChar(QChar::lowSurrogate(*ch));
                } else {
                    out += QChar(char16_t(*ch));
                }
                lastKept = out.size() - 1;
                i += semi + 2;
                continue;
            }
        }
        out += c;
        ++i;
    }
    qsizetype left = 0, right = out.size();
    while (left < right && isSpace(out.at(left)) && (firstKept < 0 || left < firstKept))
        ++left;
    while (right > left && isSpace(out.at(right - 1)) && right - 1 > lastKept)
        --right;
    return out.mid(left, right - left);
}

QString getvaluefromxml(const QString &padText, const QString &tag)
{
    return decodePadValue(Source(padText).content(tag));
}

bool hasPadElement(const QString &padText, const QString &tag) { return Source(padText).element(tag).has_value(); }

bool hasAnyPadElement(const QString &padText, const QStringList &tags)
{
    const Source source(padText);
    for (const QString &tag : tags)
        if (source.element(tag))
            return true;
    return false;
}

QStringList padLanguages(const QString &padText) { return languagesIn(Source(padText)); }

bool isDescriptionField(const QString &name)
{
    return name.compare(QLatin1String("Keywords"), Qt::CaseInsensitive) == 0 ||
        name.startsWith(QLatin1String("Char_Desc_"), Qt::CaseInsensitive);
}

QStringList padValues(const QString &padText, const QStringList &names, const QString &language)
{
    const Source whole(padText);
    const QStringList languages = languagesIn(whole);
    QString chosen;
    for (const QString &l : languages)
        if (l.compare(language.isEmpty() ? QStringLiteral("English") : language, Qt::CaseInsensitive) == 0)
            chosen = l;

    QString rest;
    std::optional<Source> block, outside;
    if (!chosen.isEmpty()) {
        const auto descriptions = whole.element(kDescriptions);
        const QStringView inner = whole.text().mid(descriptions->first, descriptions->second - descriptions->first);
        block.emplace(Source(inner).content(chosen));
        // The rest of the file, without the descriptions of any language.
        const qsizetype openAt = descriptions->first - kDescriptions.size() - 2;
        const qsizetype closeEnd = qMin(padText.size(), descriptions->second + kDescriptions.size() + 3);
        rest = padText.left(openAt) + padText.mid(closeEnd);
        outside.emplace(rest);
    }

    QStringList values;
    values.reserve(names.size());
    for (const QString &name : names) {
        if (block && isDescriptionField(name)) {
            const Source &from = block->element(name) ? *block : *outside;
            values << decodePadValue(from.content(name));
        } else {
            values << decodePadValue(whole.content(name));
        }
    }
    return values;
}

} // namespace software
