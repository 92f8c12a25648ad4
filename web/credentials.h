#pragma once
// What a site or proxy asking for a name and password is told. Answers the
// user chose to remember are kept per host and realm until the program ends,
// never written anywhere.
#include <QString>
#include <QUrl>

namespace web {

struct CredentialsRequest {
    QUrl url;      // the address that asked
    QString host;  // the site's host, or the proxy's
    QString realm; // the realm the server named
    bool proxy = false;
    QString username; // in: remembered or empty; out: the answer
    QString password;
    bool remember = false;
};

class RememberedCredentials {
public:
    // Fills in username and password when some are remembered for the
    // request's host and realm; false otherwise.
    static bool recall(CredentialsRequest &request);
    static void remember(const CredentialsRequest &request);
    static void forget(const CredentialsRequest &request);
    static void clear();
};

} // namespace web
