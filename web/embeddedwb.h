#pragma once
// The browser control of a tab page. It starts free-standing: whoever opens
// an address creates one and navigates it, and on its first navigation it
// asks its host for a tab page. Windows a page opens become controls of their
// own the same way; a page that closes its window asks the host to close its
// tab. The control knows nothing of tabs beyond the widget its host gave it.
//
// The page commands the window offers (find, save, print, copy, select all,
// history state) are here too, so that nothing outside this folder talks to
// the browser engine.
#include "web/credentials.h"
#include "web/fillablepage.h"
#include "web/webengineenv.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

class QPrinter;
class QWebEngineProfile;

namespace web {

class PageGuard;
class TbxEmbeddedWb;

// What a browser control needs of the window that shows it.
class TabHost {
public:
    virtual ~TabHost() = default;
    // While false, controls get no tab page and close their own.
    virtual bool newPagesAllowed() const = 0;
    // Gives the control a new tab page at the end of the strip, made active
    // and current, with the control attached; returns the tab page.
    virtual QWidget *placeInNewTab(TbxEmbeddedWb *browser) = 0;
    // Posts the request to close a tab page (handled after the caller returned).
    virtual void postCloseRequest(QWidget *tabPage) = 0;
    // Every control gets the automatic fill bound to its page.
    virtual void prepareBrowser(TbxEmbeddedWb *browser) = 0;
    // A control that has no tab page yet; the host deletes it at the end.
    virtual void adoptFreeStanding(TbxEmbeddedWb *browser) = 0;
    // A site or proxy asks for a name and password: true with the answer
    // filled in, false when the user declined (the default).
    virtual bool askCredentials(QWidget *parent, web::CredentialsRequest &request)
    {
        Q_UNUSED(parent);
        Q_UNUSED(request);
        return false;
    }
};

// How "Save As" stores a page.
enum class SaveFormat { CompleteHtml, SingleHtml, MimeHtml };

// A change in the loading of the page's top document.
struct LoadState {
    enum class Status { Started, Succeeded, Failed, Stopped };
    Status status = Status::Started;
    QUrl url;
    int httpStatus = 0; // where the engine gives one (error pages), else 0
    QString errorText;  // for a failed load that is not an HTTP status
};

class TbxWebPage : public web::FillablePage {
    Q_OBJECT
public:
    TbxWebPage(QWebEngineProfile *profile, TbxEmbeddedWb *owner);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    TbxEmbeddedWb *m_owner;
};

class TbxEmbeddedWb : public QWebEngineView {
    Q_OBJECT
public:
    TbxEmbeddedWb(TabHost *host, QWebEngineProfile *profile);

    TabHost *host() const { return m_host; }
    // The tab page the host gave this control; null while free-standing.
    QWidget *tabPage() const { return m_tabPage; }

    void navigate(const QString &address);
    // Its tab page is being closed: loading stops, and from now on the
    // control opens no window and goes nowhere, even while events of its
    // page are still on their way before it is deleted.
    void shutDown();
    bool isBusy() const { return m_busy; }
    // What looks after certificate errors, passwords, permissions and a
    // stopped renderer for this control.
    PageGuard *guard() const { return m_guard; }
    bool canGoBack() const;
    bool canGoForward() const;

    // Page commands.
    // Finds text from the selection on; `done` gets the number of the match
    // now selected and the number of matches. An empty text ends the search.
    void findText(const QString &text, bool backward, std::function<void(int active, int count)> done = {});
    void savePage(const QString &path, web::SaveFormat format);
    // Prints the page; `done` gets whether it was printed.
    void printPage(QPrinter *printer, std::function<void(bool ok)> done);
    // Writes the page as a PDF file; `done` gets whether it was written.
    void savePdf(const QString &path, std::function<void(bool ok)> done);
    void copySelection();
    void selectAllText();
    // Asks for the page's document.contentType; `answer` gets it later
    // (empty when the page gives none), never once this control has gone.
    void requestContentType(std::function<void(const QString &type)> answer);

    // Event handlers; public so that the host and tests can reach them.
    bool WBBeforeNavigate2();       // false: cancel the navigation
    QWebEnginePage *WBNewWindow2(); // nullptr: refused
    void closeWindow();

Q_SIGNALS:
    // The back or forward history command became available or not.
    void historyStateChanged();
    // The mouse is over a link (empty text: left it).
    void linkHovered(const QString &address);
    // The top document started, finished, failed or stopped loading.
    void loadStateChanged(const web::LoadState &state);
    // A line for the tab's status bar: a permission refused, a certificate
    // refused, a page that stopped.
    void statusNote(const QString &text);

protected:
    // Tab at the end of a page stays in the page: the window's own controls
    // are not reached by tabbing out of a page.
    bool focusNextPrevChild(bool next) override;

private:
    TabHost *m_host;
    QPointer<QWidget> m_tabPage;
    bool m_busy = false;
    bool m_shutDown = false;
    PageGuard *m_guard = nullptr;
};

} // namespace web
