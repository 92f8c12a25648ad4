#pragma once
// The word tables of the smart fill: for each target (a record field, or a
// value made from several fields) the words that name it and how strongly.
// A term is one or more words that must all appear among the words of one
// signal of a control (its name and id, its label, its hints); purpose words
// ("download", "screenshot", "buy") weigh more than generic ones ("url",
// "name"), so that the purpose decides.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace engine {

// Targets that are not one record field; the fill computes their value.
inline const QString kDescription = QStringLiteral("#Description"); // the Char_Desc_N that fits
inline const QString kFileSize = QStringLiteral("#FileSize");       // File_Size_Bytes, _K or _MB by unit
inline const QString kReleaseDate = QStringLiteral("#ReleaseDate"); // one box, formatted
inline const QString kPersonName = QStringLiteral("#PersonName");   // contact first and last name
inline const QString kCurrency = QStringLiteral("#Currency");       // the currency of Program_Cost_Dollars
inline const QString kUninstaller = QStringLiteral("#Uninstaller"); // yes/no from Program_Install_Support
inline const QString kFileType = QStringLiteral("#FileType");       // the type of the download's file
inline const QString kProcessor = QStringLiteral("#Processor");     // any processor the platforms run on
inline const QString kExternal = QStringLiteral("#External");       // yes when a download address is given
inline const QString kNone = QStringLiteral("#None");               // a purpose the record has no field for

// A small set of stemmed words (what one signal of a control says), kept
// sorted: a control says a handful of words, and hashing each would cost
// more than finding it.
class WordSet {
public:
    WordSet() = default;
    explicit WordSet(QStringList words); // stemmed already
    bool contains(const QString &word) const;
    bool isEmpty() const { return m_words.isEmpty(); }
    const QStringList &words() const { return m_words; }
    QStringList::const_iterator begin() const { return m_words.cbegin(); }
    QStringList::const_iterator end() const { return m_words.cend(); }
    WordSet operator+(const WordSet &other) const;

private:
    QStringList m_words;
};

// What kind of value a target holds, to match it with the control's type.
enum class Kind { Text, LongText, Url, Email, Phone, Number, Date, Choice };

struct Term {
    QStringList words; // stemmed, all required
    int weight = 0;
};

struct Target {
    QString name;
    Kind kind = Kind::Text;
    bool choice = false; // may be set in a list, radio group or check box
    QVector<Term> terms;
};

class Vocabulary {
public:
    static const Vocabulary &instance();

    const QVector<Target> &targets() const { return m_targets; }
    const Target *target(const QString &name) const;
    // Every word the tables know, unstemmed, for splitting run-together names.
    const QSet<QString> &dictionary() const { return m_dictionary; }
    // Words that mark a control the fill never writes (search, login, captcha).
    bool isForbidden(const WordSet &stemmedWords) const;
    // Words that name the kind of value when they end a name ("title", "url").
    bool headKind(const QString &stemmedWord, Kind *kind) const;
    // The terms holding the word (stemmed): target index and term index.
    struct TermRef {
        int target;
        int term;
    };
    const QVector<TermRef> &termsWithWord(const QString &stemmedWord) const;

private:
    Vocabulary();
    QVector<Target> m_targets;
    QHash<QString, int> m_index;
    QSet<QString> m_dictionary;
    QVector<QStringList> m_forbidden;
    QHash<QString, QVector<int>> m_forbiddenByFirstWord;
    QHash<QString, Kind> m_heads;
    QHash<QString, QVector<TermRef>> m_byWord;
};

// Lower-cased words of a text: split at everything that is not a letter or a
// digit, at camelCase humps and between letters and digits; run-together
// names ("dlurl", "appname") split into known words when they fit whole.
QStringList splitWords(const QString &text, bool segment);
// The stem the tables use: a plural "s" dropped.
QString stem(const QString &word);

// Other spellings of a record value's item, for matching options
// ("WinXP" -> "windows xp", "windows"; "United Kingdom" -> "uk", "gb").
QStringList aliases(const QString &target, const QString &item);
// Weaker spellings, taken only when no option says the item or one of its
// aliases ("Proprietary" for a shareware licence).
QStringList fallbackAliases(const QString &target, const QString &item);

} // namespace engine
