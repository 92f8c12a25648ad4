#include "smartparts.h"

#include "base/parts.h"

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
    // The units made or grown by the new controls, each once; a group read
    // with an earlier part is read again with its new buttons.
    std::vector<int> touched;
    std::vector<bool> isTouched(units.size(), false);
    auto touch = [&](int u) {
        if (size_t(u) >= isTouched.size())
            isTouched.resize(u + 1, false);
        if (!isTouched[u]) {
            isTouched[u] = true;
            touched.push_back(u);
        }
    };
    units.reserve(page.controls.size());
    for (qsizetype i = d->seen; i < page.controls.size(); ++i) {
        const Control &c = page.controls.at(i);
        const bool radio = c.type == QLatin1String("radio");
        const bool box = c.type == QLatin1String("checkbox");
        if ((radio || box) && !c.name.isEmpty()) {
            const QString key = QString::number(c.form) + QLatin1Char('\x1f') + c.type + QLatin1Char('\x1f') + c.name;
            const auto it = d->groups.constFind(key);
            if (it != d->groups.cend()) {
                units[*it].controls << int(i);
                touch(*it);
                continue;
            }
            d->groups.insert(key, int(units.size()));
        }
        units.emplace_back();
        units.back().controls << int(i);
        touch(int(units.size() - 1));
    }
    d->seen = page.controls.size();
    // Each unit on its own, many in parts on several threads.
    Unit *const data = units.data(); // detached here, once, not on the threads
    const qsizetype alone = moreToCome ? std::numeric_limits<qsizetype>::max() : 512;
    base::forEachInParts(qsizetype(touched.size()), alone, [&page, data, &touched](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            readUnit(page, data[touched[k]]);
    });
}

} // namespace engine
