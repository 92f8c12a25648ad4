#pragma once
// One tab page: the attached browser control, a one-line status bar with a
// progress bar, and the page state the commands read.
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

class TbxEmbeddedWb;

class TbxWebTabSheet : public QWidget {
    Q_OBJECT
public:
    explicit TbxWebTabSheet(QWidget *parent = nullptr);
    ~TbxWebTabSheet() override;

    void AttachBrowser(TbxEmbeddedWb *browser);

    QPointer<TbxEmbeddedWb> WebBrowser;
    QLabel *StatusPanel = nullptr;
    QProgressBar *ProgressBar = nullptr;
    bool CanGoForward = false;
    bool CanGoBack = false;
    bool PageBusy = false;
    QString Title;

    // The percentage a progress report shows, or -1 to hide the bar.
    static int progressPercent(qint64 progress, qint64 progressMax);

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
};
