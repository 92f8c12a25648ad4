#pragma once
// A bar below the tab strip that searches the current page for a text.
#include <QPointer>
#include <QWebEnginePage>
#include <QWidget>

class QLineEdit;
class QLabel;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget *parent = nullptr);
    void startFind(QWebEnginePage *page);
    void findNext(bool backward = false);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void finish();
    QPointer<QWebEnginePage> m_page;
    QLineEdit *m_text;
    QLabel *m_result;
};
