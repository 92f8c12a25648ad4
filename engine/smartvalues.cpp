#include "smartparts.h"

#include <QRegularExpression>

#include <algorithm>

namespace engine {

QString field(const Record &r, const QString &name) { return r.fieldText(name); }

namespace {

int limitOf(const Control &c, const Signals &s)
{
    if (c.maxLength > 0)
        return c.maxLength;
    // "summary_80", "(max. 200 characters)"
    int limit = -1;
    for (int n : s.numbers)
        if (n >= 20 && n <= 5000 && (limit < 0 || n < limit))
            limit = n;
    return limit;
}

QString descriptionFor(const Control &c, const Signals &s, const Record &r)
{
    static const int sizes[] = {45, 80, 250, 450, 2000};
    const int limit = limitOf(c, s);
    auto name = [](int n) { return QStringLiteral("Char_Desc_%1").arg(n); };
    // A page that asks for "45 characters" means the description of that name.
    if (c.maxLength <= 0)
        for (int n : s.numbers)
            if (std::find(std::begin(sizes), std::end(sizes), n) != std::end(sizes) && !field(r, name(n)).isEmpty())
                return name(n);
    if (limit > 0) {
        for (int i = 4; i >= 0; --i) {
            const QString text = field(r, name(sizes[i]));
            if (sizes[i] <= limit && !text.isEmpty() && text.size() <= limit)
                return name(sizes[i]);
        }
        return QString();
    }
    auto any = [&](std::initializer_list<const char *> words) { return says(s, words); };
    const bool area = c.type == QLatin1String("textarea");
    int want = area ? 2000 : 250;
    if (any({"short", "brief", "summary", "tagline", "teaser", "slogan", "sdesc", "meta", "excerpt", "abstract",
             "intro", "introtext", "blurb", "liner", "oneliner", "line", "pitch"}))
        want = area ? 250 : 80;
    if (any({"long", "full", "detailed", "complete", "ldesc", "fulltext"}))
        want = 2000;
    // The longest non-empty one up to the size wanted.
    for (int i = 4; i >= 0; --i)
        if (sizes[i] <= want && !field(r, name(sizes[i])).isEmpty())
            return name(sizes[i]);
    return QString();
}

// The unit a set of words names, "" when none.
QString unitIn(const WordSet &words)
{
    auto has = [&](std::initializer_list<const char *> list) {
        for (const char *w : list)
            if (words.contains(QString::fromLatin1(w)))
                return true;
        return false;
    };
    if (has({"byte", "b", "octet", "bytes"}))
        return QStringLiteral("File_Size_Bytes");
    if (has({"mb", "megabyte", "mib", "meg", "mbyte"}))
        return QStringLiteral("File_Size_MB");
    if (has({"kb", "kilobyte", "kib", "k", "kbyte"}))
        return QStringLiteral("File_Size_K");
    return QString();
}

QString sizeFor(const Control &c, const Signals &s, const Record &r)
{
    // The control's own words first, then a unit, help text or unit list
    // after it.
    QString unit = unitIn(s.all);
    if (unit.isEmpty())
        unit = unitIn(s.after);
    if (!unit.isEmpty())
        return unit;
    // A number already there tells the unit by its size (bytes on an edit
    // page): the one nearest to it.
    bool isNumber = false;
    const double held = c.value.trimmed().toDouble(&isNumber);
    if (isNumber && held > 0) {
        QString nearest;
        double bestRatio = 0;
        for (const char *f : {"File_Size_Bytes", "File_Size_K", "File_Size_MB"}) {
            bool ok = false;
            const double v = field(r, QString::fromLatin1(f)).toDouble(&ok);
            if (!ok || v <= 0)
                continue;
            const double ratio = v > held ? v / held : held / v;
            if (nearest.isEmpty() || ratio < bestRatio) {
                nearest = QString::fromLatin1(f);
                bestRatio = ratio;
            }
        }
        if (!nearest.isEmpty() && bestRatio < 10)
            return nearest;
    }
    if (c.maxLength > 0 && field(r, QStringLiteral("File_Size_K")).size() > c.maxLength)
        return QStringLiteral("File_Size_MB");
    return QStringLiteral("File_Size_K");
}

} // namespace

QString descriptionField(const Control &control, const Record &record)
{
    return descriptionFor(control, collect(control), record);
}

QString sizeField(const Control &control, const Record &record) { return sizeFor(control, collect(control), record); }

QString formatDate(const Control &c, const QString &year, const QString &month, const QString &day)
{
    const QString mm = month.rightJustified(2, QLatin1Char('0'));
    const QString dd = day.rightJustified(2, QLatin1Char('0'));
    if (c.type == QLatin1String("date"))
        return year + QLatin1Char('-') + mm + QLatin1Char('-') + dd;
    // A format spelled out in the hints: "YYYY-MM-DD", "mm/dd/yyyy", "DD.MM.YYYY".
    static const QRegularExpression spelled(
        QStringLiteral("\\b(yyyy|yy|mm|dd|m|d)([-./ ])(yyyy|yy|mm|dd|m|d)\\2(yyyy|yy|mm|dd|m|d)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QString hints = c.placeholder + QLatin1Char(' ') + c.title + QLatin1Char(' ') + c.label + QLatin1Char(' ') +
        c.context + QLatin1Char(' ') + c.aria;
    QRegularExpressionMatch m = spelled.match(hints);
    if (m.hasMatch()) {
        QString out;
        for (int i : {1, 3, 4}) {
            const QString part = m.captured(i).toLower();
            if (!out.isEmpty())
                out += m.captured(2);
            if (part == QLatin1String("yyyy"))
                out += year;
            else if (part == QLatin1String("yy"))
                out += year.right(2);
            else if (part == QLatin1String("mm"))
                out += mm;
            else if (part == QLatin1String("m"))
                out += QString::number(month.toInt());
            else if (part == QLatin1String("dd"))
                out += dd;
            else
                out += QString::number(day.toInt());
        }
        return out;
    }
    // A pattern such as \d{2}/\d{2}/\d{4} or [0-9]{4}-[0-9]{2}-[0-9]{2}.
    static const QRegularExpression groups(QStringLiteral("(?:\\\\d|\\[0-9\\])\\{(\\d)\\}(\\\\?[-./])?"));
    QList<int> widths;
    QString sep;
    for (auto it = groups.globalMatch(c.pattern); it.hasNext();) {
        const QRegularExpressionMatch g = it.next();
        widths << g.captured(1).toInt();
        if (sep.isEmpty() && !g.captured(2).isEmpty())
            sep = g.captured(2).right(1);
    }
    if (widths.size() == 3) {
        if (widths[0] == 4)
            return year + sep + mm + sep + dd;
        if (widths[2] == 4)
            return sep == QLatin1String(".") ? dd + sep + mm + sep + year : mm + sep + dd + sep + year;
    }
    if (c.maxLength == 8)
        return mm + QLatin1Char('/') + dd + QLatin1Char('/') + year.right(2);
    return year + QLatin1Char('-') + mm + QLatin1Char('-') + dd;
}

Value valueFor(const Control &c, const Signals &s, const QString &target, const Record &r)
{
    if (target == kNone)
        return {};
    if (target == kDescription) {
        const QString f = descriptionFor(c, s, r);
        return {f.isEmpty() ? QString() : field(r, f), f};
    }
    if (target == kFileSize) {
        const QString f = sizeFor(c, s, r);
        return {field(r, f), f};
    }
    if (target == kReleaseDate) {
        const QString y = field(r, QStringLiteral("Program_Release_Year"));
        const QString m = field(r, QStringLiteral("Program_Release_Month"));
        const QString d = field(r, QStringLiteral("Program_Release_Day"));
        if (y.isEmpty() || m.isEmpty() || d.isEmpty())
            return {};
        return {formatDate(c, y, m, d),
                QStringLiteral("Program_Release_Year+Program_Release_Month+Program_Release_Day")};
    }
    if (target == kPersonName) {
        for (const char *who : {"Contact", "Author"}) {
            const QString first = field(r, QStringLiteral("%1_First_Name").arg(QLatin1String(who)));
            const QString last = field(r, QStringLiteral("%1_Last_Name").arg(QLatin1String(who)));
            const QString full = (first + QLatin1Char(' ') + last).trimmed();
            if (!full.isEmpty())
                return {full, QStringLiteral("%1_First_Name+%1_Last_Name").arg(QLatin1String(who))};
        }
        return {};
    }
    if (target == kCurrency)
        return {field(r, QStringLiteral("Program_Cost_Dollars")).isEmpty() ? QString() : QStringLiteral("USD"),
                QStringLiteral("Program_Cost_Dollars")};
    if (target == kUninstaller) {
        const QString install = field(r, QStringLiteral("Program_Install_Support"));
        if (install.isEmpty())
            return {};
        return {install.contains(QLatin1String("uninstall"), Qt::CaseInsensitive) ? QStringLiteral("yes")
                                                                                  : QStringLiteral("no"),
                QStringLiteral("Program_Install_Support")};
    }
    if (target.startsWith(QLatin1Char('#')))
        return {}; // only lists take it (a file type, a processor, "hosted externally")
    QString text = field(r, target);
    if ((target == QLatin1String("Program_Release_Year") || target == QLatin1String("Expire_Year")) && c.maxLength == 2)
        text = text.right(2);
    // A day or month box of two places takes two digits.
    if (c.maxLength == 2 && c.tag == QLatin1String("input") && text.size() == 1 && text.at(0).isDigit() &&
        (target.endsWith(QLatin1String("_Day")) || target.endsWith(QLatin1String("_Month"))))
        text.prepend(QLatin1Char('0'));
    return {text, target};
}

QString fitted(const QString &text, int maxLength, const QString &field)
{
    if (maxLength <= 0 || text.size() <= maxLength)
        return text;
    if (field == QLatin1String("Keywords")) {
        const qsizetype cut = text.left(maxLength + 1).lastIndexOf(QLatin1Char(','));
        if (cut > 0)
            return text.left(cut).trimmed();
    }
    return QString();
}

} // namespace engine
