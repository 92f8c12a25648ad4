#include "smartfill.h"

#include "smartvocabulary.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>

namespace engine::smart {

namespace {

// The words of one control, by where they came from.
struct Signals {
    WordSet name, label, hint, options;
    QString nameHead, labelHead; // the last word of the name and of the label
    QList<int> numbers;          // numbers said in the name, label or hints
    WordSet all;
};

WordSet stemmedSet(const QStringList &words)
{
    QStringList s;
    s.reserve(words.size());
    for (const QString &w : words)
        s << stem(w);
    return WordSet(std::move(s));
}

QString lastWord(const QStringList &words)
{
    for (qsizetype i = words.size() - 1; i >= 0; --i)
        if (!words.at(i).at(0).isDigit())
            return stem(words.at(i));
    return QString();
}

bool isChoice(const Control &c)
{
    return c.type == QLatin1String("select") || c.type == QLatin1String("radio") || c.type == QLatin1String("checkbox");
}

Signals collect(const Control &c, const QString &groupLabel = QString())
{
    Signals s;
    const QStringList nameOnly = splitWords(c.name, true);
    const QStringList idWords = c.id.isEmpty() ? QStringList() : splitWords(c.id, true);
    const QStringList nameWords = idWords.isEmpty() ? nameOnly : nameOnly + idWords;
    // A radio's or check box's own label names its option; the group's text
    // comes before the group.
    const bool optionLabel = c.type == QLatin1String("radio") || c.type == QLatin1String("checkbox");
    const QString labelText = optionLabel ? groupLabel : (c.label.isEmpty() ? c.context : c.label);
    const QStringList labelWords = splitWords(labelText, true);
    const QStringList hintWords = c.placeholder.isEmpty() && c.aria.isEmpty() && c.title.isEmpty()
                                      ? QStringList()
                                      : splitWords(c.placeholder + QLatin1Char(' ') + c.aria + QLatin1Char(' ') + c.title, true);
    s.name = stemmedSet(nameWords);
    s.label = stemmedSet(labelWords);
    s.hint = stemmedSet(hintWords);
    s.nameHead = lastWord(nameOnly.isEmpty() ? idWords : nameOnly);
    s.labelHead = lastWord(labelWords);
    for (const QStringList *list : {&nameWords, &labelWords, &hintWords})
        for (const QString &w : *list)
            if (w.at(0).isDigit())
                s.numbers << w.toInt();
    if (c.type == QLatin1String("select")) {
        QStringList ow;
        for (const Option &o : c.options)
            ow << splitWords(o.text, false);
        s.options = stemmedSet(ow);
    }
    s.all = s.name + s.label + s.hint;
    return s;
}

// How well the control's type takes a value of the target's kind.
double typeFit(const Control &c, const Target &t)
{
    const QString &ty = c.type;
    if (isChoice(c))
        return t.choice ? 1.0 : 0.0;
    if (t.name == kNone)
        return 1.0;
    if (ty == QLatin1String("email"))
        return t.kind == Kind::Email ? 1.0 : 0.0;
    if (ty == QLatin1String("url"))
        return t.kind == Kind::Url ? 1.0 : 0.0;
    if (ty == QLatin1String("tel"))
        return t.kind == Kind::Phone ? 1.0 : 0.0;
    if (ty == QLatin1String("number"))
        return t.kind == Kind::Number ? 1.0 : 0.0;
    if (ty == QLatin1String("date"))
        return t.name == kReleaseDate ? 1.0 : 0.0;
    if (ty == QLatin1String("textarea")) {
        switch (t.kind) {
        case Kind::Number: case Kind::Date: case Kind::Choice: return 0.0;
        case Kind::Url: case Kind::Email: case Kind::Phone: return 0.5;
        default: return 1.0;
        }
    }
    // Text inputs take anything but the values only lists offer.
    return t.kind == Kind::Choice && t.name != QLatin1String("Program_Release_Status") ? 0.0 : 1.0;
}

// Whether a word ending the name says the value is of another kind.
bool headConflicts(const QString &head, const Target &t)
{
    Kind k;
    if (head.isEmpty() || !Vocabulary::instance().headKind(head, &k))
        return false;
    switch (k) {
    case Kind::Url: return t.kind != Kind::Url;
    case Kind::Email: return t.kind != Kind::Email;
    case Kind::Phone: return t.kind != Kind::Phone;
    case Kind::Text: return t.kind == Kind::Url || t.kind == Kind::Email || t.kind == Kind::Phone;
    case Kind::Date: return t.kind != Kind::Date && t.kind != Kind::Number;
    case Kind::Number: return t.kind != Kind::Number;
    default: return false;
    }
}

// The autocomplete tokens that name a target outright.
QString autocompleteTarget(const QString &autocomplete)
{
    static const QHash<QString, QString> map{
        {"email", "Author_Email"},           {"url", "Company_WebSite_URL"},     {"organization", "Company_Name"},
        {"given-name", "Contact_First_Name"}, {"family-name", "Contact_Last_Name"}, {"name", "#PersonName"},
        {"tel", "General_Phone"},             {"country", "Country"},             {"country-name", "Country"},
        {"postal-code", "Zip_Postal_Code"},   {"address-line1", "Address_1"},     {"street-address", "Address_1"},
        {"address-line2", "Address_2"},       {"address-level2", "City_Town"},    {"address-level1", "State_Province"},
        {"tel-national", "General_Phone"}};
    const QStringList tokens = autocomplete.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &t : tokens)
        if (map.contains(t))
            return map.value(t);
    return QString();
}

Match classifySignals(const Control &c, const Signals &s)
{
    const Vocabulary &v = Vocabulary::instance();
    if (c.type == QLatin1String("search") || v.isForbidden(s.name) || v.isForbidden(s.label))
        return {};
    const QString byAutocomplete = autocompleteTarget(c.autocomplete);
    // Per target and signal the weight of its heaviest term whose words the
    // signal says all; only the terms holding a word said are looked at.
    const qsizetype n = v.targets().size();
    QVarLengthArray<int, 512> weights(n * 4, 0);
    QVarLengthArray<bool, 128> candidate(n, false);
    const WordSet *sets[] = {&s.name, &s.label, &s.hint, &s.options};
    for (int k = 0; k < 4; ++k)
        for (const QString &w : *sets[k])
            for (const Vocabulary::TermRef &ref : v.termsWithWord(w)) {
                const Term &term = v.targets().at(ref.target).terms.at(ref.term);
                int &slot = weights[ref.target * 4 + k];
                if (term.weight <= slot)
                    continue;
                bool all = true;
                for (const QString &tw : term.words)
                    all = all && (tw == w || sets[k]->contains(tw));
                if (all) {
                    slot = term.weight;
                    candidate[ref.target] = true;
                }
            }
    if (!byAutocomplete.isEmpty())
        for (int i = 0; i < n; ++i)
            candidate[i] = candidate[i] || v.targets().at(i).name == byAutocomplete;
    Match best;
    for (int ti = 0; ti < v.targets().size(); ++ti) {
        if (!candidate[ti])
            continue;
        const Target &t = v.targets().at(ti);
        const double fit = typeFit(c, t);
        if (fit <= 0)
            continue;
        const int *w = &weights[ti * 4];
        const double scores[] = {double(w[0]), double(w[1]), double(w[2]), w[3] * 0.6};
        // The strongest signal counts, the others agreeing add a little.
        double score = 0, sum = 0;
        for (double x : scores) {
            score = std::max(score, x);
            sum += x;
        }
        score += 0.15 * (sum - score);
        if (t.name == byAutocomplete)
            score = std::max(score, 12.0);
        if (score <= 0)
            continue;
        // A name that ends in "title" is no address, one ending in "url" is one.
        if (headConflicts(s.nameHead, t) || (s.name.isEmpty() && headConflicts(s.labelHead, t)))
            score *= 0.4;
        // The type agreeing is a signal of its own ("contact" in an e-mail box).
        if ((c.type == QLatin1String("email") || c.type == QLatin1String("url") || c.type == QLatin1String("tel")) &&
            fit >= 1)
            score += 2;
        score *= fit;
        if (score > best.score)
            best = {t.name, score};
    }
    return best;
}

// ---- values --------------------------------------------------------------

QString field(const Record &r, const QString &name) { return r.fieldText(name); }

struct Value {
    QString text;
    QString field; // as reported
};

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
    auto any = [&](std::initializer_list<const char *> words) {
        for (const char *w : words)
            if (s.all.contains(QString::fromLatin1(w)))
                return true;
        return false;
    };
    const bool area = c.type == QLatin1String("textarea");
    int want = area ? 2000 : 250;
    if (any({"short", "brief", "summary", "tagline", "teaser", "slogan", "sdesc", "meta", "excerpt", "abstract",
             "intro", "introtext", "blurb", "liner"}))
        want = area ? 250 : 80;
    if (any({"long", "full", "detailed", "complete", "ldesc", "fulltext"}))
        want = 2000;
    // The longest non-empty one up to the size wanted.
    for (int i = 4; i >= 0; --i)
        if (sizes[i] <= want && !field(r, name(sizes[i])).isEmpty())
            return name(sizes[i]);
    return QString();
}

