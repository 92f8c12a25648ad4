#include "mainmenus.h"

#include "downloadslist.h"
#include "maincommands.h"
#include "receipts.h"
#include "mainwindow.h"
#include "smartfillswitch.h"
#include "webtabsheet.h"

#include "web/embeddedwb.h"
#include "web/pagezoom.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace shell {

namespace {

QIcon themed(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

TMainMenus::TMainMenus(TfrmBrwMain *window, TMainCommands *commands, QToolBar *menuBand, QToolBar *buttonBand)
    : QObject(window), m_window(window), m_commands(commands), m_menuBand(menuBand), m_buttonBand(buttonBand)
{
    m_tabMenu = new QMenu(window);
    m_tabMenu->setObjectName(QStringLiteral("popTab"));
    buildMenus();
    buildButtonBar();
}

QMenu *TMainMenus::addMenu(const QString &caption, const QString &objectName)
{
    auto *m = new QMenu(caption, m_window);
    m->setObjectName(objectName);
    auto *button = new QToolButton(m_menuBand);
    button->setText(caption);
    button->setObjectName(QStringLiteral("btn") + objectName);
    button->setMenu(m);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    m_menuBand->addWidget(button);
    m_menus.insert(caption, m);
    m_menuButtons.insert(caption, button);
    return m;
}

void TMainMenus::buildMenus()
{
    TfrmBrwMain *w = m_window;
    QMenu *file = addMenu(QStringLiteral("File"), QStringLiteral("menFile"));
    QAction *open = file->addAction(QStringLiteral("&Open..."), w, &TfrmBrwMain::openFileDialog);
    open->setObjectName(QStringLiteral("menOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    w->addAction(open);
    // The File menu's page items run their command and follow its state.
    const auto item = [this, file](const QString &caption, Command c) {
        QAction *command = m_commands->action(c);
        QAction *a = file->addAction(caption);
        connect(a, &QAction::triggered, command, &QAction::trigger);
        a->setEnabled(command->isEnabled());
        connect(command, &QAction::enabledChanged, a, &QAction::setEnabled);
    };
    item(QStringLiteral("&Save As..."), Command::Save);
    file->addSeparator();
    item(QStringLiteral("Print Pre&view..."), Command::PageSetup);
    item(QStringLiteral("&Print..."), Command::Print);
    file->addSeparator();
    item(QStringLiteral("Properties..."), Command::Properties);
    file->addSeparator();
    file->addAction(tr("Save page as P&DF..."), w,
                    [w] {
                        if (w->CurrentPage() && w->CurrentPage()->browser())
                            savePageAsPdf(w, w->CurrentPage()->browser());
                    })
        ->setObjectName(QStringLiteral("menSavePdf"));
    file->addAction(tr("&Downloads..."), w, [w] { w->downloads()->showList(); })
        ->setObjectName(QStringLiteral("menDownloads"));
    // Zoom of the current page, remembered per host; the keys work from the
    // whole window.
    QMenu *zoom = file->addMenu(tr("&Zoom"));
    const auto zoomItem = [w, zoom](const QString &caption, const QString &name, QList<QKeySequence> keys,
                                    void (*apply)(QWebEngineView *)) {
        QAction *a = zoom->addAction(caption, w, [w, apply] {
            if (w->CurrentPage() && w->CurrentPage()->browser())
                apply(w->CurrentPage()->browser());
        });
        a->setObjectName(name);
        a->setShortcuts(keys);
        w->addAction(a);
    };
    zoomItem(tr("Zoom &in"), QStringLiteral("menZoomIn"),
             {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &web::PageZoom::zoomIn);
    zoomItem(tr("Zoom &out"), QStringLiteral("menZoomOut"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
             &web::PageZoom::zoomOut);
    zoomItem(tr("&Actual size"), QStringLiteral("menZoomReset"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
             &web::PageZoom::reset);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), w, &QWidget::close);

    QMenu *software = addMenu(QStringLiteral("Software"), QStringLiteral("menSoftware"));
    software->addAction(QStringLiteral("Edit software information..."), w, &TfrmBrwMain::softwareEditorRequested)
        ->setObjectName(QStringLiteral("EditSoftwareinformations1"));

    QMenu *submission = addMenu(QStringLiteral("Submission"), QStringLiteral("menSubmission"));
    submission->addAction(QStringLiteral("Fill form fields"), w, &TfrmBrwMain::fillForm)
        ->setObjectName(QStringLiteral("menStop"));
    submission->addAction(QStringLiteral("Submit form"), w, &TfrmBrwMain::submitForm)
        ->setObjectName(QStringLiteral("menRefresh"));
    m_smartFill = new SmartFillSwitch(w);
    submission->addAction(m_smartFill->action());
    submission->addSeparator();
    submission->addAction(m_commands->action(Command::NextSite));

    addMenu(QStringLiteral("Favorities"), QStringLiteral("popFavorite")); // filled by the favourites

    QMenu *help = addMenu(QStringLiteral("Help"), QStringLiteral("menHelp"));
    help->addAction(QStringLiteral("Help"), w, &TfrmBrwMain::helpRequested);
    help->addAction(QStringLiteral("HomePage"), w, &TfrmBrwMain::homePageRequested);
    help->addSeparator();
    help->addAction(QStringLiteral("Update download sites"), w, &TfrmBrwMain::updateSitesRequested)
        ->setObjectName(QStringLiteral("Updatedownloadsites1"));
    help->addSeparator();
    help->addAction(QStringLiteral("About..."), w, &TfrmBrwMain::aboutRequested);

    m_tabMenu->addAction(QStringLiteral("Close current tab"), m_commands->action(Command::ClosePage),
                         &QAction::trigger);
    m_tabMenu->addAction(m_commands->action(Command::CloseAll));
}

void TMainMenus::buildButtonBar()
{
    QToolBar *bar = m_buttonBand;
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(22, 22));
    const auto style = [bar](QAction *a, Qt::ToolButtonStyle s) {
        if (auto *b = qobject_cast<QToolButton *>(bar->widgetForAction(a)))
            b->setToolButtonStyle(s);
    };
    const auto add = [this, bar](const QString &name, bool caption) {
        QAction *a = m_commands->action(name);
        bar->addAction(a);
        if (auto *b = qobject_cast<QToolButton *>(bar->widgetForAction(a))) {
            b->setObjectName(QStringLiteral("btn_") + name);
            b->setToolButtonStyle(caption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
            b->setToolTip(a->text());
        }
    };
    // A hidden button of its own, so that its action keeps its shortcut.
    const auto hidden = [this, bar](const QString &name, const QString &hint, std::function<void()> run) {
        auto *a = new QAction(hint, m_window);
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, m_window, [run] { run(); });
        bar->addAction(a);
        a->setVisible(false);
    };
    add(QStringLiteral("actGoBack"), false);
    add(QStringLiteral("actGoFrwr"), false);
    add(QStringLiteral("actStop"), false);
    add(QStringLiteral("actRefresh"), true);
    add(QStringLiteral("actGoMaster"), true);
    bar->addSeparator();
    hidden(QStringLiteral("ToolButton8"), tr("Save"), [this] { m_commands->action(Command::Save)->trigger(); });
    add(QStringLiteral("actPrint"), false);
    bar->addSeparator();
    add(QStringLiteral("actShowFavorite"), true);
    bar->addSeparator();
    auto *newPage = new QAction(themed("document-new", QStyle::SP_FileIcon), QStringLiteral("New"), m_window);
    newPage->setObjectName(QStringLiteral("ToolButton6"));
    connect(newPage, &QAction::triggered, m_window, [this] { m_window->OpenURL(QStringLiteral("about:blank")); });
    bar->addAction(newPage);
    style(newPage, Qt::ToolButtonTextUnderIcon);
    add(QStringLiteral("actClosePage"), true);
    add(QStringLiteral("actCloseAll"), false);
    bar->addSeparator();
    auto *fill = new QAction(themed("document-edit", QStyle::SP_FileDialogContentsView), tr("Fill Forms"), m_window);
    fill->setObjectName(QStringLiteral("ToolButton7"));
    fill->setToolTip(tr("Fill Forms"));
    connect(fill, &QAction::triggered, m_window, &TfrmBrwMain::fillForm);
    bar->addAction(fill);
    style(fill, Qt::ToolButtonIconOnly);
    hidden(QStringLiteral("ToolButton9"), tr("Submit Form"), [this] { m_window->submitForm(); });
    add(QStringLiteral("actNextSite"), true);
}

void TMainMenus::setMenu(const QString &caption, QMenu *menu)
{
    QToolButton *button = m_menuButtons.value(caption);
    if (!button)
        return;
    delete m_menus.value(caption);
    menu->setParent(m_window, menu->windowFlags());
    button->setMenu(menu);
    m_menus.insert(caption, menu);
}

} // namespace shell
