#include "web/downloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace web {

Download::Download(QWebEngineDownloadRequest *request, QObject *parent)
    : QObject(parent), m_id(request->id()), m_url(request->url())
{
    m_path = QDir(request->downloadDirectory()).filePath(request->downloadFileName());
    follow(request);
}

void Download::restart(QWebEngineDownloadRequest *request)
{
    const QFileInfo info(m_path);
    request->setDownloadDirectory(info.absolutePath());
    request->setDownloadFileName(info.fileName());
    request->accept();
    follow(request);
}

void Download::follow(QWebEngineDownloadRequest *request)
{
    // The start before this one hears no more from the engine.
    if (m_request)
        m_request->disconnect(this);
    m_request = request;
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this, &Download::update);
    connect(request, &QWebEngineDownloadRequest::totalBytesChanged, this, &Download::update);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &Download::update);
    update();
}

namespace {

// Reasons the engine gives by number that its list of reasons leaves out;
// its text for them says the user cancelled, which is wrong.
constexpr int kServerNoRange = 31;
constexpr int kServerContentLengthMismatch = 38;
constexpr int kServerCrossOriginRedirect = 39;

// Why a download stopped.
QString problemText(const QWebEngineDownloadRequest *request)
{
    switch (int(request->interruptReason())) {
    case kServerNoRange: return Download::tr("The server cannot go on from where the download stopped");
    case kServerContentLengthMismatch: return Download::tr("The connection closed before the whole file arrived");
    case kServerCrossOriginRedirect: return Download::tr("The server sent the download on to another site");
    default: return request->interruptReasonString();
    }
}

} // namespace

QString Download::fileName() const { return QFileInfo(m_path).fileName(); }

QString Download::statusText() const
{
    const QLocale locale;
    switch (m_state) {
    case State::InProgress:
        if (m_total > 0)
            return tr("Downloading %1: %2 of %3")
                .arg(fileName(), locale.formattedDataSize(m_received), locale.formattedDataSize(m_total));
        return tr("Downloading %1: %2").arg(fileName(), locale.formattedDataSize(m_received));
    case State::Completed: return tr("%1 downloaded (%2)").arg(fileName(), locale.formattedDataSize(m_received));
    case State::Cancelled: return tr("%1: download cancelled").arg(fileName());
    case State::Interrupted: return tr("%1: download failed: %2").arg(fileName(), m_problem);
    }
    return QString();
}

void Download::cancel()
{
    if (m_request && m_state == State::InProgress)
        m_request->cancel();
}

void Download::dropPartialFile()
{
    // The engine writes to the chosen name with ".download" added and
    // renames the file when all of it has come. After a failure it keeps
    // that file to go on with later where the server allows it; nothing here
    // goes on with a failed download.
    QFile::remove(m_path + QStringLiteral(".download"));
}

void Download::update()
{
    if (!m_request)
        return;
    m_received = m_request->receivedBytes();
    m_total = m_request->totalBytes();
    switch (m_request->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted: m_state = State::Completed; break;
    case QWebEngineDownloadRequest::DownloadCancelled: m_state = State::Cancelled; break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        if (m_state != State::Interrupted)
            dropPartialFile();
        m_state = State::Interrupted;
        m_problem = problemText(m_request);
        break;
    default: m_state = State::InProgress; break;
    }
    Q_EMIT changed(this);
}

Downloads::Downloads(QWebEngineProfile *profile, SaveChooser chooser, QObject *parent)
    : QObject(parent), m_chooser(std::move(chooser))
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &Downloads::onRequested);
}

QString Downloads::folder() const
{
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void Downloads::onRequested(QWebEngineDownloadRequest *request)
{
    // "Save As" of a page chose its file already.
    if (request->isSavePageDownload())
        return;
    if (Download *download = restartOf(request)) {
        download->restart(request);
        return;
    }
    const QString suggested = QDir(folder()).filePath(request->suggestedFileName());
    const QString chosen = m_chooser ? m_chooser(suggested) : QString();
    if (chosen.isEmpty()) {
        request->cancel();
        return;
    }
    const QFileInfo info(chosen);
    m_lastFolder = info.absolutePath();
    request->setDownloadDirectory(info.absolutePath());
    request->setDownloadFileName(info.fileName());
    request->accept();
    auto *download = new Download(request, this);
    m_downloads << download;
    connect(download, &Download::changed, this, &Downloads::changed);
    Q_EMIT added(download);
}

Download *Downloads::restartOf(const QWebEngineDownloadRequest *request) const
{
    for (Download *download : m_downloads)
        if (download->id() == request->id() && download->state() == Download::State::InProgress)
            return download;
    return nullptr;
}

} // namespace web
