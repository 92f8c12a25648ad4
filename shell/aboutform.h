#pragma once
// The About box: program icon and name, what the program is based on, the
// maker's notice and links to the maker's web site and e-mail address.
#include <QDialog>
#include <QIcon>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace shell {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 382;
    static constexpr int ClientHeight = 182;

    explicit TAboutForm(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void lblSiteClick();
    void lblEmailClick();
};

// The program's icon, drawn rather than loaded: a browser window with tabs
// and a form, size by size pixels.
QPixmap programPixmap(int size = 32);
QIcon programIcon();

} // namespace shell
