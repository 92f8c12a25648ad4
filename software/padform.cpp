#include "padform.h"

#include "fieldcontrols.h"
#include "padexport.h"
#include "padimport.h"
#include "softwaretable.h"
#include "startupload.h"

#include "base/error.h"
#include "platform/desktop.h"
#include "platform/messages.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace software {

namespace {

// Permission texts are at most a few hundred kilobytes; the fields hold less.
const qint64 kMaxTextFileSize = 16 * 1024 * 1024;

QString readTextFile(const QString &path)
{
    const QString shown = QFileInfo(path).absoluteFilePath();
    QFile f(path);
    if (QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly))
        throw base::Error(QObject::tr("Cannot open file %1").arg(shown));
    if (f.size() > kMaxTextFileSize)
        throw base::Error(QObject::tr("File %1 is too large").arg(shown));
    const QByteArray bytes = f.read(kMaxTextFileSize + 1);
    if (f.error() != QFileDevice::NoError)
        throw base::Error(QObject::tr("Cannot read file %1").arg(shown));
    // Decoded by its byte-order mark or its bytes, line ends made CR LF, but
    // no line end is added after the last line.
    const QString decoded = decodePlainText(bytes);
    const bool endsWithBreak = decoded.endsWith(QLatin1Char('\n')) || decoded.endsWith(QLatin1Char('\r'));
    QString text = plainTextFromBytes(bytes);
    if (!endsWithBreak && text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    return text;
}

} // namespace

TPADForm::TPADForm(QWidget *parent) : TPADForm(new TSoftwareTable, true, parent) { }

TPADForm::TPADForm(TSoftwareTable &record, QWidget *parent) : TPADForm(&record, false, parent) { }

TPADForm::TPADForm(TSoftwareTable *record, bool owned, QWidget *parent) : QDialog(parent), m_record(record)
{
    if (owned)
        record->setParent(this);
    setObjectName(QStringLiteral("PADForm"));
    setWindowTitle(tr("PADForm"));
    resize(619, 456);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *bar = new QMenuBar(this);
    buildMenu(bar);
    layout->setMenuBar(bar);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(buildCompanyPage(), tr("&Company Info"));
    m_pages->addTab(buildProgramPage(), tr("&Program Info"));
    m_pages->addTab(buildDescriptionsPage(), tr("&Descriptions"));
    m_pages->addTab(buildWebPage(), tr("&Web Info"));
    m_pages->addTab(buildPermissionsPage(), tr("&Permissions"));
    m_pages->addTab(buildCompatibilityPage(), tr("C&ompatibility"));
    m_pages->setCurrentIndex(1);
    layout->addWidget(m_pages);

    connect(m_record, &TSoftwareTable::recordChanged, this, [this] { refreshControls(false); });
    connect(m_record, &TSoftwareTable::AfterPost, this, &TPADForm::ClientDataSet1AfterPost);

    refreshControls(true);
    if (owned)
        m_startupProblems = loadRecordWithProblems(*m_record);
}

TPADForm::~TPADForm()
{
    // The controls go before the table they show.
    disconnect(m_record, nullptr, this, nullptr);
    m_links.clear();
    m_osList = m_languageList = nullptr;
    delete m_pages;
}

void TPADForm::setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

void TPADForm::setExportFileChooser(FileChooser chooser) { m_exportChooser = std::move(chooser); }

void TPADForm::setLanguageChooser(LanguageChooser chooser) { m_languageChooser = std::move(chooser); }

QUrl TPADForm::padSiteUrl(const QString &path)
{
    QUrl url(QStringLiteral("http://www.asp-shareware.org/"));
    if (!path.isEmpty()) {
        url.setPath(path);
        QUrlQuery q;
        q.addQueryItem(QStringLiteral("referrer"), QStringLiteral("doduvodaz"));
        url.setQuery(q);
    }
    return url;
}

