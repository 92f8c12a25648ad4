#pragma once
// The parts of the smart fill shared by its sources: what a control says,
// what the record gives for a target, and which options match the record.
#include "smartfill.h"
#include "smartvocabulary.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace engine {

// ---- signals (smartsignals.cpp) ------------------------------------------

// The words of one control, by where they came from.
struct Signals {
    WordSet name, label, hint, options;
    WordSet after;               // the text after the control: shapes the value, names no field
    QString nameHead, labelHead; // the last word of the name and of the label
    QList<int> numbers;          // numbers said in the name, label, hints or the text after it
    WordSet all;
};

WordSet stemmedSet(const QStringList &words);
bool isChoice(const Control &c);
// The words of a control; a radio's or check box's label words are the
// group's text given.
Signals collect(const Control &c, const QString &groupLabel = QString());
// What the words point to: the target and its score.
Match classifySignals(const Control &c, const Signals &s);
// Whether any of the words is said by the control (its own signals or the
// text after it).
bool says(const Signals &s, std::initializer_list<const char *> words);

// ---- groups (smartgroups.cpp) --------------------------------------------

// One unit the fill decides on: a control, or a radio group or check box
// group (one name in one form).
struct Unit {
    QVector<int> controls;
    Control signalsOf; // the control whose signals decide (for groups: the first, with the group's text)
    Match match;
    Signals sig;
};

struct PageUnits::Data {
    QVector<Unit> units;
    QHash<QString, int> groups; // a group's unit by form, type and name
    qsizetype seen = 0;         // the controls taken in
};

// The boxes of one date (day, month and year by their names' last parts or
// by their sizes 2, 2 and 4) each take their part of the release date.
void matchDateParts(const Page &page, QVector<Unit> &units, int form);
// Rows repeated with a number in their names ("previews[1][link]",
// "mirror_2"): the first row takes the record's value, further rows only
// further download addresses.
void matchRepeatedRows(const Page &page, QVector<Unit> &units, int form);
// Ticks the "enabled"/"use" box of each row whose box was filled.
void tickRowSwitches(const Page &page, const QVector<Unit> &units, int form, Plan &plan);

// ---- values (smartvalues.cpp) --------------------------------------------

QString field(const Record &r, const QString &name);

struct Value {
    QString text;
    QString field; // as reported
};

// The value of a target for the control and the record field reported.
Value valueFor(const Control &c, const Signals &s, const QString &target, const Record &r);
// A value within the control's size limit: keywords cut after the last whole
// one that fits; any other value that does not fit is not written.
QString fitted(const QString &text, int maxLength, const QString &field);

// ---- choices (smartchoices.cpp) ------------------------------------------

struct Item {
    QString field;
    QStringList names; // the item and its other spellings, normalised
    int strong = -1;   // names from here on are weaker spellings; -1 when none is
};

// The record's items for a target, most specific first.
QVector<Item> itemsFor(const QString &target, const Record &r);
// The options that match the record: for a single choice the best one, for a
// multiple choice every one. Empty when none does.
QVector<int> matchOptions(const QVector<Option> &options, const QString &target, const QVector<Item> &items,
                          bool multiple, QString *usedField);
// Whether an option only prompts for a choice ("-- select --", "Any").
bool isPlaceholderOption(const Option &o, const QString &target);

} // namespace engine
