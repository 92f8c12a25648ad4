#pragma once
// Ties the submission log to the browser: records what happens on the pages
// opened from the site list (opened, filled, Login and Submit pressed, the
// page a submit leads to, tab closed), offers "Mark as done" in the tab's
// status bar once a submit's next page has loaded, sets site states from the
// tab's context menu, and runs "Next site".
#include "campaign/submissionlog.h"
#include "engine/routines.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QMenu;
class QToolButton;
namespace sites {
class TSitesPanel;
}
namespace software {
class TSoftwareTable;
}
namespace web {
class TbxEmbeddedWb;
struct FormCommandOutcome;
struct LoadState;
} // namespace web

namespace shell {

class TbxWebTabSheet;
class TfrmBrwMain;

// The campaign a record stands for: its program name and version.
campaign::Campaign campaignOf(const software::TSoftwareTable &table);

class TCampaignTracker : public QObject {
    Q_OBJECT
public:
    // The log may be off; then pages open as usual and nothing is recorded.
    TCampaignTracker(TfrmBrwMain *window, sites::TSitesPanel *sites, campaign::SubmissionLog *log);

    // Opens the site of the list's row at address and follows its page.
    void openSite(int row, const QString &address);
    // "Next site": the next site neither done nor skipped, in a new tab.
    void nextSite();
    // The site a tab's page belongs to: the one it was opened for, else the
    // listed site one of whose addresses it shows; nullopt when none.
    std::optional<campaign::Site> siteOf(TbxWebTabSheet *sheet) const;
    // Sets the state of the current tab's site (the tab's context menu).
    void setCurrentTabState(campaign::State state, const QString &note = QString());
    // The "Mark as done" button of a tab, when it is offered.
    QToolButton *offerOf(TbxWebTabSheet *sheet) const;

private:
    struct Followed {
        campaign::Site site;
        QString address; // the page's current address
        bool awaitingResult = false;
        QPointer<QToolButton> offer;
    };

    void follow(web::TbxEmbeddedWb *browser, const campaign::Site &site);
    void record(web::TbxEmbeddedWb *browser, campaign::Event event);
    void onCommand(TbxWebTabSheet *sheet, engine::FormMode mode, const web::FormCommandOutcome &outcome);
    void onLoading(web::TbxEmbeddedWb *browser, const web::LoadState &info);
    void offerDone(web::TbxEmbeddedWb *browser);
    void buildTabMenu(QMenu *menu);
    void setState(const campaign::Site &site, campaign::State state, const QString &note);

    TfrmBrwMain *m_window;
    sites::TSitesPanel *m_sites;
    QPointer<campaign::SubmissionLog> m_log;
    QHash<web::TbxEmbeddedWb *, Followed> m_followed;
};

} // namespace shell
