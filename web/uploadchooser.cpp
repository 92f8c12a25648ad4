#include "web/uploadchooser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace web {

namespace {

QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString tr(const char *text) { return QCoreApplication::translate("web::UploadChooser", text); }

} // namespace

QString uploadFolder() { return lastFolder().isEmpty() ? QDir::homePath() : lastFolder(); }

QStringList chooseUploadFiles(QWidget *parent, UploadMode mode, const QStringList &accept)
{
    QPointer<QFileDialog> dialog = new QFileDialog(
        parent, mode == UploadMode::Folder ? tr("Choose a folder to upload") : tr("Choose files to upload"));
    dialog->setObjectName(QStringLiteral("UploadDialog"));
    dialog->setDirectory(uploadFolder());
    dialog->setFileMode(mode == UploadMode::Folder          ? QFileDialog::Directory
                            : mode == UploadMode::ManyFiles ? QFileDialog::ExistingFiles
                                                            : QFileDialog::ExistingFile);
    QStringList patterns;
    for (const QString &a : accept)
        if (a.startsWith(QLatin1Char('.')))
            patterns << QLatin1Char('*') + a;
    if (!patterns.isEmpty())
        dialog->setNameFilters(
            {tr("Files this box takes (%1)").arg(patterns.join(QLatin1Char(' '))), tr("All files (*)")});
    QStringList chosen;
    if (dialog->exec() == QDialog::Accepted && dialog)
        chosen = dialog->selectedFiles();
    delete dialog;
    if (!chosen.isEmpty()) {
        const QFileInfo first(chosen.first());
        lastFolder() = mode == UploadMode::Folder ? first.absoluteFilePath() : first.absolutePath();
    }
    return chosen;
}

} // namespace web
