#include "updateform.h"

#include "sitedirectory.h"

#include "platform/messages.h"
#include "web/textdownload.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

TUpdateForm::TUpdateForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_path(sites::directoryFileName())
{
    setObjectName(QStringLiteral("UpdateForm"));
    setWindowTitle(QStringLiteral("Update download sites "));
    setFixedSize(380, 118);

    Label1 = new QLabel(QStringLiteral("Prepare for update..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->addWidget(Label1);
    column->addWidget(ProgressBar1);
    column->addLayout(buttons);

    // The browser only downloads; it sits outside the dialog's visible area.
    EmbeddedWB1 = new web::TextDownload(this);
    EmbeddedWB1->setObjectName(QStringLiteral("EmbeddedWB1"));
    EmbeddedWB1->setGeometry(-1000, -1000, 320, 240);
    EmbeddedWB1->setFocusPolicy(Qt::NoFocus);
    connect(EmbeddedWB1, &web::TextDownload::finished, this, &TUpdateForm::onLoadFinished);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setVisible(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TUpdateForm::Timer1Timer);

    // The run waits for answers from the page, which arrive neither inside a
    // posted event nor inside the show notification: a timer event starts it.
    m_activate = new QTimer(this);
    m_activate->setSingleShot(true);
    m_activate->setInterval(0);
    connect(m_activate, &QTimer::timeout, this, &TUpdateForm::FormActivate);

    connect(Button1, &QPushButton::clicked, this, &TUpdateForm::Button1Click);
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
        Timer1->stop();
    }
    QDialog::hideEvent(event);
}

void TUpdateForm::reject()
{
    if (m_running) {
        Button1Click();
        return;
    }
    QDialog::reject();
}

void TUpdateForm::Button1Click()
{
    m_cancel = true;
    if (m_waitLoop)
        m_waitLoop->quit();
}

void TUpdateForm::Timer1Timer()
{
    Timer1->stop();
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

void TUpdateForm::stepBy(int amount) { ProgressBar1->setValue(std::min(100, ProgressBar1->value() + amount)); }

void TUpdateForm::setListBoxLines(const QStringList &lines)
{
    ListBox1->clear();
    ListBox1->addItems(lines);
}

QStringList TUpdateForm::listBoxLines() const
{
    QStringList lines;
    lines.reserve(ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i)
        lines.append(ListBox1->item(i)->text());
    return lines;
}

void TUpdateForm::FormActivate()
{
    if (m_running || !isVisible())
        return;
    m_running = true;
    const Outcome outcome = runSteps();
    m_running = false;
    switch (outcome) {
    case Outcome::Updated:
        platform::showMessage(QStringLiteral("Update completed! Please restart the program."));
        break;
    case Outcome::Current:
        platform::showMessage(QStringLiteral("Current version is the lastest version."));
        break;
    case Outcome::Failed:
        platform::showMessage(QStringLiteral("Error in update!"));
        break;
    }
    Timer1->start();
    if (outcome == Outcome::Updated)
        Q_EMIT updateCompleted();
}

TUpdateForm::Outcome TUpdateForm::runSteps()
{
    m_cancel = false;
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("Prepare for update..."));

    // The local copy: a missing, unreadable or empty file fails before any
    // network access.
    const std::optional<QStringList> local = sites::readDirectoryLines(m_path);
    if (!local || local->isEmpty())
        return Outcome::Failed;
    setListBoxLines(*local);
    const QString localVersion = local->first();
    stepBy(10);

    Label1->setText(QStringLiteral("Conneting network..."));
    stepBy(10);

    m_loadDone = false;
    m_loadOk = false;
    m_awaitingLoad = true;
    EmbeddedWB1->start(updateAddress());
    stepBy(10);

    const QDeadlineTimer deadline(m_waitLimit.count(), Qt::PreciseTimer);
    waitForDownload(deadline);
    stepBy(20);

    if (m_cancel || deadline.hasExpired()) {
        m_awaitingLoad = false;
        EmbeddedWB1->stop();
        return Outcome::Failed;
    }
    // A load that did not succeed left no document of the file.
    if (!m_loadOk)
        return Outcome::Failed;

    Label1->setText(QStringLiteral("Check the new version"));
    stepBy(20);
    ListBox1->clear();

    bool answered = false;
    const QVariant body = EmbeddedWB1->bodyText(15000, &answered);
    if (!answered || body.userType() != QMetaType::QString)
        return Outcome::Failed;
    const QStringList published = sites::splitDirectoryLines(body.toString());
    if (published.isEmpty())
        return Outcome::Failed;
    setListBoxLines(published);

    const std::optional<int> localNumber = sites::parseDirectoryVersion(localVersion);
    if (!localNumber)
        return Outcome::Failed;
    const std::optional<int> serverNumber = sites::parseDirectoryVersion(published.first());
    if (!serverNumber)
        return Outcome::Failed;
    if (*localNumber >= *serverNumber)
        return Outcome::Current;

    Label1->setText(QStringLiteral("Dowloading the sites date..."));
    stepBy(20);
    if (!sites::writeDirectoryFile(m_path, listBoxLines()))
        return Outcome::Failed;
    stepBy(10);
    return Outcome::Updated;
}

void TUpdateForm::waitForDownload(const QDeadlineTimer &deadline)
{
    // Window events keep running while waiting, so that "Cancel", painting and
    // the browser's own events work; the loop sleeps until one of them ends
    // the wait or the time is up.
    while (!m_loadDone && !m_cancel && !deadline.hasExpired()) {
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
