#pragma once
// The browser control of a tab page. It starts free-standing: whoever opens
// an address creates one and navigates it, and on its first navigation it
// asks the main window for a tab page. Windows a page opens become controls
// of their own the same way; a page that closes its window asks the main
// window to close its tab.
#include "platform/fillablepage.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

class TbxWebTabSheet;
class TbxEmbeddedWb;

// What a browser control needs of the main window.
class TabHost {
public:
    virtual ~TabHost() = default;
    // A new tab page at the end of the strip, made active and current.
    virtual TbxWebTabSheet *AddTabPage() = 0;
    // Posts the request to close a tab page (handled after the caller returned).
    virtual void postCloseRequest(TbxWebTabSheet *sheet) = 0;
    // Every control gets the automatic fill bound to its page.
    virtual void prepareBrowser(TbxEmbeddedWb *browser) = 0;
    // A control that has no tab page yet; the host deletes it at the end.
    virtual void adoptFreeStanding(TbxEmbeddedWb *browser) = 0;
};

// Process-wide: while clear, controls get no tab page and close their own.
extern bool AllowNewPages;

class TbxWebPage : public platform::FillablePage {
    Q_OBJECT
public:
    TbxWebPage(QWebEngineProfile *profile, TbxEmbeddedWb *owner);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    TbxEmbeddedWb *m_owner;
};

class TbxEmbeddedWb : public QWebEngineView {
    Q_OBJECT
public:
    TbxEmbeddedWb(TabHost *host, QWebEngineProfile *profile);

    TbxWebTabSheet *TabSheet = nullptr;
    TabHost *host() const { return m_host; }

    void navigate(const QString &address);
    bool isBusy() const { return m_busy; }

    // Event handlers; public so that the tab page and tests can reach them.
    bool WBBeforeNavigate2();            // false: cancel the navigation
    QWebEnginePage *WBNewWindow2();      // nullptr: refused
    void WBWindowClose();

protected:
    // Tab at the end of a page stays in the page: the window's own controls
    // are not reached by tabbing out of a page.
    bool focusNextPrevChild(bool next) override;

private:
    TabHost *m_host;
    bool m_busy = false;
};
