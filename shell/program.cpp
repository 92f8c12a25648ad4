#include "program.h"

#include "aboutform.h"
#include "campaigntracker.h"
#include "favoritesmenu.h"
#include "helpcommands.h"
#include "keyrouter.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "restoretabsbar.h"
#include "sessionkeeper.h"
#include "settings.h"
#include "sitecheckcommand.h"
#include "smartfillswitch.h"
#include "submissioncommands.h"

#include "base/error.h"
#include "platform/messages.h"
#include "platform/shortcutfile.h"
#include "platform/singleinstance.h"
#include "platform/userfolders.h"
#include "sites/sitespanel.h"
#include "sites/updateform.h"
#include "software/padform.h"
#include "software/softlistpanel.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QTimer>

namespace shell {

QString ProgramDir()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void OpenCommandLineItem(TfrmBrwMain &window, const QString &item)
{
    QString address = item;
    // The extension runs from the last "." after the last separator.
    const int sep = qMax(item.lastIndexOf(QLatin1Char('/')),
                         qMax(item.lastIndexOf(QLatin1Char('\\')), item.lastIndexOf(QLatin1Char(':'))));
    const int dot = item.lastIndexOf(QLatin1Char('.'));
    if (dot > sep && item.mid(dot).compare(QLatin1String(".url"), Qt::CaseInsensitive) == 0)
        address = platform::ReadShortcutURL(item);
    window.OpenURL(address);
}

namespace {

// The windows of the program and what ties them together.
class TProgram : public QObject {
public:
    TProgram(const QStringList &items, const QString &settingsFolder, platform::TOneInstance &instance)
        : m_items(items), m_settings(settingsFolder), m_profile(web::newProfile(QStringLiteral("doduvodaz"), this))
    {
        // The submission log; one that cannot be used is reported at start-up
        // and stays off.
        m_log.open();
        QObject::connect(
            &m_log, &campaign::SubmissionLog::switchedOff, &m_log,
            [](const QString &message) { platform::showError(message); }, Qt::QueuedConnection);
        // The software editor owns the record; its creation loads it.
        // The program owns the record; loading it may leave problems to tell.
        m_startupProblems = software::loadRecordWithProblems(m_record);
        m_padForm = new software::TPADForm(m_record);
        m_window = new TfrmBrwMain(m_record, m_profile);
        // A settings write that fails is told once, over the window.
        m_settings.reportFailuresIn(m_window);
        buildMainWindow();
        m_update = new sites::TUpdateForm(m_window);
        m_about = new TAboutForm(m_window);
        QObject::connect(m_update, &sites::TUpdateForm::updateCompleted, m_window, &QWidget::close,
                         Qt::QueuedConnection);
        applySettings();
        m_window->setWindowTitle(QString::fromLatin1(TfrmBrwMain::ProductCaption));
        QApplication::setWindowIcon(programIcon());

        instance.setShowOnNewInstance(true);
        QObject::connect(&instance, &platform::TOneInstance::bringToFront, m_window, [this] {
            m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
        });
        QObject::connect(&instance, &platform::TOneInstance::OnInstanceStarted, m_window,
                         [this](const QStringList &list) {
                             for (const QString &item : list)
                                 OpenCommandLineItem(*m_window, item);
                         });
        m_window->installEventFilter(this);
    }

    ~TProgram() override
    {
        if (m_session)
            m_session->endNormally();
        delete m_window;
        delete m_padForm;
    }

    TfrmBrwMain *window() const { return m_window; }
    QStringList startupProblems() const
    {
        QStringList problems = m_startupProblems;
        if (!m_log.problem().isEmpty())
            problems << m_log.problem();
        return problems;
    }

