#pragma once
// The tab pages of the main window and the browser controls in them. It
// creates each control (free-standing until its first navigation, which gives
// it a tab page), closes and steps tabs, decides whether new pages are
// allowed, and re-emits the state of its pages so that the window connects
// once. Which page is current is kept here; the window reacts to changes.
#include "tabstrip.h"

#include "web/embeddedwb.h"

#include <QList>
#include <QPointer>

class QWebEngineProfile;

namespace shell {

class TbxWebTabSheet;

class TBrowserTabs : public TPage95Control, public web::TabHost {
    Q_OBJECT
public:
    TBrowserTabs(QWebEngineProfile *profile, QWidget *parent = nullptr);
    ~TBrowserTabs() override;

    // A new free-standing control; it gets its tab when it first navigates.
    web::TbxEmbeddedWb *createBrowser();

    // A new, empty tab page at the end of the strip, made active and current.
    TbxWebTabSheet *addPage();
    // Closes a page; the page before it (or the last one) becomes current.
    void closePage(TbxWebTabSheet *page);
    // Closes every page with new pages refused meanwhile.
    void closeAll();
    // Makes the next or previous page current, wrapping around.
    void step(bool forward);

    TbxWebTabSheet *current() const { return m_current; }
    void setCurrentPage(TbxWebTabSheet *page);
    void setNewPagesAllowed(bool allowed) { m_newPagesAllowed = allowed; }

    // TabHost
    bool newPagesAllowed() const override { return m_newPagesAllowed; }
    QWidget *placeInNewTab(web::TbxEmbeddedWb *browser) override;
    void postCloseRequest(QWidget *tabPage) override;
    void prepareBrowser(web::TbxEmbeddedWb *browser) override { Q_EMIT browserCreated(browser); }
    void adoptFreeStanding(web::TbxEmbeddedWb *browser) override { adopt(browser); }
    bool askCredentials(QWidget *parent, web::CredentialsRequest &request) override;

Q_SIGNALS:
    // Every control, as it is made: the place to attach what each page needs.
    void browserCreated(web::TbxEmbeddedWb *browser);
    // The current page changed (null: none).
    void currentPageChanged(TbxWebTabSheet *page);
    // A page's loading, history or busy state changed, or pages were added
    // or removed.
    void pagesChanged();
    // The current page accepted a new title.
    void currentTitleAccepted();

protected:
    bool event(QEvent *event) override;

private:
    void adopt(QWidget *w);

    QWebEngineProfile *m_profile;
    QPointer<TbxWebTabSheet> m_current;
    bool m_newPagesAllowed = true;
    // Pages closed but not yet deleted, and controls not yet attached.
    QList<QPointer<QWidget>> m_orphans;
};

} // namespace shell
