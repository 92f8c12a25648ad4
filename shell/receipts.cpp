#include "receipts.h"

#include "platform/messages.h"
#include "web/embeddedwb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

namespace shell {

namespace {

QString folderName(const QString &text)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9 ._-]+"));
    QString name = QString(text).replace(unsafe, QStringLiteral("_")).trimmed();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("site") : name.left(80);
}

QString tr(const char *text) { return QCoreApplication::translate("shell::Receipts", text); }

} // namespace

QString receiptPath(const QString &site, const QString &version, const QDateTime &when)
{
    return QStringLiteral("receipts/%1/%2/%3.pdf")
        .arg(folderName(site), folderName(version), when.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

void saveReceipt(web::TbxEmbeddedWb *browser, const QString &site, const QString &version,
                 std::function<void(const QString &path)> done)
{
    QString relative = receiptPath(site, version, QDateTime::currentDateTime());
    // A second receipt within the same second gets a number.
    for (int n = 2; QFileInfo::exists(relative); ++n)
        relative = receiptPath(site, version, QDateTime::currentDateTime())
                       .replace(QLatin1String(".pdf"), QStringLiteral("-%1.pdf").arg(n));
    const QString absolute = QDir::current().absoluteFilePath(relative);
    if (!QDir().mkpath(QFileInfo(absolute).absolutePath())) {
        done(QString());
        return;
    }
    browser->savePdf(absolute, [relative, done](bool ok) { done(ok ? relative : QString()); });
}

void savePageAsPdf(QWidget *window, web::TbxEmbeddedWb *browser)
{
    QPointer<web::TbxEmbeddedWb> page(browser);
    QString name = folderName(browser->title());
    const QString suggested = QDir(QDir::homePath()).filePath(name + QStringLiteral(".pdf"));
    const QString path =
        QFileDialog::getSaveFileName(window, tr("Save page as PDF"), suggested, tr("PDF files (*.pdf)"));
    if (path.isEmpty() || !page)
        return;
    page->savePdf(path, [path](bool ok) {
        if (!ok)
            platform::showError(tr("The page could not be written to %1.").arg(QDir::toNativeSeparators(path)));
    });
}

} // namespace shell
