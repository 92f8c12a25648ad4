#pragma once
// The "Sites list" page of the side panel: the list of download sites read from
// the site directory, the choice between their new-release and update pages,
// and the username and password boxes with the "Login" button.
#include "sitedirectory.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

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

    QListWidget *siteList() const { return SiteListBox; }

Q_SIGNALS:
    // A site was chosen: open this address (never empty; an entry without the
    // chosen page opens nothing).
    void openUrlRequested(const QString &address);
    // "Login" was pressed.
    void loginRequested();

private:
    void SiteListBoxClick();

    QList<TSiteEntry> m_entries;
    QLabel *Label1;
    QRadioButton *RadioButton1;
    QRadioButton *RadioButton2;
    QLabel *Label3;
    QLineEdit *Edit1;
    QLabel *Label4;
    QLineEdit *Edit2;
    QPushButton *Button1;
    QListWidget *SiteListBox;
};
