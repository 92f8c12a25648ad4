#pragma once
// The side panel's "Software" page: the fields of the software record listed
// for dragging into a page. A mouse move with the left or right button held,
// farther than the platform's drag distance from where the button went down
// on the list, drags the selected row's field value as plain text; the
// browser engine's own drop handling puts it into the page.
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QMimeData;

namespace software {

class TSoftwareTable;

// The 43 rows, in order: two group headers and the 41 field rows.
const QStringList &rows();

// Whether a row is a group header (its text contains "===").
bool isGroupHeader(const QString &rowText);

// The record field a field row names: its text with every blank made an
// underscore ("Program Name" gives Program_Name). Empty for a group header.
QString fieldNameOfRow(const QString &rowText);

// Result codes of a drag, as the drag loop of the original platform reports
// them; each outcome of Qt's drag is given the code of the matching one.
enum : quint32 {
    DropDone = 0x00040100,      // dropped
    DropCancelled = 0x00040101, // cancelled
    DropOutOfMemory = 0x8007000E,
    DropInvalidAccess = 0x800703E6,
};

// The code of Qt's drag outcome: a performed copy, move, link or target move
// is a drop; IgnoreAction is a cancel when the drag was ended with Esc, and a
// drop that nobody took (no message) when the button was released where
// nothing accepts the text. Any other value is passed on as its own number.
quint32 dropResultCode(Qt::DropAction outcome, bool escapePressed);

// The message for a result code: none for a drop, "Drop cancel",
// "Drop out of memory", "Drop unexpected", or "Drop unknown:" followed by the
// code as 8 upper-case hexadecimal digits.
QString dropResultMessage(quint32 code);

// SoftListBox: the fixed, unsorted list of rows that starts the drags.
class SoftListBox : public QListWidget {
    Q_OBJECT
public:
    SoftListBox(TSoftwareTable &table, QWidget *parent = nullptr);

    // Runs the platform's drag with the given data and returns its result
    // code. Tests replace it; the default runs QDrag allowing copy and move.
    using DragRunner = std::function<quint32(QMimeData *data)>;
    void setDragRunner(DragRunner runner) { m_runner = std::move(runner); }

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    void SoftListBoxMouseMove(Qt::MouseButtons buttons);
    quint32 runDrag(QMimeData *data);

    TSoftwareTable &m_table;
    DragRunner m_runner;
    bool m_pressed = false; // a button went down on the list and is held
    QPoint m_pressPos;
};

// The page itself (objectName "tabHistory", caption "Software"): a panel with
// the two labels above SoftListBox.
class TSoftListPage : public QWidget {
    Q_OBJECT
public:
    explicit TSoftListPage(TSoftwareTable &table, QWidget *parent = nullptr);
    SoftListBox *listBox() const { return m_list; }

private:
    SoftListBox *m_list;
};

} // namespace software
