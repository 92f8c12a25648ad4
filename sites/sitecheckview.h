#pragma once
// What the last "Check sites" found for each listed site, as the site list
// shows it: a mark (unreachable, moved, reached but without a usable form or
// with a certificate problem), a tooltip line per address with its time, and
// whether "Next site" and the filter "Reachable, not done" pass the site by.
#include "campaign/sitecheckstore.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QTimer>

namespace sites {

class SiteCheckView : public QObject {
    Q_OBJECT
public:
    explicit SiteCheckView(QObject *parent = nullptr);

    // Replaces every result (the store's latest()).
    void setChecks(const QHash<QString, campaign::SiteCheck> &checks);
    // A new result.
    void note(const campaign::SiteCheck &check);
    bool isEmpty() const { return m_checks.isEmpty(); }

    // The last check of one address of a site; invalid when none.
    campaign::SiteCheck checkOf(const campaign::Site &site, const QString &address) const;
    // The mark of the address the list opens (chosen): none for a live page.
    QIcon mark(const campaign::Site &site, const QString &chosen) const;
    // The row's decoration: the state mark followed by the check's mark; as
    // wide on every row once anything was checked, so that names line up.
    QIcon decoration(const QIcon &stateMark, const campaign::Site &site, const QString &chosen) const;
    // One line per checked address: what was found and when; "" when none.
    QString toolTip(const campaign::Site &site) const;
    // Whether the last check of the chosen address says it cannot be reached.
    bool isUnreachable(const campaign::Site &site, const QString &chosen) const;

Q_SIGNALS:
    // Results changed; sent at most a few times a second while a check runs.
    void changed();

private:
    QHash<QString, campaign::SiteCheck> m_checks;
    QTimer m_changed;
    mutable QHash<QString, QIcon> m_decorations;
};

} // namespace sites
