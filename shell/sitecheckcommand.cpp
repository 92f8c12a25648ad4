#include "sitecheckcommand.h"

#include "platform/messages.h"
#include "sites/sitechecker.h"
#include "sites/sitecheckview.h"
#include "sites/sitespanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <utility>
#include <QStatusBar>

namespace shell {

namespace {

QString siteKey(const campaign::Site &s) { return campaign::siteCheckKey(s, QString()); }

} // namespace

TSiteCheckCommand::TSiteCheckCommand(QMainWindow *window, sites::TSitesPanel *panel, const QString &path)
    : QObject(window),
      m_window(window),
      m_panel(panel),
      m_path(path),
      m_checker(new sites::SiteChecker(this)),
      m_view(new sites::SiteCheckView(this))
{
    // Earlier results, read without making the file.
    campaign::SiteCheckStore earlier;
    if (earlier.openForReading(m_path))
        m_view->setChecks(earlier.latest());
    panel->setSiteChecks(m_view);

    m_box = new QWidget;
    m_box->setObjectName(QStringLiteral("pnlSiteCheck"));
    m_label = new QLabel(m_box);
    m_label->setObjectName(QStringLiteral("lblSiteCheck"));
    m_bar = new QProgressBar(m_box);
    m_bar->setObjectName(QStringLiteral("pbSiteCheck"));
    m_bar->setMaximumWidth(160);
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(tr("Cancel"), m_box);
    m_cancel->setObjectName(QStringLiteral("btnSiteCheckCancel"));
    auto *row = new QHBoxLayout(m_box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_label);
    row->addWidget(m_bar);
    row->addWidget(m_cancel);
    m_window->statusBar()->addPermanentWidget(m_box);
    m_box->hide();
    m_window->statusBar()->hide(); // shown while a check runs or has something to say

    m_checkSite = new QAction(tr("Check this site"), this);
    m_checkSite->setObjectName(QStringLiteral("actSiteCheck"));
    panel->siteMenu()->addSeparator();
    panel->siteMenu()->addAction(m_checkSite);
    connect(m_checkSite, &QAction::triggered, this, [this] { checkRow(m_panel->menuRow()); });

    m_flush.setSingleShot(true);
    m_flush.setInterval(300);
    connect(&m_flush, &QTimer::timeout, this, &TSiteCheckCommand::flush);
    connect(m_cancel, &QPushButton::clicked, this, &TSiteCheckCommand::cancel);
    connect(m_checker, &sites::SiteChecker::checked, this, &TSiteCheckCommand::onChecked);
    connect(m_checker, &sites::SiteChecker::finished, this, &TSiteCheckCommand::onFinished);
    connect(panel, &sites::TSitesPanel::unreachableSkipped, this, [this](int n) {
        m_window->statusBar()->show();
        m_window->statusBar()->showMessage(
            tr("Passed by %n site(s) whose last check found them unreachable.", nullptr, n), 10000);
    });
}

TSiteCheckCommand::~TSiteCheckCommand()
{
    // A check still running ends without reporting to what is going away.
    m_checker->disconnect(this);
    m_checker->cancel();
    flush();
}

void TSiteCheckCommand::setLimits(int jobs, int timeoutSeconds)
{
    m_checker->setJobs(jobs);
    m_checker->setTimeout(qMax(1, timeoutSeconds) * 1000);
}

bool TSiteCheckCommand::isRunning() const { return m_checker->isRunning(); }

void TSiteCheckCommand::checkAll() { checkSites(m_panel->campaignSites()); }

void TSiteCheckCommand::checkRow(int row)
{
    if (row >= 0 && row < m_panel->siteEntries().size())
        checkSites({m_panel->site(row)});
}

void TSiteCheckCommand::cancel() { m_checker->cancel(); }

void TSiteCheckCommand::checkSites(const QList<campaign::Site> &sites)
{
    if (!m_store && m_problem.isEmpty()) {
        m_store = std::make_unique<campaign::SiteCheckStore>();
        if (!m_store->open(m_path)) {
            m_problem = m_store->problem();
            tellProblem();
        }
    }
    const QList<sites::CheckTarget> targets = sites::checkTargets(sites);
    m_left.clear();
    m_unreachable.clear();
    for (const sites::CheckTarget &t : targets)
        ++m_left[siteKey(t.site)];
    m_sites = int(m_left.size());
    m_sitesDone = 0;
    m_bar->setRange(0, qMax(1, m_sites));
    m_bar->setValue(0);
    m_checkSite->setEnabled(false);
    m_window->statusBar()->clearMessage();
    m_window->statusBar()->show();
    m_box->show();
    showProgress();
    m_checker->start(targets);
}

void TSiteCheckCommand::onChecked(const campaign::SiteCheck &check)
{
    // Written a few times a second, each time in one transaction, so that
    // the window never waits on the disk for each result.
    m_pending.append(check);
    if (!m_flush.isActive())
        m_flush.start();
    m_view->note(check);
    const QString key = siteKey(check.site);
    if (sites::isUnreachable(check))
        m_unreachable.insert(key);
    auto it = m_left.find(key);
    if (it != m_left.end() && --*it == 0)
        ++m_sitesDone;
    showProgress();
}

void TSiteCheckCommand::flush()
{
    m_flush.stop();
    const QList<campaign::SiteCheck> pending = std::exchange(m_pending, {});
    if (m_store && m_store->isOpen() && !m_store->record(pending) && m_problem.isEmpty()) {
        m_problem = m_store->problem();
        tellProblem();
    }
}

void TSiteCheckCommand::onFinished(bool cancelled)
{
    flush();
    m_box->hide();
    m_checkSite->setEnabled(true);
    m_window->statusBar()->showMessage(cancelled ? tr("Check cancelled: %1").arg(progressText()) : progressText(),
                                       30000);
    Q_EMIT finished(cancelled);
}

QString TSiteCheckCommand::progressText() const
{
    return tr("Checked %1 of %2 sites \u2014 %3 unreachable").arg(m_sitesDone).arg(m_sites).arg(m_unreachable.size());
}

void TSiteCheckCommand::tellProblem()
{
    // Told once the current signal is handled; the check goes on without
    // keeping its results.
    QMetaObject::invokeMethod(
        this, [this] { platform::showError(m_problem); }, Qt::QueuedConnection);
}

void TSiteCheckCommand::showProgress()
{
    m_bar->setValue(m_sitesDone);
    m_label->setText(progressText());
}

} // namespace shell
