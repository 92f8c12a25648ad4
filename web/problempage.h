#pragma once
// A page of the program's own shown over a browser control in place of the
// site's page: a heading, a few lines of plain text and buttons. It covers
// the control until the control hides it again (a button pressed, another
// address loaded). Used for a certificate the engine refused and for a page
// whose renderer stopped.
#include <QWidget>
#include <functional>

class QLabel;
class QHBoxLayout;

namespace web {

class ProblemPage : public QWidget {
    Q_OBJECT
public:
    explicit ProblemPage(QWidget *over);

    struct Button {
        QString objectName;
        QString text;
        std::function<void()> pressed;
    };
    // Shows the page with these texts and buttons (the first is the default).
    void present(const QString &heading, const QString &text, const QList<Button> &buttons);
    QString heading() const;
    QString text() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_heading;
    QLabel *m_text;
    QWidget *m_buttonRow;
    QHBoxLayout *m_buttons;
};

} // namespace web
