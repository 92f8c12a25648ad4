#include "downloadslist.h"

#include "platform/desktop.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shell {

namespace {

constexpr int DownloadRole = Qt::UserRole + 1;

QString stateText(const web::Download *d)
{
    const QLocale locale;
    switch (d->state()) {
    case web::Download::State::InProgress:
        return d->total() > 0 ? TDownloadsList::tr("%1 of %2")
                                    .arg(locale.formattedDataSize(d->received()), locale.formattedDataSize(d->total()))
                              : locale.formattedDataSize(d->received());
    case web::Download::State::Completed:
        return TDownloadsList::tr("Done, %1").arg(locale.formattedDataSize(d->received()));
    case web::Download::State::Cancelled: return TDownloadsList::tr("Cancelled");
    case web::Download::State::Interrupted: return TDownloadsList::tr("Failed: %1").arg(d->problem());
    }
    return QString();
}

} // namespace

TDownloadsList::TDownloadsList(QWebEngineProfile *profile, std::function<QLabel *()> statusPanel, QWidget *window)
    : QWidget(window, Qt::Window), m_window(window), m_statusPanel(std::move(statusPanel))
{
    setObjectName(QStringLiteral("DownloadsList"));
    setWindowTitle(tr("Downloads"));
    resize(640, 300);
    m_downloads = new web::Downloads(
        profile, [this](const QString &suggested) { return chooseFile(suggested); }, this);

    auto *layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("DownloadsView"));
    m_list->setHeaderLabels({tr("File"), tr("State"), tr("From")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->resizeSection(0, 200);
    m_list->header()->resizeSection(1, 200);
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    m_open = new QPushButton(tr("&Open"), this);
    m_open->setObjectName(QStringLiteral("OpenDownload"));
    m_showInFolder = new QPushButton(tr("&Show in folder"), this);
    m_showInFolder->setObjectName(QStringLiteral("ShowDownloadInFolder"));
    m_cancel = new QPushButton(tr("&Cancel download"), this);
    m_cancel->setObjectName(QStringLiteral("CancelDownload"));
    auto *close = new QPushButton(tr("Close"), this);
    buttons->addWidget(m_open);
    buttons->addWidget(m_showInFolder);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_open, &QPushButton::clicked, this, &TDownloadsList::openSelected);
    connect(m_showInFolder, &QPushButton::clicked, this, &TDownloadsList::showSelectedInFolder);
    connect(m_cancel, &QPushButton::clicked, this, &TDownloadsList::cancelSelected);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TDownloadsList::updateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &TDownloadsList::openSelected);
    connect(m_downloads, &web::Downloads::added, this, &TDownloadsList::addRow);
    connect(m_downloads, &web::Downloads::changed, this, &TDownloadsList::updateRow);
    updateButtons();
}

void TDownloadsList::showList()
{
    show();
    raise();
    activateWindow();
}

QString TDownloadsList::chooseFile(const QString &suggested)
{
    QPointer<QFileDialog> dialog = new QFileDialog(m_window, tr("Save the download as"));
    dialog->setObjectName(QStringLiteral("SaveDownloadDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDirectory(QFileInfo(suggested).absolutePath());
    dialog->selectFile(QFileInfo(suggested).fileName());
    const bool ok = dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty();
    const QString chosen = ok ? dialog->selectedFiles().constFirst() : QString();
    delete dialog;
    return chosen;
}

void TDownloadsList::addRow(web::Download *download)
{
    auto *item = new QTreeWidgetItem(m_list);
    item->setData(0, DownloadRole, QVariant::fromValue<QObject *>(download));
    updateRow(download);
    m_list->setCurrentItem(item);
}

void TDownloadsList::updateRow(web::Download *download)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->data(0, DownloadRole).value<QObject *>() != download)
            continue;
        item->setText(0, download->fileName());
        item->setToolTip(0, download->path());
        item->setText(1, stateText(download));
        item->setText(2, download->url().toDisplayString());
    }
    if (QLabel *status = m_statusPanel ? m_statusPanel() : nullptr)
        status->setText(download->statusText());
    updateButtons();
}

web::Download *TDownloadsList::selected() const
{
    QTreeWidgetItem *item = m_list->currentItem();
    return item ? qobject_cast<web::Download *>(item->data(0, DownloadRole).value<QObject *>()) : nullptr;
}

void TDownloadsList::updateButtons()
{
    const web::Download *d = selected();
    const bool done = d && d->state() == web::Download::State::Completed;
    m_open->setEnabled(done);
    m_showInFolder->setEnabled(done);
    m_cancel->setEnabled(d && d->state() == web::Download::State::InProgress);
}

void TDownloadsList::openSelected()
{
    if (web::Download *d = selected(); d && d->state() == web::Download::State::Completed)
        platform::openExternally(QUrl::fromLocalFile(d->path()));
}

void TDownloadsList::showSelectedInFolder()
{
    if (web::Download *d = selected())
        platform::openExternally(QUrl::fromLocalFile(QFileInfo(d->path()).absolutePath()));
}

void TDownloadsList::cancelSelected()
{
    if (web::Download *d = selected())
        d->cancel();
}

} // namespace shell
