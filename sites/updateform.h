#pragma once
// The "Update download sites" dialog. Each time it is shown it runs one update:
// it reads the version on line 0 of the local site directory, loads the
// published directory from the update server in a hidden browser page, reads
// the page's text back and, when the published version is higher, replaces the
// local file with it. Every run ends in exactly one of three messages, after
// which the dialog closes itself 100 ms later.
#include <QDialog>
#include <QUrl>
#include <chrono>
#include <functional>

class QDeadlineTimer;
class QEventLoop;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
namespace web {
class TextDownload;
}

namespace sites {

class TUpdateForm : public QDialog {
    Q_OBJECT
public:
    explicit TUpdateForm(QWidget *parent = nullptr);

    // http://HOST/padsites.dat; HOST is the build's update server, replaced by
    // the environment variable DODUVODAZ_UPDATE_HOST when that is set.
    static QUrl updateAddress();

    // The local directory file, read and replaced by the run; padsites.dat in
    // the current directory unless set otherwise.
    void setDirectoryFile(const QString &path) { m_path = path; }
    QString directoryFile() const { return m_path; }

    // How long a run waits for the download; 59 seconds unless set otherwise.
    void setWaitLimit(std::chrono::milliseconds limit) { m_waitLimit = limit; }

    bool isRunning() const { return m_running; }

    web::TextDownload *browser() const { return m_download; }

Q_SIGNALS:
    // A newer directory was written; the program should end now. Emitted from
    // inside the run, while the dialog is still shown: close the main window
    // through a queued connection.
    void updateCompleted();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Escape and the window's close button act as "Cancel" while a run waits,
    // and are ignored during the rest of a run.
    void reject() override;

private:
    enum class Outcome { Updated, Current, Failed };

    void runUpdate();
    Outcome runSteps();
    void waitForDownload(const QDeadlineTimer &deadline);
    // Lets window events run until done() holds, the run is cancelled or the
    // deadline has passed.
    void waitUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline);
    void cancelRun();
    void closeAfterRun();
    void onLoadFinished(bool ok);
    void stepBy(int amount);
    void setLines(const QStringList &lines);
    QStringList lines() const;

    QLabel *m_status;
    QProgressBar *m_progress;
    QPushButton *m_cancelButton;
    web::TextDownload *m_download;
    QListWidget *m_lines;
    QTimer *m_closeTimer;
    QTimer *m_activate;

    QString m_path;
    std::chrono::milliseconds m_waitLimit {std::chrono::seconds(59)};
    bool m_running = false;
    bool m_cancel = false;
    bool m_awaitingLoad = false;
    bool m_loadDone = false;
    bool m_loadOk = false;
    QEventLoop *m_waitLoop = nullptr;
};

} // namespace sites
