// Files and pages a user keeps, in the real engine offscreen against a
// loopback server: downloads (saved where chosen, refused, cancelled, cut off
// by the server), a page's upload box, the receipt PDF after a submit with its
// log row, and the tabs offered again after a start that followed a crash.
#include "campaign/submissionlog.h"
#include "shell/campaigntracker.h"
#include "shell/downloadslist.h"
#include "shell/mainwindow.h"
#include "shell/restoretabsbar.h"
#include "shell/sessionkeeper.h"
#include "shell/webtabsheet.h"
#include "sites/sitespanel.h"
#include "software/softwaretable.h"
#include "support/pages.h"
#include "web/embeddedwb.h"
#include "web/uploadchooser.h"
#include "web/webengineenv.h"
#include "shell/siteserver.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using testsupport::htmlReply;
using testsupport::SiteReply;
using testsupport::SiteRequest;

namespace {

QByteArray fileReply(const QByteArray &name, const QByteArray &body, qsizetype length)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
           "filename=\"" +
        name + "\"\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n" + body;
}

// Answers the next file dialog with the given object name.
void answerFileDialog(QObject *context, const QString &name, std::function<void(QFileDialog *)> answer)
{
    auto *timer = new QTimer(context);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, context, [timer, name, answer] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!d || d->objectName() != name || !d->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        answer(d);
    });
    timer->start();
}

} // namespace

class TestPageFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;
    testsupport::SiteServer server;
    std::unique_ptr<shell::TfrmBrwMain> win;
    QByteArray big = QByteArray(600000, 'x');

    shell::TbxWebTabSheet *open(const QUrl &url)
    {
        const int before = win->pageCount();
        win->OpenURL(url.toString());
        [&] { QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), before + 1, 15000); }();
        return win->pageAt(before);
    }
    QTreeWidget *list() const { return win->downloads()->list(); }
    QString row(int i) const
    {
        QTreeWidgetItem *item = list()->topLevelItem(i);
        return item ? item->text(0) + QLatin1Char('|') + item->text(1) : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        record.open(software::TSoftwareTable::standardFields(), {});
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("ClipNest"));
        record.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("3.2.1"));
        record.Post();
        server.handler = [this](const SiteRequest &r) -> SiteReply {
            const QString path = r.path.section(QLatin1Char('?'), 0, 0);
            if (path == QLatin1String("/pad.xml"))
                return {fileReply("pad.xml", "<XML_DIZ_INFO/>", 15)};
            if (path == QLatin1String("/slow.zip"))
                return {fileReply("slow.zip", big.left(1000), big.size()), 1000 + 200, true};
            // Less than announced, then the connection closes; the second
            // offers to go on from where it stopped and breaks off again.
            if (path == QLatin1String("/broken.zip"))
                return {fileReply("broken.zip", big, big.size()), 20000};
            if (path == QLatin1String("/resumable.zip"))
                return {fileReply("resumable.zip", big, big.size())
                            .replace("Connection: close", "ETag: \"v1\"\r\nAccept-Ranges: bytes\r\nConnection: close"),
                        20000};
            if (path == QLatin1String("/upload.htm"))
                return htmlReply("<title>Upload</title><body style='margin:0'><input type=file multiple id=f "
                                 "accept='.png' style='position:absolute;left:0;top:0;width:300px;height:80px'>"
                                 "</body>");
            if (path == QLatin1String("/submit.htm"))
                return htmlReply(
                    "<title>Submit</title><body>Submit your program here<form action='/thanks.htm' method=get>"
                    "<input name=title><input type=submit value='Send it'></form></body>");
            if (path == QLatin1String("/thanks.htm"))
                return htmlReply("<title>Thanks</title><body><h1>Received ClipNest, thank you</h1></body>");
            if (path == QLatin1String("/links.htm"))
                return htmlReply("<title>Links</title><body style='margin:0'><a href='/thanks.htm' "
                                 "style='display:block;width:300px;height:80px'>Thanks</a></body>");
            return htmlReply("<title>Missing</title>", 404);
        };
        QVERIFY(server.start());
    }

    void init()
    {
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->resize(1000, 700);
        win->show();
    }

    void cleanup()
    {
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void downloadsAskWhereAndSayHowTheyEnded()
    {
        const QString target = dir.filePath(QStringLiteral("saved/my-pad.xml"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("saved"))));
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("links.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Links"), 15000);

        // Saved where chosen; the dialog offered the download folder and
        // the site's name for the file.
        QString offered;
        answerFileDialog(this, QStringLiteral("SaveDownloadDialog"), [&](QFileDialog *d) {
            offered = d->directory().absolutePath() + QLatin1Char('|') + d->selectedFiles().value(0);
            d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(dir.filePath(QStringLiteral("saved/my-pad.xml")));
            static_cast<QDialog *>(d)->accept();
        });
        sheet->browser()->page()->download(server.url(QStringLiteral("pad.xml")));
        QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 15000);
        QTRY_VERIFY2_WITH_TIMEOUT(row(0).startsWith(QLatin1String("my-pad.xml|Done")), qPrintable(row(0)), 15000);
        QVERIFY2(offered.endsWith(QLatin1String("/pad.xml")), qPrintable(offered));
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("<XML_DIZ_INFO/>"));
        QVERIFY(sheet->statusPanel()->text().startsWith(QLatin1String("my-pad.xml downloaded")));
        list()->setCurrentItem(list()->topLevelItem(0));
        QVERIFY(win->downloads()->findChild<QPushButton *>(QStringLiteral("OpenDownload"))->isEnabled());

        // Refused in the dialog: nothing saved, nothing listed.
        answerFileDialog(this, QStringLiteral("SaveDownloadDialog"), [&](QFileDialog *d) {
            offered = d->directory().absolutePath();
            d->reject();
        });
        sheet->browser()->page()->download(server.url(QStringLiteral("pad.xml")));
        QTRY_COMPARE_WITH_TIMEOUT(offered, dir.filePath(QStringLiteral("saved")), 15000);
        QTest::qWait(300);
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("saved"))).entryList(QDir::Files), QStringList {"my-pad.xml"});

        // Cancelled from the list while it runs.
        answerFileDialog(this, QStringLiteral("SaveDownloadDialog"), [&](QFileDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(dir.filePath(QStringLiteral("saved/slow.zip")));
            static_cast<QDialog *>(d)->accept();
        });
        sheet->browser()->page()->download(server.url(QStringLiteral("slow.zip")));
        QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 2, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(
            row(1).startsWith(QLatin1String("slow.zip|")) && row(1).contains(QLatin1String(" of ")), 15000);
        list()->setCurrentItem(list()->topLevelItem(1));
        auto *cancel = win->downloads()->findChild<QPushButton *>(QStringLiteral("CancelDownload"));
        QVERIFY(cancel->isEnabled());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(row(1), QStringLiteral("slow.zip|Cancelled"), 15000);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("saved/slow.zip"))));
    }

    void downloadCutOffByTheServerFails()
    {
        const QString folder = dir.filePath(QStringLiteral("cut"));
        QVERIFY(QDir().mkpath(folder));
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("links.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Links"), 15000);
        // The engine starts a broken download again by itself: the first
        // save dialog is answered, any later one counted and refused.
        QString name;
        int dialogs = 0;
        QTimer answerer;
        answerer.setInterval(50);
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!d || d->objectName() != QLatin1String("SaveDownloadDialog") || !d->isVisible())
                return;
            if (++dialogs > 1) {
                d->reject();
                return;
            }
            d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(folder + QLatin1Char('/') + name);
            static_cast<QDialog *>(d)->accept();
        });
        answerer.start();

        for (const char *file : {"broken.zip", "resumable.zip"}) {
            name = QLatin1String(file);
            dialogs = 0;
            const int at = list()->topLevelItemCount();
            sheet->browser()->page()->download(server.url(name));
            QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), at + 1, 15000);
            QTRY_VERIFY2_WITH_TIMEOUT(row(at).contains(QLatin1String("|Failed")), qPrintable(row(at)), 30000);
            QCOMPARE(row(at), name + QStringLiteral("|Failed: The connection closed before the whole file arrived"));
            QCOMPARE(sheet->statusPanel()->text(),
                     name + QStringLiteral(": download failed: The connection closed before the whole file arrived"));
            // Tried again without a question or a row of its own.
            QVERIFY2(server.requestCount(QLatin1Char('/') + name) > 1, file);
            QCOMPARE(dialogs, 1);
            QCOMPARE(list()->topLevelItemCount(), at + 1);
            // Nothing of it is left in the folder.
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
            list()->setCurrentItem(list()->topLevelItem(at));
            QVERIFY(!win->downloads()->findChild<QPushButton *>(QStringLiteral("OpenDownload"))->isEnabled());
        }
    }

    void uploadBoxOpensTheFileDialog()
    {
        const QString folder = dir.filePath(QStringLiteral("shots"));
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"one.png", "two.png"}) {
            QFile f(folder + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("png");
        }
        shell::TbxWebTabSheet *sheet = open(server.url(QStringLiteral("upload.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Upload"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(sheet->browser()->focusProxy(), 15000);
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QStringList filters;
        answerFileDialog(this, QStringLiteral("UploadDialog"), [&](QFileDialog *d) {
            mode = d->fileMode();
            filters = d->nameFilters();
            d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"%1/one.png\" \"%1/two.png\"").arg(folder));
            static_cast<QDialog *>(d)->accept();
        });
        // The first frame may not be drawn yet: click until the box answers.
        for (int i = 0; i < 10 && filters.isEmpty(); ++i) {
            QTest::mouseClick(sheet->browser()->focusProxy(), Qt::LeftButton, {}, QPoint(40, 40));
            QTest::qWait(1000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(
            testpages::eval(sheet->browser()->page(),
                            QStringLiteral("Array.from(document.getElementById('f').files).map(f => f.name).join()"))
                .toString(),
            QStringLiteral("one.png,two.png"), 15000);
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QVERIFY(filters.value(0).contains(QLatin1String("*.png")));
        QCOMPARE(web::uploadFolder(), folder);

        // The next dialog starts where the last upload came from.
        QString startedIn;
        answerFileDialog(this, QStringLiteral("UploadDialog"), [&](QFileDialog *d) {
            startedIn = d->directory().absolutePath();
            d->reject();
        });
        for (int i = 0; i < 10 && startedIn.isEmpty(); ++i) {
            QTest::mouseClick(sheet->browser()->focusProxy(), Qt::LeftButton, {}, QPoint(40, 40));
            QTest::qWait(1000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(startedIn, folder, 15000);
    }

    void receiptAfterSubmitIsLogged()
    {
        QFile dat(dir.filePath(QStringLiteral("padsites.dat")));
        QVERIFY(dat.open(QIODevice::WriteOnly));
        const QByteArray url = server.url(QStringLiteral("submit.htm")).toString().toUtf8();
        dat.write("7\r\n*Site A\r\n" + url + "\r\n" + url + "?update\r\n");
        dat.close();
        campaign::SubmissionLog log;
        QVERIFY(log.open(dir.filePath(QStringLiteral("receipts.sqlite"))));
        auto *sites = new sites::TSitesPanel;
        sites->loadDirectory(dat.fileName());
        win->setSidePages(sites, new QWidget);
        auto *tracker = new shell::TCampaignTracker(win.get(), sites, &log);
        sites->setSubmissionLog(&log, [this] { return shell::campaignOf(record); });
        tracker->openSite(0, QString::fromUtf8(url));
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 1, 15000);
        shell::TbxWebTabSheet *sheet = win->pageAt(0);
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Submit"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(
            testpages::eval(sheet->browser()->page(), QStringLiteral("document.querySelector('[name=title]').value"))
                .toString(),
            QStringLiteral("ClipNest"), 15000);
        win->submitForm();
        const auto result = [&] {
            for (const campaign::LoggedEvent &e : log.history(shell::campaignOf(record), sites->site(0)))
                if (e.kind == QLatin1String("result"))
                    return e;
            return campaign::LoggedEvent();
        };
        QTRY_VERIFY_WITH_TIMEOUT(result().isValid(), 30000);
        const QString detail = result().detail;
        QVERIFY2(detail.startsWith(QLatin1String("receipt receipts/Site A/3.2.1/")), qPrintable(detail));
        QVERIFY(detail.endsWith(QLatin1String(".pdf")));
        QFile pdf(dir.filePath(detail.mid(8)));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), qPrintable(pdf.fileName()));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(pdf.size() > 1000);
        QCOMPARE(result().title, QStringLiteral("Thanks"));
    }

    void tabsOfAnInterruptedRunAreOffered()
    {
        const QString path = dir.filePath(QStringLiteral("config/session.json"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("config"))));
        const QString a = server.url(QStringLiteral("links.htm")).toString();
        const QString b = server.url(QStringLiteral("thanks.htm")).toString();
        {
            // A run that writes its tabs and then ends without a word.
            auto keeper = new shell::TSessionKeeper(win.get(), path,
                                                    [](shell::TbxWebTabSheet *) { return QStringLiteral("Site A"); });
            QVERIFY(keeper->interrupted().isEmpty());
            open(QUrl(a));
            open(QUrl(b));
            QTRY_COMPARE_WITH_TIMEOUT(shell::TSessionKeeper::readInterrupted(path).size(), 2, 15000);
            cleanup();
            init();
        }
        auto *keeper = new shell::TSessionKeeper(win.get(), path, {});
        const QList<shell::SessionTab> tabs = keeper->interrupted();
        QCOMPARE(tabs.size(), 2);
        QCOMPARE(tabs.at(0).address, a);
        QCOMPARE(tabs.at(1).site, QStringLiteral("Site A"));
        // Still offered if this start ends the same way before an answer.
        QCOMPARE(shell::TSessionKeeper::readInterrupted(path).size(), 2);

        auto *bar = new shell::TRestoreTabsBar(tabs, [this](const QString &address) { win->OpenURL(address); });
        QObject::connect(bar, &QObject::destroyed, keeper, &shell::TSessionKeeper::interruptedHandled);
        win->showTopBar(bar);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->label()->text(),
                 QStringLiteral("Doduvodaz did not end normally last time. Reopen the 2 tab(s) that were open?"));
        QVERIFY(bar->toolTip().contains(QStringLiteral("Site A — ") + a));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QTest::mouseClick(bar->reopenButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), 2, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(win->pageAt(1)->title(), QStringLiteral("Thanks"), 15000);

        keeper->endNormally();
        QVERIFY(shell::TSessionKeeper::readInterrupted(path).isEmpty());
        auto *next = new shell::TSessionKeeper(win.get(), path, {});
        QVERIFY(next->interrupted().isEmpty());
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestPageFiles t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_pagefiles.moc"
