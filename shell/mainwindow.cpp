#include "mainwindow.h"

#include "addressbar.h"
#include "bandbar.h"
#include "browsertabs.h"
#include "downloadslist.h"
#include "findbar.h"
#include "fittext.h"
#include "maincommands.h"
#include "mainmenus.h"
#include "pagecommands.h"
#include "receipts.h"
#include "settings.h"
#include "smartfillswitch.h"
#include "submissioncommands.h"
#include "tabstrip.h"
#include "webtabsheet.h"

#include "platform/desktop.h"
#include "platform/messages.h"
#include "web/embeddedwb.h"
#include "web/pagezoom.h"
#include "web/webengineenv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell {

const char *const TfrmBrwMain::ProductCaption = "Korvane Software Doduvodaz 1.5";

TfrmBrwMain::TfrmBrwMain(software::TSoftwareTable &record, QWebEngineProfile *profile, QWidget *parent)
    : QMainWindow(parent), m_record(record), m_profile(profile ? profile : web::newProfile(QString(), this))
{
    setObjectName(QStringLiteral("frmBrwMain"));
    setWindowTitle(QString::fromLatin1(ProductCaption));
    resize(900, 640);

    // The bands: menu bar, address bar, button bar, each a movable tool bar.
    m_menuBand = new BandBar(tr("Menu bar"), this);
    m_menuBand->setObjectName(QStringLiteral("scrMainMenu"));
    m_addressBand = new BandBar(tr("Address bar"), this);
    m_addressBand->setObjectName(QStringLiteral("tbAddress"));
    m_buttonBand = new BandBar(tr("Button bar"), this);
    m_buttonBand->setObjectName(QStringLiteral("scrButtons"));
    m_menuBand->setProperty("obj", 0);
    m_addressBand->setProperty("obj", 1);
    m_buttonBand->setProperty("obj", 2);
    for (QToolBar *bar : {m_menuBand, m_addressBand, m_buttonBand}) {
        bar->setMovable(true);
        bar->setFloatable(false);
        bar->setAllowedAreas(Qt::TopToolBarArea);
    }
    addToolBar(Qt::TopToolBarArea, m_menuBand);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_addressBand);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_buttonBand);

    m_addressBar = new TAddressBar(m_addressBand);
    m_addressBar->setObjectName(QStringLiteral("tbAddressContent")); // the tool bar is tbAddress
    m_address = m_addressBar->addressBox();
    m_addressBand->addWidget(m_addressBar);
    connect(m_addressBar, &TAddressBar::openRequested, this, &TfrmBrwMain::OpenURL);

    // Side panel and tab strip.
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("spl"));
    m_sidePanel = new QTabWidget(m_splitter);
    m_sidePanel->setObjectName(QStringLiteral("pcFavorite"));
    m_sidePanel->setTabPosition(QTabWidget::South);
    auto *right = new QWidget(m_splitter);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    m_tabs = new TBrowserTabs(m_profile, right);
    rightLayout->addWidget(m_tabs, 1);
    m_findBar = new TFindBar(right);
    rightLayout->addWidget(m_findBar);
    m_pageCommands = new TPageCommands(
        this, [this] { return CurrentPage() && CurrentPage()->browser() ? CurrentPage() : nullptr; }, m_findBar,
        [this] { return addressBoxHasFocus() ? m_address->text() : std::optional<QString>(); });
    m_splitter->addWidget(m_sidePanel);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({200, 700});
    setCentralWidget(m_splitter);

    connect(m_tabs, &TPage95Control::contextMenuAt, this, [this](const QPoint &p) { m_menus->tabMenu()->popup(p); });
    connect(m_tabs, &TBrowserTabs::currentPageChanged, this, &TfrmBrwMain::showCurrentPage);
    connect(m_tabs, &TBrowserTabs::pagesChanged, this, &TfrmBrwMain::updateActions);
    connect(m_tabs, &TBrowserTabs::currentTitleAccepted, this, &TfrmBrwMain::FocusPage);
    // The caption follows the current page's title as it arrives.
    connect(m_tabs, &TBrowserTabs::currentTitleAccepted, this, &TfrmBrwMain::UpdateCaption);
    m_downloads = new TDownloadsList(
        m_profile, [this] { return CurrentPage() ? CurrentPage()->statusPanel() : nullptr; }, this);
    buildActions();
    m_menus = new TMainMenus(this, m_commandSet, m_menuBand, m_buttonBand);
    connect(m_menus, &TMainMenus::checkSitesRequested, this, &TfrmBrwMain::checkSitesRequested);
    connect(m_menus, &TMainMenus::downloadsRequested, this, [this] { m_downloads->showList(); });
    connect(m_menus, &TMainMenus::savePageAsPdfRequested, this, [this] {
        if (CurrentPage() && CurrentPage()->browser())
            savePageAsPdf(this, CurrentPage()->browser());
    });
    connect(m_menus, &TMainMenus::zoomRequested, this, [this](int step) {
        if (!CurrentPage() || !CurrentPage()->browser())
            return;
        QWebEngineView *view = CurrentPage()->browser();
        if (step > 0)
            web::PageZoom::zoomIn(view);
        else if (step < 0)
            web::PageZoom::zoomOut(view);
        else
            web::PageZoom::reset(view);
    });
    // The fill is attached where each browser control is made.
    const auto currentPage = [this] { return CurrentPage(); };
    m_submission = new TSubmissionCommands(record, smartFill(), currentPage, this);
    connect(m_tabs, &TBrowserTabs::browserCreated, m_submission, &TSubmissionCommands::attach);
    connect(m_submission, &TSubmissionCommands::commandRun, this, &TfrmBrwMain::commandRun);

    connect(qApp, &QApplication::focusChanged, this, &TfrmBrwMain::updateActions);
    updateActions();
}

