#pragma once
// The smart fill: decides from what a page says about each form control
// (name, id, label, hints, type, size limit, options, visibility) which
// record field belongs in it, fills only the form of the page that matches
// best, and picks that form's submit control. Pure logic: the page side
// collects the signals and applies the plan.
#include "record.h"

#include <QString>
#include <QVector>

#include <memory>

namespace engine {

struct Option {
    QString text;
    QString value;
    bool selected = false;
};

struct Control {
    int form = -1; // the form the control belongs to; controls outside any form share one per document
    QString tag;   // input, textarea, select
    QString type;  // input type in small letters; "textarea" or "select" for those
    QString name, id;
    QString label;   // its own label (label[for] or wrapping label)
    QString context; // the text before it: preceding cell, element or legend
    QString placeholder, aria, title, autocomplete, pattern;
    QString after; // the text right after it: a unit, a help text, a counter
    int maxLength = -1;
    QString value;
    bool checked = false;
    bool multiple = false;   // a multiple-choice list
    QVector<Option> options; // a list's options
    bool visible = true;     // not hidden, of some size and on the page
    bool editable = true;    // neither read-only nor disabled
};

struct Button {
    int form = -1;
    QString text; // value, inner text, alt, title, name and id run together
    bool visible = true;
    bool image = false; // an image input: a submit control, after the form's own
};

struct Page {
    QVector<Control> controls;
    QVector<Button> buttons;
};

struct Write {
    enum What { Value, Check, Select };
    int control = -1;
    What what = Value;
    QString value;        // Value
    QVector<int> options; // Select: the options to select
    QVector<int> clear;   // Select: selected options of a multiple list the record contradicts
};

struct Plan {
    int form = -1;           // the form filled, -1 when none fits
    QVector<QString> fields; // per control: the record field used, "" when left alone
    QVector<Write> writes;   // in control order
    int filled = 0;          // controls written
    int left = 0;            // visible controls of the form left to the author
};

// The score from which a control counts as recognised, and from which it may
// replace a value the control already holds.
constexpr double kMinScore = 5.0;
constexpr double kConfidentScore = 8.0;

// What a control's signals point to: the target and its score (0 when
// nothing does). Exposed for tests of the tables.
struct Match {
    QString target;
    double score = 0;
};
Match classify(const Control &control);

// The units the fill decides on (a control, or the buttons of one group)
// with what each one's signals say, read as the page's controls arrive: a
// long page comes in parts, and each part is read while the next is on its
// way. Reading a page at once or in parts gives the same units.
class PageUnits {
public:
    PageUnits();
    ~PageUnits();
    PageUnits(PageUnits &&) noexcept;
    PageUnits &operator=(PageUnits &&) noexcept;
    // Takes in the controls added to the page since the last call: groups
    // them, and reads the units they made or grew. While more parts are on
    // their way, the reading stays on the calling thread and leaves the
    // other cores to the page describing them; else many units are read on
    // several threads.
    void update(const Page &page, bool moreToCome = false);

    struct Data; // the units, for the planning
    Data &data() const { return *d; }

private:
    std::unique_ptr<Data> d;
};

Plan planFill(const Page &page, const Record &record);
// The same, with the page's units already read (every control taken in);
// the planning changes them.
Plan planFill(const Page &page, PageUnits &units, const Record &record);
// The form a fill would choose, or when none fits, the form with the most
// visible controls; -1 when the page has none.
int chooseForm(const Page &page, const Record &record);
int chooseForm(const Page &page, const PageUnits &units, const Record &record);
// The submit control of the form to press, as an index into page.buttons,
// or -1 when the form has none.
int chooseSubmitButton(const Page &page, int form);

// Helpers, exposed for tests.
QString descriptionField(const Control &control, const Record &record);
QString sizeField(const Control &control, const Record &record);
QString formatDate(const Control &control, const QString &year, const QString &month, const QString &day);

} // namespace engine