    // The end: the band layout goes to the settings file; the window is
    // closed by now, so a failure goes to stderr.
    void saveLayout()
    {
        m_settings.reportFailuresIn(nullptr);
        m_window->saveLayout(m_settings);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window) {
            if (event->type() == QEvent::WindowActivate)
                FormActivate();
            else if (event->type() == QEvent::Show && !m_itemsOpened)
                // A desktop without a window manager never activates the
                // window; its first showing then counts as the activation.
                QTimer::singleShot(0, this, [this] {
                    if (!m_itemsOpened)
                        FormActivate();
                });
            else if (event->type() == QEvent::WindowDeactivate)
                m_keys->remove();
            else if (event->type() == QEvent::Close)
                m_keys->remove();
        }
        return false;
    }

private:
    void buildMainWindow()
    {
        TfrmBrwMain *w = m_window;
        m_keys = new TKeyRouter(w);

        // Favourites: the menu and its hot entries.
        m_favorites = new TFavoritesMenu(w);
        m_favorites->setHotCaptionProvider([this](int n) { return m_settings.hotCaption(n); });
        m_favorites->setCurrentPageProvider([w]() -> std::pair<QString, QString> {
            TbxWebTabSheet *page = w->CurrentPage();
            if (!page || !page->browser())
                return {};
            return {page->browser()->title(), page->browser()->url().toString()};
        });
        m_favorites->setOrganizeHooks([this] { m_keys->remove(); },
                                      [this] {
                                          if (m_window->isActiveWindow())
                                              m_keys->install();
                                      });
        QObject::connect(m_favorites, &TFavoritesMenu::openUrlRequested, w, &TfrmBrwMain::OpenURL);
        QObject::connect(m_favorites, &TFavoritesMenu::hotEntryRequested, w, &TfrmBrwMain::OpenHotURL);
        w->menus()->setMenu(QStringLiteral("Favorities"), m_favorites);

        // The site directory and the software list.
        m_sites = new sites::TSitesPanel;
        m_sites->loadDirectory();
        // A chosen site opens through the tracker, which logs its page.
        auto *tracker = new TCampaignTracker(w, m_sites, &m_log);
        software::TSoftwareTable &table = m_record;
        m_sites->setSubmissionLog(&m_log, [&table] { return campaignOf(table); });
        rememberSiteFilter(m_sites, m_settings);
        QObject::connect(&table, &software::TSoftwareTable::recordChanged, m_sites,
                         &sites::TSitesPanel::refreshCampaign);
        QObject::connect(m_sites, &sites::TSitesPanel::loginRequested, w, &TfrmBrwMain::login);
        auto *checks = new TSiteCheckCommand(w, m_sites);
        checks->setLimits(m_settings.siteCheckJobs(), m_settings.siteCheckTimeout());
        QObject::connect(w, &TfrmBrwMain::checkSitesRequested, checks, &TSiteCheckCommand::checkAll);
        w->submission()->setLoginProvider([this] { return m_sites->username(); },
                                          [this] { return m_sites->password(); });
        w->setSidePages(m_sites, new software::TSoftListPage(m_record));

        // The open tabs are kept in a file; after a crash the next start
        // offers them again in a bar.
        m_session = new TSessionKeeper(w, platform::userConfigDir() + QStringLiteral("/session.json"),
                                       [tracker](TbxWebTabSheet *sheet) {
                                           const auto site = tracker->siteOf(sheet);
                                           return site ? site->name : QString();
                                       });
        if (!m_session->interrupted().isEmpty()) {
            auto *bar = new TRestoreTabsBar(m_session->interrupted(), [w](const QString &a) { w->OpenURL(a); });
            QObject::connect(bar, &QObject::destroyed, m_session, &TSessionKeeper::interruptedHandled);
            w->showTopBar(bar);
        }

        w->setStartPagesProvider([this] { return m_settings.startPages(); });
        w->setHotUrlProvider([this](int n) { return m_settings.hotUrl(n); });
        w->smartFill()->setOn(m_settings.smartFill());
        QObject::connect(w->smartFill(), &SmartFillSwitch::changed, w,
                         [this](bool on) { m_settings.setSmartFill(on); });

        QObject::connect(w, &TfrmBrwMain::softwareEditorRequested, w, [this] { m_padForm->exec(); });
        QObject::connect(w, &TfrmBrwMain::updateSitesRequested, w, [this] { m_update->exec(); });
        QObject::connect(w, &TfrmBrwMain::aboutRequested, w, [this] { m_about->exec(); });
        QObject::connect(w, &TfrmBrwMain::helpRequested, w, [] { showHelp(); });
        QObject::connect(w, &TfrmBrwMain::homePageRequested, w, [] { openHomePage(); });
    }

    void applySettings()
    {
        TfrmBrwMain *w = m_window;
        // Start pages: every start, once a day, or never.
        if (m_settings.applyStartRule(QDate::currentDate()))
            w->GoMaster();
        w->restoreLayout(m_settings);
        m_favorites->RebuildFavoritesMenu();
    }

    // Each time the main window becomes the program's active window.
    void FormActivate()
    {
        try {
            TfrmBrwMain *w = m_window;
            w->applyPlacement(m_settings);
            // The command-line items open at the first activation only;
            // opening them again whenever a dialog closes would duplicate tabs.
            if (!m_itemsOpened) {
                m_itemsOpened = true;
                for (const QString &item : std::as_const(m_items))
                    if (!item.isEmpty())
                        OpenCommandLineItem(*w, item);
            }
            m_keys->install();
            w->FocusPage();
        } catch (const base::Error &) { }
    }

    QStringList m_items;
    shell::Settings m_settings;
    campaign::SubmissionLog m_log;     // outlives the window, whose tabs log their closing
    QWebEngineProfile *m_profile;      // goes after the window, with this object
    software::TSoftwareTable m_record; // the software record, loaded at the start
    QStringList m_startupProblems;
    software::TPADForm *m_padForm = nullptr;
    TfrmBrwMain *m_window = nullptr;
    sites::TUpdateForm *m_update = nullptr;
    TAboutForm *m_about = nullptr;
    sites::TSitesPanel *m_sites = nullptr;
    TFavoritesMenu *m_favorites = nullptr;
    TKeyRouter *m_keys = nullptr;
    TSessionKeeper *m_session = nullptr;
    bool m_itemsOpened = false;
};

} // namespace

int runProgram(const QStringList &items, QStringList problems)
{
    installMessageBoxes();
    platform::TOneInstance instance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    try {
        if (instance.handOver(items))
            return 0; // the running program opens them
    } catch (const base::Error &e) {
        platform::showError(e.text());
        return 1;
    }

    const QString settingsFolder = platform::settingsFolder(&problems);
    TProgram program(items, settingsFolder, instance);
    problems << program.startupProblems();
    program.window()->show();
    program.window()->activateWindow();
    // What could not be prepared (a folder that cannot be written, a
    // delivered file that is missing) is said once the window is up; the
    // program goes on browsing without it.
    if (!problems.isEmpty())
        QTimer::singleShot(0, program.window(), [problems] { platform::showError(problems.join(QLatin1Char('\n'))); });
    const int status = QApplication::exec();
    program.saveLayout();
    return status;
}

} // namespace shell
