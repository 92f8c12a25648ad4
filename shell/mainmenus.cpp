#include "mainmenus.h"

#include "maincommands.h"
#include "smartfillswitch.h"

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

TMainMenus::TMainMenus(QWidget *window, TMainCommands *commands, QToolBar *menuBand, QToolBar *buttonBand)
    : QObject(window), m_window(window), m_commands(commands), m_menuBand(menuBand), m_buttonBand(buttonBand)
{
    m_tabMenu = new QMenu(window);
    m_tabMenu->setObjectName(QStringLiteral("popTab"));
    buildMenus();
    buildButtonBar();
}

QMenu *TMainMenus::addMenu(const char *caption, const QString &objectName)
{
    auto *m = new QMenu(tr(caption), m_window);
    m->setObjectName(objectName);
    auto *button = new QToolButton(m_menuBand);
    button->setText(m->title());
    button->setObjectName(QStringLiteral("btn") + objectName);
    button->setMenu(m);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    m_menuBand->addWidget(button);
    m_menus.insert(QString::fromLatin1(caption), m);
    m_menuButtons.insert(QString::fromLatin1(caption), button);
    return m;
}

void TMainMenus::buildMenus()
{
    QWidget *w = m_window;
    QMenu *file = addMenu(QT_TR_NOOP("File"), QStringLiteral("menFile"));
    file->addAction(m_commands->action(Command::Open));
    // The File menu's page items run their command and follow its state.
    const auto item = [this, file](const QString &caption, Command c) {
        QAction *command = m_commands->action(c);
        QAction *a = file->addAction(caption);
        connect(a, &QAction::triggered, command, &QAction::trigger);
        a->setEnabled(command->isEnabled());
        connect(command, &QAction::enabledChanged, a, &QAction::setEnabled);
    };
    item(tr("&Save As..."), Command::Save);
    file->addSeparator();
    item(tr("Print Pre&view..."), Command::PageSetup);
    item(tr("&Print..."), Command::Print);
    file->addSeparator();
    item(tr("Properties..."), Command::Properties);
    file->addSeparator();
    file->addAction(tr("Save page as P&DF..."), this, &TMainMenus::savePageAsPdfRequested)
        ->setObjectName(QStringLiteral("menSavePdf"));
    file->addAction(tr("&Downloads..."), this, &TMainMenus::downloadsRequested)
        ->setObjectName(QStringLiteral("menDownloads"));
    // Zoom of the current page, remembered per host; the keys work from the
    // whole window.
    QMenu *zoom = file->addMenu(tr("&Zoom"));
    const auto zoomItem = [this, zoom](const QString &caption, const QString &name, QList<QKeySequence> keys,
                                       int step) {
        QAction *a = zoom->addAction(caption, this, [this, step] { Q_EMIT zoomRequested(step); });
        a->setObjectName(name);
        a->setShortcuts(keys);
        m_window->addAction(a);
    };
    zoomItem(tr("Zoom &in"), QStringLiteral("menZoomIn"),
             {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, 1);
    zoomItem(tr("Zoom &out"), QStringLiteral("menZoomOut"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, -1);
    zoomItem(tr("&Actual size"), QStringLiteral("menZoomReset"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, 0);
    file->addSeparator();
    file->addAction(m_commands->action(Command::Exit));

    QMenu *software = addMenu(QT_TR_NOOP("Software"), QStringLiteral("menSoftware"));
    software->addAction(m_commands->action(Command::EditSoftware));

    QMenu *submission = addMenu(QT_TR_NOOP("Submission"), QStringLiteral("menSubmission"));
    submission->addAction(m_commands->action(Command::FillForm));
    submission->addAction(m_commands->action(Command::SubmitForm));
    m_smartFill = new SmartFillSwitch(w);
    submission->addAction(m_smartFill->action());
    submission->addSeparator();
    submission->addAction(m_commands->action(Command::NextSite));
    submission->addAction(tr("Check sites"), this, &TMainMenus::checkSitesRequested)
        ->setObjectName(QStringLiteral("actCheckSites"));

    addMenu(QT_TR_NOOP("Favorities"), QStringLiteral("popFavorite")); // filled by the favourites

    QMenu *help = addMenu(QT_TR_NOOP("Help"), QStringLiteral("menHelp"));
    help->addAction(m_commands->action(Command::Help));
    help->addAction(m_commands->action(Command::HomePage));
    help->addSeparator();
    help->addAction(m_commands->action(Command::UpdateSites));
    help->addSeparator();
    help->addAction(m_commands->action(Command::About));

    m_tabMenu->addAction(tr("Close current tab"), m_commands->action(Command::ClosePage), &QAction::trigger);
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
    QAction *newPage = m_commands->action(Command::NewPage);
    bar->addAction(newPage);
    style(newPage, Qt::ToolButtonTextUnderIcon);
    add(QStringLiteral("actClosePage"), true);
    add(QStringLiteral("actCloseAll"), false);
    bar->addSeparator();
    auto *fill = new QAction(themed("document-edit", QStyle::SP_FileDialogContentsView), tr("Fill Forms"), m_window);
    fill->setObjectName(QStringLiteral("ToolButton7"));
    fill->setToolTip(tr("Fill Forms"));
    connect(fill, &QAction::triggered, m_commands->action(Command::FillForm), &QAction::trigger);
    bar->addAction(fill);
    style(fill, Qt::ToolButtonIconOnly);
    hidden(QStringLiteral("ToolButton9"), tr("Submit Form"),
           [this] { m_commands->action(Command::SubmitForm)->trigger(); });
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
