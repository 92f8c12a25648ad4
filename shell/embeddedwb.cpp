#include "embeddedwb.h"

#include "webtabsheet.h"

#include "platform/address.h"

bool AllowNewPages = true;

TbxWebPage::TbxWebPage(QWebEngineProfile *profile, TbxEmbeddedWb *owner) : platform::FillablePage(profile, owner), m_owner(owner)
{
    connect(this, &QWebEnginePage::windowCloseRequested, owner, &TbxEmbeddedWb::WBWindowClose);
}

bool TbxWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!m_owner->WBBeforeNavigate2())
        return false;
    if (type == NavigationTypeLinkClicked && m_owner->TabSheet)
        m_owner->TabSheet->LinkClicked = true;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *TbxWebPage::createWindow(WebWindowType)
{
    return m_owner->WBNewWindow2();
}

TbxEmbeddedWb::TbxEmbeddedWb(TabHost *host, QWebEngineProfile *profile) : QWebEngineView(), m_host(host)
{
    setPage(new TbxWebPage(profile, this));
    connect(page(), &QWebEnginePage::loadStarted, this, [this] {
        m_busy = true;
        // A page that starts loading without a navigation request of its
        // own (a window opened on about:blank) still gets its tab.
        if (!TabSheet && AllowNewPages)
            WBBeforeNavigate2();
    });
    connect(page(), &QWebEnginePage::loadFinished, this, [this] { m_busy = false; });
    m_host->prepareBrowser(this);
}

void TbxEmbeddedWb::navigate(const QString &address)
{
    load(platform::addressToUrl(address));
}

bool TbxEmbeddedWb::WBBeforeNavigate2()
{
    if (AllowNewPages) {
        if (!TabSheet) {
            TbxWebTabSheet *sheet = m_host->AddTabPage();
            TabSheet = sheet;
            sheet->AttachBrowser(this);
        }
        return true;
    }
    if (TabSheet)
        m_host->postCloseRequest(TabSheet);
    else
        deleteLater(); // a free-standing control that will never get a tab
    return false;
}

QWebEnginePage *TbxEmbeddedWb::WBNewWindow2()
{
    // A free-standing control refuses new windows.
    if (!TabSheet || !AllowNewPages) {
        if (TabSheet)
            TabSheet->LinkClicked = false;
        return nullptr;
    }
    auto *child = new TbxEmbeddedWb(m_host, page()->profile());
    m_host->adoptFreeStanding(child);
    TabSheet->LinkClicked = false;
    return child->page();
}

void TbxEmbeddedWb::WBWindowClose()
{
    if (TabSheet)
        m_host->postCloseRequest(TabSheet);
}

bool TbxEmbeddedWb::focusNextPrevChild(bool)
{
    return true;
}
