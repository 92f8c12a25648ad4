#pragma once
// TPADForm: the software information editor of a software record's table
// (ClientDataSet1). The program owns the record and hands it in; a form made
// without one owns a record of its own, loaded (with the PAD refill) when the
// window is created. The main window shows it modally (exec()); closing it
// hides it, keeping the page shown and every control's state.
#include <QDialog>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <functional>

class QMenuBar;
class QTabWidget;
class QWidget;
class QGridLayout;

namespace software {

class FieldCheckList;
class FieldLink;
class TSoftwareTable;

class TPADForm : public QDialog {
    Q_OBJECT
public:
    explicit TPADForm(QWidget *parent = nullptr);
    // Edits a record loaded and owned by the caller, which outlives the form.
    explicit TPADForm(TSoftwareTable &record, QWidget *parent = nullptr);
    ~TPADForm() override;

    TSoftwareTable &table() { return *m_record; }
    // Why the record could not be loaded or refilled at start, for the
    // program to say once its window is up; empty when all went well.
    QStringList startupProblems() const { return m_startupProblems; }

    // The file dialogs of the import and of the permission texts. Tests
    // replace them; an empty answer means the user cancelled.
    using FileChooser = std::function<QString(const QString &filter)>;
    void setFileChooser(FileChooser chooser);
    // The file dialog of "Export PAD file...".
    void setExportFileChooser(FileChooser chooser);
    // The choice of the descriptions' language when a PAD file holds several:
    // the languages (English first) and the one offered first; an empty
    // answer means the user cancelled.
    using LanguageChooser = std::function<QString(const QStringList &languages, const QString &current)>;
    void setLanguageChooser(LanguageChooser chooser);

    // Pages on the web site of the PAD standard's publisher: the root, "/pad"
    // and "/pad/padextensions.asp", the last two with the query key referrer.
    static QUrl padSiteUrl(const QString &path = QString());

public Q_SLOTS:
    // "Import XML file..." (menu and button): choose a PAD file and import it.
    // Failures end it silently.
    void importPadFileChosen();
    // "Save All": commits and writes softdata.xml; failures go to the general
    // error handler.
    void saveAll();
    // "Export PAD file...": writes the record as a PAD file chosen in a
    // dialog; failures are shown.
    void exportPadFileChosen();
    // Loading a text file into Distribution_Permissions and EULA.
    void loadDistributionAgreement();
    void loadLicenceAgreement();
    // Puts text typed in the editing controls into the record.
    void flushPendingEdits();

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QStringList m_startupProblems;
    void ClientDataSet1AfterPost();
    void refreshControls(bool force);
    void loadTextFileInto(const QString &field);
    QString chooseFile(const QString &filter);
    QString chooseLanguage(const QStringList &languages, const QString &current);

    void buildMenu(QMenuBar *bar);
    QWidget *buildCompanyPage();
    QWidget *buildProgramPage();
    QWidget *buildDescriptionsPage();
    QWidget *buildWebPage();
    QWidget *buildPermissionsPage();
    QWidget *buildCompatibilityPage();

    // Control makers: each registers its control with the form.
    QWidget *edit(const QString &field, int limit = 0);
    QWidget *memo(const QString &field, int limit, bool wrap);
    QWidget *list(const QString &field, const QStringList &entries);
    void addRow(QGridLayout *grid, int row, const QString &label, QWidget *control, int span = 1);

    TPADForm(TSoftwareTable *record, bool owned, QWidget *parent);

    TSoftwareTable *m_record; // the dataset "ClientDataSet1" (its object name)
    QTabWidget *m_pages = nullptr;
    QList<FieldLink *> m_links;
    FieldCheckList *m_osList = nullptr;
    FieldCheckList *m_languageList = nullptr;
    FileChooser m_chooser;
    FileChooser m_exportChooser;
    LanguageChooser m_languageChooser;
    bool m_placed = false;
};

} // namespace software