QString sizeFor(const Control &c, const Signals &s, const Record &r)
{
    auto has = [&](std::initializer_list<const char *> words) {
        for (const char *w : words)
            if (s.all.contains(QString::fromLatin1(w)))
                return true;
        return false;
    };
    if (has({"byte", "b", "octet"}))
        return QStringLiteral("File_Size_Bytes");
    if (has({"mb", "megabyte", "mib", "meg", "mbyte"}))
        return QStringLiteral("File_Size_MB");
    if (has({"kb", "kilobyte", "kib", "k", "kbyte"}))
        return QStringLiteral("File_Size_K");
    if (c.maxLength > 0 && field(r, QStringLiteral("File_Size_K")).size() > c.maxLength)
        return QStringLiteral("File_Size_MB");
    return QStringLiteral("File_Size_K");
}

} // namespace

QString descriptionField(const Control &control, const Record &record)
{
    return descriptionFor(control, collect(control), record);
}

QString sizeField(const Control &control, const Record &record)
{
    return sizeFor(control, collect(control), record);
}

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
            if (part == QLatin1String("yyyy")) out += year;
            else if (part == QLatin1String("yy")) out += year.right(2);
            else if (part == QLatin1String("mm")) out += mm;
            else if (part == QLatin1String("m")) out += QString::number(month.toInt());
            else if (part == QLatin1String("dd")) out += dd;
            else out += QString::number(day.toInt());
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

