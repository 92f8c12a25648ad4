#pragma once
// The small dialog a site or proxy's password request opens: the host and
// realm it came from, username, password and "Remember until I close the
// program".
#include "web/credentials.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace shell {

class AuthDialog : public QDialog {
    Q_OBJECT
public:
    AuthDialog(const web::CredentialsRequest &request, QWidget *parent = nullptr);

    // Shows the dialog for request and fills in the answer; false when
    // cancelled.
    static bool ask(QWidget *parent, web::CredentialsRequest &request);

private:
    QLineEdit *m_username;
    QLineEdit *m_password;
    QCheckBox *m_remember;
};

} // namespace shell
