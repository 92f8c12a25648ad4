#include "submissioncommands.h"

#include "smartfillswitch.h"
#include "webtabsheet.h"

#include "base/error.h"
#include "platform/messages.h"
#include "web/autofill.h"
#include "web/embeddedwb.h"
#include "web/smartpage.h"
#include "software/softwaretable.h"

#include <QCoreApplication>
#include <QPointer>

namespace shell {

TSubmissionCommands::TSubmissionCommands(software::TSoftwareTable &record, SmartFillSwitch *smartFill,
                                         std::function<TbxWebTabSheet *()> currentPage, QObject *parent)
    : QObject(parent), m_record(record), m_smartFill(smartFill), m_currentPage(std::move(currentPage))
{ }

void TSubmissionCommands::attach(web::TbxEmbeddedWb *browser)
{
    auto *fill =
        new web::AutoFill(browser->page(), m_record, *this, [](const QString &text) { platform::showError(text); });
    fill->setRulesProvider([this] { return m_smartFill->rules(); });
    connect(fill, &web::AutoFill::smartFilled, browser, [browser](const QString &status) {
        if (auto *sheet = qobject_cast<TbxWebTabSheet *>(browser->tabPage()))
            sheet->WBStatusTextChange(status);
    });
}

void TSubmissionCommands::run(engine::FormMode mode)
{
    TbxWebTabSheet *current = m_currentPage();
    if (!current || !current->browser())
        return;
    QPointer<TbxWebTabSheet> sheet = current;
    web::FormCommandOutcome outcome;
    QString error;
    try {
        web::TbxEmbeddedWb *browser = current->browser();
        if (mode == engine::FormMode::Fill && m_smartFill->isOn()) {
            const web::SmartOutcome smart = web::smartFillPage(browser->page(), m_record);
            outcome.written = smart.filled;
            if (sheet) // the tab may have been closed while the page was read
                sheet->WBStatusTextChange(web::smartFillStatus(smart));
        } else {
            web::runFormCommandOnPage(browser->page(), mode, m_record, *this, false, m_smartFill->rules(), &outcome);
        }
    } catch (const base::Error &e) {
        error = e.text();
    }
    // The command may have closed the tab (a page that closes its window).
    if (sheet)
        Q_EMIT commandRun(sheet, mode, outcome);
    if (!error.isEmpty() && mode != engine::FormMode::Fill)
        platform::showError(error);
}

void TSubmissionCommands::setLoginProvider(std::function<QString()> user, std::function<QString()> password)
{
    m_username = std::move(user);
    m_password = std::move(password);
}

void TSubmissionCommands::showMessage(const QString &text) { platform::showMessage(text); }
void TSubmissionCommands::processPendingEvents() { QCoreApplication::processEvents(); }
QString TSubmissionCommands::loginUsername() const { return m_username ? m_username() : QString(); }
QString TSubmissionCommands::loginPassword() const { return m_password ? m_password() : QString(); }

} // namespace shell
