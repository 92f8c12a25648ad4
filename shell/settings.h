#pragma once
// The program's settings file quillet.ini in the program's folder. Every
// accessor opens the file afresh (one IniFile per group of reads or writes),
// so edits made to the file while the program runs take effect at the next
// read. Missing keys, a missing file and values that are not numbers give the
// defaults listed with each accessor. Writes that fail (read-only folder,
// unreadable or oversized file) return false and change nothing; the first
// failure of a session is reported, naming the file (see setFailureReport),
// later ones are not, and the program goes on with the value in memory.
#include <QCoreApplication>
#include <QDate>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class QWidget;

namespace shell {

// The bars the main tool bar can hold, numbered as the file's "obj" keys.
enum BarNumber { MenuBarNumber = 0, AddressBarNumber = 1, ButtonBarNumber = 2 };

// Section "cb<i>": which bar band i holds, whether it starts a row, its width.
struct BandSetting {
    int obj = MenuBarNumber; // default 0
    bool brk = true;
    int width = 100;
    bool operator==(const BandSetting &) const = default;
};

struct SavedBands {
    bool present = false; // the file has a section cb0
    std::array<BandSetting, 3> bands;
};

// One bar to put into the tool bar, in tool bar order.
struct BandPlacement {
    int bar = MenuBarNumber;
    bool brk = true;
    int width = 100;
    bool operator==(const BandPlacement &) const = default;
};

// Section PROGRAM: where the main window goes at each activation.
struct WindowPlacement {
    bool beginMax = false; // BeginMax
    bool maximized = true; // Maximized
    int left = 0;          // Left
    int top = 0;           // Top
    int width = 600;       // Width
    int height = 480;      // Height
    bool maximize() const { return beginMax || maximized; }
};

// A hot entry of the favourites menu: function key number and caption.
struct HotEntry {
    int number = 0;
    QString caption;
    bool operator==(const HotEntry &) const = default;
};

class Settings {
    Q_DECLARE_TR_FUNCTIONS(Settings)
public:
    // programDir: the executable's folder; a trailing separator is optional.
    explicit Settings(const QString &programDir);

    // Where the first write that fails is reported: in an error box over
    // window, shown from the event loop, while window is given; on stderr
    // without one (the default, and at the end, once the window is gone).
    // Copies of this object share the choice and the once-only mark.
    void reportFailuresIn(QWidget *window) const;

    static QString fileName() { return QStringLiteral("quillet.ini"); }
    QString filePath() const { return m_path; }

    // PROGRAM/EnterDate, default empty.
    QString enterDate() const;
    // PROGRAM/BeginMax, Maximized, Left, Top, Width, Height.
    WindowPlacement windowPlacement() const;

    // Internet Config/Option, default 2: 1 start pages at every start, 2 at
    // the first start of each calendar day, any other value never.
    int startOption() const;
    // The start rule, run once at start: reads EnterDate and Option; with
    // Option 2 writes today as yyyyMMdd to EnterDate (whether or not it
    // changed). Returns whether the start pages are to be opened. A failed
    // write of EnterDate does not change the answer.
    bool applyStartRule(const QDate &today) const;

    // Favorite/Width, default 200; Favorite/Visible, default true.
    int favoriteWidth() const;
    bool favoriteVisible() const;

    // Sections cb0, cb1, cb2 with obj (default 0), brk (default true) and
    // Width (default 100); present tells whether section cb0 exists.
    SavedBands savedBands() const;
    // The three Width values alone, as applied at each activation.
    std::array<int, 3> bandWidths() const;
    // Writes obj, brk and Width of cb0, cb1 and cb2 in one go.
    bool saveBands(const std::array<BandSetting, 3> &bands) const;

    // Submission/SmartFill, default false: the smart fill instead of the
    // exact name rules.
    bool smartFill() const;
    bool setSmartFill(bool on) const;

    // Sites/NotDoneOnly, default false: the site list's filter "Not done for
    // this version" rather than "All sites".
    bool notDoneFilter() const;
    bool setNotDoneFilter(bool on) const;
    // SiteCheck/Jobs (default 8, at least 1) and SiteCheck/Timeout in seconds
    // (default 15, at least 1): how "Check sites" asks the sites.
    int siteCheckJobs() const;
    int siteCheckTimeout() const;

    // The values of section MstURL in key order, empty ones included; an
    // empty list when the section has no key.
    QStringList startPages() const;

    // HotURL/F<n> and HotCap/F<n> for n from 2 to 12, default empty; any
    // other n gives an empty text.
    QString hotUrl(int n) const;
    QString hotCaption(int n) const;
    // The non-empty HotCap captions for n = 2 to 12, in that order.
    QList<HotEntry> hotEntries() const;

private:
    // Reports the first failed write and passes ok through.
    bool written(bool ok) const;

    struct State {
        QPointer<QWidget> window;
        bool reported = false;
    };
    QString m_path;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// The bars to put into the main tool bar, in order, from the saved bands.
// Without saved bands: menu bar, address bar, button bar, each 100 pixels
// wide on a row of its own. With saved bands, section cb<i> places bar obj
// with its own brk and Width; an obj outside 0..2 or naming a bar already
// placed places nothing, and a bar no section names is put after the others
// on a row of its own, 100 pixels wide, so a damaged file never loses a bar.
QList<BandPlacement> bandsToPlace(const SavedBands &saved);

// The minimum widths to give bands shown in rows (startsRow[i]: band i begins
// a row), so that no row asks for more than limit pixels: a row whose saved
// widths add up to more is scaled down in proportion. Negative widths count
// as 0. A saved width is a wish, never a reason for a window wider than the
// screen.
QList<int> fitBandWidths(const QList<int> &widths, const QList<bool> &startsRow, int limit);

// The saved window rectangle moved and shrunk into the available screen
// area, so that a window saved on a larger screen opens whole on this one.
QRect clampToScreen(const QRect &saved, const QRect &available);

} // namespace shell