namespace {

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
        return {formatDate(c, y, m, d), QStringLiteral("Program_Release_Year+Program_Release_Month+Program_Release_Day")};
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
    QString text = field(r, target);
    if (target == QLatin1String("Program_Release_Year") && c.maxLength == 2)
        text = text.right(2);
    return {text, target};
}

// A value within the control's size limit: keywords cut after the last whole
// one that fits; any other value that does not fit is not written.
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

// ---- choices ---------------------------------------------------------------

QString normal(const QString &text)
{
    return splitWords(text, false).join(QLatin1Char(' '));
}

bool isPlaceholderOption(const Option &o)
{
    const QString t = normal(o.text);
    if (o.value.trimmed().isEmpty() && (t.isEmpty() || !o.text.isEmpty()))
        return true;
    static const QRegularExpression prompt(QStringLiteral("^(select|choose|please|pick|none|any|all|n a)\\b"));
    return t.isEmpty() || prompt.match(t).hasMatch() || o.text.trimmed().startsWith(QLatin1Char('-'));
}

struct Item {
    QString field;
    QStringList names; // the item and its other spellings, normalised
};

QVector<Item> itemsFor(const QString &target, const Record &r)
{
    QVector<Item> items;
    auto add = [&](const QString &f, const QString &text) {
        Item it{f, {}};
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
            Item it{v.field, {}};
            for (const QString &a : aliases(target, v.text))
                it.names << (a == QLatin1String("$") ? a : normal(a));
            if (target == kUninstaller)
                it.names << (v.text == QLatin1String("yes") ? QStringList{"y", "1", "true", "on", "has uninstaller"}
                                                             : QStringList{"n", "0", "false", "off"});
            items << it;
        }
        return items;
    }
    const QString text = field(r, target);
    const bool multi = target == QLatin1String("Program_OS_Support") || target == QLatin1String("Program_Language");
    for (const QString &p : multi ? split(text) : QStringList{text})
        add(target, p);
    return items;
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
            if ((broader || narrower) && std::any_of(ow.begin(), ow.end(), [](const QString &w) { return w.size() >= 3; }))
                here = 1;
        }
        if (here > q) {
            q = here;
            *itemRank = rank;
        }
    }
    return q;
}

// The options that match the record: for a single choice the best one, for a
// multiple choice every one. Empty when none does.
QVector<int> matchOptions(const QVector<Option> &options, const QString &target, const QVector<Item> &items, bool multiple,
                          QString *usedField)
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

