#include "smartparts.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace engine {

namespace {

// Each option is matched against every item of the record, and the same
// option texts come again in every list, so their words are kept.
QString normal(const QString &text)
{
    thread_local QHash<QString, QString> cache;
    const auto it = cache.constFind(text);
    if (it != cache.cend())
        return *it;
    if (cache.size() > 20000)
        cache.clear(); // a page of endless made-up options
    return *cache.insert(text, splitWords(text, false).join(QLatin1Char(' ')));
}

// The family of a platform named by an option or an item ("Windows 7" and
// "WinXP" are both Windows), "" when it names none.
QString platformFamily(const QString &normalised)
{
    const QString first = normalised.section(QLatin1Char(' '), 0, 0);
    if (first.startsWith(QLatin1String("win")))
        return QStringLiteral("windows");
    if (first.startsWith(QLatin1String("mac")) || first == QLatin1String("osx") || first == QLatin1String("os"))
        return QStringLiteral("mac");
    if (first == QLatin1String("linux") || first == QLatin1String("unix") || first == QLatin1String("ubuntu"))
        return QStringLiteral("linux");
    return first;
}

// Words that say little about a category ("tools", "software").
bool weakCategoryWord(const QString &w)
{
    static const QStringList weak {"tools", "tool", "software",     "programs",    "program", "other", "misc",
                                   "and",   "apps", "applications", "application", "utility", "for"};
    return w.size() < 4 || weak.contains(w);
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
            here = i == 0 ? 3 : (item.strong >= 0 && i >= item.strong ? 1 : 2);
        else if (target == kFileType && (text.split(QLatin1Char(' ')).contains(n) || value == n))
            here = 2; // "ZIP archive", "Installer (EXE)"
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
            // A category option sharing a telling word ("Clipboard Managers"
            // for "Clipboard Tools").
            if (!here && category)
                for (const QString &w : iw)
                    if (!weakCategoryWord(w) && ow.contains(w))
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

bool isPlaceholderOption(const Option &o, const QString &target)
{
    const QString t = normal(o.text);
    if (o.value.trimmed().isEmpty() && (t.isEmpty() || !o.text.isEmpty()))
        return true;
    // "Any" is an answer in a processor list.
    static const QRegularExpression prompt(QStringLiteral("^(select|choose|please|pick|none|any|all|n a)\\b"));
    static const QRegularExpression promptOnly(QStringLiteral("^(select|choose|please|pick|none|n a)\\b"));
    const QRegularExpression &re = target == kProcessor ? promptOnly : prompt;
    return t.isEmpty() || re.match(t).hasMatch() || o.text.trimmed().startsWith(QLatin1Char('-'));
}

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
        const QStringList weaker = fallbackAliases(target, text);
        if (!weaker.isEmpty() && !it.names.isEmpty()) {
            it.strong = int(it.names.size());
            for (const QString &a : weaker)
                it.names << normal(a);
        }
        if (!it.names.isEmpty())
            items << it;
    };
    if (target == kFileType) {
        // The type of the download's file, by its extension.
        const QString path = QUrl(field(r, QStringLiteral("Primary_Download_URL"))).path();
        const QString file = path.section(QLatin1Char('/'), -1);
        const QString ext = file.contains(QLatin1Char('.')) ? file.section(QLatin1Char('.'), -1).toLower() : QString();
        if (ext.isEmpty() || ext.size() > 5)
            return items;
        Item it {QStringLiteral("Primary_Download_URL"), {ext, ext + QStringLiteral(" file")}};
        if (ext == QLatin1String("exe"))
            it.names << QStringLiteral("executable") << QStringLiteral("installer") << QStringLiteral("setup");
        else if (ext == QLatin1String("zip") || ext == QLatin1String("7z") || ext == QLatin1String("rar"))
            it.names << QStringLiteral("archive") << ext + QStringLiteral(" archive");
        else if (ext == QLatin1String("dmg"))
            it.names << QStringLiteral("disk image");
        items << it;
        return items;
    }
    if (target == kProcessor) {
        // The record names no processor: a list of them takes "Any".
        if (!field(r, QStringLiteral("Program_OS_Support")).isEmpty())
            items << Item {QStringLiteral("Program_OS_Support"),
                           {"any", "all", "any processor", "all processors", "any cpu", "universal", "independent",
                            "platform independent", "x86 x64"}};
        return items;
    }
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
    if (target == kExternal) {
        if (!field(r, QStringLiteral("Primary_Download_URL")).isEmpty())
            items << Item {QStringLiteral("Primary_Download_URL"), {"yes", "y", "1", "true", "on"}};
        return items;
    }
    if (target == kCurrency || target == kUninstaller) {
        const Value v = valueFor(Control(), Signals(), target, r);
        if (!v.text.isEmpty()) {
            Item it {v.field, {}};
            for (const QString &a : aliases(target, v.text))
                it.names << (a == QLatin1String("$") ? a : normal(a));
            if (target == kUninstaller) {
                it.names << (v.text == QLatin1String("yes") ? QStringList {"y", "1", "true", "on", "has uninstaller"}
                                                            : QStringList {"n", "0", "false", "off"});
                // A list of the kinds of install support names the record's.
                it.names << normal(field(r, QStringLiteral("Program_Install_Support")));
            }
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
    // A single choice of platform takes the family the record names most
    // (Windows when it lists Windows versions), then the best spelling.
    const bool platforms = !multiple && target == QLatin1String("Program_OS_Support");
    QHash<QString, int> families;
    if (platforms)
        for (const Item &it : items)
            ++families[platformFamily(it.names.first())];
    for (int i = 0; i < options.size(); ++i) {
        const Option &o = options.at(i);
        if (isPlaceholderOption(o, target))
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
        const int key = (platforms ? families.value(platformFamily(normal(o.text))) * 1000 : 0) + best * 100 - bestRank;
        if (key > bestKey) {
            bestKey = key;
            chosen = {i};
            *usedField = f;
        }
    }
    return chosen;
}

} // namespace engine
