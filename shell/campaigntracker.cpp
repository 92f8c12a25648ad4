#include "campaigntracker.h"

#include "web/embeddedwb.h"
#include "mainwindow.h"
#include "settings.h"
#include "tabstrip.h"
#include "receipts.h"
#include "webtabsheet.h"

#include "web/autofill.h"
#include "platform/messages.h"
#include "sites/sitespanel.h"
#include "software/softwaretable.h"

#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace shell {

campaign::Campaign campaignOf(const software::TSoftwareTable &table)
{
    auto field = [&](const char *name) {
        const int i = table.indexOf(QString::fromLatin1(name));
        return i >= 0 ? table.fieldText(i) : QString();
    };
    return {field("Program_Name"), field("Program_Version")};
}

void rememberSiteFilter(sites::TSitesPanel *sites, const Settings &settings)
{
    sites->setNotDoneFilter(settings.notDoneFilter());
    QObject::connect(sites, &sites::TSitesPanel::notDoneFilterChosen, sites,
                     [settings](bool on) { settings.setNotDoneFilter(on); });
}

namespace {

// A button at the right of a tab's status bar, left of the progress bar; it
// keeps its place when the bar is resized.
class StatusOffer : public QToolButton {
public:
    explicit StatusOffer(QWidget *bar) : QToolButton(bar)
    {
        setObjectName(QStringLiteral("btnMarkDone"));
        setText(QStringLiteral("Mark as done"));
        setAutoRaise(true);
        setFixedHeight(18);
        bar->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        auto *bar = parentWidget();
        adjustSize();
        move(qMax(0, bar->width() - 110 - width()), 1);
    }
};

} // namespace

TCampaignTracker::TCampaignTracker(TfrmBrwMain *window, sites::TSitesPanel *sites, campaign::SubmissionLog *log)
    : QObject(window), m_window(window), m_sites(sites), m_log(log)
{
    connect(sites, &sites::TSitesPanel::siteChosen, this, &TCampaignTracker::openSite);
    connect(window, &TfrmBrwMain::nextSiteRequested, this, &TCampaignTracker::nextSite);
    connect(window, &TfrmBrwMain::commandRun, this, &TCampaignTracker::onCommand);
    buildTabMenu(window->tabMenu());
}

void TCampaignTracker::openSite(int row, const QString &address)
{
    web::TbxEmbeddedWb *browser = m_window->OpenURL(address);
    if (!browser)
        return;
    follow(browser, m_sites->site(row));
    campaign::Event e;
    e.kind = campaign::EventKind::Opened;
    e.address = address;
    record(browser, e);
}

void TCampaignTracker::nextSite()
{
    bool opened = false;
    m_window->withCtrl(false, [&] { opened = m_sites->openNextSite(); });
    if (!opened)
        platform::showMessage(
            QStringLiteral("Every site is done or skipped for %1.").arg(m_sites->currentCampaign().label()));
}

void TCampaignTracker::follow(web::TbxEmbeddedWb *browser, const campaign::Site &site)
{
    const bool known = m_followed.contains(browser);
    Followed &f = m_followed[browser];
    f.site = site;
    f.pressed = false;
    f.awaitingResult = false;
    if (f.offer)
        f.offer->hide();
    if (known)
        return;
    connect(browser, &web::TbxEmbeddedWb::urlChanged, this, [this, browser](const QUrl &url) {
        auto it = m_followed.find(browser);
        if (it != m_followed.end())
            it->address = url.toString();
    });
    connect(browser, &web::TbxEmbeddedWb::loadStateChanged, this,
            [this, browser](const web::LoadState &state) { onLoading(browser, state); });
    if (auto *fill = browser->page()->findChild<web::AutoFill *>()) {
        connect(fill, &web::AutoFill::filled, this, [this, browser, fill] {
            const int written = fill->lastOutcome().written;
            if (written <= 0)
                return; // a page without a form the rules know
            campaign::Event e;
            e.kind = campaign::EventKind::Filled;
            e.detail = QStringLiteral("%1 controls").arg(written);
            record(browser, e);
        });
    }
    // The control goes with its tab page.
    connect(browser, &QObject::destroyed, this, [this, browser] {
        const Followed f = m_followed.take(browser);
        if (!m_log || !m_log->isOn())
            return;
        campaign::Event e;
        e.kind = campaign::EventKind::Closed;
        e.address = f.address;
        m_log->record(m_sites->currentCampaign(), f.site, e);
    });
}

