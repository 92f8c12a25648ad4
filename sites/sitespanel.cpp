#include "sitespanel.h"

#include "campaign/campaignreport.h"
#include "sitecheckview.h"

#include <QComboBox>
#include <QGridLayout>
#include <QMenu>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace sites {

namespace {

// A list that reports a choice the way a list box does: a click on an item
// (the selected one included) or a selection moved with the keyboard. Setting
// the current row from code reports nothing.
class SiteList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    // The tooltip of a row, made when it is asked for.
    std::function<QString(int row)> tipFor;

Q_SIGNALS:
    void chosen();

protected:
    bool viewportEvent(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip && tipFor) {
            auto *help = static_cast<QHelpEvent *>(event);
            QListWidgetItem *item = itemAt(help->pos());
            const QString text = item ? tipFor(row(item)) : QString();
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), plainToolTip(text), viewport(), visualItemRect(item));
            return true;
        }
        return QListWidget::viewportEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidgetItem *pressed = m_pressed;
        m_pressed = nullptr;
        QListWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && pressed && itemAt(event->position().toPoint()) == pressed)
            Q_EMIT chosen();
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressed = itemAt(event->position().toPoint());
        QListWidget::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        if (currentRow() != before)
            Q_EMIT chosen();
    }

    // A Ctrl+click (open in the current tab) must not clear the selection.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index, const QEvent *event) const override
    {
        QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
        if (index.isValid() && (flags & QItemSelectionModel::Deselect))
            flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
        return flags;
    }

private:
    QListWidgetItem *m_pressed = nullptr;
};

} // namespace

TSitesPanel::TSitesPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tabFavorite"));

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("pnlSitesTop"));
    top->setFixedHeight(84);

    m_sitesLabel = new QLabel(QStringLiteral("Sites list:"), top);
    m_sitesLabel->setObjectName(QStringLiteral("Label1"));
    m_newReleaseRadio = new QRadioButton(QStringLiteral("New Release"), top);
    m_newReleaseRadio->setObjectName(QStringLiteral("RadioButton1"));
    m_newReleaseRadio->setChecked(true);
    m_updateRadio = new QRadioButton(QStringLiteral("Update"), top);
    m_updateRadio->setObjectName(QStringLiteral("RadioButton2"));
    m_usernameLabel = new QLabel(QStringLiteral("Username:"), top);
    m_usernameLabel->setObjectName(QStringLiteral("Label3"));
    m_usernameEdit = new QLineEdit(top);
    m_usernameEdit->setObjectName(QStringLiteral("Edit1"));
    m_passwordLabel = new QLabel(QStringLiteral("Password:"), top);
    m_passwordLabel->setObjectName(QStringLiteral("Label4"));
    m_passwordEdit = new QLineEdit(top);
    m_passwordEdit->setObjectName(QStringLiteral("Edit2"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // typed characters show as '*'
    m_usernameLabel->setBuddy(m_usernameEdit);
    m_passwordLabel->setBuddy(m_passwordEdit);
    m_loginButton = new QPushButton(QStringLiteral("Login"), top);
    m_loginButton->setObjectName(QStringLiteral("Button1"));

    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(4);
    grid->addWidget(m_sitesLabel, 0, 0);
    auto *radios = new QHBoxLayout;
    radios->setSpacing(6);
    radios->addWidget(m_newReleaseRadio);
    radios->addWidget(m_updateRadio);
    radios->addStretch(1);
    grid->addLayout(radios, 0, 1, 1, 2);
    grid->addWidget(m_usernameLabel, 1, 0);
    grid->addWidget(m_usernameEdit, 1, 1);
    grid->addWidget(m_passwordLabel, 2, 0);
    grid->addWidget(m_passwordEdit, 2, 1);
    grid->addWidget(m_loginButton, 1, 2, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(1, 1);

    auto *list = new SiteList(this);
    m_siteList = list;
    m_siteList->setObjectName(QStringLiteral("SiteListBox"));
    m_siteList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_siteList->setUniformItemSizes(true);

    // The campaign's filter and counter.
    auto *progress = new QWidget(this);
    progress->setObjectName(QStringLiteral("pnlCampaign"));
    m_campaignFilter = new QComboBox(progress);
    m_campaignFilter->setObjectName(QStringLiteral("cbCampaignFilter"));
    m_campaignFilter->addItems(
        {QStringLiteral("All sites"), QStringLiteral("Not done for this version"), tr("Reachable, not done")});
    m_campaignProgress = new QLabel(progress);
    m_campaignProgress->setObjectName(QStringLiteral("lblCampaignProgress"));
    m_campaignProgress->setWordWrap(true);
    m_campaignProgress->setTextFormat(Qt::PlainText); // it holds the record's program name
    auto *progressLayout = new QVBoxLayout(progress);
    progressLayout->setContentsMargins(4, 2, 4, 2);
    progressLayout->setSpacing(2);
    progressLayout->addWidget(m_campaignFilter);
    progressLayout->addWidget(m_campaignProgress);
    progress->hide(); // shown once a log is attached

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(top);
    column->addWidget(progress);
    column->addWidget(m_siteList, 1);

    connect(list, &SiteList::chosen, this, &TSitesPanel::openSelectedSite);
    connect(m_campaignFilter, &QComboBox::currentIndexChanged, this, &TSitesPanel::applyFilter);
    connect(m_campaignFilter, &QComboBox::activated, this,
            [this](int index) { Q_EMIT notDoneFilterChosen(index == 1); });
    m_siteList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_siteList, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        if (QListWidgetItem *item = m_siteList->itemAt(p))
            showSiteMenu(m_siteList->row(item), m_siteList->viewport()->mapToGlobal(p));
    });
    buildSiteMenu();
    connect(m_loginButton, &QPushButton::clicked, this, &TSitesPanel::loginRequested);
}