// ---- the plan --------------------------------------------------------------

// One unit the fill decides on: a control, or a radio group or check box
// group (one name in one form).
struct Unit {
    QVector<int> controls;
    Control signalsOf;  // the control whose signals decide (for groups: the first, with the group's text)
    Match match;
    Signals sig;
};

bool writable(const Control &c) { return c.visible && c.editable; }

QVector<Unit> unitsOf(const Page &page)
{
    QVector<Unit> units;
    units.reserve(page.controls.size());
    QHash<QString, int> groups;
    for (int i = 0; i < page.controls.size(); ++i) {
        const Control &c = page.controls.at(i);
        const bool radio = c.type == QLatin1String("radio");
        const bool box = c.type == QLatin1String("checkbox");
        if ((radio || box) && !c.name.isEmpty()) {
            const QString key = QString::number(c.form) + QLatin1Char('\x1f') + c.type + QLatin1Char('\x1f') + c.name;
            const auto it = groups.constFind(key);
            if (it != groups.cend()) {
                units[*it].controls << i;
                continue;
            }
            groups.insert(key, int(units.size()));
        }
        units.emplace_back();
        units.back().controls << i;
    }
    for (Unit &u : units) {
        const Control &first = page.controls.at(u.controls.first());
        u.signalsOf = first;
        if (first.type == QLatin1String("radio") || first.type == QLatin1String("checkbox")) {
            // The group's own words: the text before it; its options: each
            // button's label and value.
            u.signalsOf.options.clear();
            for (int i : u.controls) {
                const Control &c = page.controls.at(i);
                u.signalsOf.options << Option{c.label.isEmpty() ? c.value : c.label, c.value, c.checked};
            }
            QString groupText = first.context;
            // A lone check box is named by its own label too ("Runs on Windows").
            if (u.controls.size() == 1 && first.type == QLatin1String("checkbox"))
                groupText += QLatin1Char(' ') + first.label;
            u.sig = collect(u.signalsOf, groupText);
            QStringList ow;
            for (const Option &o : u.signalsOf.options)
                ow << splitWords(o.text, false);
            u.sig.options = stemmedSet(ow);
        } else {
            u.sig = collect(first);
        }
        u.match = classifySignals(u.signalsOf, u.sig);
    }
    return units;
}

bool unitWritable(const Page &page, const Unit &u)
{
    for (int i : u.controls)
        if (writable(page.controls.at(i)))
            return true;
    return false;
}

struct FormScore {
    int recognised = 0;
    double total = 0;
    int visible = 0;
};

QHash<int, FormScore> scoreForms(const Page &page, const QVector<Unit> &units, const Record &r)
{
    QHash<int, FormScore> forms;
    for (const Unit &u : units) {
        const Control &c = page.controls.at(u.controls.first());
        FormScore &f = forms[c.form];
        if (!unitWritable(page, u))
            continue;
        ++f.visible;
        if (u.match.score < kMinScore)
            continue;
        if (valueFor(u.signalsOf, u.sig, u.match.target, r).text.isEmpty() && !isChoice(c))
            continue;
        ++f.recognised;
        f.total += u.match.score;
    }
    return forms;
}

int bestForm(const QHash<int, FormScore> &forms, bool fallback)
{
    int best = -1;
    FormScore bs;
    for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
        const FormScore &f = it.value();
        // A form of one recognised field (a search box, a newsletter box) is
        // never the submission form.
        if (f.recognised < 2)
            continue;
        if (best < 0 || f.recognised > bs.recognised || (f.recognised == bs.recognised && f.total > bs.total) ||
            (f.recognised == bs.recognised && f.total == bs.total && it.key() < best)) {
            best = it.key();
            bs = f;
        }
    }
    if (best >= 0 || !fallback)
        return best;
    for (auto it = forms.cbegin(); it != forms.cend(); ++it)
        if (it.value().visible > 0 && (best < 0 || it.value().visible > bs.visible)) {
            best = it.key();
            bs = it.value();
        }
    return best;
}

// The record's fields, each looked up once per fill.
class CachedRecord : public Record {
public:
    explicit CachedRecord(const Record &r) : m_r(r) {}
    QString fieldText(const QString &name) const override
    {
        auto it = m_cache.constFind(name);
        if (it == m_cache.cend())
            it = m_cache.insert(name, m_r.fieldText(name));
        return *it;
    }

private:
    const Record &m_r;
    mutable QHash<QString, QString> m_cache;
};

} // namespace

