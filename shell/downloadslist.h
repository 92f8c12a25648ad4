#pragma once
// The downloads of the session: asks where to save each file a page
// downloads (starting in the folder chosen last, else the user's download
// folder), shows progress and outcome in the current tab's status bar, and
// lists every download in a window of its own (File > Downloads) with Open,
// Show in folder and Cancel.
#include "web/downloads.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineProfile;

namespace shell {

class TDownloadsList : public QWidget {
    Q_OBJECT
public:
    // statusPanel: the status line of the current tab, null when none.
    TDownloadsList(QWebEngineProfile *profile, std::function<QLabel *()> statusPanel, QWidget *window);

    web::Downloads *downloads() const { return m_downloads; }
    QTreeWidget *list() const { return m_list; }
    // Shows the list window and brings it to the front.
    void showList();

    void openSelected();
    void showSelectedInFolder();
    void cancelSelected();

private:
    QString chooseFile(const QString &suggested);
    void addRow(web::Download *download);
    void updateRow(web::Download *download);
    web::Download *selected() const;
    void updateButtons();

    QWidget *m_window;
    std::function<QLabel *()> m_statusPanel;
    web::Downloads *m_downloads;
    QTreeWidget *m_list;
    QPushButton *m_open;
    QPushButton *m_showInFolder;
    QPushButton *m_cancel;
};

} // namespace shell
