#include "mainwindow.h"

#include "addressbar.h"
#include "findbar.h"
#include "fittext.h"
#include "pagecommands.h"
#include "smartfillswitch.h"
#include "browsertabs.h"
#include "tabstrip.h"
#include "webtabsheet.h"

#include "base/error.h"
#include "web/autofill.h"
#include "platform/desktop.h"
#include "platform/messages.h"
#include "web/scriptrunner.h"
#include "web/smartpage.h"
#include "software/softwaretable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

const char *const TfrmBrwMain::ProductCaption = "Korvane Software Doduvodaz 1.5";

namespace {

QIcon themed(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

TfrmBrwMain::TfrmBrwMain(TSoftwareTable &record, QWebEngineProfile *profile, QWidget *parent)
    : QMainWindow(parent), m_record(record), m_profile(profile ? profile : web::newProfile(QString(), this))
{
    setObjectName(QStringLiteral("frmBrwMain"));
    setWindowTitle(QString::fromLatin1(ProductCaption));
    resize(900, 640);

    // The bands: menu bar, address bar, button bar, each a movable tool bar.
    scrMainMenu = new QToolBar(tr("Menu bar"), this);
    scrMainMenu->setObjectName(QStringLiteral("scrMainMenu"));
    tbAddress = new QToolBar(tr("Address bar"), this);
    tbAddress->setObjectName(QStringLiteral("tbAddress"));
    scrButtons = new QToolBar(tr("Button bar"), this);
    scrButtons->setObjectName(QStringLiteral("scrButtons"));
    scrMainMenu->setProperty("obj", 0);
    tbAddress->setProperty("obj", 1);
    scrButtons->setProperty("obj", 2);
    for (QToolBar *bar : {scrMainMenu, tbAddress, scrButtons}) {
        bar->setMovable(true);
        bar->setFloatable(false);
        bar->setAllowedAreas(Qt::TopToolBarArea);
    }
    addToolBar(Qt::TopToolBarArea, scrMainMenu);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, tbAddress);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, scrButtons);

    m_addressBar = new TAddressBar(tbAddress);
    m_addressBar->setObjectName(QStringLiteral("tbAddressContent")); // the tool bar is tbAddress
    m_address = m_addressBar->addressBox();
    tbAddress->addWidget(m_addressBar);
    connect(m_addressBar, &TAddressBar::openRequested, this, &TfrmBrwMain::OpenURL);

    // Side panel and tab strip.
    spl = new QSplitter(Qt::Horizontal, this);
    spl->setObjectName(QStringLiteral("spl"));
    pcFavorite = new QTabWidget(spl);
    pcFavorite->setObjectName(QStringLiteral("pcFavorite"));
    pcFavorite->setTabPosition(QTabWidget::South);
    auto *right = new QWidget(spl);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    pc = new TBrowserTabs(m_profile, right);
    rightLayout->addWidget(pc, 1);
    m_findBar = new TFindBar(right);
    rightLayout->addWidget(m_findBar);
    m_pageCommands = new TPageCommands(
        this, [this] { return m_current && m_current->browser() ? m_current.data() : nullptr; }, m_findBar,
        [this] { return addressBoxHasFocus() ? m_address->text() : std::optional<QString>(); });
    spl->addWidget(pcFavorite);
    spl->addWidget(right);
    spl->setStretchFactor(0, 0);
    spl->setStretchFactor(1, 1);
    spl->setSizes({200, 700});
    setCentralWidget(spl);

    popTab = new QMenu(this);
    popTab->setObjectName(QStringLiteral("popTab"));
    connect(pc, &TPage95Control::contextMenuAt, this, [this](const QPoint &p) { popTab->popup(p); });
    connect(pc, &TBrowserTabs::currentPageChanged, this, &TfrmBrwMain::showCurrentPage);
    connect(pc, &TBrowserTabs::pagesChanged, this, &TfrmBrwMain::updateActions);
    connect(pc, &TBrowserTabs::currentTitleAccepted, this, &TfrmBrwMain::FocusPage);
    connect(pc, &TBrowserTabs::browserCreated, this, &TfrmBrwMain::prepareBrowser);

    buildActions();
    buildMenus();
    buildButtonBar();

