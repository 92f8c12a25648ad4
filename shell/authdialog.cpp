#include "authdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace shell {

AuthDialog::AuthDialog(const web::CredentialsRequest &request, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AuthDialog"));
    setWindowTitle(request.proxy ? tr("Proxy password") : tr("Password for %1").arg(request.host));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(this);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    const QString realm = request.realm.isEmpty() ? QString() : tr(" (\"%1\")").arg(request.realm);
    intro->setText(request.proxy ? tr("The proxy %1 asks for a username and password%2.").arg(request.host, realm)
                                 : tr("%1 asks for a username and password%2.").arg(request.host, realm));
    layout->addWidget(intro);
    auto *form = new QFormLayout;
    m_username = new QLineEdit(request.username, this);
    m_username->setObjectName(QStringLiteral("Username"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(tr("&Username:"), m_username);
    form->addRow(tr("&Password:"), m_password);
    layout->addLayout(form);
    m_remember = new QCheckBox(tr("&Remember until I close the program"), this);
    m_remember->setObjectName(QStringLiteral("Remember"));
    layout->addWidget(m_remember);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    (request.username.isEmpty() ? m_username : m_password)->setFocus();
}

bool AuthDialog::ask(QWidget *parent, web::CredentialsRequest &request)
{
    QPointer<AuthDialog> dialog = new AuthDialog(request, parent);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (dialog && ok) {
        request.username = dialog->m_username->text();
        request.password = dialog->m_password->text();
        request.remember = dialog->m_remember->isChecked();
    }
    delete dialog;
    return ok;
}

} // namespace shell
