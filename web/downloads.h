#pragma once
// The files pages download. Every download a page starts asks where to save
// it (the user's download folder is offered); nothing is saved without that
// choice. Each download is kept, with its progress and how it ended, until
// the program ends, for the downloads list and the status bar.
//
// When the connection breaks off, the engine starts the download again by
// itself a few times and announces each new start as a download of its own
// under the same id; that start goes on to the file already chosen, without
// asking again, and the download it belongs to follows it. A download that
// fails in the end leaves no part of the file behind, neither under the
// chosen name nor in the engine's file for the part received.
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace web {

class Download : public QObject {
    Q_OBJECT
public:
    enum class State { InProgress, Completed, Cancelled, Interrupted };

    explicit Download(QWebEngineDownloadRequest *request, QObject *parent = nullptr);

    // The engine's id of the download, the same for each of its starts.
    quint32 id() const { return m_id; }
    QUrl url() const { return m_url; }
    // The file it is saved to.
    QString path() const { return m_path; }
    QString fileName() const;
    qint64 received() const { return m_received; }
    qint64 total() const { return m_total; } // -1 while unknown
    State state() const { return m_state; }
    // Why an interrupted download stopped, in the engine's words.
    QString problem() const { return m_problem; }
    // One line: name, progress or outcome.
    QString statusText() const;

    void cancel();
    // Goes on with a new start of this download (see above): it is saved
    // to the same file.
    void restart(QWebEngineDownloadRequest *request);

Q_SIGNALS:
    void changed(web::Download *download);

private:
    void follow(QWebEngineDownloadRequest *request);
    void update();
    void dropPartialFile();

    QPointer<QWebEngineDownloadRequest> m_request;
    quint32 m_id = 0;
    QUrl m_url;
    QString m_path;
    qint64 m_received = 0;
    qint64 m_total = -1;
    State m_state = State::InProgress;
    QString m_problem;
};

class Downloads : public QObject {
    Q_OBJECT
public:
    // Asked with the suggested path; returns the path chosen, empty to refuse.
    using SaveChooser = std::function<QString(const QString &suggestedPath)>;

    Downloads(QWebEngineProfile *profile, SaveChooser chooser, QObject *parent = nullptr);

    QList<Download *> downloads() const { return m_downloads; }
    // The folder the save dialog starts in: the last one chosen, else the
    // user's download folder.
    QString folder() const;

Q_SIGNALS:
    void added(web::Download *download);
    void changed(web::Download *download);

private:
    void onRequested(QWebEngineDownloadRequest *request);
    // The unfinished download a new start belongs to; null when none.
    Download *restartOf(const QWebEngineDownloadRequest *request) const;

    SaveChooser m_chooser;
    QString m_lastFolder;
    QList<Download *> m_downloads;
};

} // namespace web
