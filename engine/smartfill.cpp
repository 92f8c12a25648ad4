#include "smartparts.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace engine {

namespace {

bool writable(const Control &c) { return c.visible && c.editable; }

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
    int addresses = 0; // recognised address boxes
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
        const Target *t = Vocabulary::instance().target(u.match.target);
        if (t && t->kind == Kind::Url && !isChoice(c))
            ++f.addresses;
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
    // A form whose one field is an address box ("submit by PAD URL", a
    // validator) when no form of more fields is on the page.
    if (best < 0)
        for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
            const FormScore &f = it.value();
            if (f.recognised == 1 && f.addresses == 1 && (best < 0 || f.total > bs.total)) {
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
    explicit CachedRecord(const Record &r) : m_r(r) { }
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

bool looksLike(const QString &text, const QRegularExpression &shape) { return shape.match(text).hasMatch(); }

// Whether what a control holds gives way to the record's value without a
// confident match: a site's filler ("anonymous", "UNKNOWN", "http://"), a
// short form of the record's value ("M. Holloway" for "Maren Holloway"), or
// an old value of the same shape (an earlier version, address, date or
// size) on an edit page.
bool givesWay(const QString &held, const QString &text)
{
    static const QSet<QString> fillers {
        "anonymous", "anon",    "unknown",  "n/a",  "na",          "none",         "-",        "--",
        "---",       "http://", "https://", "www.", "http://www.", "https://www.", "untitled", "guest",
        "tbd",       "todo",    "?",        "0",    "your name",   "name",         "email",    "e-mail"};
    const QString h = held.trimmed();
    if (fillers.contains(h.toLower()))
        return true;
    // An initial and a surname: "M. Holloway", "M Holloway".
    static const QRegularExpression initial(QStringLiteral("^\\w\\.?\\s+(\\S.*)$"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = initial.match(h);
    if (m.hasMatch() && text.size() > h.size() && text.endsWith(m.captured(1), Qt::CaseInsensitive) &&
        text.startsWith(h.at(0), Qt::CaseInsensitive))
        return true;
    static const QRegularExpression url(QStringLiteral("^(https?://|www\\.)\\S+$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression version(QStringLiteral("^v?\\d+(\\.\\d+)+[\\w.-]*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression date(QStringLiteral("^\\d{1,4}[-./]\\d{1,2}[-./]\\d{1,4}$"));
    static const QRegularExpression number(QStringLiteral("^\\d+([.,]\\d+)?$"));
    for (const QRegularExpression *shape : {&url, &version, &date, &number})
        if (looksLike(h, *shape) && looksLike(text, *shape))
            return true;
    return false;
}

PageUnits readPage(const Page &page)
{
    PageUnits units;
    units.update(page);
    return units;
}

} // namespace

int chooseForm(const Page &page, const Record &record) { return chooseForm(page, readPage(page), record); }

int chooseForm(const Page &page, const PageUnits &units, const Record &record)
{
    return bestForm(scoreForms(page, units.data().units, CachedRecord(record)), true);
}

Plan planFill(const Page &page, const Record &record)
{
    PageUnits units = readPage(page);
    return planFill(page, units, record);
}

Plan planFill(const Page &page, PageUnits &pageUnits, const Record &record)
{
    const CachedRecord r(record);
    Plan plan;
    plan.fields = QVector<QString>(page.controls.size());
    QVector<Unit> &units = pageUnits.data().units;
    plan.form = bestForm(scoreForms(page, units, r), false);
    if (plan.form < 0)
        return plan;
    matchDateParts(page, units, plan.form);
    matchRepeatedRows(page, units, plan.form);
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
                    const QVector<int> opts =
                        matchOptions(first.options, u.match.target, itemsOf(u.match.target), first.multiple, &used);
                    if (!opts.isEmpty()) {
                        done = true;
                        plan.fields[u.controls.first()] = used;
                        bool same = true;
                        for (int o : opts)
                            same = same && first.options.at(o).selected;
                        // A multiple list names the record's whole set: what
                        // the site chose beyond it (five platforms,
                        // "Freeware") is cleared.
                        QVector<int> clear;
                        if (first.multiple)
                            for (int o = 0; o < first.options.size(); ++o)
                                if (first.options.at(o).selected && !opts.contains(o))
                                    clear << o;
                        if (!same || !clear.isEmpty()) {
                            plan.writes << Write {u.controls.first(), Write::Select, QString(), opts, clear};
                            ++plan.filled;
                        }
                    }
                }
            } else if (first.type == QLatin1String("radio") || first.type == QLatin1String("checkbox")) {
                const bool multiple = first.type == QLatin1String("checkbox");
                QString used;
                const QVector<int> opts =
                    matchOptions(u.signalsOf.options, u.match.target, itemsOf(u.match.target), multiple, &used);
                for (int o : opts) {
                    const int ci = u.controls.at(o);
                    const Control &c = page.controls.at(ci);
                    if (!writable(c))
                        continue;
                    done = true;
                    plan.fields[ci] = used;
                    if (!c.checked) {
                        plan.writes << Write {ci, Write::Check, QString(), {}, {}};
                        ++plan.filled;
                    }
                }
            } else if (writable(first)) {
                Value v = valueFor(first, u.sig, u.match.target, r);
                v.text = fitted(v.text, first.maxLength, v.field);
                // An empty record field never empties a control; a control
                // that holds something gives way only to a confident match.
                const bool holds = !first.value.trimmed().isEmpty() && !givesWay(first.value, v.text);
                if (!v.text.isEmpty() && (!holds || u.match.score >= kConfidentScore || first.value == v.text)) {
                    done = true;
                    plan.fields[u.controls.first()] = v.field;
                    if (first.value != v.text) {
                        plan.writes << Write {u.controls.first(), Write::Value, v.text, {}, {}};
                        ++plan.filled;
                    }
                }
            }
        }
        if (!done)
            ++plan.left;
    }
    tickRowSwitches(page, units, plan.form, plan);
    std::sort(plan.writes.begin(), plan.writes.end(),
              [](const Write &a, const Write &b) { return a.control < b.control; });
    return plan;
}

int chooseSubmitButton(const Page &page, int form)
{
    static const QSet<QString> refuse {"cancel", "reset",  "back",     "preview", "delete", "remove", "search", "clear",
                                       "login",  "logout", "previous", "prev",    "draft",  "abort",  "close"};
    static const QSet<QString> prefer {"submit",   "send",  "add",      "save",   "upload", "publish", "post",
                                       "continue", "next",  "register", "finish", "create", "ok",      "go",
                                       "update",   "apply", "list",     "done",   "confirm"};
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
        // The form's own submit input or button before an image input (a
        // tool bar's), unless the image says it submits.
        score = score * 2 + (b.image ? 0 : 1);
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

} // namespace engine
