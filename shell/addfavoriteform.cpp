#include "addfavoriteform.h"

#include "base/error.h"
#include "platform/favoritesfolder.h"
#include "platform/shortcutfile.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

namespace {
constexpr int MaxFileNameBytes = 255;
}

QString favoriteFileName(const QString &name)
{
    QString base = name.trimmed();
    while (base.startsWith(u'.'))
        base.remove(0, 1);
    for (QChar &c : base) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'-';
    }
    base = base.trimmed();
    if (base.isEmpty())
        return QString();
    const QString suffix = QStringLiteral(".url");
    const qsizetype budget = MaxFileNameBytes - suffix.size();
    while (base.toUtf8().size() > budget) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base + suffix;
}

void writeFavorite(const QString &fileName, const QString &url)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw base::Error(QCoreApplication::translate("shell", "Cannot create folder %1").arg(folder));
    platform::writeShortcutFile(fileName, url);
}

TAddFavoriteForm::TAddFavoriteForm(const QString &favoritesRoot, const QString &name, QWidget *parent)
    : QDialog(parent), m_root(favoritesRoot)
{
    setObjectName(QStringLiteral("TAddFavoriteForm"));
    setWindowTitle(tr("Add Favorite"));

    m_name = new QLineEdit(name, this);
    m_name->setObjectName(QStringLiteral("edtName"));
    m_name->setMinimumWidth(300);
    m_name->selectAll();

    m_folder = new QComboBox(this);
    m_folder->setObjectName(QStringLiteral("cmbFolder"));
    m_folder->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_folder->setMinimumContentsLength(30);
    m_folder->addItem(tr("Favorites"), QString());
    for (const QString &sub : platform::FavoriteSubfolders(m_root))
        m_folder->addItem(QStringLiteral("Favorites/") + sub, sub);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &TAddFavoriteForm::updateOk);

    auto *form = new QFormLayout;
    form->addRow(tr("Name:"), m_name);
    form->addRow(tr("Create in:"), m_folder);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    updateOk();
}

QString TAddFavoriteForm::name() const { return m_name->text(); }

QString TAddFavoriteForm::folder() const
{
    const QString sub = m_folder->currentData().toString();
    return sub.isEmpty() ? m_root : m_root + u'/' + sub;
}

QString TAddFavoriteForm::targetFile() const
{
    const QString file = favoriteFileName(name());
    return file.isEmpty() ? QString() : folder() + u'/' + file;
}

void TAddFavoriteForm::updateOk() { m_ok->setEnabled(!favoriteFileName(m_name->text()).isEmpty()); }

} // namespace shell
