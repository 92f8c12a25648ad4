#include "smartparts.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>

namespace engine {

namespace {

QString lastWord(const QStringList &words)
{
    for (qsizetype i = words.size() - 1; i >= 0; --i)
        if (!words.at(i).at(0).isDigit())
            return stem(words.at(i));
    return QString();
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
        case Kind::Number:
        case Kind::Date:
        case Kind::Choice: return 0.0;
        case Kind::Url:
        case Kind::Email:
        case Kind::Phone: return 0.5;
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
    static const QHash<QString, QString> map {{"email", "Author_Email"},
                                              {"url", "Company_WebSite_URL"},
                                              {"organization", "Company_Name"},
                                              {"given-name", "Contact_First_Name"},
                                              {"family-name", "Contact_Last_Name"},
                                              {"name", "#PersonName"},
                                              {"tel", "General_Phone"},
                                              {"country", "Country"},
                                              {"country-name", "Country"},
                                              {"postal-code", "Zip_Postal_Code"},
                                              {"address-line1", "Address_1"},
                                              {"street-address", "Address_1"},
                                              {"address-line2", "Address_2"},
                                              {"address-level2", "City_Town"},
                                              {"address-level1", "State_Province"},
                                              {"tel-national", "General_Phone"}};
    const QStringList tokens = autocomplete.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &t : tokens)
        if (map.contains(t))
            return map.value(t);
    return QString();
}

} // namespace

WordSet stemmedSet(const QStringList &words)
{
    QStringList s;
    s.reserve(words.size());
    for (const QString &w : words)
        s << stem(w);
    return WordSet(std::move(s));
}

bool isChoice(const Control &c)
{
    return c.type == QLatin1String("select") || c.type == QLatin1String("radio") || c.type == QLatin1String("checkbox");
}

Signals collect(const Control &c, const QString &groupLabel)
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
    const QStringList afterWords = c.after.isEmpty() ? QStringList() : splitWords(c.after, false);
    s.after = stemmedSet(afterWords);
    for (const QStringList *list : {&nameWords, &labelWords, &hintWords, &afterWords})
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
    // A label that is a term and nothing else ("Name", "Page:") outweighs
    // what the name says ("description", "dl_page").
    QVarLengthArray<bool, 128> labelIsTerm(n, false);
    if (!s.label.isEmpty() && s.label.words().size() <= 3)
        for (const QString &w : s.label)
            for (const Vocabulary::TermRef &ref : v.termsWithWord(w)) {
                const Term &term = v.targets().at(ref.target).terms.at(ref.term);
                if (term.words.size() != s.label.words().size())
                    continue;
                bool all = true;
                for (const QString &tw : term.words)
                    all = all && s.label.contains(tw);
                if (all && term.weight == weights[ref.target * 4 + 1])
                    labelIsTerm[ref.target] = true;
            }
    const bool anyLabelTerm = std::find(labelIsTerm.begin(), labelIsTerm.end(), true) != labelIsTerm.end();
    if (!byAutocomplete.isEmpty())
        for (int i = 0; i < n; ++i)
            candidate[i] = candidate[i] || v.targets().at(i).name == byAutocomplete;
    Match best;
    double plain = 0;
    for (int ti = 0; ti < v.targets().size(); ++ti) {
        if (!candidate[ti])
            continue;
        const Target &t = v.targets().at(ti);
        const double fit = typeFit(c, t);
        if (fit <= 0)
            continue;
        const int *w = &weights[ti * 4];
        const double scores[] = {anyLabelTerm && !labelIsTerm[ti] ? w[0] * 0.75 : double(w[0]),
                                 labelIsTerm[ti] ? w[1] + 3.0 : double(w[1]), double(w[2]), w[3] * 0.6};
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
        if (score > best.score) {
            best = {t.name, score};
            // A label that is a term decides among targets but makes no
            // match confident that was not.
            if (labelIsTerm[ti])
                plain = std::max(score - 3.0 * fit, std::min(score, kConfidentScore - 0.5));
            else
                plain = score;
        }
    }
    best.score = plain;
    return best;
}

bool says(const Signals &s, std::initializer_list<const char *> words)
{
    for (const char *w : words) {
        const QString word = QString::fromLatin1(w);
        if (s.all.contains(word) || s.after.contains(word))
            return true;
    }
    return false;
}

Match classify(const Control &control) { return classifySignals(control, collect(control, control.context)); }

} // namespace engine
