#pragma once
// The fixed value lists the software editor offers, and the list text by
// which Program_OS_Support and Program_Language hold several entries of a
// list in one text. The record itself accepts any text.
#include <QString>
#include <QStringList>

namespace software {

const QStringList &programTypes();       // Program_Type
const QStringList &releaseStatuses();    // Program_Release_Status
const QStringList &installSupports();    // Program_Install_Support
const QStringList &expireBasedOn();      // Expire_Based_On
const QStringList &specificCategories(); // Program_Specific_Category
const QStringList &categoryClasses();    // Program_Category_Class, "Main::Sub"
const QStringList &currencyCodes();      // Program_Cost_Other_Code, " " first
const QStringList &operatingSystems();   // entries of Program_OS_Support
const QStringList &languages();          // entries of Program_Language

// The list text of the ticked entries: their captions in list order joined by
// "," without spaces; empty when none is ticked.
QString listText(const QStringList &entries, const QVector<bool> &ticked);

// Whether an entry counts as present in a list text: its caption occurs
// anywhere in the text, case and all. Separators are not looked at, so
// "OS/2 Warp 4" also holds "OS/2" and "OS/2 Warp".
bool listTextHolds(const QString &text, const QString &entry);

// The list text with entries[index] ticked (on) or unticked. The text is
// taken as entries separated by ",", each trimmed; the entry is removed
// wherever it stands, or put after the last entry of the list that comes
// before it in list order (else before the first entry of the list, else at
// the end). Every other entry, known to the list or not, stays in its place.
// The result is joined by "," without spaces.
QString withEntry(const QString &text, const QStringList &entries, int index, bool on);

// Position of the entry equal to text without regard to case; -1 when none.
int matchingEntry(const QStringList &entries, const QString &text);

} // namespace software
