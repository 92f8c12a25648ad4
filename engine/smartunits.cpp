#include "smartparts.h"

#include "base/parts.h"

#include <QSet>

#include <limits>
#include <vector>

namespace engine {

namespace {

// What one unit's controls say, and the target that fits them best.
void readUnit(const Page &page, Unit &u)
{
    const Control &first = page.controls.at(u.controls.first());
    u.signalsOf = first;
    if (first.type == QLatin1String("radio") || first.type == QLatin1String("checkbox")) {
        // The group's own words: the text before it; its options: each
        // button's label and value.
        u.signalsOf.options.clear();
        for (int i : u.controls) {
            const Control &c = page.controls.at(i);
            u.signalsOf.options << Option {c.label.isEmpty() ? c.value : c.label, c.value, c.checked};
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

} // namespace

PageUnits::PageUnits() : d(std::make_unique<Data>()) { }
PageUnits::~PageUnits() = default;
PageUnits::PageUnits(PageUnits &&) noexcept = default;
PageUnits &PageUnits::operator=(PageUnits &&) noexcept = default;

void PageUnits::update(const Page &page, bool moreToCome)
{
    QVector<Unit> &units = d->units;
    if (units.isEmpty())
        units.reserve(page.controls.size());
    // The new units, and the groups read with an earlier part that get new
    // buttons now: those are read again.
    const int firstNew = int(units.size());
    QSet<int> grown;
    for (qsizetype i = d->seen; i < page.controls.size(); ++i) {
        const Control &c = page.controls.at(i);
        const bool radio = c.type == QLatin1String("radio");
        const bool box = c.type == QLatin1String("checkbox");
        if ((radio || box) && !c.name.isEmpty()) {
            const QString key = QString::number(c.form) + QLatin1Char('\x1f') + c.type + QLatin1Char('\x1f') + c.name;
            const auto it = d->groups.constFind(key);
            if (it != d->groups.cend()) {
                units[*it].controls << int(i);
                if (*it < firstNew)
                    grown.insert(*it);
                continue;
            }
            d->groups.insert(key, int(units.size()));
        }
        units.emplace_back();
        units.back().controls << int(i);
    }
    d->seen = page.controls.size();
    std::vector<int> toRead(grown.cbegin(), grown.cend());
    for (int u = firstNew; u < units.size(); ++u)
        toRead.push_back(u);
    // Each unit on its own, many in parts on several threads.
    Unit *const data = units.data(); // detached here, once, not on the threads
    const qsizetype alone = moreToCome ? std::numeric_limits<qsizetype>::max() : 512;
    base::forEachInParts(qsizetype(toRead.size()), alone, [&page, data, &toRead](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            readUnit(page, data[toRead[k]]);
    });
}

} // namespace engine
