#include "updateform.h"

#include "sitedirectory.h"

#include "platform/messages.h"
#include "web/textdownload.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <memory>
#include <optional>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace sites {

TUpdateForm::TUpdateForm(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint),
      m_path(sites::directoryFileName())
{
    setObjectName(QStringLiteral("UpdateForm"));
    setWindowTitle(tr("Update download sites "));
    setFixedSize(380, 118);

    m_status = new QLabel(tr("Prepare for update..."), this);
    m_status->setObjectName(QStringLiteral("Label1"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button1"));
    m_cancelButton->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->addWidget(m_status);
    column->addWidget(m_progress);
    column->addLayout(buttons);

    // The browser only downloads; it sits outside the dialog's visible area.
    m_download = new web::TextDownload(this);
    m_download->setObjectName(QStringLiteral("EmbeddedWB1"));
    m_download->setGeometry(-1000, -1000, 320, 240);
    m_download->setFocusPolicy(Qt::NoFocus);
    connect(m_download, &web::TextDownload::finished, this, &TUpdateForm::onLoadFinished);

    m_lines = new QListWidget(this);
    m_lines->setObjectName(QStringLiteral("ListBox1"));
    m_lines->setVisible(false);

    m_closeTimer = new QTimer(this);
    m_closeTimer->setObjectName(QStringLiteral("Timer1"));
    m_closeTimer->setInterval(100);
    connect(m_closeTimer, &QTimer::timeout, this, &TUpdateForm::closeAfterRun);

    // The run waits for answers from the page, which arrive neither inside a
    // posted event nor inside the show notification: a timer event starts it.
    m_activate = new QTimer(this);
    m_activate->setSingleShot(true);
    m_activate->setInterval(0);
    connect(m_activate, &QTimer::timeout, this, &TUpdateForm::runUpdate);

    connect(m_cancelButton, &QPushButton::clicked, this, &TUpdateForm::cancelRun);
}

QUrl TUpdateForm::updateAddress()
{
    QString host = qEnvironmentVariable("DODUVODAZ_UPDATE_HOST");
    if (host.isEmpty())
        host = QStringLiteral(DODUVODAZ_UPDATE_HOST);
    return QUrl(QLatin1String("http://") + host + QLatin1String("/padsites.dat"));
}

void TUpdateForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen *s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    if (!m_running)
        m_activate->start();
}

void TUpdateForm::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous() && !m_running) {
        m_activate->stop();
        m_closeTimer->stop();
    }
    QDialog::hideEvent(event);
}

void TUpdateForm::reject()
{
    if (m_running) {
        cancelRun();
        return;
    }
    QDialog::reject();
}

void TUpdateForm::cancelRun()
{
    m_cancel = true;
    if (m_waitLoop)
        m_waitLoop->quit();
}

void TUpdateForm::closeAfterRun()
{
    m_closeTimer->stop();
    if (isVisible())
        done(QDialog::Accepted);
}

void TUpdateForm::onLoadFinished(bool ok)
{
    if (!m_awaitingLoad)
        return;
    m_awaitingLoad = false;
    m_loadDone = true;
    m_loadOk = ok;
    if (m_waitLoop)
        m_waitLoop->quit();
}

void TUpdateForm::stepBy(int amount) { m_progress->setValue(std::min(100, m_progress->value() + amount)); }

void TUpdateForm::setLines(const QStringList &lines)
{
    m_lines->clear();
    m_lines->addItems(lines);
}

QStringList TUpdateForm::lines() const
{
    QStringList lines;
    lines.reserve(m_lines->count());
    for (int i = 0; i < m_lines->count(); ++i)
        lines.append(m_lines->item(i)->text());
    return lines;
}

void TUpdateForm::runUpdate()
{
    if (m_running || !isVisible())
        return;
    m_running = true;
    const Outcome outcome = runSteps();
    m_running = false;
    switch (outcome) {
    case Outcome::Updated: platform::showMessage(tr("Update completed! Please restart the program.")); break;
    case Outcome::Current: platform::showMessage(tr("Current version is the lastest version.")); break;
    case Outcome::Failed: platform::showMessage(tr("Error in update!")); break;
    }
    m_closeTimer->start();
    if (outcome == Outcome::Updated)
        Q_EMIT updateCompleted();
}

TUpdateForm::Outcome TUpdateForm::runSteps()
{
    m_cancel = false;
    m_progress->setValue(0);
    m_status->setText(tr("Prepare for update..."));

    // The local copy: a missing, unreadable or empty file fails before any
    // network access.
    const std::optional<QStringList> local = sites::readDirectoryLines(m_path);
    if (!local || local->isEmpty())
        return Outcome::Failed;
    setLines(*local);
    const QString localVersion = local->first();
    stepBy(10);

    m_status->setText(tr("Conneting network..."));
    stepBy(10);

    m_loadDone = false;
    m_loadOk = false;
    m_awaitingLoad = true;
    m_download->start(updateAddress());
    stepBy(10);

    const QDeadlineTimer deadline(m_waitLimit.count(), Qt::PreciseTimer);
    waitForDownload(deadline);
    stepBy(20);

    if (m_cancel || deadline.hasExpired()) {
        m_awaitingLoad = false;
        m_download->stop();
        return Outcome::Failed;
    }
    // A load that did not succeed left no document of the file.
    if (!m_loadOk)
        return Outcome::Failed;

    m_status->setText(tr("Check the new version"));
    stepBy(20);
    m_lines->clear();

    // The page answers later; the wait lets window events run meanwhile.
    auto body = std::make_shared<std::optional<QVariant>>();
    m_download->requestBodyText([this, body](const QVariant &text) {
        *body = text;
        if (m_waitLoop)
            m_waitLoop->quit();
    });
    waitUntil([body] { return body->has_value(); }, QDeadlineTimer(15000, Qt::PreciseTimer));
    if (!body->has_value() || (*body)->userType() != QMetaType::QString)
        return Outcome::Failed;
    const QStringList published = sites::splitDirectoryLines((*body)->toString());
    if (published.isEmpty())
        return Outcome::Failed;
    setLines(published);

    const std::optional<int> localNumber = sites::parseDirectoryVersion(localVersion);
    if (!localNumber)
        return Outcome::Failed;
    const std::optional<int> serverNumber = sites::parseDirectoryVersion(published.first());
    if (!serverNumber)
        return Outcome::Failed;
    if (*localNumber >= *serverNumber)
        return Outcome::Current;

    m_status->setText(tr("Dowloading the sites date..."));
    stepBy(20);
    if (!sites::writeDirectoryFile(m_path, lines()))
        return Outcome::Failed;
    stepBy(10);
    return Outcome::Updated;
}

void TUpdateForm::waitForDownload(const QDeadlineTimer &deadline)
{
    waitUntil([this] { return m_loadDone; }, deadline);
}

void TUpdateForm::waitUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline)
{
    // Window events keep running while waiting, so that "Cancel", painting and
    // the browser's own events work; the loop sleeps until one of them ends
    // the wait or the time is up.
    while (!done() && !m_cancel && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
        wake.start(int(std::max<qint64>(1, deadline.remainingTime())));
        m_waitLoop = &loop;
        const int rc = loop.exec();
        m_waitLoop = nullptr;
        if (rc != 0) // the application is ending
            m_cancel = true;
    }
}

} // namespace sites
