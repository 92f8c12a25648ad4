#pragma once
// The submission commands on the window's tabs: the automatic fill attached
// to every new browser control's page, and "Fill form fields", "Submit form"
// and "Login" run on the current tab, by the exact name rules or, when
// "Smart fill" is ticked, by the smart fill. Also what the fill needs of the
// program (engine::Host): messages and the login texts.
#include "engine/host.h"
#include "engine/routines.h"

#include <QObject>
#include <functional>
namespace software {
class TSoftwareTable;
}
namespace web {
class TbxEmbeddedWb;
struct FormCommandOutcome;
} // namespace web

namespace shell {

class SmartFillSwitch;
class TbxWebTabSheet;

class TSubmissionCommands : public QObject, public engine::Host {
    Q_OBJECT
public:
    // currentPage: the tab the commands run on, null when none.
    TSubmissionCommands(software::TSoftwareTable &record, SmartFillSwitch *smartFill,
                        std::function<TbxWebTabSheet *()> currentPage, QObject *parent);

    // Every page of browser that finishes loading is filled; an error is
    // shown and the tab goes on working.
    void attach(web::TbxEmbeddedWb *browser);

    // Starts a command on the current tab; it ends after the page has
    // applied its writes. The fill's errors are discarded; those of submit
    // and login reach the general error handler at the end.
    void run(engine::FormMode mode);

    // Where the login texts come from (the site panel's boxes); read each
    // time a document is handed to the login.
    void setLoginProvider(std::function<QString()> user, std::function<QString()> password);

    // engine::Host
    void showMessage(const QString &text) override;
    QString loginUsername() const override;
    QString loginPassword() const override;

Q_SIGNALS:
    // A command ran on a tab (not sent when the tab closed first).
    void commandRun(TbxWebTabSheet *sheet, engine::FormMode mode, const web::FormCommandOutcome &outcome);

private:
    software::TSoftwareTable &m_record;
    SmartFillSwitch *m_smartFill;
    std::function<TbxWebTabSheet *()> m_currentPage;
    std::function<QString()> m_username, m_password;
};

} // namespace shell
