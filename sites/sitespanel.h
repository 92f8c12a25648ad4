#pragma once
// The "Sites list" page of the side panel: the list of download sites read from
// the site directory, the choice between their new-release and update pages,
// and the username and password boxes with the "Login" button.
#include "sitedirectory.h"
#include "sitemarks.h"

#include "campaign/submissionlog.h"

#include <QIcon>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace sites {

class SiteCheckView;

class TSitesPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSitesPanel(QWidget *parent = nullptr);

    // Reads the directory file and lists its sites. Meant to run once; a
    // missing or unreadable file leaves the list empty and says nothing.
    void loadDirectory(const QString &path = sites::directoryFileName());

    // The table behind the list: row k of the list is entry k.
    const QList<TSiteEntry> &siteEntries() const { return m_entries; }

    // The texts of the boxes exactly as typed.
    QString username() const;
    QString password() const;

    QListWidget *siteList() const { return m_siteList; }

    // The release campaign: each site's state for the record's current
    // program and version, shown as a mark and tooltip on its row, a filter
    // and a counter. Without a log that is on, the list shows no marks.
    void setSubmissionLog(campaign::SubmissionLog *log, std::function<campaign::Campaign()> current);
    void refreshCampaign();
    campaign::Campaign currentCampaign() const;
    campaign::Site site(int row) const;
    QList<campaign::Site> campaignSites() const;
    campaign::State stateOf(int row) const;
    // A row's mark and tooltip for the campaign; none while the log is off.
    QIcon siteMark(int row) const;
    QString siteToolTip(int row) const;
    const QList<campaign::SiteStatus> &statuses() const { return m_statuses; }
    void setSiteState(int row, campaign::State state, const QString &note = QString());
    // The address the radio buttons choose for a row (may be empty).
    QString chosenAddress(int row) const;
    // The first row after the current one (wrapping around) that is neither
    // done nor skipped and has a page for the chosen kind, passing by sites
    // whose last check found them unreachable (counted in unreachable); -1
    // when none.
    int nextSiteRow(int *unreachable = nullptr) const;
    // Makes that row current and reports it as chosen; false when none.
    bool openNextSite();
    // The row whose context menu was opened last, and opening it.
    int menuRow() const { return m_menuRow; }
    QMenu *siteMenu() const { return m_siteMenu; }
    void showSiteMenu(int row, const QPoint &globalPos);
    // "Not done for this version" hides the rows marked done.
    void setNotDoneFilter(bool on);
    bool notDoneFilter() const;
    QComboBox *filterBox() const { return m_campaignFilter; }
    QLabel *progressLabel() const { return m_campaignProgress; }
    // "Sites list (N):", N the number of sites the directory holds.
    QLabel *sitesLabel() const { return m_sitesLabel; }
    // The results of "Check sites": marks, tooltips, the filter "Reachable,
    // not done" and "Next site" passing unreachable sites by.
    void setSiteChecks(SiteCheckView *checks);
    bool isUnreachable(int row) const;

Q_SIGNALS:
    // A site was chosen: open this address (never empty; an entry without the
    // chosen page opens nothing).
    void openUrlRequested(const QString &address);
    // The same choice with the site's row; sent just before openUrlRequested.
    void siteChosen(int row, const QString &address);
    // "Login" was pressed.
    void loginRequested();
    // The user chose the filter: true for "Not done for this version".
    void notDoneFilterChosen(bool on);
    // "Next site" passed by this many sites whose last check found them
    // unreachable.
    void unreachableSkipped(int count);

private:
    void openSelectedSite();
    void applyFilter();
    void buildSiteMenu();

    QList<TSiteEntry> m_entries;
    QLabel *m_sitesLabel;
    QRadioButton *m_newReleaseRadio;
    QRadioButton *m_updateRadio;
    QLabel *m_usernameLabel;
    QLineEdit *m_usernameEdit;
    QLabel *m_passwordLabel;
    QLineEdit *m_passwordEdit;
    QPushButton *m_loginButton;
    QListWidget *m_siteList;
    QComboBox *m_campaignFilter;
    QLabel *m_campaignProgress;
    QMenu *m_siteMenu = nullptr;
    int m_menuRow = -1;
    campaign::SubmissionLog *m_log = nullptr;
    std::function<campaign::Campaign()> m_campaign;
    QList<campaign::SiteStatus> m_statuses;
    SiteCheckView *m_checks = nullptr;
};

} // namespace sites
