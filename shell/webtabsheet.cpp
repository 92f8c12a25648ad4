#include "webtabsheet.h"

#include "fittext.h"

#include "web/embeddedwb.h"

#include <QAction>
#include <QVBoxLayout>

namespace shell {

TbxWebTabSheet::TbxWebTabSheet(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);

    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("StatusPanel"));
    m_statusPanel->setFixedHeight(20);
    m_statusPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusPanel->setTextFormat(Qt::PlainText);
    m_statusPanel->setStyleSheet(QStringLiteral("QLabel { color: rgb(0, 128, 128); padding-left: 4px; }"));
    m_statusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(m_statusPanel);

    m_progressBar = new QProgressBar(m_statusPanel);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setGeometry(0, 3, 100, 14);
    m_progressBar->hide();
}

// The attached control is a child of the page and goes with it.
TbxWebTabSheet::~TbxWebTabSheet() = default;

void TbxWebTabSheet::AttachBrowser(web::TbxEmbeddedWb *browser)
{
    if (m_browser && m_browser != browser)
        delete m_browser;
    m_browser = browser;
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    // The browser fills the page above the status bar.
    if (QLayoutItem *stretch = layout->itemAt(0); stretch && stretch->spacerItem())
        delete layout->takeAt(0);
    browser->setParent(this);
    layout->insertWidget(0, browser, 1);
    browser->show();

    connect(browser, &web::TbxEmbeddedWb::loadStarted, this, &TbxWebTabSheet::browserLoadStarted);
    connect(browser, &web::TbxEmbeddedWb::loadProgress, this, [this](int p) { WBProgressChange(p, 100); });
    connect(browser, &web::TbxEmbeddedWb::loadFinished, this, [this] {
        WBProgressChange(0, 0);
        Q_EMIT stateChanged();
    });
    connect(browser, &web::TbxEmbeddedWb::titleChanged, this, &TbxWebTabSheet::WBTitleChange);
    connect(browser, &web::TbxEmbeddedWb::linkHovered, this, &TbxWebTabSheet::WBStatusTextChange);
    connect(browser, &web::TbxEmbeddedWb::statusNote, this, &TbxWebTabSheet::WBStatusTextChange);
    connect(browser, &web::TbxEmbeddedWb::historyStateChanged, this, [this, browser] {
        WBCommandStateChange(2, browser->canGoBack());
        WBCommandStateChange(1, browser->canGoForward());
    });
}

int TbxWebTabSheet::progressPercent(qint64 progress, qint64 progressMax)
{
    if (progressMax <= 0)
        return -1;
    const qint64 percent = progress * 100 / progressMax; // truncated towards zero
    return int(qBound(qint64(0), percent, qint64(100)));
}

void TbxWebTabSheet::browserLoadStarted()
{
    m_busy = true;
    WBProgressChange(0, 100);
}

void TbxWebTabSheet::WBProgressChange(qint64 progress, qint64 progressMax)
{
    const int percent = progressPercent(progress, progressMax);
    if (percent < 0) {
        m_progressBar->hide();
        m_busy = false;
    } else {
        m_progressBar->show();
        m_progressBar->setValue(percent);
    }
    Q_EMIT stateChanged();
}

void TbxWebTabSheet::WBCommandStateChange(int command, bool enable)
{
    if (command == 1)
        m_canGoForward = enable;
    else if (command == 2)
        m_canGoBack = enable;
    m_busy = m_browser && m_browser->isBusy();
    Q_EMIT stateChanged();
}

void TbxWebTabSheet::WBTitleChange(const QString &text)
{
    if (!m_browser || text.size() >= 100)
        return;
    m_title = text;
    Q_EMIT captionChanged(this, FitText(text, 20));
    Q_EMIT titleAccepted(this);
}

void TbxWebTabSheet::WBStatusTextChange(const QString &text)
{
    if (text.size() < 255)
        m_statusPanel->setText(text);
}

void TbxWebTabSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_progressBar->move(width() - 105, 3); // the status bar spans the page
}

} // namespace shell
