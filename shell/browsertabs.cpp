#include "browsertabs.h"

#include "authdialog.h"
#include "fittext.h"
#include "webtabsheet.h"

#include "sites/sitemarks.h"

#include <QCoreApplication>
#include <QEvent>

namespace shell {

namespace {

// The request of a browser control to close its tab page, posted so that the
// page goes only after the control's handler returned.
const QEvent::Type CloseRequest = QEvent::Type(QEvent::registerEventType());

class CloseRequestEvent : public QEvent {
public:
    explicit CloseRequestEvent(TbxWebTabSheet *sheet) : QEvent(CloseRequest), page(sheet) { }
    QPointer<TbxWebTabSheet> page;
};

} // namespace

TBrowserTabs::TBrowserTabs(QWebEngineProfile *profile, QWidget *parent) : TPage95Control(parent), m_profile(profile)
{
    connect(this, &QTabWidget::currentChanged, this, [this] { setCurrentPage(activePage()); });
}

TBrowserTabs::~TBrowserTabs()
{
    m_newPagesAllowed = false;
    // Pages go before the profile they use, which outlives this widget.
    for (const QPointer<QWidget> &w : std::as_const(m_orphans))
        delete w.data();
    const QSignalBlocker block(this);
    while (count() > 0) {
        QWidget *w = widget(0);
        removeTab(0);
        delete w;
    }
}

web::TbxEmbeddedWb *TBrowserTabs::createBrowser()
{
    auto *browser = new web::TbxEmbeddedWb(this, m_profile);
    adopt(browser);
    return browser;
}

void TBrowserTabs::adopt(QWidget *w)
{
    m_orphans.removeAll(QPointer<QWidget>());
    m_orphans << w;
}

QWidget *TBrowserTabs::placeInNewTab(web::TbxEmbeddedWb *browser)
{
    TbxWebTabSheet *sheet = addPage();
    sheet->AttachBrowser(browser);
    return sheet;
}

TbxWebTabSheet *TBrowserTabs::addPage()
{
    auto *sheet = new TbxWebTabSheet(this);
    sheet->setFont(font());
    connect(sheet, &TbxWebTabSheet::captionChanged, this, [this](TbxWebTabSheet *s, const QString &caption) {
        const int i = indexOf(s);
        if (i >= 0) {
            setTabText(i, caption);
            setTabToolTip(i, sites::plainToolTip(s->title())); // the page's title, shown as it is
        }
    });
    connect(sheet, &TbxWebTabSheet::titleAccepted, this, [this](TbxWebTabSheet *s) {
        if (s == m_current)
            Q_EMIT currentTitleAccepted();
    });
    connect(sheet, &TbxWebTabSheet::stateChanged, this, &TBrowserTabs::pagesChanged);
    {
        const QSignalBlocker block(this);
        addTab(sheet, FitText(QString(), 20));
        setCurrentWidget(sheet);
    }
    setCurrentPage(sheet);
    return sheet;
}

void TBrowserTabs::setCurrentPage(TbxWebTabSheet *page)
{
    m_current = page;
    Q_EMIT currentPageChanged(page);
}

void TBrowserTabs::closePage(TbxWebTabSheet *page)
{
    const int n = count();
    const int index = indexOf(page);
    if (n == 0 || index < 0)
        return;
    auto destroy = [this](TbxWebTabSheet *p) {
        {
            const QSignalBlocker block(this);
            removeTab(indexOf(p));
        }
        if (p->browser())
            p->browser()->shutDown();
        p->hide();
        p->deleteLater();
        adopt(p);
        Q_EMIT pagesChanged();
    };
    if (n == 1) {
        destroy(page);
        setCurrentPage(nullptr);
        return;
    }
    const bool wasCurrent = page == m_current;
    TbxWebTabSheet *before = this->page(index == 0 ? n - 1 : index - 1);
    destroy(page);
    if (wasCurrent) {
        setCurrentWidget(before);
        setCurrentPage(before);
        setCurrentPage(count() > 0 ? activePage() : nullptr);
    }
    update();
}

void TBrowserTabs::closeAll()
{
    m_newPagesAllowed = false;
    // Each page closes at once (its browser shut down, deleted later), so
    // nothing of it runs between two closings.
    while (count() > 0)
        closePage(m_current ? m_current.data() : activePage());
    // Windows the closed pages were still opening have no tab yet; they go
    // too, or they would get one as soon as new pages are allowed again.
    for (const QPointer<QWidget> &w : std::as_const(m_orphans)) {
        auto *browser = qobject_cast<web::TbxEmbeddedWb *>(w.data());
        if (browser && !browser->tabPage()) {
            browser->shutDown();
            browser->deleteLater();
        }
    }
    m_newPagesAllowed = true;
}

void TBrowserTabs::step(bool forward)
{
    if (count() < 2)
        return;
    TbxWebTabSheet *next = neighbour(m_current ? m_current.data() : activePage(), forward);
    setCurrentWidget(next);
    setCurrentPage(next);
}

void TBrowserTabs::postCloseRequest(QWidget *tabPage)
{
    if (auto *sheet = qobject_cast<TbxWebTabSheet *>(tabPage))
        QCoreApplication::postEvent(this, new CloseRequestEvent(sheet));
}

bool TBrowserTabs::event(QEvent *e)
{
    if (e->type() == CloseRequest) {
        // A request for a page that is already closed is dropped.
        auto *request = static_cast<CloseRequestEvent *>(e);
        if (request->page && indexOf(request->page) >= 0)
            closePage(request->page);
        return true;
    }
    return TPage95Control::event(e);
}

bool TBrowserTabs::askCredentials(QWidget *parent, web::CredentialsRequest &request)
{
    return AuthDialog::ask(parent, request);
}

} // namespace shell