void TSitesPanel::loadDirectory(const QString &path)
{
    m_entries = sites::loadSiteEntries(path);
    QStringList shown;
    shown.reserve(m_entries.size());
    for (const TSiteEntry &e : std::as_const(m_entries))
        shown.append(sites::siteDisplayName(e.Name));
    m_siteList->clear();
    m_siteList->addItems(shown);
    m_sitesLabel->setText(tr("Sites list (%1):").arg(m_entries.size()));
    refreshCampaign();
}

QString TSitesPanel::username() const { return m_usernameEdit->text(); }

QString TSitesPanel::password() const { return m_passwordEdit->text(); }

void TSitesPanel::openSelectedSite()
{
    const QList<QListWidgetItem *> selected = m_siteList->selectedItems();
    if (selected.isEmpty())
        return;
    const int k = m_siteList->row(selected.first());
    if (k < 0 || k >= m_entries.size())
        return;
    // The radio buttons count at the moment of the choice only.
    const QString address = chosenAddress(k);
    if (!address.isEmpty()) {
        Q_EMIT siteChosen(k, address);
        Q_EMIT openUrlRequested(address);
    }
}

QString TSitesPanel::chosenAddress(int row) const
{
    if (row < 0 || row >= m_entries.size())
        return QString();
    const TSiteEntry &entry = m_entries[row];
    return m_newReleaseRadio->isChecked() ? entry.NewReleaseURL : entry.UpdateURL;
}

// ---- the release campaign ---------------------------------------------------

QIcon TSitesPanel::siteMark(int row) const
{
    QIcon state;
    if (m_log && m_log->isOn() && row >= 0 && row < m_statuses.size())
        state = stateMark(m_statuses[row].state, m_statuses[row].events > 0);
    return m_checks ? m_checks->decoration(state, site(row), chosenAddress(row)) : state;
}

QString TSitesPanel::siteToolTip(int row) const
{
    QStringList parts;
    if (m_log && m_log->isOn() && row >= 0 && row < m_statuses.size())
        parts << siteStatusText(currentCampaign(), m_statuses[row]);
    if (m_checks && row >= 0 && row < m_entries.size())
        parts << m_checks->toolTip(site(row));
    parts.removeAll(QString());
    return parts.join(QLatin1Char('\n'));
}

void TSitesPanel::setSiteChecks(SiteCheckView *checks)
{
    m_checks = checks;
    if (!dynamic_cast<MarkDelegate *>(m_siteList->itemDelegate()))
        m_siteList->setItemDelegate(new MarkDelegate([this](int row) { return siteMark(row); }, m_siteList));
    static_cast<SiteList *>(m_siteList)->tipFor = [this](int row) { return siteToolTip(row); };
    // The marks follow the page the radio buttons choose.
    const auto refresh = [this] {
        m_siteList->viewport()->update();
        applyFilter();
    };
    connect(checks, &SiteCheckView::changed, this, refresh);
    connect(m_newReleaseRadio, &QRadioButton::toggled, this, refresh);
}

bool TSitesPanel::isUnreachable(int row) const
{
    return m_checks && row >= 0 && row < m_entries.size() && m_checks->isUnreachable(site(row), chosenAddress(row));
}

void TSitesPanel::setSubmissionLog(campaign::SubmissionLog *log, std::function<campaign::Campaign()> current)
{
    if (m_log)
        disconnect(m_log, nullptr, this, nullptr);
    m_log = log;
    m_campaign = std::move(current);
    if (m_log) {
        connect(m_log, &campaign::SubmissionLog::changed, this, &TSitesPanel::refreshCampaign);
        connect(m_log, &campaign::SubmissionLog::switchedOff, this, &TSitesPanel::refreshCampaign);
    }
    findChild<QWidget *>(QStringLiteral("pnlCampaign"))->setVisible(m_log != nullptr);
    if (!dynamic_cast<MarkDelegate *>(m_siteList->itemDelegate()))
        m_siteList->setItemDelegate(new MarkDelegate([this](int row) { return siteMark(row); }, m_siteList));
    static_cast<SiteList *>(m_siteList)->tipFor = [this](int row) { return siteToolTip(row); };
    refreshCampaign();
}

