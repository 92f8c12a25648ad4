#pragma once
// The main window: menu bar, address bar and button bar as three movable
// tool bars; the side panel with the site list and the software list at the
// left; the tab strip with one browser tab page per open page filling the rest.
#include "maincommands.h"
#include "mainmenus.h"
#include "webtabsheet.h"

#include "web/autofill.h"
#include "web/embeddedwb.h"

#include <QAction>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QMenu;
class QPrinter;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWebEngineProfile;
namespace software {
class TSoftwareTable;
}

namespace shell {

class Settings;
class SmartFillSwitch;
class TAddressBar;
class TBrowserTabs;
class TDownloadsList;
class TFindBar;
class TIEAddress;
class TMainMenus;
class TPage95Control;
class TPageCommands;
class TSubmissionCommands;
class TbxWebTabSheet;

class TfrmBrwMain : public QMainWindow {
    Q_OBJECT
public:
    static const char *const ProductCaption;

    // Without a profile the pages keep nothing (an off-the-record profile).
    explicit TfrmBrwMain(software::TSoftwareTable &record, QWebEngineProfile *profile = nullptr,
                         QWidget *parent = nullptr);
    ~TfrmBrwMain() override;

    // Opening addresses and managing tab pages. Returns the browser control
    // that loads the address (nullptr for an empty address).
    web::TbxEmbeddedWb *OpenURL(const QString &address);
    TbxWebTabSheet *AddTabPage();
    void SetCurrentPage(TbxWebTabSheet *page);
    void CloseTabPage(TbxWebTabSheet *page);
    void StepTab(bool forward);
    void UpdateCaption();
    void GoMaster();
    void OpenHotURL(int n);
    void FocusPage();
    // Close All: asks first; true when the tabs were closed.
    bool closeAll();

    // The current tab page, kept by the tab widget; null when none.
    TbxWebTabSheet *CurrentPage() const;
    TPage95Control *tabStrip() const;
    QAction *action(Command command) const { return m_commandSet->action(command); }
    // The action of a command by its object name.
    QAction *action(const QString &name) const { return m_commandSet->action(name); }
    QList<QAction *> actions() const { return m_commandSet->actions(); }
    // The commands with their keys.
    TMainCommands *commands() const { return m_commandSet; }
    QWebEngineProfile *profile() const { return m_profile; }
    TbxWebTabSheet *pageAt(int index) const;
    int pageCount() const;

    // The user commands of the submission engine on the current tab.
    void fillForm();   // "Fill form fields": errors are discarded
    void submitForm(); // "Submit form": errors reach the error handler
    void login();      // "Login"

    // The "Smart fill" command of the Submission menu.
    SmartFillSwitch *smartFill() const { return m_menus->smartFill(); }

    // The layout kept in the settings file. restoreLayout: at the start, the
    // side panel's width and visibility and the bands' order, rows and
    // widths. applyPlacement: at each activation, the band widths fitted to
    // the screen and the saved window placement. saveLayout: at the end, the
    // bands as they stand.
    void restoreLayout(const shell::Settings &settings);
    void applyPlacement(const shell::Settings &settings);
    void saveLayout(const shell::Settings &settings) const;

    // Where the start pages and hot addresses come from (the settings file).
    void setStartPagesProvider(std::function<QStringList()> f) { m_startPages = std::move(f); }
    void setHotUrlProvider(std::function<QString(int)> f) { m_hotUrl = std::move(f); }
    // Runs f as if Ctrl were held (held) or not, whatever the keyboard says.
    void withCtrl(bool held, const std::function<void()> &f);
    // File menu "&Open...".
    void openFileDialog();
    // Whether Ctrl is held (tests replace the keyboard).
    void setCtrlSource(std::function<bool()> f) { m_ctrlHeld = std::move(f); }
    // The submission commands and the automatic fill of every tab; the
    // login texts are given to it.
    TSubmissionCommands *submission() const { return m_submission; }

    // Pieces built elsewhere.
    void setSidePages(QWidget *sitesPage, QWidget *softwarePage);
    // The menus and the menu bar's buttons, by caption.
    TMainMenus *menus() const { return m_menus; }
    TDownloadsList *downloads() const { return m_downloads; }
    TBrowserTabs *browserTabs() const { return m_tabs; }
    // Shows a bar across the top of the browsing area (above the tabs).
    void showTopBar(QWidget *bar);
    QMenu *menuNamed(const QString &caption) const { return m_menus->menuNamed(caption); }
    QToolButton *menuButton(const QString &caption) const { return m_menus->menuButton(caption); }
    QMenu *tabMenu() const { return m_menus->tabMenu(); }
    QToolBar *menuBand() const { return m_menuBand; }
    QToolBar *addressBand() const { return m_addressBand; }
    QToolBar *buttonBand() const { return m_buttonBand; }
    QWidget *sidePanel() const;
    TIEAddress *addressBox() const { return m_address; }
    TAddressBar *addressBar() const { return m_addressBar; }
    bool addressBoxHasFocus() const;

    // Sets each command's enabled state from the current page, the number of
    // pages and the focus. Run on every change of these (page signals, tab
    // changes, focus changes); nothing polls.
    void updateActions();

Q_SIGNALS:
    void softwareEditorRequested();
    void updateSitesRequested();
    void aboutRequested();
    void helpRequested();
    void homePageRequested();
    void nextSiteRequested();
    void checkSitesRequested();
    // A submission command ran on a tab (mode "" fill, "login", "submit").
    void commandRun(TbxWebTabSheet *sheet, engine::FormMode mode, const web::FormCommandOutcome &outcome);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public:
    // Whether pages may open new tabs (cleared while tabs are closed).
    bool newPagesAllowed() const;

private:
    void buildActions();
    QList<QToolBar *> bandsInOrder() const;
    int bandRowLimit(const shell::Settings &settings) const;
    void showCurrentPage(TbxWebTabSheet *page);
    void showAddressText(const QString &address);
    void toggleSidePanel();

    software::TSoftwareTable &m_record;
    QWebEngineProfile *m_profile;
    QToolBar *m_menuBand = nullptr;
    QToolBar *m_addressBand = nullptr;
    QToolBar *m_buttonBand = nullptr;
    QSplitter *m_splitter = nullptr;
    QTabWidget *m_sidePanel = nullptr;
    TBrowserTabs *m_tabs = nullptr;
    TFindBar *m_findBar = nullptr;
    TDownloadsList *m_downloads = nullptr;
    TAddressBar *m_addressBar = nullptr;
    TIEAddress *m_address = nullptr;
    TMainCommands *m_commandSet = nullptr;
    TMainMenus *m_menus = nullptr;
    TSubmissionCommands *m_submission = nullptr;
    std::function<QStringList()> m_startPages;
    std::function<QString(int)> m_hotUrl;
    std::function<bool()> m_ctrlHeld;
    int m_ctrlOverride = -1; // -1: ask the keyboard
    TPageCommands *m_pageCommands = nullptr;
};

} // namespace shell