void TPADForm::buildMenu(QMenuBar *bar)
{
    QMenu *file = bar->addMenu(tr("&File"));
    QAction *import = file->addAction(tr("Import XML file..."));
    import->setObjectName(QStringLiteral("ImportPADfile1"));
    connect(import, &QAction::triggered, this, &TPADForm::importPadFileChosen);

    QAction *exportPad = file->addAction(tr("Export PAD file..."));
    exportPad->setObjectName(QStringLiteral("ExportPADfile1"));
    connect(exportPad, &QAction::triggered, this, &TPADForm::exportPadFileChosen);

    QAction *generate = file->addAction(tr("Generate XML files..."));
    generate->setObjectName(QStringLiteral("GenerateXMLfiles1"));
    generate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    generate->setEnabled(false);

    QAction *save = file->addAction(tr("Save All"));
    save->setObjectName(QStringLiteral("SaveAllInfo"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &TPADForm::saveAll);

    file->addSeparator();
    QAction *exit = file->addAction(tr("E&xit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &QDialog::close);

    QMenu *help = bar->addMenu(tr("&Help"));
    QAction *info = help->addAction(tr("PAD Info(Online)"));
    info->setObjectName(QStringLiteral("PADInfoOnline1"));
    connect(info, &QAction::triggered, this, [] { platform::openExternally(padSiteUrl(QStringLiteral("/pad"))); });
    QAction *ext = help->addAction(tr("Find Available Extensions(Online)"));
    ext->setObjectName(QStringLiteral("FindAvailableExtensionsOnline1"));
    connect(ext, &QAction::triggered, this,
            [] { platform::openExternally(padSiteUrl(QStringLiteral("/pad/padextensions.asp"))); });
}

QString TPADForm::chooseFile(const QString &filter)
{
    if (m_chooser)
        return m_chooser(filter);
    return QFileDialog::getOpenFileName(this, QString(), QString(), filter);
}

QString TPADForm::chooseLanguage(const QStringList &languages, const QString &current)
{
    if (m_languageChooser)
        return m_languageChooser(languages, current);
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, tr("Import XML file"),
                              tr("The file describes the program in several languages.\n"
                                 "Language of the descriptions:"),
                              languages, int(qMax(qsizetype(0), languages.indexOf(current))), false, &ok);
    return ok ? chosen : QString();
}

void TPADForm::importPadFileChosen()
{
    const QString path = chooseFile(tr("XML Files (*.xml)"));
    if (path.isEmpty())
        return;
    try {
        QStringList names;
        for (int i = 0; i < m_record->fieldCount(); ++i)
            names << m_record->fieldName(i);
        PadFile pad = readPadFile(path, names);
        if (pad.languages.size() > 1) {
            // The language chosen for this file before is offered first.
            QString current = pad.languages.first();
            if (rememberedPadFile() == path)
                for (const QString &l : std::as_const(pad.languages))
                    if (l.compare(rememberedPadLanguage(), Qt::CaseInsensitive) == 0)
                        current = l;
            pad.language = chooseLanguage(pad.languages, current);
            if (pad.language.isEmpty())
                return;
        }
        if (!m_record->isOpen())
            m_record->Edit(); // the closed table's error, before anything is remembered
        setRememberedPadFile(path, pad.language);
        const QStringList cut = fillFromPadFile(*m_record, pad);
        if (!cut.isEmpty())
            platform::showMessage(tr("Some values of %1 are longer than the record holds:\n%2")
                                      .arg(QFileInfo(path).fileName(), cutFieldsMessage(cut, *m_record)));
    } catch (const base::Error &e) {
        // The record and the remembered file stay as they were.
        platform::showError(e.text());
    } catch (const std::exception &e) {
        platform::showError(tr("Cannot import %1: %2").arg(path, QString::fromLocal8Bit(e.what())));
    }
}

void TPADForm::exportPadFileChosen()
{
    flushPendingEdits();
    const QString filter = tr("XML Files (*.xml)");
    QString path = m_exportChooser ? m_exportChooser(filter)
                                   : QFileDialog::getSaveFileName(this, tr("Export PAD file"), QString(), filter);
    if (path.isEmpty())
        return;
    try {
        exportPadFile(*m_record, path);
    } catch (const base::Error &e) {
        platform::showError(e.text());
    }
}

void TPADForm::flushPendingEdits()
{
    for (FieldLink *link : std::as_const(m_links))
        link->flush();
}

void TPADForm::saveAll()
{
    flushPendingEdits();
    try {
        // A closed table has no fields to write; writing it would replace the
        // data file with an empty one.
        if (!m_record->isOpen())
            throw base::Error(m_record->objectName() + QStringLiteral(": ") +
                              tr("Cannot perform this operation on a closed dataset"));
        m_record->SaveToFile(TSoftwareTable::dataFile());
    } catch (const base::Error &e) {
        platform::showError(e.text());
    }
}

void TPADForm::loadDistributionAgreement() { loadTextFileInto(QStringLiteral("Distribution_Permissions")); }

void TPADForm::loadLicenceAgreement() { loadTextFileInto(QStringLiteral("EULA")); }

void TPADForm::loadTextFileInto(const QString &field)
{
    const QString path = chooseFile(tr("Text Files (*.txt);;All Files (*)"));
    if (path.isEmpty())
        return;
    try {
        const QString text = readTextFile(path);
        if (m_record->state() != TSoftwareTable::Editing)
            m_record->Edit();
        m_record->setFieldText(field, text);
    } catch (const base::Error &e) {
        platform::showError(e.text());
    }
}

void TPADForm::refreshControls(bool force)
{
    for (FieldLink *link : std::as_const(m_links))
        link->refresh(force);
}

void TPADForm::ClientDataSet1AfterPost()
{
    refreshControls(true);
    m_osList->resync();
    m_languageList->resync();
}

void TPADForm::showEvent(QShowEvent *e)
{
    if (!m_placed) {
        m_placed = true;
        QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
    }
    QDialog::showEvent(e);
}

void TPADForm::keyPressEvent(QKeyEvent *e)
{
    // Esc does not close the editor and Enter presses no button: the window
    // closes by its menu or its frame only.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace software
