#pragma once
// The checkable "Smart fill" command of the Submission menu: which fill the
// tabs run, the exact name rules (off, the default) or the smart fill (on).
// The choice is kept in quillet.ini by whoever listens to changed().
#include "web/autofill.h"

#include <QAction>
#include <QObject>

namespace shell {

class SmartFillSwitch : public QObject {
    Q_OBJECT
public:
    explicit SmartFillSwitch(QObject *parent = nullptr);

    QAction *action() const { return m_action; }
    bool isOn() const { return m_action->isChecked(); }
    web::FillRules rules() const { return isOn() ? web::FillRules::Smart : web::FillRules::Classic; }
    // Sets the state without announcing it (as read from the settings).
    void setOn(bool on);

Q_SIGNALS:
    // The author switched the command.
    void changed(bool on);

private:
    QAction *m_action;
    bool m_quiet = false;
};

} // namespace shell
