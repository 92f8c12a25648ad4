#include "pagecommands.h"

#include "findbar.h"
#include "webtabsheet.h"

#include "web/embeddedwb.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace shell {

TPageCommands::TPageCommands(QWidget *parent, CurrentPage page, TFindBar *findBar, FocusedAddress focusedAddress)
    : QObject(parent),
      m_parent(parent),
      m_page(std::move(page)),
      m_findBar(findBar),
      m_focusedAddress(std::move(focusedAddress))
{ }

TPageCommands::~TPageCommands() = default;

void TPageCommands::saveAs()
{
    TbxWebTabSheet *page = m_page();
    if (!page)
        return;
    QString name = page->title().isEmpty() ? QStringLiteral("page") : page->title();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
    QString filter;
    const QString path =
        QFileDialog::getSaveFileName(m_parent, QObject::tr("Save As"), name + QStringLiteral(".html"),
                                     QObject::tr("Web page, complete (*.html *.htm);;Web page, HTML only (*.html "
                                                 "*.htm);;Web archive, single file (*.mhtml)"),
                                     &filter);
    if (path.isEmpty())
        return;
    web::SaveFormat format = web::SaveFormat::CompleteHtml;
    if (filter.contains(QLatin1String("HTML only")))
        format = web::SaveFormat::SingleHtml;
    else if (filter.contains(QLatin1String("mhtml")))
        format = web::SaveFormat::MimeHtml;
    page->browser()->savePage(path, format);
}

void TPageCommands::print()
{
    TbxWebTabSheet *page = m_page();
    if (!page)
        return;
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(m_printer.get(), m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    page->browser()->printPage(m_printer.get(), {});
}

void TPageCommands::pageSetup()
{
    if (!m_page())
        return;
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPageSetupDialog dialog(m_printer.get(), m_parent);
    dialog.exec();
}

void TPageCommands::properties()
{
    TbxWebTabSheet *page = m_page();
    if (!page)
        return;
    web::TbxEmbeddedWb *browser = page->browser();
    // The dialog opens when the page has told its type.
    browser->requestContentType(
        [parent = m_parent, browser](const QString &type) { showProperties(parent, browser, type); });
}

void TPageCommands::showProperties(QWidget *parent, web::TbxEmbeddedWb *browser, const QString &type)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Properties"));
    auto *form = new QFormLayout(&dialog);
    auto field = [&](const QString &label, const QString &text) {
        auto *edit = new QLineEdit(text, &dialog);
        edit->setReadOnly(true);
        edit->setMinimumWidth(420);
        edit->setCursorPosition(0);
        form->addRow(label, edit);
    };
    field(QObject::tr("Title:"), browser->title());
    field(QObject::tr("Address:"), browser->url().toString());
    field(QObject::tr("Type:"), type.isEmpty() ? QObject::tr("unknown") : type);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    form->addRow(buttons);
    dialog.exec();
}

void TPageCommands::copy()
{
    if (const std::optional<QString> address = m_focusedAddress()) {
        QApplication::clipboard()->setText(*address);
        return;
    }
    if (TbxWebTabSheet *page = m_page())
        page->browser()->copySelection();
}

void TPageCommands::selectAll()
{
    if (TbxWebTabSheet *page = m_page())
        page->browser()->selectAllText();
}

void TPageCommands::find()
{
    if (TbxWebTabSheet *page = m_page())
        m_findBar->startFind(page->browser());
}

} // namespace shell
