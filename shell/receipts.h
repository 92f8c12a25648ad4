#pragma once
// Pages kept as PDF files: "Save page as PDF" (File menu), and the receipt
// of a submission, the page a submit led to, saved under the working folder
// as receipts/SITE/VERSION/DATE-TIME.pdf.
#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;
namespace web {
class TbxEmbeddedWb;
}

namespace shell {

// The receipt's path relative to the working folder; the site's name and
// the version are made safe as folder names.
QString receiptPath(const QString &site, const QString &version, const QDateTime &when);

// Writes the browser's page as the receipt of site and version; done gets
// the path relative to the working folder, or an empty text when it could
// not be written.
void saveReceipt(web::TbxEmbeddedWb *browser, const QString &site, const QString &version,
                 std::function<void(const QString &path)> done);

// Asks for a file and writes the browser's page there as a PDF; a failure
// is reported in a message box.
void savePageAsPdf(QWidget *window, web::TbxEmbeddedWb *browser);

} // namespace shell
