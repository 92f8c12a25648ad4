#include "smartfillswitch.h"

namespace shell {

SmartFillSwitch::SmartFillSwitch(QObject *parent) : QObject(parent)
{
    m_action = new QAction(tr("Smart fill"), this);
    m_action->setObjectName(QStringLiteral("menSmartFill"));
    m_action->setCheckable(true);
    m_action->setChecked(false);
    connect(m_action, &QAction::toggled, this, [this](bool on) {
        if (!m_quiet)
            Q_EMIT changed(on);
    });
}

void SmartFillSwitch::setOn(bool on)
{
    m_quiet = true;
    m_action->setChecked(on);
    m_quiet = false;
}

} // namespace shell