void TCampaignTracker::record(web::TbxEmbeddedWb *browser, campaign::Event event)
{
    auto it = m_followed.find(browser);
    if (it == m_followed.end() || !m_log || !m_log->isOn())
        return;
    if (event.address.isEmpty())
        event.address = browser->url().toString();
    m_log->record(m_sites->currentCampaign(), it->site, event);
}

void TCampaignTracker::onCommand(TbxWebTabSheet *sheet, engine::FormMode mode, const web::FormCommandOutcome &outcome)
{
    web::TbxEmbeddedWb *browser = sheet ? sheet->browser() : nullptr;
    if (!browser)
        return;
    if (!m_followed.contains(browser)) {
        // A site's page reached another way (typed, a favourite) counts when
        // it shows one of the site's addresses.
        const std::optional<campaign::Site> site = siteOf(sheet);
        if (!site)
            return;
        follow(browser, *site);
    }
    campaign::Event e;
    if (mode == engine::FormMode::Login) {
        e.kind = campaign::EventKind::Login;
        e.detail = outcome.pressed.join(QLatin1String(", "));
    } else if (mode == engine::FormMode::Submit) {
        if (outcome.pressed.isEmpty())
            return; // no submit button: nothing was pressed
        // The press is logged as a press; the form counts as sent once a new
        // page starts loading (the page may refuse the submit, for one a box
        // of type url holding no address).
        e.kind = campaign::EventKind::Pressed;
        e.detail = outcome.pressed.join(QLatin1String(", "));
        Followed &f = m_followed[browser];
        f.pressed = true;
        f.button = e.detail;
        f.awaitingResult = false;
        const int number = ++f.pressNumber;
        if (f.offer)
            f.offer->hide();
        record(browser, e);
        if (sheet->isBusy())
            formSent(browser, browser->url()); // the new page started before the answer came
        else
            QTimer::singleShot(kSendWaitMs, this, [this, browser, number] { checkSent(browser, number); });
        return;
    } else {
        if (outcome.written <= 0)
            return;
        e.kind = campaign::EventKind::Filled;
        e.detail = QStringLiteral("%1 controls").arg(outcome.written);
    }
    record(browser, e);
}

void TCampaignTracker::onLoading(web::TbxEmbeddedWb *browser, const web::LoadState &info)
{
    using Status = web::LoadState::Status;
    auto it = m_followed.find(browser);
    if (it == m_followed.end())
        return;
    if (info.status == Status::Started) {
        if (it->offer)
            it->offer->hide();
        if (it->pressed)
            formSent(browser, info.url);
        return;
    }
    if (it->pressed)
        formSent(browser, info.url);
    it = m_followed.find(browser);
    if (!it->awaitingResult)
        return;
    it->awaitingResult = false;
    campaign::Event e;
    e.kind = campaign::EventKind::Result;
    e.address = info.url.toString();
    e.title = browser->title();
    if (info.httpStatus != 0)
        e.httpStatus = info.httpStatus;
    else if (info.status == Status::Failed)
        e.detail = info.errorText;
    else if (info.status == Status::Stopped)
        e.detail = QStringLiteral("stopped");
    const bool success =
        info.status == Status::Succeeded && (e.httpStatus == 0 || (e.httpStatus >= 200 && e.httpStatus < 400));
    if (!success) {
        record(browser, e);
        return;
    }
    // The page the submit led to is kept as the receipt; the result event
    // names its file.
    QPointer<web::TbxEmbeddedWb> guard(browser);
    saveReceipt(browser, it->site.name, m_sites->currentCampaign().version, [this, guard, e](const QString &path) {
        campaign::Event result = e;
        if (!path.isEmpty())
            result.detail = QStringLiteral("receipt %1").arg(path);
        if (!guard)
            return;
        record(guard, result);
        offerDone(guard);
    });
}