    connect(qApp, &QApplication::focusChanged, this, &TfrmBrwMain::updateActions);
    updateActions();
}

TfrmBrwMain::~TfrmBrwMain()
{
    disconnect(qApp, nullptr, this, nullptr);
    // The tabs and their pages go before the profile they use.
    disconnect(pc, nullptr, this, nullptr);
    delete pc;
    pc = nullptr;
}

QAction *TfrmBrwMain::addAction(Command command, const QString &name, const QString &caption, const QKeySequence &key,
                                std::function<void()> run)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    connect(a, &QAction::triggered, this, [run] { run(); });
    QMainWindow::addAction(a);
    m_actions.insert(name, a);
    m_commands.insert(command, a);
    m_actionList << a;
    return a;
}

void TfrmBrwMain::buildActions()
{
    using K = QKeySequence;
    // Commands on the current page do nothing without one.
    auto onPage = [this](std::function<void(TbxEmbeddedWb *)> f) {
        return [this, f] {
            if (m_current && m_current->browser())
                f(m_current->browser());
        };
    };
    addAction(Command::GoBack, QStringLiteral("actGoBack"), tr("Back"), K(Qt::ALT | Qt::Key_Left),
              onPage([](TbxEmbeddedWb *b) { b->back(); }))
        ->setIcon(themed("go-previous", QStyle::SP_ArrowBack));
    addAction(Command::GoForward, QStringLiteral("actGoFrwr"), tr("Forward"), K(Qt::ALT | Qt::Key_Right),
              onPage([](TbxEmbeddedWb *b) { b->forward(); }))
        ->setIcon(themed("go-next", QStyle::SP_ArrowForward));
    addAction(Command::Stop, QStringLiteral("actStop"), tr("Stop"), K(Qt::Key_Escape), onPage([](TbxEmbeddedWb *b) { b->stop(); }))
        ->setIcon(themed("process-stop", QStyle::SP_BrowserStop));
    QAction *refresh = addAction(Command::Refresh, QStringLiteral("actRefresh"), tr("Refresh"), K(Qt::Key_F5),
                                 onPage([](TbxEmbeddedWb *b) { b->reload(); }));
    refresh->setIcon(themed("view-refresh", QStyle::SP_BrowserReload));
    refresh->setIconText(QStringLiteral("Reflash"));
    QAction *home = addAction(Command::GoMaster, QStringLiteral("actGoMaster"), tr("Go Master"), K(Qt::ALT | Qt::Key_Home), [this] { GoMaster(); });
    home->setIcon(themed("go-home", QStyle::SP_DirHomeIcon));
    home->setIconText(QStringLiteral("Home"));
    addAction(Command::Save, QStringLiteral("actSave"), tr("Save"), K(Qt::CTRL | Qt::Key_S), [this] { m_pageCommands->saveAs(); })
        ->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
    addAction(Command::Print, QStringLiteral("actPrint"), tr("Print"), K(Qt::CTRL | Qt::Key_P), [this] { m_pageCommands->print(); })
        ->setIcon(themed("document-print", QStyle::SP_FileDialogDetailedView));
    addAction(Command::PageSetup, QStringLiteral("actPageSetup"), tr("Page Setup"), K(), [this] { m_pageCommands->pageSetup(); });
    addAction(Command::Properties, QStringLiteral("actProperties"), tr("Properties"), K(), [this] { m_pageCommands->properties(); });
    addAction(Command::Copy, QStringLiteral("actCopy"), tr("Copy"), K(Qt::CTRL | Qt::Key_C), [this] { m_pageCommands->copy(); });
    addAction(Command::SelectAll, QStringLiteral("actSelectAll"), tr("Select All"), K(Qt::CTRL | Qt::Key_A), [this] { m_pageCommands->selectAll(); });
    addAction(Command::Find, QStringLiteral("actFind"), tr("Find"), K(Qt::CTRL | Qt::Key_F), [this] { m_pageCommands->find(); });
    QAction *close = addAction(Command::ClosePage, QStringLiteral("actClosePage"), tr("Close Page"), K(Qt::ALT | Qt::Key_X), [this] {
        if (m_current)
            CloseTabPage(m_current);
    });
    close->setIcon(themed("window-close", QStyle::SP_DialogCloseButton));
    close->setIconText(QStringLiteral("Close"));
    addAction(Command::CloseAll, QStringLiteral("actCloseAll"), tr("Close All"), K(Qt::CTRL | Qt::Key_K), [this] {
        if (m_current)
            CloseAll();
    })->setIcon(themed("edit-clear-all", QStyle::SP_DialogDiscardButton));
    addAction(Command::DupPage, QStringLiteral("actDupPage"), tr("Dup Page"), K(Qt::ALT | Qt::Key_C),
              onPage([this](TbxEmbeddedWb *b) { OpenURL(b->url().toString()); }));
    addAction(Command::TabNext, QStringLiteral("actTabNext"), tr("Next Tab"), K(Qt::CTRL | Qt::Key_Right), [this] { StepTab(true); });
    addAction(Command::TabPrev, QStringLiteral("actTabPrev"), tr("Tab Prev"), K(Qt::CTRL | Qt::Key_Left), [this] { StepTab(false); });
    QAction *fav = addAction(Command::ShowFavorite, QStringLiteral("actShowFavorite"), tr("Favorites"), K(Qt::CTRL | Qt::Key_T),
                             [this] { toggleSidePanel(); });
    fav->setIcon(themed("view-sidetree", QStyle::SP_FileDialogListView));
    fav->setIconText(QStringLiteral("Browser"));
    fav->setCheckable(true);
    fav->setChecked(true);
    addAction(Command::NextSite, QStringLiteral("actNextSite"), tr("Next site"), K(Qt::CTRL | Qt::Key_N), [this] { Q_EMIT nextSiteRequested(); })
        ->setIcon(themed("go-jump", QStyle::SP_MediaSkipForward));
}