campaign::Campaign TSitesPanel::currentCampaign() const { return m_campaign ? m_campaign() : campaign::Campaign(); }

campaign::Site TSitesPanel::site(int row) const
{
    if (row < 0 || row >= m_entries.size())
        return {};
    const TSiteEntry &e = m_entries[row];
    return {sites::siteDisplayName(e.Name), e.NewReleaseURL, e.UpdateURL};
}

QList<campaign::Site> TSitesPanel::campaignSites() const
{
    QList<campaign::Site> out;
    out.reserve(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i)
        out.append(site(i));
    return out;
}

campaign::State TSitesPanel::stateOf(int row) const
{
    return row >= 0 && row < m_statuses.size() ? m_statuses[row].state : campaign::State::Open;
}

void TSitesPanel::refreshCampaign()
{
    const bool on = m_log && m_log->isOn();
    const campaign::Campaign c = currentCampaign();
    m_statuses = on ? m_log->statuses(c, campaignSites()) : QList<campaign::SiteStatus>();
    if (on && !m_log->isOn()) // the read itself failed
        m_statuses.clear();
    m_statuses.resize(m_entries.size());
    const bool shown = m_log && m_log->isOn();
    int done = 0;
    for (const campaign::SiteStatus &st : std::as_const(m_statuses))
        done += st.state == campaign::State::Done;
    // Marks and tooltips are read from the statuses when painted or asked for.
    m_siteList->viewport()->update();
    if (!m_log)
        m_campaignProgress->clear();
    else if (!m_log->isOn())
        m_campaignProgress->setText(QStringLiteral("Submissions are not logged."));
    else
        m_campaignProgress->setText(campaign::progressText(c, done, int(m_entries.size())));
    m_campaignFilter->setEnabled(shown);
    for (QAction *a : m_siteMenu->actions())
        a->setEnabled(shown);
    applyFilter();
}

void TSitesPanel::applyFilter()
{
    const bool notDone = m_campaignFilter->currentIndex() >= 1 && m_log && m_log->isOn();
    const bool reachable = m_campaignFilter->currentIndex() == 2;
    for (int i = 0; i < m_siteList->count(); ++i) {
        const bool hide = (notDone && stateOf(i) == campaign::State::Done) || (reachable && isUnreachable(i));
        if (m_siteList->isRowHidden(i) != hide)
            m_siteList->setRowHidden(i, hide);
    }
}

void TSitesPanel::setNotDoneFilter(bool on) { m_campaignFilter->setCurrentIndex(on ? 1 : 0); }

bool TSitesPanel::notDoneFilter() const { return m_campaignFilter->currentIndex() == 1; }

void TSitesPanel::setSiteState(int row, campaign::State state, const QString &note)
{
    if (!m_log || row < 0 || row >= m_entries.size())
        return;
    m_log->setState(currentCampaign(), site(row), state, note);
}

void TSitesPanel::buildSiteMenu()
{
    m_siteMenu = new QMenu(this);
    m_siteMenu->setObjectName(QStringLiteral("popSiteState"));
    addSiteStateItems(m_siteMenu, QStringLiteral("actSite"), this,
                      [this](campaign::State state, const QString &note) { setSiteState(m_menuRow, state, note); });
}

void TSitesPanel::showSiteMenu(int row, const QPoint &globalPos)
{
    m_menuRow = row;
    if (m_log && m_log->isOn())
        m_siteMenu->popup(globalPos);
}

int TSitesPanel::nextSiteRow(int *unreachable) const
{
    const int n = int(m_entries.size());
    const int start = m_siteList->currentRow();
    int passed = 0;
    for (int i = 1; i <= n; ++i) {
        const int r = ((start < 0 ? -1 : start) + i + n) % n;
        const campaign::State st = stateOf(r);
        if (st == campaign::State::Done || st == campaign::State::Skipped || chosenAddress(r).isEmpty())
            continue;
        if (isUnreachable(r)) {
            ++passed;
            continue;
        }
        if (unreachable)
            *unreachable = passed;
        return r;
    }
    if (unreachable)
        *unreachable = passed;
    return -1;
}

bool TSitesPanel::openNextSite()
{
    int passed = 0;
    const int r = nextSiteRow(&passed);
    if (passed > 0)
        Q_EMIT unreachableSkipped(passed);
    if (r < 0)
        return false;
    m_siteList->setCurrentRow(r);
    m_siteList->scrollToItem(m_siteList->item(r));
    const QString address = chosenAddress(r);
    Q_EMIT siteChosen(r, address);
    Q_EMIT openUrlRequested(address);
    return true;
}

} // namespace sites

#include "sitespanel.moc"
