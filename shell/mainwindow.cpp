#include "mainwindow.h"

#include "addressbar.h"
#include "findbar.h"
#include "fittext.h"
#include "maincommands.h"
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
        this, [this] { return CurrentPage() && CurrentPage()->browser() ? CurrentPage() : nullptr; }, m_findBar,
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

void TfrmBrwMain::buildActions()
{
    // What each command does; the commands object holds the actions.
    using C = Command;
    const auto onPage = [this](std::function<void(TbxEmbeddedWb *)> f) {
        // Commands on the current page do nothing without one.
        return [this, f] {
            if (CurrentPage() && CurrentPage()->browser())
                f(CurrentPage()->browser());
        };
    };
    m_commandSet = new TMainCommands(this, {
        {C::GoBack, onPage([](TbxEmbeddedWb *b) { b->back(); })},
        {C::GoForward, onPage([](TbxEmbeddedWb *b) { b->forward(); })},
        {C::Stop, onPage([](TbxEmbeddedWb *b) { b->stop(); })},
        {C::Refresh, onPage([](TbxEmbeddedWb *b) { b->reload(); })},
        {C::GoMaster, [this] { GoMaster(); }},
        {C::Save, [this] { m_pageCommands->saveAs(); }},
        {C::Print, [this] { m_pageCommands->print(); }},
        {C::PageSetup, [this] { m_pageCommands->pageSetup(); }},
        {C::Properties, [this] { m_pageCommands->properties(); }},
        {C::Copy, [this] { m_pageCommands->copy(); }},
        {C::SelectAll, [this] { m_pageCommands->selectAll(); }},
        {C::Find, [this] { m_pageCommands->find(); }},
        {C::ClosePage, [this] {
             if (CurrentPage())
                 CloseTabPage(CurrentPage());
         }},
        {C::CloseAll, [this] {
             if (CurrentPage())
                 CloseAll();
         }},
        {C::DupPage, onPage([this](TbxEmbeddedWb *b) { OpenURL(b->url().toString()); })},
        {C::TabNext, [this] { StepTab(true); }},
        {C::TabPrev, [this] { StepTab(false); }},
        {C::ShowFavorite, [this] { toggleSidePanel(); }},
        {C::NextSite, [this] { Q_EMIT nextSiteRequested(); }},
    });
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
    connect(saveAs, &QAction::triggered, m_commandSet->action(Command::Save), &QAction::trigger);
    file->addSeparator();
    QAction *preview = file->addAction(QStringLiteral("Print Pre&view..."));
    connect(preview, &QAction::triggered, m_commandSet->action(Command::PageSetup), &QAction::trigger);
    QAction *print = file->addAction(QStringLiteral("&Print..."));
    connect(print, &QAction::triggered, m_commandSet->action(Command::Print), &QAction::trigger);
    file->addSeparator();
    QAction *props = file->addAction(QStringLiteral("Properties..."));
    connect(props, &QAction::triggered, m_commandSet->action(Command::Properties), &QAction::trigger);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    // Menu items follow their command's enabled state.
    const auto follow = [this](QAction *item, Command c) {
        QAction *command = m_commandSet->action(c);
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
    submission->addAction(m_commandSet->action(Command::NextSite));

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

    popTab->addAction(QStringLiteral("Close current tab"), m_commandSet->action(Command::ClosePage), &QAction::trigger);
    popTab->addAction(m_commandSet->action(Command::CloseAll));
}

void TfrmBrwMain::buildButtonBar()
{
    scrButtons->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    scrButtons->setIconSize(QSize(22, 22));
    auto add = [this](const QString &name, bool caption) {
        QAction *a = m_commandSet->action(name);
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
    hidden(QStringLiteral("ToolButton8"), tr("Save"), [this] { m_commandSet->action(Command::Save)->trigger(); });
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
    if (ctrl && CurrentPage() && CurrentPage()->browser()) {
        CurrentPage()->browser()->navigate(address);
        return CurrentPage()->browser();
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

TbxWebTabSheet *TfrmBrwMain::CurrentPage() const { return pc ? pc->current() : nullptr; }

bool TfrmBrwMain::newPagesAllowed() const { return pc->newPagesAllowed(); }

void TfrmBrwMain::SetCurrentPage(TbxWebTabSheet *page) { pc->setCurrentPage(page); }

// The current page changed: the address box, the caption, the commands and
// the focus follow it.
void TfrmBrwMain::showCurrentPage(TbxWebTabSheet *page)
{
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
    if (CurrentPage())
        text = CurrentPage()->title() + QStringLiteral(" - ") + text;
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
    if (!CurrentPage() || !CurrentPage()->browser())
        return;
    QPointer<TbxWebTabSheet> sheet = CurrentPage();
    web::FormCommandOutcome outcome;
    QString error;
    try {
        TbxEmbeddedWb *browser = CurrentPage()->browser();
        if (mode == engine::FormMode::Fill && m_smartFill->isOn()) {
            const web::SmartOutcome smart = web::smartFillPage(browser->page(), m_record);
            outcome.written = smart.filled;
            CurrentPage()->WBStatusTextChange(web::smartFillStatus(smart));
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
    TMainCommands::State state;
    state.page = CurrentPage();
    state.pageCount = pc->count();
    state.addressFocused = addressBoxHasFocus();
    state.sidePanelVisible = pcFavorite->isVisibleTo(this);
    m_commandSet->update(state);
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