void TfrmBrwMain::buildMenus()
{
    auto menu = [this](const QString &caption, const QString &name) {
        auto *m = new QMenu(caption, this);
        m->setObjectName(name);
        auto *button = new QToolButton(scrMainMenu);
        button->setText(caption);
        button->setObjectName(QStringLiteral("btn") + name);
        button->setMenu(m);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        scrMainMenu->addWidget(button);
        m_menus.insert(caption, m);
        m_menuButtons.insert(caption, button);
        return m;
    };
    QMenu *file = menu(QStringLiteral("File"), QStringLiteral("menFile"));
    QAction *open = file->addAction(QStringLiteral("&Open..."), this, &TfrmBrwMain::openFile);
    open->setObjectName(QStringLiteral("menOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QMainWindow::addAction(open);
    QAction *saveAs = file->addAction(QStringLiteral("&Save As..."));
    connect(saveAs, &QAction::triggered, m_commands.value(Command::Save), &QAction::trigger);
    file->addSeparator();
    QAction *preview = file->addAction(QStringLiteral("Print Pre&view..."));
    connect(preview, &QAction::triggered, m_commands.value(Command::PageSetup), &QAction::trigger);
    QAction *print = file->addAction(QStringLiteral("&Print..."));
    connect(print, &QAction::triggered, m_commands.value(Command::Print), &QAction::trigger);
    file->addSeparator();
    QAction *props = file->addAction(QStringLiteral("Properties..."));
    connect(props, &QAction::triggered, m_commands.value(Command::Properties), &QAction::trigger);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    // Menu items follow their command's enabled state.
    const auto follow = [this](QAction *item, Command c) {
        QAction *command = m_commands.value(c);
        item->setEnabled(command->isEnabled());
        connect(command, &QAction::enabledChanged, item, &QAction::setEnabled);
    };
    follow(saveAs, Command::Save);
    follow(preview, Command::PageSetup);
    follow(print, Command::Print);
    follow(props, Command::Properties);

    QMenu *software = menu(QStringLiteral("Software"), QStringLiteral("menSoftware"));
    software->addAction(QStringLiteral("Edit software information..."), this, &TfrmBrwMain::softwareEditorRequested)
        ->setObjectName(QStringLiteral("EditSoftwareinformations1"));

    QMenu *submission = menu(QStringLiteral("Submission"), QStringLiteral("menSubmission"));
    submission->addAction(QStringLiteral("Fill form fields"), this, &TfrmBrwMain::fillForm)
        ->setObjectName(QStringLiteral("menStop"));
    submission->addAction(QStringLiteral("Submit form"), this, &TfrmBrwMain::submitForm)
        ->setObjectName(QStringLiteral("menRefresh"));
    m_smartFill = new SmartFillSwitch(this);
    submission->addAction(m_smartFill->action());
    submission->addSeparator();
    submission->addAction(m_commands.value(Command::NextSite));

    QMenu *favorites = menu(QStringLiteral("Favorities"), QStringLiteral("popFavorite"));
    Q_UNUSED(favorites);

    QMenu *help = menu(QStringLiteral("Help"), QStringLiteral("menHelp"));
    help->addAction(QStringLiteral("Help"), this, &TfrmBrwMain::helpRequested);
    help->addAction(QStringLiteral("HomePage"), this, &TfrmBrwMain::homePageRequested);
    help->addSeparator();
    help->addAction(QStringLiteral("Update download sites"), this, &TfrmBrwMain::updateSitesRequested)
        ->setObjectName(QStringLiteral("Updatedownloadsites1"));
    help->addSeparator();
    help->addAction(QStringLiteral("About..."), this, &TfrmBrwMain::aboutRequested);

    popTab->addAction(QStringLiteral("Close current tab"), m_commands.value(Command::ClosePage), &QAction::trigger);
    popTab->addAction(m_commands.value(Command::CloseAll));
}

void TfrmBrwMain::buildButtonBar()
{
    scrButtons->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    scrButtons->setIconSize(QSize(22, 22));
    auto add = [this](const QString &name, bool caption) {
        QAction *a = m_actions.value(name);
        scrButtons->addAction(a);
        if (auto *b = qobject_cast<QToolButton *>(scrButtons->widgetForAction(a))) {
            b->setObjectName(QStringLiteral("btn_") + name);
            b->setToolButtonStyle(caption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
            b->setToolTip(a->text());
        }
    };
    // A hidden button of its own, so that its action keeps its shortcut.
    auto hidden = [this](const QString &name, const QString &hint, std::function<void()> run) {
        auto *a = new QAction(hint, this);
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, [run] { run(); });
        scrButtons->addAction(a);
        a->setVisible(false);
    };
    add(QStringLiteral("actGoBack"), false);
    add(QStringLiteral("actGoFrwr"), false);
    add(QStringLiteral("actStop"), false);
    add(QStringLiteral("actRefresh"), true);
    add(QStringLiteral("actGoMaster"), true);
    scrButtons->addSeparator();
    hidden(QStringLiteral("ToolButton8"), tr("Save"), [this] { m_commands.value(Command::Save)->trigger(); });
    add(QStringLiteral("actPrint"), false);
    scrButtons->addSeparator();
    add(QStringLiteral("actShowFavorite"), true);
    scrButtons->addSeparator();
    auto *newPage = new QAction(themed("document-new", QStyle::SP_FileIcon), QStringLiteral("New"), this);
    newPage->setObjectName(QStringLiteral("ToolButton6"));
    connect(newPage, &QAction::triggered, this, [this] { OpenURL(QStringLiteral("about:blank")); });
    scrButtons->addAction(newPage);
    if (auto *b = qobject_cast<QToolButton *>(scrButtons->widgetForAction(newPage)))
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    add(QStringLiteral("actClosePage"), true);
    add(QStringLiteral("actCloseAll"), false);
    scrButtons->addSeparator();
    auto *fill = new QAction(themed("document-edit", QStyle::SP_FileDialogContentsView), tr("Fill Forms"), this);
    fill->setObjectName(QStringLiteral("ToolButton7"));
    fill->setToolTip(tr("Fill Forms"));
    connect(fill, &QAction::triggered, this, &TfrmBrwMain::fillForm);
    scrButtons->addAction(fill);
    if (auto *b = qobject_cast<QToolButton *>(scrButtons->widgetForAction(fill)))
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    hidden(QStringLiteral("ToolButton9"), tr("Submit Form"), [this] { submitForm(); });
    add(QStringLiteral("actNextSite"), true);
}

void TfrmBrwMain::setSidePages(QWidget *sitesPage, QWidget *softwarePage)
{
    pcFavorite->addTab(sitesPage, QStringLiteral("Sites list"));
    pcFavorite->addTab(softwarePage, QStringLiteral("Software"));
    pcFavorite->setCurrentIndex(0);
}

void TfrmBrwMain::setMenu(const QString &caption, QMenu *menu)
{
    QToolButton *button = m_menuButtons.value(caption);
    if (!button)
        return;
    delete m_menus.value(caption);
    menu->setParent(this, menu->windowFlags());
    button->setMenu(menu);
    m_menus.insert(caption, menu);
}

QWidget *TfrmBrwMain::sidePanel() const { return pcFavorite; }

bool TfrmBrwMain::addressBoxHasFocus() const
{
    return m_address && m_address->boxHasFocus();
}

TbxWebTabSheet *TfrmBrwMain::pageAt(int index) const { return pc->page(index); }
int TfrmBrwMain::pageCount() const { return pc->count(); }

// ---- opening addresses and tab pages -------------------------------------

void TfrmBrwMain::showAddressText(const QString &address)
{
    if (m_address)
        m_address->setText(address);
}

namespace {
// With DODUVODAZ_TRACE naming a file, every address opened is appended to it
// as a line "open ADDRESS": a record of what a session opened, and a way for
// scripts to see what a running program did.
void traceOpen(const QString &address)
{
    static const QString path = qEnvironmentVariable("DODUVODAZ_TRACE");
    if (path.isEmpty())
        return;
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write("open " + address.toUtf8() + '\n');
}
} // namespace

TbxEmbeddedWb *TfrmBrwMain::OpenURL(const QString &address)
{
    if (address.isEmpty())
        return nullptr;
    traceOpen(address);
    showAddressText(address);
    const bool ctrl = m_ctrlOverride >= 0 ? m_ctrlOverride == 1
                      : m_ctrlHeld ? m_ctrlHeld()
                                 : bool(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
    if (ctrl && m_current && m_current->browser()) {
        m_current->browser()->navigate(address);
        return m_current->browser();
    }
    TbxEmbeddedWb *browser = pc->createBrowser();
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

void TfrmBrwMain::prepareBrowser(TbxEmbeddedWb *browser)
{
    // Every page that finishes loading is filled; an error is shown and the
    // tab goes on working.
    auto *fill = new web::AutoFill(browser->page(), m_record, *this, [](const QString &text) { platform::showError(text); });
    fill->setRulesProvider([this] { return m_smartFill->rules(); });
    connect(fill, &web::AutoFill::smartFilled, browser, [browser](const QString &status) {
        if (auto *sheet = qobject_cast<TbxWebTabSheet *>(browser->tabPage()))
            sheet->WBStatusTextChange(status);
    });
}

TbxWebTabSheet *TfrmBrwMain::AddTabPage() { return pc->addPage(); }

TPage95Control *TfrmBrwMain::tabStrip() const { return pc; }

bool TfrmBrwMain::newPagesAllowed() const { return pc->newPagesAllowed(); }

void TfrmBrwMain::SetCurrentPage(TbxWebTabSheet *page) { pc->setCurrentPage(page); }

// The current page changed: the address box, the caption, the commands and
// the focus follow it.
void TfrmBrwMain::showCurrentPage(TbxWebTabSheet *page)
{
    m_current = page;
    updateActions();
    if (!page) {
        UpdateCaption();
        return;
    }
    if (!page->browser())
        return;
    QString url = page->browser()->url().toString();
    if (!url.isEmpty() && url.size() < 100) {
        // An error page's address shows the address that failed.
        if (url.contains(QLatin1String("res:"))) {
            const int http = url.indexOf(QLatin1String("http:"));
            if (http >= 0)
                url = url.mid(http);
        }
        showAddressText(url.left(255));
        UpdateCaption();
    }
    if (page->browser()->isVisible())
        page->browser()->setFocus();
}

void TfrmBrwMain::CloseTabPage(TbxWebTabSheet *page) { pc->closePage(page); }

void TfrmBrwMain::StepTab(bool forward) { pc->step(forward); }

void TfrmBrwMain::UpdateCaption()
{
    QString text = QString::fromLatin1(ProductCaption);
    if (m_current)
        text = m_current->title() + QStringLiteral(" - ") + text;
    const int w = fontMetrics().horizontalAdvance(QLatin1Char('W'));
    const int limit = (w > 0 ? width() / w : 0) - 17;
    setWindowTitle(FitCaption(text, limit));
}

bool TfrmBrwMain::CloseAll()
{
    if (!platform::askYesNo(QStringLiteral("Do you really want to close all windows?")))
        return false;
    pc->closeAll();
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
    if (m_current && m_current->browser() && m_current->browser()->isVisible())
        m_current->browser()->setFocus();
}

void TfrmBrwMain::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    UpdateCaption();
}

void TfrmBrwMain::closeEvent(QCloseEvent *e)
{
    // Leaving asks before closing open tabs; it goes on whatever the answer.
    if (pc->count() > 0) {
        pc->setNewPagesAllowed(false);
        CloseAll();
        pc->setNewPagesAllowed(false);
    }
    e->accept();
}

// ---- the submission commands ---------------------------------------------

void TfrmBrwMain::runUserCommand(engine::FormMode mode, bool reportErrors)
{
    if (!m_current || !m_current->browser())
        return;
    QPointer<TbxWebTabSheet> sheet = m_current.data();
    web::FormCommandOutcome outcome;
    QString error;
    try {
        TbxEmbeddedWb *browser = m_current->browser();
        if (mode == engine::FormMode::Fill && m_smartFill->isOn()) {
            const web::SmartOutcome smart = web::smartFillPage(browser->page(), m_record);
            outcome.written = smart.filled;
            m_current->WBStatusTextChange(web::smartFillStatus(smart));
        } else {
            web::runFormCommandOnPage(browser->page(), mode, m_record, *this, false, m_smartFill->rules(), &outcome);
        }
    } catch (const dodu::Error &e) {
        error = e.text();
    }
    if (sheet)
        Q_EMIT commandRun(sheet, mode, outcome);
    if (!error.isEmpty() && reportErrors)
        platform::showError(error);
}

void TfrmBrwMain::fillForm() { runUserCommand(engine::FormMode::Fill, false); }
void TfrmBrwMain::submitForm() { runUserCommand(engine::FormMode::Submit, true); }
void TfrmBrwMain::login() { runUserCommand(engine::FormMode::Login, true); }

void TfrmBrwMain::showMessage(const QString &text) { platform::showMessage(text); }
void TfrmBrwMain::processPendingEvents() { QCoreApplication::processEvents(); }
QString TfrmBrwMain::loginUsername() const { return m_username ? m_username() : QString(); }
QString TfrmBrwMain::loginPassword() const { return m_password ? m_password() : QString(); }

// ---- enabling ---------------------------------------------------------------

void TfrmBrwMain::updateActions()
{
    TbxWebTabSheet *cur = m_current;
    const bool open = cur != nullptr;
    const bool loaded = cur ? !cur->isBusy() : addressBoxHasFocus();
    auto set = [this](Command c, bool on) {
        if (QAction *a = m_commands.value(c))
            a->setEnabled(on);
    };
    set(Command::GoBack, cur && cur->canGoBack());
    set(Command::GoForward, cur && cur->canGoForward());
    for (Command c : {Command::Stop, Command::Refresh, Command::PageSetup, Command::Properties, Command::ClosePage,
                      Command::CloseAll, Command::DupPage})
        set(c, open);
    for (Command c : {Command::Save, Command::Print, Command::Copy, Command::SelectAll, Command::Find})
        set(c, loaded);
    set(Command::TabNext, pc->count() > 1);
    set(Command::TabPrev, pc->count() > 1);
    set(Command::GoMaster, true);
    set(Command::ShowFavorite, true);
    set(Command::NextSite, true);
    if (QAction *fav = m_commands.value(Command::ShowFavorite))
        fav->setChecked(pcFavorite->isVisibleTo(this));
}

// ---- other commands -----------------------------------------------------------

void TfrmBrwMain::openFile()
{
    QFileDialog dialog(this, tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("All (*)"));
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        OpenURL(dialog.selectedFiles().first());
}

void TfrmBrwMain::toggleSidePanel()
{
    pcFavorite->setVisible(!pcFavorite->isVisibleTo(this));
    updateActions();
}

