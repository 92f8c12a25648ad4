#include "web/embeddedwb.h"

#include "web/address.h"
#include "web/autofill.h"
#include "web/formcommand.h"
#include "web/jsdialogs.h"
#include "web/pageguard.h"
#include "web/pagezoom.h"
#include "web/uploadchooser.h"
#include "web/scriptrunner.h"

#include <QAction>
#include <QWebEngineFindTextResult>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>

namespace web {

TbxWebPage::TbxWebPage(QWebEngineProfile *profile, TbxEmbeddedWb *owner)
    : web::FillablePage(profile, owner), m_owner(owner)
{
    connect(this, &QWebEnginePage::windowCloseRequested, owner, &TbxEmbeddedWb::closeWindow);
}

bool TbxWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!m_owner->WBBeforeNavigate2())
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *TbxWebPage::createWindow(WebWindowType) { return m_owner->WBNewWindow2(); }

void TbxWebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    web::showPageAlert(m_owner, securityOrigin, msg);
}

bool TbxWebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return web::askPageConfirm(m_owner, securityOrigin, msg);
}

bool TbxWebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                                  QString *result)
{
    return web::askPagePrompt(m_owner, securityOrigin, msg, defaultValue, result);
}

QStringList TbxWebPage::chooseFiles(FileSelectionMode mode, const QStringList &, const QStringList &acceptedMimeTypes)
{
    const web::UploadMode m = mode == FileSelectOpenMultiple ? web::UploadMode::ManyFiles
        : mode == FileSelectUploadFolder                     ? web::UploadMode::Folder
                                                             : web::UploadMode::OneFile;
    return web::chooseUploadFiles(m_owner, m, acceptedMimeTypes);
}

TbxEmbeddedWb::TbxEmbeddedWb(TabHost *host, QWebEngineProfile *profile) : QWebEngineView(), m_host(host)
{
    setPage(new TbxWebPage(profile, this));
    connect(page(), &QWebEnginePage::loadStarted, this, [this] {
        m_busy = true;
        // A page that starts loading without a navigation request of its
        // own (a window opened on about:blank) still gets its tab.
        if (!m_tabPage && m_host->newPagesAllowed())
            WBBeforeNavigate2();
    });
    connect(page(), &QWebEnginePage::loadFinished, this, [this] { m_busy = false; });
    connect(page(), &QWebEnginePage::linkHovered, this, &TbxEmbeddedWb::linkHovered);
    connect(page(), &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        web::LoadState state;
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus: state.status = web::LoadState::Status::Started; break;
        case QWebEngineLoadingInfo::LoadSucceededStatus: state.status = web::LoadState::Status::Succeeded; break;
        case QWebEngineLoadingInfo::LoadFailedStatus: state.status = web::LoadState::Status::Failed; break;
        case QWebEngineLoadingInfo::LoadStoppedStatus: state.status = web::LoadState::Status::Stopped; break;
        }
        state.url = info.url();
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
            state.httpStatus = info.errorCode();
        else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            state.errorText = info.errorString();
        Q_EMIT loadStateChanged(state);
    });
    for (QWebEnginePage::WebAction a : {QWebEnginePage::Back, QWebEnginePage::Forward})
        connect(page()->action(a), &QAction::changed, this, &TbxEmbeddedWb::historyStateChanged);
    web::PageZoom::follow(this);
    m_guard = new web::PageGuard(this);
    connect(m_guard, &web::PageGuard::statusNote, this, &TbxEmbeddedWb::statusNote);
    m_host->prepareBrowser(this);
}

void TbxEmbeddedWb::navigate(const QString &address) { load(web::addressToUrl(address)); }

bool TbxEmbeddedWb::canGoBack() const { return page()->action(QWebEnginePage::Back)->isEnabled(); }

bool TbxEmbeddedWb::canGoForward() const { return page()->action(QWebEnginePage::Forward)->isEnabled(); }

void TbxEmbeddedWb::findText(const QString &text, bool backward, std::function<void(int active, int count)> done)
{
    page()->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
                     [done = std::move(done)](const QWebEngineFindTextResult &r) {
                         if (done)
                             done(r.activeMatch(), r.numberOfMatches());
                     });
}

void TbxEmbeddedWb::requestContentType(std::function<void(const QString &type)> answer)
{
    web::callScript(page(), QStringLiteral("document.contentType"), this,
                    [answer = std::move(answer)](const QVariant &type) { answer(type.toString()); });
}

void TbxEmbeddedWb::savePage(const QString &path, web::SaveFormat format)
{
    auto f = QWebEngineDownloadRequest::CompleteHtmlSaveFormat;
    if (format == web::SaveFormat::SingleHtml)
        f = QWebEngineDownloadRequest::SingleHtmlSaveFormat;
    else if (format == web::SaveFormat::MimeHtml)
        f = QWebEngineDownloadRequest::MimeHtmlSaveFormat;
    page()->save(path, f);
}

void TbxEmbeddedWb::printPage(QPrinter *printer, std::function<void(bool ok)> done)
{
    if (done) {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(this, &QWebEngineView::printFinished, this, [once, done](bool ok) {
            disconnect(*once);
            done(ok);
        });
    }
    print(printer);
}

void TbxEmbeddedWb::savePdf(const QString &path, std::function<void(bool ok)> done)
{
    auto once = std::make_shared<QMetaObject::Connection>();
    *once =
        connect(page(), &QWebEnginePage::pdfPrintingFinished, this, [once, path, done](const QString &file, bool ok) {
            if (file != path)
                return;
            disconnect(*once);
            if (done)
                done(ok);
        });
    page()->printToPdf(path);
}

void TbxEmbeddedWb::copySelection() { page()->triggerAction(QWebEnginePage::Copy); }

void TbxEmbeddedWb::selectAllText() { page()->triggerAction(QWebEnginePage::SelectAll); }

void TbxEmbeddedWb::shutDown()
{
    m_shutDown = true;
    // Nothing more is filled or written on the page of a closing tab.
    if (auto *fill = page()->findChild<web::AutoFill *>())
        fill->stop();
    web::cancelFormCommands(page());
    stop();
}

bool TbxEmbeddedWb::WBBeforeNavigate2()
{
    if (m_shutDown)
        return false;
    if (m_host->newPagesAllowed()) {
        if (!m_tabPage)
            m_tabPage = m_host->placeInNewTab(this);
        return true;
    }
    if (m_tabPage)
        m_host->postCloseRequest(m_tabPage);
    else
        deleteLater(); // a free-standing control that will never get a tab
    return false;
}

QWebEnginePage *TbxEmbeddedWb::WBNewWindow2()
{
    // A free-standing control refuses new windows, and so does one whose
    // tab page is closing.
    if (!m_tabPage || m_shutDown || !m_host->newPagesAllowed())
        return nullptr;
    auto *child = new TbxEmbeddedWb(m_host, page()->profile());
    m_host->adoptFreeStanding(child);
    return child->page();
}

void TbxEmbeddedWb::closeWindow()
{
    if (m_tabPage)
        m_host->postCloseRequest(m_tabPage);
}

bool TbxEmbeddedWb::focusNextPrevChild(bool) { return true; }

} // namespace web