TfrmBrwMain::~TfrmBrwMain()
{
    disconnect(qApp, nullptr, this, nullptr);
    // The tabs and their pages go before the profile they use.
    disconnect(m_tabs, nullptr, this, nullptr);
    delete m_tabs;
    m_tabs = nullptr;
}

void TfrmBrwMain::showTopBar(QWidget *bar)
{
    auto *layout = static_cast<QVBoxLayout *>(m_tabs->parentWidget()->layout());
    layout->insertWidget(0, bar);
    bar->show();
}

void TfrmBrwMain::buildActions()
{
    // What each command does; the commands object holds the actions.
    using C = Command;
    const auto onPage = [this](std::function<void(web::TbxEmbeddedWb *)> f) {
        // Commands on the current page do nothing without one.
        return [this, f] {
            if (CurrentPage() && CurrentPage()->browser())
                f(CurrentPage()->browser());
        };
    };
    const std::map<Command, std::function<void()>> run = {
        {C::GoBack, onPage([](web::TbxEmbeddedWb *b) { b->back(); })},
        {C::GoForward, onPage([](web::TbxEmbeddedWb *b) { b->forward(); })},
        {C::Stop, onPage([](web::TbxEmbeddedWb *b) { b->stop(); })},
        {C::Refresh, onPage([](web::TbxEmbeddedWb *b) { b->reload(); })},
        {C::GoMaster, [this] { GoMaster(); }},
        {C::Save, [this] { m_pageCommands->saveAs(); }},
        {C::Print, [this] { m_pageCommands->print(); }},
        {C::PageSetup, [this] { m_pageCommands->pageSetup(); }},
        {C::Properties, [this] { m_pageCommands->properties(); }},
        {C::Copy, [this] { m_pageCommands->copy(); }},
        {C::SelectAll, [this] { m_pageCommands->selectAll(); }},
        {C::Find, [this] { m_pageCommands->find(); }},
        {C::ClosePage,
         [this] {
             if (CurrentPage())
                 CloseTabPage(CurrentPage());
         }},
        {C::CloseAll,
         [this] {
             if (CurrentPage())
                 closeAll();
         }},
        {C::DupPage, onPage([this](web::TbxEmbeddedWb *b) { OpenURL(b->url().toString()); })},
        {C::TabNext, [this] { StepTab(true); }},
        {C::TabPrev, [this] { StepTab(false); }},
        {C::ShowFavorite, [this] { toggleSidePanel(); }},
        {C::NextSite, [this] { Q_EMIT nextSiteRequested(); }},
        {C::Open, [this] { openFileDialog(); }},
        {C::Exit, [this] { close(); }},
        {C::EditSoftware, [this] { Q_EMIT softwareEditorRequested(); }},
        {C::FillForm, [this] { fillForm(); }},
        {C::SubmitForm, [this] { submitForm(); }},
        {C::Help, [this] { Q_EMIT helpRequested(); }},
        {C::HomePage, [this] { Q_EMIT homePageRequested(); }},
        {C::UpdateSites, [this] { Q_EMIT updateSitesRequested(); }},
        {C::About, [this] { Q_EMIT aboutRequested(); }},
        {C::NewPage, [this] { OpenURL(QStringLiteral("about:blank")); }},
        {C::FocusAddress,
         [this] {
             m_address->setFocus(Qt::ShortcutFocusReason);
             if (m_address->lineEdit())
                 m_address->lineEdit()->selectAll();
         }},
        {C::DropFileMenu, [this] { menuButton(QStringLiteral("File"))->showMenu(); }},
        {C::DropSoftwareMenu, [this] { menuButton(QStringLiteral("Software"))->showMenu(); }},
        {C::DropSubmissionMenu, [this] { menuButton(QStringLiteral("Submission"))->showMenu(); }},
        {C::DropFavoritesMenu, [this] { menuButton(QStringLiteral("Favorities"))->showMenu(); }},
        {C::DropHelpMenu, [this] { menuButton(QStringLiteral("Help"))->showMenu(); }},
    };
    // A hot F-key opens its address in a new tab, or with Ctrl in this one.
    const auto hot = [this](int n, bool here) { withCtrl(here, [&] { OpenHotURL(n); }); };
    m_commandSet = new TMainCommands(this, run, hot);
}

