// The update dialog against a real HTTP server on 127.0.0.1, with the real
// browser engine loading the published directory.
#include "support/httpserver.h"

#include "platform/messages.h"
#include "web/webengineenv.h"
#include "sites/updateform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

struct Message {
    QString text;
    QString label; // Label1 at the moment of the message
    int progress;  // ProgressBar1 at the moment of the message
};

} // namespace

class UpdateFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
    testsupport::HttpServer m_server;
    QList<Message> m_messages;
    sites::TUpdateForm *m_sinkForm = nullptr;
    bool m_hung = false;

    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    // Shows the dialog modally as the menu command does; it runs once and
    // closes itself after its message. A run that never ends is cut off.
    void runUpdate(sites::TUpdateForm &form)
    {
        m_sinkForm = &form;
        m_hung = false;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &form, [&] {
            m_hung = true;
            form.done(-1);
        });
        guard.start(120000);
        form.exec();
        guard.stop();
        QVERIFY2(!m_hung, "the dialog did not close itself");
        QVERIFY(!form.isVisible());
    }

    void serve(const QByteArray &body, int status = 200, const QByteArray &type = "text/plain; charset=utf-8")
    {
        m_server.setMode(testsupport::HttpServer::Mode::Answer);
        m_server.setAnswer(status, type, body);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_server.listen());
        qputenv("DODUVODAZ_UPDATE_HOST", m_server.hostAndPort().toLatin1());
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        platform::setMessageSink([this](const QString &kind, const QString &text) {
            Message m {kind + QLatin1Char(':') + text, QString(), -1};
            if (m_sinkForm) {
                m.label = m_sinkForm->findChild<QLabel *>(QStringLiteral("Label1"))->text();
                m.progress = m_sinkForm->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value();
            }
            m_messages.append(m);
            return true;
        });
    }

    void cleanupTestCase()
    {
        platform::setMessageSink(nullptr);
        QDir::setCurrent(m_oldCurrent);
        m_server.stop();
    }

    void init()
    {
        m_messages.clear();
        QFile::remove(QStringLiteral("padsites.dat"));
        serve(QByteArray());
    }

    void versionComparison_data()
    {
        QTest::addColumn<QByteArray>("local");
        QTest::addColumn<QByteArray>("published");
        QTest::addColumn<QByteArray>("written"); // empty: the file stays as it was
        QTest::addColumn<QString>("message");

        const QByteArray localSites = "*Old site\r\nhttp://old.example/new\r\nhttp://old.example/upd\r\n";
        const QString updated = QStringLiteral("Update completed! Please restart the program.");
        const QString current = QStringLiteral("Current version is the lastest version.");
        const QString failed = QStringLiteral("Error in update!");

        QTest::newRow("12 vs 13, LF lines, no final line end")
            << "12\r\n" + localSites << QByteArray("13\n*New site (pop)\nhttp://new.example/a\nhttp://new.example/b")
            << QByteArray("13\r\n*New site (pop)\r\nhttp://new.example/a\r\nhttp://new.example/b\r\n") << updated;
        QTest::newRow("12 vs 13, CR LF lines, blanks and empty lines kept")
            << "12\r\n" + localSites << QByteArray("13\r\n*  Spaced  \r\n\r\nhttp://new.example/b \r\n")
            << QByteArray("13\r\n*  Spaced  \r\n\r\nhttp://new.example/b \r\n") << updated;
        QTest::newRow("9 vs 10 compares numbers")
            << "9\r\n" + localSites << QByteArray("10\r\n*A\r\nhttp://a.example/\r\nhttp://a.example/u\r\n")
            << QByteArray("10\r\n*A\r\nhttp://a.example/\r\nhttp://a.example/u\r\n") << updated;
        QTest::newRow("signed published version") << "12\r\n" + localSites << QByteArray("+13\r\n*A\r\nx\r\ny\r\n")
                                                  << QByteArray("+13\r\n*A\r\nx\r\ny\r\n") << updated;
        QTest::newRow("leading blanks in the local version")
            << "  12\r\n" + localSites << QByteArray("13\r\n") << QByteArray("13\r\n") << updated;
        QTest::newRow("non-ASCII text survives")
            << "1\r\n" + localSites
            << QByteArray("2\r\n*Logiciels \xc3\xa9t\xc3\xa9\r\nhttp://x.example/\xc3\xa9\r\n-\r\n")
            << QByteArray("2\r\n*Logiciels \xc3\xa9t\xc3\xa9\r\nhttp://x.example/\xc3\xa9\r\n-\r\n") << updated;
        QTest::newRow("13 vs 13") << "13\r\n" + localSites << QByteArray("13\r\n*X\r\na\r\nb\r\n") << QByteArray()
                                  << current;
        QTest::newRow("14 vs 13") << "14\r\n" + localSites << QByteArray("13\r\n*X\r\na\r\nb\r\n") << QByteArray()
                                  << current;
        QTest::newRow("trailing blank after the number")
            << "12\r\n" + localSites << QByteArray("13 \r\n*X\r\na\r\nb\r\n") << QByteArray() << failed;
        QTest::newRow("exponent notation")
            << "12\r\n" + localSites << QByteArray("1e3\r\n*X\r\na\r\nb\r\n") << QByteArray() << failed;
        QTest::newRow("published line 0 not a number")
            << "12\r\n" + localSites << QByteArray("version thirteen\r\n*X\r\na\r\nb\r\n") << QByteArray() << failed;
        QTest::newRow("local line 0 not a number")
            << "twelve\r\n" + localSites << QByteArray("13\r\n*X\r\na\r\nb\r\n") << QByteArray() << failed;
        QTest::newRow("published text empty") << "12\r\n" + localSites << QByteArray() << QByteArray() << failed;
    }

    void versionComparison()
    {
        QFETCH(QByteArray, local);
        QFETCH(QByteArray, published);
        QFETCH(QByteArray, written);
        QFETCH(QString, message);

        writeFile(QStringLiteral("padsites.dat"), local);
        serve(published);
        const int requests = int(m_server.paths().count(QStringLiteral("/padsites.dat")));
        sites::TUpdateForm form;
        QSignalSpy completed(&form, &sites::TUpdateForm::updateCompleted);
        runUpdate(form);

        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:") + message);
        QCOMPARE(int(m_server.paths().count(QStringLiteral("/padsites.dat"))), requests + 1);
        const bool updates = !written.isEmpty();
        QCOMPARE(readFile(QStringLiteral("padsites.dat")), updates ? written : local);
        QCOMPARE(completed.size(), updates ? 1 : 0);
        if (updates) {
            QCOMPARE(m_messages[0].label, QStringLiteral("Dowloading the sites date..."));
            QCOMPARE(m_messages[0].progress, 100);
        } else if (message.startsWith(QLatin1String("Current"))) {
            QCOMPARE(m_messages[0].label, QStringLiteral("Check the new version"));
            QCOMPARE(m_messages[0].progress, 70);
        }
        QCOMPARE(QDir().entryList(QDir::Files), QStringList {QStringLiteral("padsites.dat")});
    }

    void localFileMissingOrEmptyFailsWithoutNetwork_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << false;
        QTest::newRow("empty") << true;
    }

    void localFileMissingOrEmptyFailsWithoutNetwork()
    {
        QFETCH(bool, exists);
        if (exists)
            writeFile(QStringLiteral("padsites.dat"), QByteArray());
        const qsizetype before = m_server.paths().size();
        serve("13\r\n");
        sites::TUpdateForm form;
        runUpdate(form);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Error in update!"));
        QCOMPARE(m_messages[0].label, QStringLiteral("Prepare for update..."));
        QCOMPARE(m_messages[0].progress, 0);
        QCOMPARE(m_server.paths().size(), before);
        QCOMPARE(QFile::exists(QStringLiteral("padsites.dat")), exists);
    }

    void serverFaultsFail_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("body");
        using M = testsupport::HttpServer::Mode;
        QTest::newRow("404 with an HTML page")
            << int(M::Answer) << 404 << QByteArray("text/html")
            << QByteArray("<html><body><h1>404 Not Found</h1><p>No such file.</p></body></html>");
        QTest::newRow("404 whose page text is a number")
            << int(M::Answer) << 404 << QByteArray("text/plain") << QByteArray("99\r\n*X\r\na\r\nb\r\n");
        QTest::newRow("connection closed mid-file")
            << int(M::CloseMidway) << 200 << QByteArray("text/plain")
            << QByteArray("13\r\n" + QByteArray("*Site\r\nhttp://a.example/\r\nhttp://b.example/\r\n").repeated(200));
    }

    void serverFaultsFail()
    {
        QFETCH(int, mode);
        QFETCH(int, status);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, body);
        const QByteArray local = "12\r\n*Old\r\nhttp://old.example/\r\n\r\n";
        writeFile(QStringLiteral("padsites.dat"), local);
        serve(body, status, type);
        m_server.setMode(testsupport::HttpServer::Mode(mode));
        sites::TUpdateForm form;
        QSignalSpy completed(&form, &sites::TUpdateForm::updateCompleted);
        runUpdate(form);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Error in update!"));
        QCOMPARE(readFile(QStringLiteral("padsites.dat")), local);
        QCOMPARE(completed.size(), 0);
    }

    void silentServerFailsAtTheDeadline()
    {
        const QByteArray local = "12\r\n*Old\r\nhttp://old.example/\r\n\r\n";
        writeFile(QStringLiteral("padsites.dat"), local);
        m_server.setMode(testsupport::HttpServer::Mode::Silent);
        sites::TUpdateForm form;
        form.setWaitLimit(1500ms);
        runUpdate(form);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Error in update!"));
        QCOMPARE(m_messages[0].label, QStringLiteral("Conneting network..."));
        QCOMPARE(m_messages[0].progress, 50);
        QCOMPARE(readFile(QStringLiteral("padsites.dat")), local);
    }

    // "Cancel" ends the wait at once: with a wait limit far beyond the guard of
    // runUpdate, only the button can end this run.
    void cancelDuringTheWaitThenRunAgain()
    {
        const QByteArray local = "12\r\n*Old\r\nhttp://old.example/\r\n\r\n";
        writeFile(QStringLiteral("padsites.dat"), local);
        m_server.setMode(testsupport::HttpServer::Mode::Silent);
        sites::TUpdateForm form;
        form.setWaitLimit(std::chrono::hours(1));
        auto *cancel = form.findChild<QPushButton *>(QStringLiteral("Button1"));
        m_server.onRequest = [cancel](const QString &) { QTest::mouseClick(cancel, Qt::LeftButton); };
        runUpdate(form);
        m_server.onRequest = nullptr;
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Error in update!"));
        QCOMPARE(readFile(QStringLiteral("padsites.dat")), local);

        // Showing the dialog again runs again, with the cancel flag cleared.
        m_messages.clear();
        serve("13\r\n*New\r\nn\r\nu\r\n");
        runUpdate(form);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Update completed! Please restart the program."));
        QCOMPARE(readFile(QStringLiteral("padsites.dat")), QByteArray("13\r\n*New\r\nn\r\nu\r\n"));
    }

    // The replacement file is written beside the old one and then renamed over
    // it. A file name of 250 characters can be read, but no file can be made
    // beside it under a longer name (the name limit binds root too), so the
    // write fails and the old file must stay whole.
    void failedWriteKeepsTheOldFile()
    {
        const QString name = QString(250, QLatin1Char('p'));
        const QByteArray local = "12\r\n*Old\r\nhttp://old.example/\r\n\r\n";
        writeFile(name, local);
        serve("13\r\n*New\r\nn\r\nu\r\n");
        sites::TUpdateForm form;
        form.setDirectoryFile(name);
        QSignalSpy completed(&form, &sites::TUpdateForm::updateCompleted);
        runUpdate(form);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("message:Error in update!"));
        QCOMPARE(m_messages[0].label, QStringLiteral("Dowloading the sites date..."));
        QCOMPARE(readFile(name), local);
        QCOMPARE(completed.size(), 0);
        QCOMPARE(QDir().entryList(QDir::Files), QStringList {name});
        QFile::remove(name);
    }
};

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    UpdateFormTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_updateform.moc"
