#pragma once
// A band of the main tool bar (menu bar, address bar, button bar). Its saved
// width is the width it asks for, not a minimum: the band takes it while the
// window has room and gives it up down to what its contents need, so saved
// widths never make the window wider than its contents require.
#include <QToolBar>

namespace shell {

class BandBar : public QToolBar {
    Q_OBJECT
public:
    BandBar(const QString &title, QWidget *parent);

    // The width the band asks for; 0 for its contents' width.
    void setPreferredWidth(int width);
    int preferredWidth() const { return m_preferredWidth; }

    QSize sizeHint() const override;

private:
    int m_preferredWidth = 0;
};

} // namespace shell
