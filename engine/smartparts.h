#pragma once
// The parts of the smart fill shared by its sources: what a control says,
// what the record gives for a target, and which options match the record.
#include "smartfill.h"
#include "smartvocabulary.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace engine {

// ---- signals (smartsignals.cpp) ------------------------------------------

// The words of one control, by where they came from.
struct Signals {
    WordSet name, label, hint, options;
    QString nameHead, labelHead; // the last word of the name and of the label
    QList<int> numbers;          // numbers said in the name, label or hints
    WordSet all;
};

WordSet stemmedSet(const QStringList &words);
bool isChoice(const Control &c);
// The words of a control; a radio's or check box's label words are the
// group's text given.
Signals collect(const Control &c, const QString &groupLabel = QString());
// What the words point to: the target and its score.
Match classifySignals(const Control &c, const Signals &s);

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
};

// The record's items for a target, most specific first.
QVector<Item> itemsFor(const QString &target, const Record &r);
// The options that match the record: for a single choice the best one, for a
// multiple choice every one. Empty when none does.
QVector<int> matchOptions(const QVector<Option> &options, const QString &target, const QVector<Item> &items,
                          bool multiple, QString *usedField);

} // namespace engine
