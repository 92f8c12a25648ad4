#pragma once
// One tab page: the attached browser control, a one-line status bar with a
// progress bar, and the page state the commands read.
#include "web/embeddedwb.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

namespace shell {

class TbxWebTabSheet : public QWidget {
    Q_OBJECT
public:
    explicit TbxWebTabSheet(QWidget *parent = nullptr);
    ~TbxWebTabSheet() override;

    void AttachBrowser(web::TbxEmbeddedWb *browser);

    // The attached control (null until attached, or once it has gone).
    web::TbxEmbeddedWb *browser() const { return m_browser; }
    QLabel *statusPanel() const { return m_statusPanel; }
    QProgressBar *progressBar() const { return m_progressBar; }
    bool canGoForward() const { return m_canGoForward; }
    bool canGoBack() const { return m_canGoBack; }
    // Loading: from the start of a load until its progress ends.
    bool isBusy() const { return m_busy; }
    // The page's last accepted title.
    QString title() const { return m_title; }

    // The percentage a progress report shows, or -1 to hide the bar.
    static int progressPercent(qint64 progress, qint64 progressMax);

    void browserLoadStarted();
    void WBProgressChange(qint64 progress, qint64 progressMax);
    void WBCommandStateChange(int command, bool enable);
    void WBTitleChange(const QString &text);
    void WBStatusTextChange(const QString &text);

Q_SIGNALS:
    // The tab's caption changed (always 20 characters wide).
    void captionChanged(TbxWebTabSheet *sheet, const QString &caption);
    // The page's title was accepted while this is the current page.
    void titleAccepted(TbxWebTabSheet *sheet);
    void stateChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<web::TbxEmbeddedWb> m_browser;
    QLabel *m_statusPanel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    bool m_canGoForward = false;
    bool m_canGoBack = false;
    bool m_busy = false;
    QString m_title;
};

} // namespace shell
