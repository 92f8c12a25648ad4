#pragma once
// The address bar: the address box cmbURL (TIEAddress) and the address tool
// bar content tbAddress with the label "Address:", the box and "Go".
//
// The box keeps a recorded address: the text last set by the program, or the
// text the user entered with Enter. Enter opens the recorded address without
// blanks around it; "Go" opens the box's text as it stands. The drop-down list
// holds the addresses entered this run, the latest at the top (at most
// MaxAddresses); it starts empty, as there is no list of typed addresses to
// take over here.
#include <QComboBox>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace shell {

class TIEAddress : public QComboBox {
    Q_OBJECT
public:
    static constexpr int MaxAddresses = 25;

    explicit TIEAddress(QWidget *parent = nullptr);

    // Shows the address and records it.
    void setText(const QString &address);
    QString text() const { return currentText(); }
    QString recordedAddress() const { return m_recorded; }
    // The addresses of the drop-down list, top first.
    QStringList addresses() const;
    // Whether the box has the keyboard focus (read by the key routing and the
    // commands that look at the box).
    bool boxHasFocus() const;

    // On every key release in the box: the corrections, then Enter.
    void cmbURLKeyUp(int key);

signals:
    // Enter was released: the recorded address, trimmed, never empty.
    void enterPressed(const QString &address);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void record(const QString &address);
    void recordEntered();

    QString m_recorded;
};

class TAddressBar : public QWidget {
    Q_OBJECT
public:
    explicit TAddressBar(QWidget *parent = nullptr);

    TIEAddress *addressBox() const { return m_box; }
    QPushButton *goButton() const { return m_go; }
    // The panel holding the label and the box.
    QWidget *addressPanel() const { return m_panel; }

    // Whether the address box has the keyboard focus.
    bool addressHasFocus() const { return m_box->boxHasFocus(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void btnGoClick();

signals:
    // An address to open (Enter in the box or "Go"); for OpenURL.
    void openRequested(const QString &address);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void tbAddressResize();

    QWidget *m_panel;
    QLabel *m_label;
    TIEAddress *m_box;
    QPushButton *m_go;
};

} // namespace shell
