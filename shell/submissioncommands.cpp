#include "submissioncommands.h"

#include "smartfillswitch.h"
#include "webtabsheet.h"

#include "platform/messages.h"
#include "web/autofill.h"
#include "web/embeddedwb.h"
#include "web/formcommand.h"
#include "software/softwaretable.h"

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
    // The command ends later; the tab may have been closed by then.
    const QPointer<TbxWebTabSheet> sheet = current;
    web::runFormCommand(current->browser()->page(), mode, m_record, *this, {m_smartFill->rules(), false},
                        [this, sheet, mode](const web::FormCommandResult &result) {
                            if (sheet) {
                                if (result.smart && mode == engine::FormMode::Fill)
                                    sheet->WBStatusTextChange(web::smartFillStatus(*result.smart));
                                Q_EMIT commandRun(sheet, mode, result.outcome);
                            }
                            if (!result.error.isEmpty() && mode != engine::FormMode::Fill)
                                platform::showError(result.error);
                        });
}

void TSubmissionCommands::setLoginProvider(std::function<QString()> user, std::function<QString()> password)
{
    m_username = std::move(user);
    m_password = std::move(password);
}

void TSubmissionCommands::showMessage(const QString &text) { platform::showMessage(text); }
QString TSubmissionCommands::loginUsername() const { return m_username ? m_username() : QString(); }
QString TSubmissionCommands::loginPassword() const { return m_password ? m_password() : QString(); }

} // namespace shell
