#include "web/credentials.h"

#include <QHash>
#include <QPair>

namespace web {

namespace {

QString key(const CredentialsRequest &r)
{
    return (r.proxy ? QStringLiteral("proxy ") : QString()) + r.host.toLower() + QLatin1Char('\n') + r.realm;
}

QHash<QString, QPair<QString, QString>> &store()
{
    static QHash<QString, QPair<QString, QString>> answers;
    return answers;
}

} // namespace

bool RememberedCredentials::recall(CredentialsRequest &request)
{
    const auto it = store().constFind(key(request));
    if (it == store().constEnd())
        return false;
    request.username = it->first;
    request.password = it->second;
    return true;
}

void RememberedCredentials::remember(const CredentialsRequest &request)
{
    store().insert(key(request), {request.username, request.password});
}

void RememberedCredentials::forget(const CredentialsRequest &request) { store().remove(key(request)); }

void RememberedCredentials::clear() { store().clear(); }

} // namespace web
