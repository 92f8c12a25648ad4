#pragma once
// The tab strip: an ordered list of tab pages with one active page, a pop-up
// menu, and reordering by dragging a tab with Ctrl held.
#include <QTabWidget>

namespace shell {

class TbxWebTabSheet;

class TPage95Control : public QTabWidget {
    Q_OBJECT
public:
    explicit TPage95Control(QWidget *parent = nullptr);

    TbxWebTabSheet *page(int index) const;
    TbxWebTabSheet *activePage() const;
    int pageCount() const { return count(); }
    // Moves a page to a position in the strip order, the others keeping theirs.
    void movePage(int from, int to);
    // The page after (forward) or before a given one, wrapping around.
    TbxWebTabSheet *neighbour(TbxWebTabSheet *page, bool forward) const;
    // While contextMenuAt is sent: the page whose tab was right-clicked
    // (null for a click beside the tabs); null at any other time.
    TbxWebTabSheet *menuPage() const { return m_menuPage; }

Q_SIGNALS:
    void contextMenuAt(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_dragFrom = -1;
    TbxWebTabSheet *m_menuPage = nullptr;
};

} // namespace shell
