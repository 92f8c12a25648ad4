#pragma once
// How the site list shows a site's standing in the release campaign: the
// mark painted on its row, the tooltip, and the site-state items of the
// list's and the tabs' context menus.
#include "campaign/submissionlog.h"

#include <QIcon>
#include <QStyledItemDelegate>
#include <functional>

class QMenu;
class QWidget;

namespace sites {

// The row's mark: a tick for done, a dash for skipped, a cross for failed, a
// dot for a site that was worked on but not decided; empty for one that was
// not touched.
QIcon stateMark(campaign::State state, bool touched);

// The tooltip's text: state and campaign, since when, the note, the last
// event. Plain text, whatever the record and the pages hold.
QString siteStatusText(const campaign::Campaign &c, const campaign::SiteStatus &st);

// Text from the record or from pages made into a tooltip that shows it as
// it is: a tooltip would take text that starts like HTML for rich text.
QString plainToolTip(const QString &text);

// Fills menu with the site-state items, object names prefix + "Done",
// "DoneNote", "Skipped", "SkippedNote", "Failed" and "Open": Done and Skipped
// at once, "Done with a note...", "Skipped with a note..." and "Failed..."
// after asking for a note (optional; a cancelled question sets nothing), and
// "Not done (open)". chosen receives the state and the note.
void addSiteStateItems(QMenu *menu, const QString &prefix, QWidget *dialogParent,
                       std::function<void(campaign::State state, const QString &note)> chosen);

// Paints each row's mark as markFor gives it, so that a refresh changes no
// item of the list.
class MarkDelegate : public QStyledItemDelegate {
public:
    MarkDelegate(std::function<QIcon(int)> markFor, QObject *parent);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    std::function<QIcon(int)> m_markFor;
};

} // namespace sites