void TfrmBrwMain::setSidePages(QWidget *sitesPage, QWidget *softwarePage)
{
    m_sidePanel->addTab(sitesPage, tr("Sites list"));
    m_sidePanel->addTab(softwarePage, tr("Software"));
    m_sidePanel->setCurrentIndex(0);
}

QWidget *TfrmBrwMain::sidePanel() const { return m_sidePanel; }

bool TfrmBrwMain::addressBoxHasFocus() const { return m_address && m_address->boxHasFocus(); }

TbxWebTabSheet *TfrmBrwMain::pageAt(int index) const { return m_tabs->page(index); }
int TfrmBrwMain::pageCount() const { return m_tabs->count(); }

// ---- opening addresses and tab pages -------------------------------------

void TfrmBrwMain::showAddressText(const QString &address)
{
    if (m_address)
        m_address->setText(address);
}

web::TbxEmbeddedWb *TfrmBrwMain::OpenURL(const QString &address)
{
    if (address.isEmpty())
        return nullptr;
    platform::traceOpen(address);
    showAddressText(address);
    bool ctrl = bool(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
    if (m_ctrlOverride >= 0)
        ctrl = m_ctrlOverride == 1;
    else if (m_ctrlHeld)
        ctrl = m_ctrlHeld();
    if (ctrl && CurrentPage() && CurrentPage()->browser()) {
        CurrentPage()->browser()->navigate(address);
        return CurrentPage()->browser();
    }
    web::TbxEmbeddedWb *browser = m_tabs->createBrowser();
    browser->navigate(address);
    return browser;
}

void TfrmBrwMain::withCtrl(bool held, const std::function<void()> &f)
{
    const int saved = m_ctrlOverride;
    m_ctrlOverride = held ? 1 : 0;
    f();
    m_ctrlOverride = saved;
}

TbxWebTabSheet *TfrmBrwMain::AddTabPage() { return m_tabs->addPage(); }

TPage95Control *TfrmBrwMain::tabStrip() const { return m_tabs; }

TbxWebTabSheet *TfrmBrwMain::CurrentPage() const { return m_tabs ? m_tabs->current() : nullptr; }

bool TfrmBrwMain::newPagesAllowed() const { return m_tabs->newPagesAllowed(); }

void TfrmBrwMain::SetCurrentPage(TbxWebTabSheet *page) { m_tabs->setCurrentPage(page); }

// The current page changed: the address box, the caption, the commands and
// the focus follow it.
void TfrmBrwMain::showCurrentPage(TbxWebTabSheet *page)
{
    updateActions();
    if (!page || !page->browser()) {
        UpdateCaption();
        return;
    }
    QString url = page->browser()->url().toString();
    if (!url.isEmpty() && url.size() < 100) {
        // An error page's address shows the address that failed.
        if (url.contains(QLatin1String("res:"))) {
            const int http = url.indexOf(QLatin1String("http:"));
            if (http >= 0)
                url = url.mid(http);
        }
        showAddressText(url.left(255));
    }
    // A page that has no address yet (a tab just opened for a typed address
    // or one handed over) still gives the caption its own title.
    UpdateCaption();
    if (page->browser()->isVisible())
        page->browser()->setFocus();
}

void TfrmBrwMain::CloseTabPage(TbxWebTabSheet *page) { m_tabs->closePage(page); }

void TfrmBrwMain::StepTab(bool forward) { m_tabs->step(forward); }

void TfrmBrwMain::UpdateCaption()
{
    QString text = QString::fromLatin1(ProductCaption);
    if (CurrentPage() && !CurrentPage()->title().isEmpty())
        text = CurrentPage()->title() + QStringLiteral(" - ") + text;
    const int w = fontMetrics().horizontalAdvance(QLatin1Char('W'));
    const int limit = (w > 0 ? width() / w : 0) - 17;
    setWindowTitle(fitCaption(text, limit));
}

bool TfrmBrwMain::closeAll()
{
    if (!platform::askYesNo(tr("Do you really want to close all windows?")))
        return false;
    m_tabs->closeAll();
    return true;
}

void TfrmBrwMain::GoMaster()
{
    const QStringList pages = m_startPages ? m_startPages() : QStringList();
    if (pages.isEmpty()) {
        OpenURL(platform::makerSite(QStringLiteral("/submit.php")).toString());
        return;
    }
    for (const QString &p : pages)
        OpenURL(p);
}

void TfrmBrwMain::OpenHotURL(int n)
{
    if (m_hotUrl)
        OpenURL(m_hotUrl(n));
}

void TfrmBrwMain::FocusPage()
{
    if (CurrentPage() && CurrentPage()->browser() && CurrentPage()->browser()->isVisible())
        CurrentPage()->browser()->setFocus();
}

void TfrmBrwMain::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    UpdateCaption();
}