void TCampaignTracker::formSent(web::TbxEmbeddedWb *browser, const QUrl &address)
{
    auto it = m_followed.find(browser);
    if (it == m_followed.end() || !it->pressed)
        return;
    it->pressed = false;
    it->awaitingResult = true;
    campaign::Event e;
    e.kind = campaign::EventKind::Submit;
    e.address = address.toString();
    e.detail = it->button;
    record(browser, e);
}

void TCampaignTracker::checkSent(web::TbxEmbeddedWb *browser, int pressNumber)
{
    auto it = m_followed.find(browser);
    if (it == m_followed.end() || !it->pressed || it->pressNumber != pressNumber)
        return;
    it->pressed = false;
    if (auto *sheet = static_cast<TbxWebTabSheet *>(browser->tabPage()))
        sheet->WBStatusTextChange(
            tr("The page did not send the form: no new page followed the press. A field may hold a value the page "
               "does not accept."));
}

void TCampaignTracker::offerDone(web::TbxEmbeddedWb *browser)
{
    if (!m_log || !m_log->isOn() || !browser->tabPage())
        return;
    Followed &f = m_followed[browser];
    if (!f.offer) {
        f.offer = new StatusOffer(static_cast<TbxWebTabSheet *>(browser->tabPage())->statusPanel());
        connect(f.offer, &QToolButton::clicked, this, [this, browser] {
            auto it = m_followed.find(browser);
            if (it == m_followed.end())
                return;
            setState(it->site, campaign::State::Done, QString());
            if (it->offer)
                it->offer->hide();
        });
    }
    f.offer->show();
    f.offer->raise();
}

QToolButton *TCampaignTracker::offerOf(TbxWebTabSheet *sheet) const
{
    if (!sheet || !sheet->browser())
        return nullptr;
    auto it = m_followed.constFind(sheet->browser());
    return it != m_followed.constEnd() && it->offer && it->offer->isVisibleTo(sheet) ? it->offer.data() : nullptr;
}

std::optional<campaign::Site> TCampaignTracker::siteOf(TbxWebTabSheet *sheet) const
{
    if (!sheet || !sheet->browser())
        return std::nullopt;
    auto it = m_followed.constFind(sheet->browser());
    if (it != m_followed.constEnd())
        return it->site;
    const QString url = sheet->browser()->url().toString();
    if (url.isEmpty())
        return std::nullopt;
    const QList<campaign::Site> sites = m_sites->campaignSites();
    for (const campaign::Site &s : sites)
        if ((!s.newReleaseUrl.isEmpty() && QUrl::fromUserInput(s.newReleaseUrl).toString() == url) ||
            (!s.updateUrl.isEmpty() && QUrl::fromUserInput(s.updateUrl).toString() == url))
            return s;
    return std::nullopt;
}

void TCampaignTracker::setState(const campaign::Site &site, campaign::State state, const QString &note)
{
    if (m_log && m_log->isOn())
        m_log->setState(m_sites->currentCampaign(), site, state, note);
}

TbxWebTabSheet *TCampaignTracker::menuTab() const { return m_menuTab ? m_menuTab.data() : m_window->CurrentPage(); }

void TCampaignTracker::buildTabMenu(QMenu *menu)
{
    QMenu *states = menu->addMenu(QStringLiteral("Site state"));
    states->setObjectName(QStringLiteral("popTabSiteState"));
    sites::addSiteStateItems(states, QStringLiteral("actTabSite"), m_window,
                             [this](campaign::State state, const QString &note) {
                                 if (const std::optional<campaign::Site> site = siteOf(menuTab()))
                                     setState(*site, state, note);
                             });
    // The items work on the site of the tab that was right-clicked (the
    // current one when the menu was opened otherwise), only with the log on.
    connect(menu, &QMenu::aboutToShow, this, [this, states] {
        m_menuTab = m_window->tabStrip()->menuPage();
        const bool on = m_log && m_log->isOn() && siteOf(menuTab()).has_value();
        states->setEnabled(on);
    });
}

} // namespace shell
