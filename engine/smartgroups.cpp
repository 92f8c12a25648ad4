// Controls that say something together: the boxes of one date, and rows
// repeated with a number in their names.
#include "smartparts.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace engine {

namespace {

enum class Part { None, Day, Month, Year };

// The part of a date a name's last word says: "r_d", "maj_jj", "rel_day".
Part partOfWord(const QString &w)
{
    static const QSet<QString> day {"d", "dd", "day", "jj", "j", "jour", "tag", "dia"};
    static const QSet<QString> month {"m", "mm", "month", "mon", "mois", "mes", "monat"};
    static const QSet<QString> year {"y", "yy", "yyyy", "year", "yr", "a", "aa", "aaaa", "an", "annee", "jahr", "ano"};
    if (day.contains(w))
        return Part::Day;
    if (month.contains(w))
        return Part::Month;
    if (year.contains(w))
        return Part::Year;
    return Part::None;
}

bool isBox(const Control &c)
{
    return c.tag == QLatin1String("input") && !isChoice(c) && c.type != QLatin1String("date");
}

// The field of a date part; expiry dates have their own.
QString partField(Part p, bool expiry)
{
    const QString prefix = expiry ? QStringLiteral("Expire_") : QStringLiteral("Program_Release_");
    switch (p) {
    case Part::Day: return prefix + QStringLiteral("Day");
    case Part::Month: return prefix + QStringLiteral("Month");
    case Part::Year: return prefix + QStringLiteral("Year");
    default: return QString();
    }
}

bool saysExpiry(const Signals &s) { return says(s, {"expire", "expiry", "expiration", "exp", "expires"}); }

// The order of three boxes from a format spelled in their words
// ("dd/mm/yyyy", placeholders "DD", "MM", "YYYY"); empty when none says it.
QVector<Part> spelledOrder(const Page &page, const QVector<Unit> &units, int from)
{
    const Control &first = page.controls.at(units.at(from).controls.first());
    static const QRegularExpression spelled(QStringLiteral("\\b(yyyy|yy|mm|dd|jj|aaaa|aa)[-./ ](yyyy|yy|mm|dd|jj|"
                                                           "aaaa|aa)[-./ ](yyyy|yy|mm|dd|jj|aaaa|aa)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m =
        spelled.match(first.label + QLatin1Char(' ') + first.context + QLatin1Char(' ') + first.title);
    QVector<Part> order;
    if (m.hasMatch()) {
        for (int i = 1; i <= 3; ++i)
            order << partOfWord(m.captured(i).toLower());
        return order;
    }
    for (int k = 0; k < 3; ++k)
        order << partOfWord(page.controls.at(units.at(from + k).controls.first()).placeholder.trimmed().toLower());
    return order;
}

void setPart(Unit &u, Part p, bool expiry) { u.match = {partField(p, expiry), 12.0}; }

// Whether a name's last word names a date part; the last word is split from
// the name's tail after its last separator, as the whole name would split.
bool endsInDatePart(const QString &name)
{
    qsizetype from = name.size();
    while (from > 0 && name.at(from - 1).isLetterOrNumber())
        --from;
    const QStringList tail = splitWords(name.mid(from), false);
    return !tail.isEmpty() && partOfWord(tail.last()) != Part::None;
}

} // namespace

void matchDateParts(const Page &page, QVector<Unit> &units, int form)
{
    for (int i = 0; i < units.size(); ++i) {
        const Control &c = page.controls.at(units.at(i).controls.first());
        if (c.form != form || units.at(i).controls.size() != 1)
            continue;
        // Boxes and lists named by a shared stem and the part ("r_d",
        // "r_m", "r_a"); two parts at least, three when the stem is empty.
        const QStringList words = endsInDatePart(c.name) ? splitWords(c.name, false) : QStringList();
        if (!words.isEmpty() && partOfWord(words.last()) != Part::None) {
            const QString stemWords = words.mid(0, words.size() - 1).join(QLatin1Char(' '));
            QVector<Part> parts;
            int j = i;
            for (; j < units.size() && j < i + 3; ++j) {
                const Control &d = page.controls.at(units.at(j).controls.first());
                const QStringList w = splitWords(d.name, false);
                if (d.form != form || w.isEmpty() || w.mid(0, w.size() - 1).join(QLatin1Char(' ')) != stemWords)
                    break;
                const Part p = partOfWord(w.last());
                if (p == Part::None || parts.contains(p) || (!isBox(d) && d.type != QLatin1String("select")))
                    break;
                parts << p;
            }
            if (parts.size() >= (stemWords.isEmpty() ? 3 : 2)) {
                bool expiry = saysExpiry(units.at(i).sig);
                for (int k = 0; k < parts.size(); ++k)
                    setPart(units[i + k], parts.at(k), expiry);
                i = j - 1;
                continue;
            }
        }
        // Three boxes of 2, 2 and 4 places where a date is asked.
        if (i + 2 >= units.size() || !isBox(c))
            continue;
        QVector<int> lengths;
        for (int k = 0; k < 3; ++k) {
            const Unit &u = units.at(i + k);
            const Control &d = page.controls.at(u.controls.first());
            if (d.form != form || u.controls.size() != 1 || !isBox(d))
                break;
            lengths << d.maxLength;
        }
        if (lengths.size() != 3 || lengths.count(2) != 2 || lengths.count(4) != 1)
            continue;
        const QString &t = units.at(i).match.target;
        const bool dated = t == kReleaseDate || t.startsWith(QLatin1String("Program_Release_")) ||
            t.startsWith(QLatin1String("Expire_")) || says(units.at(i).sig, {"date", "released", "published"});
        if (!dated)
            continue;
        QVector<Part> order = spelledOrder(page, units, i);
        if (order.count(Part::None) || order.count(Part::Day) != 1 || order.count(Part::Month) != 1) {
            // By the sizes: the year box of four places; month before day
            // unless the year comes first.
            order = lengths.at(0) == 4 ? QVector<Part> {Part::Year, Part::Month, Part::Day}
                : lengths.at(2) == 4   ? QVector<Part> {Part::Month, Part::Day, Part::Year}
                                       : QVector<Part> {Part::Month, Part::Year, Part::Day};
        }
        const bool expiry = t.startsWith(QLatin1String("Expire_")) || saysExpiry(units.at(i).sig);
        for (int k = 0; k < 3; ++k)
            setPart(units[i + k], order.at(k), expiry);
        i += 2;
    }
}

namespace {

// The download addresses in the order further rows take them.
const QStringList &downloadChain()
{
    static const QStringList chain {"Primary_Download_URL", "Secondary_Download_URL", "Additional_Download_URL_1",
                                    "Additional_Download_URL_2"};
    return chain;
}

// A name's last number: the name with it replaced by "#", the number, and
// the name up to the number (the row's prefix). False when it has none.
bool rowOf(const QString &name, QString *shape, int *number, QString *prefix)
{
    // Found by hand: every control of a page is asked.
    qsizetype end = name.size();
    while (end > 0 && !name.at(end - 1).isDigit())
        --end;
    if (end == 0)
        return false;
    qsizetype start = end;
    while (start > 0 && name.at(start - 1).isDigit())
        --start;
    if (end - start > 2)
        return false;
    *number = name.mid(start, end - start).toInt();
    *shape = name.left(start) + QLatin1Char('#') + name.mid(end);
    *prefix = name.left(end);
    return true;
}

} // namespace

void matchRepeatedRows(const Page &page, QVector<Unit> &units, int form)
{
    // The text boxes of the form by the shape of their names.
    QMap<QString, QMap<int, int>> groups; // shape -> number -> unit
    for (int i = 0; i < units.size(); ++i) {
        const Control &c = page.controls.at(units.at(i).controls.first());
        if (c.form != form || isChoice(c) || c.type == QLatin1String("select"))
            continue;
        QString shape, prefix;
        int number = 0;
        if (rowOf(c.name, &shape, &number, &prefix) && !groups[shape].contains(number))
            groups[shape].insert(number, i);
    }
    // Rows of one value first, so that download rows see which addresses
    // the other boxes of the form keep.
    for (const bool downloads : {false, true})
        for (auto g = groups.cbegin(); g != groups.cend(); ++g) {
            const QMap<int, int> &rows = g.value();
            // Rows are numbered one after another from 0, 1 or 2.
            if (rows.size() < 2 || rows.firstKey() > 2 || rows.lastKey() - rows.firstKey() + 1 != rows.size())
                continue;
            const QList<int> members = rows.values();
            const Match first = units.at(members.first()).match;
            if (first.score < kMinScore)
                continue;
            // Fields numbered in the record ("address 1", "address 2") are no
            // repeated rows: each row says another field.
            bool repeated = false;
            for (int k = 1; k < members.size(); ++k) {
                const Match &m = units.at(members.at(k)).match;
                repeated = repeated || m.score < kMinScore || m.target == first.target ||
                    (downloadChain().contains(m.target) && downloadChain().contains(first.target));
            }
            if (!repeated)
                continue;
            const int chainAt = int(downloadChain().indexOf(first.target));
            if ((chainAt >= 0) != downloads)
                continue;
            if (chainAt < 0) {
                // One value of its kind: the first row takes it, the others none.
                for (int k = 1; k < members.size(); ++k)
                    units[members.at(k)].match = {};
                continue;
            }
            // Download addresses: each row the next one that no other box of
            // the form takes.
            QSet<QString> taken;
            for (int i = 0; i < units.size(); ++i)
                if (!members.contains(i) && page.controls.at(units.at(i).controls.first()).form == form &&
                    units.at(i).match.score >= kMinScore)
                    taken.insert(units.at(i).match.target);
            int next = chainAt;
            for (int member : members) {
                while (next < downloadChain().size() && taken.contains(downloadChain().at(next)))
                    ++next;
                if (next < downloadChain().size())
                    units[member].match = {downloadChain().at(next++), std::max(first.score, kConfidentScore)};
                else
                    units[member].match = {};
            }
        }
}

void tickRowSwitches(const Page &page, const QVector<Unit> &units, int form, Plan &plan)
{
    static const QSet<QString> switches {"enabled", "enable",    "use",     "used", "active",   "show",     "visible",
                                         "publish", "published", "include", "on",   "activate", "activated"};
    // Each row's filled box and its field, by the row's prefix.
    QHash<QString, QString> filledRows;
    for (int i = 0; i < page.controls.size(); ++i) {
        const Control &c = page.controls.at(i);
        QString shape, prefix;
        int number = 0;
        if (c.form == form && !isChoice(c) && !plan.fields.at(i).isEmpty() && rowOf(c.name, &shape, &number, &prefix))
            filledRows.insert(prefix, plan.fields.at(i));
    }
    if (filledRows.isEmpty())
        return;
    for (const Unit &u : units) {
        const int ci = u.controls.first();
        const Control &c = page.controls.at(ci);
        if (u.controls.size() != 1 || c.form != form || c.type != QLatin1String("checkbox") || c.checked ||
            !c.visible || !c.editable || !plan.fields.at(ci).isEmpty())
            continue;
        QString shape, prefix;
        int number = 0;
        if (!rowOf(c.name, &shape, &number, &prefix) || !filledRows.contains(prefix))
            continue;
        // What the box is: the words of its name after the number, or its label.
        const QStringList words = splitWords(c.name.mid(prefix.size()) + QLatin1Char(' ') + c.label, false);
        if (!std::any_of(words.begin(), words.end(), [](const QString &w) { return switches.contains(w); }))
            continue;
        plan.fields[ci] = filledRows.value(prefix);
        plan.writes << Write {ci, Write::Check, QString(), {}, {}};
        ++plan.filled;
        --plan.left;
    }
}

} // namespace engine