void TfrmBrwMain::closeEvent(QCloseEvent *e)
{
    // Leaving asks before closing open tabs; it goes on whatever the answer.
    if (m_tabs->count() > 0) {
        m_tabs->setNewPagesAllowed(false);
        closeAll();
        m_tabs->setNewPagesAllowed(false);
    }
    e->accept();
}

void TfrmBrwMain::fillForm() { m_submission->run(engine::FormMode::Fill); }
void TfrmBrwMain::submitForm() { m_submission->run(engine::FormMode::Submit); }
void TfrmBrwMain::login() { m_submission->run(engine::FormMode::Login); }

// ---- enabling ---------------------------------------------------------------

void TfrmBrwMain::updateActions()
{
    TMainCommands::State state;
    state.page = CurrentPage();
    state.pageCount = m_tabs->count();
    state.addressFocused = addressBoxHasFocus();
    state.sidePanelVisible = m_sidePanel->isVisibleTo(this);
    m_commandSet->update(state);
}

// ---- other commands -----------------------------------------------------------

void TfrmBrwMain::openFileDialog()
{
    QFileDialog dialog(this, tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(tr("All (*)"));
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        OpenURL(dialog.selectedFiles().first());
}

void TfrmBrwMain::toggleSidePanel()
{
    m_sidePanel->setVisible(!m_sidePanel->isVisibleTo(this));
    updateActions();
}

// ---- layout ---------------------------------------------------------------------

QList<QToolBar *> TfrmBrwMain::bandsInOrder() const
{
    QList<QToolBar *> bars = {m_menuBand, m_addressBand, m_buttonBand};
    bars.erase(std::remove_if(bars.begin(), bars.end(),
                              [this](QToolBar *b) { return toolBarArea(b) != Qt::TopToolBarArea || b->isHidden(); }),
               bars.end());
    std::sort(bars.begin(), bars.end(),
              [](QToolBar *a, QToolBar *b) { return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x(); });
    return bars;
}

int TfrmBrwMain::bandRowLimit(const shell::Settings &settings) const
{
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    int limit = shown ? shown->availableGeometry().width() : 1024;
    const shell::WindowPlacement place = settings.windowPlacement();
    if (!place.maximize() && place.width > 0)
        limit = qMin(limit, place.width);
    return qMax(0, limit - 3 * 16); // room for the bars' handles
}

void TfrmBrwMain::restoreLayout(const shell::Settings &settings)
{
    const int width = settings.favoriteWidth();
    m_splitter->setSizes({width, qMax(100, this->width() - width)});
    m_sidePanel->setVisible(settings.favoriteVisible());

    // The bands in the saved order, rows and widths.
    QToolBar *bars[3] = {m_menuBand, m_addressBand, m_buttonBand};
    for (QToolBar *b : bars)
        removeToolBar(b);
    QList<shell::BandPlacement> placements = shell::bandsToPlace(settings.savedBands());
    placements.erase(std::remove_if(placements.begin(), placements.end(),
                                    [](const shell::BandPlacement &p) { return p.bar < 0 || p.bar > 2; }),
                     placements.end());
    QList<int> widths;
    QList<bool> rows;
    for (const shell::BandPlacement &p : std::as_const(placements)) {
        widths << p.width;
        rows << p.brk;
    }
    const QList<int> fitted = shell::fitBandWidths(widths, rows, bandRowLimit(settings));
    for (int i = 0; i < placements.size(); ++i) {
        const shell::BandPlacement &p = placements[i];
        if (i > 0 && p.brk)
            addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bars[p.bar]);
        static_cast<BandBar *>(bars[p.bar])->setPreferredWidth(fitted[i]);
        bars[p.bar]->show();
    }
    updateActions();
}