Match classify(const Control &control)
{
    return classifySignals(control, collect(control, control.context));
}

int chooseForm(const Page &page, const Record &record)
{
    const QVector<Unit> units = unitsOf(page);
    return bestForm(scoreForms(page, units, CachedRecord(record)), true);
}

Plan planFill(const Page &page, const Record &record)
{
    const CachedRecord r(record);
    Plan plan;
    plan.fields = QVector<QString>(page.controls.size());
    const QVector<Unit> units = unitsOf(page);
    plan.form = bestForm(scoreForms(page, units, r), false);
    if (plan.form < 0)
        return plan;
    // The record's items per target, made once per fill.
    QHash<QString, QVector<Item>> items;
    auto itemsOf = [&](const QString &target) -> const QVector<Item> & {
        auto it = items.constFind(target);
        if (it == items.cend())
            it = items.insert(target, itemsFor(target, r));
        return *it;
    };
    for (const Unit &u : units) {
        const Control &first = page.controls.at(u.controls.first());
        if (first.form != plan.form || !unitWritable(page, u))
            continue;
        bool done = false;
        if (u.match.score >= kMinScore) {
            if (first.type == QLatin1String("select")) {
                if (writable(first)) {
                    QString used;
                    const QVector<int> opts = matchOptions(first.options, u.match.target, itemsOf(u.match.target), first.multiple, &used);
                    if (!opts.isEmpty()) {
                        done = true;
                        plan.fields[u.controls.first()] = used;
                        bool same = true;
                        for (int o : opts)
                            same = same && first.options.at(o).selected;
                        if (!same) {
                            plan.writes << Write{u.controls.first(), Write::Select, QString(), opts};
                            ++plan.filled;
                        }
                    }
                }
            } else if (first.type == QLatin1String("radio") || first.type == QLatin1String("checkbox")) {
                const bool multiple = first.type == QLatin1String("checkbox");
                QString used;
                const QVector<int> opts = matchOptions(u.signalsOf.options, u.match.target, itemsOf(u.match.target), multiple, &used);
                for (int o : opts) {
                    const int ci = u.controls.at(o);
                    const Control &c = page.controls.at(ci);
                    if (!writable(c))
                        continue;
                    done = true;
                    plan.fields[ci] = used;
                    if (!c.checked) {
                        plan.writes << Write{ci, Write::Check, QString(), {}};
                        ++plan.filled;
                    }
                }
            } else if (writable(first)) {
                Value v = valueFor(first, u.sig, u.match.target, r);
                v.text = fitted(v.text, first.maxLength, v.field);
                // An empty record field never empties a control; a control
                // that holds something gives way only to a confident match.
                const bool holds = !first.value.trimmed().isEmpty();
                if (!v.text.isEmpty() && (!holds || u.match.score >= kConfidentScore || first.value == v.text)) {
                    done = true;
                    plan.fields[u.controls.first()] = v.field;
                    if (first.value != v.text) {
                        plan.writes << Write{u.controls.first(), Write::Value, v.text, {}};
                        ++plan.filled;
                    }
                }
            }
        }
        if (!done)
            ++plan.left;
    }
    std::sort(plan.writes.begin(), plan.writes.end(), [](const Write &a, const Write &b) { return a.control < b.control; });
    return plan;
}

int chooseSubmitButton(const Page &page, int form)
{
    static const QSet<QString> refuse{"cancel", "reset", "back", "preview", "delete", "remove", "search", "clear",
                                      "login", "logout", "previous", "prev", "draft", "abort", "close"};
    static const QSet<QString> prefer{"submit", "send", "add", "save", "upload", "publish", "post", "continue",
                                      "next", "register", "finish", "create", "ok", "go", "update", "apply",
                                      "list", "done", "confirm"};
    int best = -1, bestScore = -1;
    for (int i = 0; i < page.buttons.size(); ++i) {
        const Button &b = page.buttons.at(i);
        if (b.form != form || !b.visible)
            continue;
        const WordSet words = stemmedSet(splitWords(b.text, true));
        bool refused = false;
        int score = 0;
        for (const QString &w : words) {
            if (refuse.contains(w))
                refused = true;
            if (prefer.contains(w))
                ++score;
        }
        if (refused)
            continue;
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

} // namespace engine::smart
