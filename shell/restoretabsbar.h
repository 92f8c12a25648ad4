#pragma once
// The bar at the top of the window after a start that followed a crash: it
// names how many tabs were open (each with its site in the tooltip) and
// offers to reopen them; it never blocks the window.
#include "sessionkeeper.h"

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace shell {

class TRestoreTabsBar : public QFrame {
    Q_OBJECT
public:
    // reopen opens one address in a new tab.
    TRestoreTabsBar(const QList<SessionTab> &tabs, std::function<void(const QString &address)> reopen,
                    QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    QPushButton *reopenButton() const { return m_reopen; }
    QPushButton *dismissButton() const { return m_dismiss; }

private:
    QLabel *m_label;
    QPushButton *m_reopen;
    QPushButton *m_dismiss;
};

} // namespace shell