void TfrmBrwMain::applyPlacement(const shell::Settings &settings)
{
    m_addressBand->setMinimumHeight(32);
    m_buttonBand->setMinimumHeight(40);
    const std::array<int, 3> widths = settings.bandWidths();
    const QList<QToolBar *> order = bandsInOrder();
    QList<int> wanted;
    QList<bool> rows;
    for (int i = 0; i < 3 && i < order.size(); ++i) {
        wanted << widths[i];
        rows << (i == 0 || order[i]->y() != order[i - 1]->y());
    }
    const QList<int> fitted = shell::fitBandWidths(wanted, rows, bandRowLimit(settings));
    for (int i = 0; i < fitted.size(); ++i)
        static_cast<BandBar *>(order[i])->setPreferredWidth(fitted[i]);
    const shell::WindowPlacement place = settings.windowPlacement();
    if (place.maximize()) {
        if (!isMaximized())
            showMaximized();
    } else {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        const QRect saved(place.left, place.top, place.width, place.height);
        setGeometry(screen() ? shell::clampToScreen(saved, screen()->availableGeometry()) : saved);
    }
}

void TfrmBrwMain::saveLayout(const shell::Settings &settings) const
{
    std::array<shell::BandSetting, 3> bands;
    const QList<QToolBar *> order = bandsInOrder();
    for (int i = 0; i < 3 && i < order.size(); ++i) {
        QToolBar *bar = order[i];
        bands[i].obj = bar->property("obj").toInt();
        bands[i].brk = i == 0 || bar->y() != order[i - 1]->y();
        bands[i].width = bar->width();
    }
    settings.saveBands(bands);
}

} // namespace shell
