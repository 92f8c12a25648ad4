#include "smartparts.h"

#include <QRegularExpression>

#include <algorithm>

namespace engine {

namespace {

QString normal(const QString &text) { return splitWords(text, false).join(QLatin1Char(' ')); }

bool isPlaceholderOption(const Option &o)
{
    const QString t = normal(o.text);
    if (o.value.trimmed().isEmpty() && (t.isEmpty() || !o.text.isEmpty()))
        return true;
    static const QRegularExpression prompt(QStringLiteral("^(select|choose|please|pick|none|any|all|n a)\\b"));
    return t.isEmpty() || prompt.match(t).hasMatch() || o.text.trimmed().startsWith(QLatin1Char('-'));
}

bool subset(const QStringList &a, const QStringList &b)
{
    if (a.isEmpty())
        return false;
    for (const QString &w : a)
        if (!b.contains(w))
            return false;
    return true;
}

// 3: the option says the item; 2: it says another spelling of it; 1: the
// option is a broader word of it ("Windows" for "Windows XP", "Update" for
// "Minor Update"); 0: no match.
int optionQuality(const Option &o, const Item &item, const QString &target, int *itemRank, int rank)
{
    const QString text = normal(o.text);
    const QString value = normal(o.value);
    const QString rawText = o.text.trimmed().toLower();
    int q = 0;
    for (int i = 0; i < item.names.size(); ++i) {
        const QString &n = item.names.at(i);
        int here = 0;
        if (text == n || value == n || rawText == n)
            here = i == 0 ? 3 : 2;
        else {
            bool okNumber = false, okOption = false;
            const int a = n.toInt(&okNumber);
            if (okNumber && (value.toInt(&okOption) == a && okOption))
                here = 3;
            else if (okNumber && (text.toInt(&okOption) == a && okOption))
                here = 3;
        }
        // Other spellings count only whole; the broader words of an item
        // ("Windows" for "Windows XP") are spellings of their own.
        if (!here && i == 0) {
            const QStringList ow = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QStringList iw = n.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const bool broader = subset(ow, iw) && ow.size() < iw.size();
            const bool category = target == QLatin1String("Program_Category_Class") ||
                target == QLatin1String("Program_Specific_Category");
            // A category option naming the item among other words.
            const bool narrower = category && subset(iw, ow);
            if ((broader || narrower) &&
                std::any_of(ow.begin(), ow.end(), [](const QString &w) { return w.size() >= 3; }))
                here = 1;
        }
        if (here > q) {
            q = here;
            *itemRank = rank;
        }
    }
    return q;
}

} // namespace

QVector<Item> itemsFor(const QString &target, const Record &r)
{
    QVector<Item> items;
    auto add = [&](const QString &f, const QString &text) {
        Item it {f, {}};
        for (const QString &a : aliases(target, text)) {
            // Symbols are their own words in a currency list.
            const QString n = a == QLatin1String("$") ? a : normal(a);
            if (!n.isEmpty())
                it.names << n;
        }
        if (!it.names.isEmpty())
            items << it;
    };
    auto split = [](const QString &text) {
        static const QRegularExpression sep(QStringLiteral("::|[,;|]"));
        QStringList parts;
        for (const QString &p : text.split(sep, Qt::SkipEmptyParts))
            if (!p.trimmed().isEmpty())
                parts << p.trimmed();
        return parts;
    };
    if (target == QLatin1String("Program_Category_Class") || target == QLatin1String("Program_Specific_Category")) {
        // The most specific part first.
        QStringList parts = split(field(r, QStringLiteral("Program_Category_Class")));
        std::reverse(parts.begin(), parts.end());
        for (const QString &p : parts)
            add(QStringLiteral("Program_Category_Class"), p);
        for (const QString &p : split(field(r, QStringLiteral("Program_Specific_Category"))))
            add(QStringLiteral("Program_Specific_Category"), p);
        return items;
    }
    if (target == kCurrency || target == kUninstaller) {
        const Value v = valueFor(Control(), Signals(), target, r);
        if (!v.text.isEmpty()) {
            Item it {v.field, {}};
            for (const QString &a : aliases(target, v.text))
                it.names << (a == QLatin1String("$") ? a : normal(a));
            if (target == kUninstaller)
                it.names << (v.text == QLatin1String("yes") ? QStringList {"y", "1", "true", "on", "has uninstaller"}
                                                            : QStringList {"n", "0", "false", "off"});
            items << it;
        }
        return items;
    }
    const QString text = field(r, target);
    const bool multi = target == QLatin1String("Program_OS_Support") || target == QLatin1String("Program_Language");
    for (const QString &p : multi ? split(text) : QStringList {text})
        add(target, p);
    return items;
}

QVector<int> matchOptions(const QVector<Option> &options, const QString &target, const QVector<Item> &items,
                          bool multiple, QString *usedField)
{
    QVector<int> chosen;
    int bestKey = 0;
    for (int i = 0; i < options.size(); ++i) {
        const Option &o = options.at(i);
        if (isPlaceholderOption(o))
            continue;
        int best = 0, bestRank = 0;
        QString f;
        for (int k = 0; k < items.size(); ++k) {
            int rank = 0;
            const int q = optionQuality(o, items.at(k), target, &rank, k);
            // Better quality first, then the earlier (more specific) item.
            if (q > best) {
                best = q;
                bestRank = rank;
                f = items.at(k).field;
            }
        }
        if (!best)
            continue;
        if (multiple) {
            chosen << i;
            *usedField = f;
            continue;
        }
        const int key = best * 100 - bestRank;
        if (key > bestKey) {
            bestKey = key;
            chosen = {i};
            *usedField = f;
        }
    }
    return chosen;
}

} // namespace engine
