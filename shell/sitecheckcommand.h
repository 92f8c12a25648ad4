#pragma once
// "Check sites" in the window: checks every listed site (or the one whose
// context menu was opened) in the background, shows the progress with a
// Cancel button in the window's status bar, keeps each result in the
// submission log's database and shows it in the site list at once. The
// results of earlier checks are read when the command is made.
#include "campaign/sitecheckstore.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <memory>

class QAction;
class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QWidget;

namespace sites {
class SiteChecker;
class SiteCheckView;
class TSitesPanel;
} // namespace sites

namespace shell {

class TSiteCheckCommand : public QObject {
    Q_OBJECT
public:
    // The database is the submission log's file (path); it is made only
    // when a check writes its first result.
    TSiteCheckCommand(QMainWindow *window, sites::TSitesPanel *panel,
                      const QString &path = campaign::SubmissionLog::fileName());
    ~TSiteCheckCommand() override;

    void setLimits(int jobs, int timeoutSeconds);

    // Checks every listed site, or the site of one row of the list.
    void checkAll();
    void checkRow(int row);
    // Checks the sites given (listed or not; the list shows what it lists).
    void checkSites(const QList<campaign::Site> &sites);
    void cancel();
    bool isRunning() const;

    // "Checked 212 of 583 sites — 31 unreachable"
    QString progressText() const;

    sites::SiteChecker *checker() const { return m_checker; }
    sites::SiteCheckView *view() const { return m_view; }
    QWidget *progressBox() const { return m_box; }
    QAction *checkSiteAction() const { return m_checkSite; }
    // A problem with the database, once there was one.
    QString problem() const { return m_problem; }

Q_SIGNALS:
    void finished(bool cancelled);

private:
    void onChecked(const campaign::SiteCheck &check);
    void onFinished(bool cancelled);
    void showProgress();
    void tellProblem();
    void flush();

    QMainWindow *m_window;
    sites::TSitesPanel *m_panel;
    QString m_path;
    std::unique_ptr<campaign::SiteCheckStore> m_store; // opened for the first check
    sites::SiteChecker *m_checker;
    sites::SiteCheckView *m_view;
    QWidget *m_box;
    QLabel *m_label;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QAction *m_checkSite;
    QString m_problem;
    QList<campaign::SiteCheck> m_pending; // results not written yet
    QTimer m_flush;
    // Per site of the running check: addresses left, and the sites found
    // unreachable at one of them.
    QHash<QString, int> m_left;
    QSet<QString> m_unreachable;
    int m_sites = 0;
    int m_sitesDone = 0;
};

} // namespace shell
