#pragma once
// Ties the submission log to the browser: records what happens on the pages
// opened from the site list (opened, filled, Login and Submit pressed, the
// form sent when a new page follows the press, the page it leads to, tab
// closed), says in the tab's status bar when the page did not send the form,
// offers "Mark as done" there once a submit's next page has loaded, sets site
// states from the tab's context menu, and runs "Next site".
#include "campaign/submissionlog.h"
#include "engine/routines.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

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

class Settings;
class TbxWebTabSheet;
class TfrmBrwMain;

// The campaign a record stands for: its program name and version.
campaign::Campaign campaignOf(const software::TSoftwareTable &table);

// The site list's filter as quillet.ini keeps it: set from the file now, and
// written there whenever the user chooses another.
void rememberSiteFilter(sites::TSitesPanel *sites, const Settings &settings);

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
    // The tab the tab menu's "Site state" items act on: the one whose tab
    // was right-clicked, else the current one.
    TbxWebTabSheet *menuTab() const;
    // How long a pressed submit button has to start a new page before the
    // press counts as refused by the page.
    static constexpr int kSendWaitMs = 2000;
    // The "Mark as done" button of a tab, when it is offered.
    QToolButton *offerOf(TbxWebTabSheet *sheet) const;

private:
    struct Followed {
        campaign::Site site;
        QString address;             // the page's current address
        bool pressed = false;        // a submit was pressed, no new page yet
        int pressNumber = 0;         // which press the wait belongs to
        QString button;              // the button pressed last
        bool awaitingResult = false; // the form was sent, its page not loaded yet
        QPointer<QToolButton> offer;
    };

    void follow(web::TbxEmbeddedWb *browser, const campaign::Site &site);
    void record(web::TbxEmbeddedWb *browser, campaign::Event event);
    void onCommand(TbxWebTabSheet *sheet, engine::FormMode mode, const web::FormCommandOutcome &outcome);
    void onLoading(web::TbxEmbeddedWb *browser, const web::LoadState &info);
    void offerDone(web::TbxEmbeddedWb *browser);
    void formSent(web::TbxEmbeddedWb *browser, const QUrl &address);
    void checkSent(web::TbxEmbeddedWb *browser, int pressNumber);
    void buildTabMenu(QMenu *menu);
    void setState(const campaign::Site &site, campaign::State state, const QString &note);

    TfrmBrwMain *m_window;
    sites::TSitesPanel *m_sites;
    QPointer<campaign::SubmissionLog> m_log;
    QHash<web::TbxEmbeddedWb *, Followed> m_followed;
    QPointer<TbxWebTabSheet> m_menuTab;
};

} // namespace shell
