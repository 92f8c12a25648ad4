// doduvodaz --check-sites run as a real process in a working folder, against
// a server on 127.0.0.1: one JSON or CSV line per site in list order, the
// results kept in submissions.sqlite, CSV cells that a spreadsheet would take
// for formulas made text, and the exit statuses.
#include "campaign/csvcell.h"
#include "app/checksitesmode.h"
#include "campaign/sitecheckstore.h"
#include "support/checkserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using testsupport::CheckAnswer;
using testsupport::CheckServer;

class CheckSitesCommandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CheckServer m_server;
    QByteArray m_err;

    // Runs the program while this process's event loop serves the requests.
    QByteArray run(const QStringList &args, int *status)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), m_dir.filePath(QStringLiteral("system.json")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        QSignalSpy done(&p, &QProcess::finished);
        p.start(QStringLiteral(DODU_BINARY), QStringList {QStringLiteral("--check-sites")} + args);
        if (!done.wait(60000))
            return "(timed out)";
        *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        m_err = p.readAllStandardError();
        return p.readAllStandardOutput();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"),
                            m_dir.filePath(QStringLiteral("softdata.xml"))));
        QVERIFY(m_server.listenLocal());
        m_server.answer = [](const QByteArray &, const QByteArray &path) {
            CheckAnswer a {200, {}, "<html><body><form></form></body></html>"};
            if (path == "/gone")
                a.status = 410;
            else if (path == "/silent")
                a.silent = true;
            return a;
        };
        QFile dat(m_dir.filePath(QStringLiteral("padsites.dat")));
        QVERIFY(dat.open(QIODevice::WriteOnly));
        const auto u = [&](const char *p) { return m_server.url(QString::fromLatin1(p)).toUtf8(); };
        dat.write("1\r\n*=Formula Soft\r\n" + u("new") + "\r\n" + u("gone") + "\r\n" + "*Beta, Inc.\r\n" + u("silent") +
                  "\r\n\r\n" + "*No pages\r\n\r\n\r\n");
    }

    void jsonLinePerSiteInListOrder()
    {
        int status = -2;
        const QByteArray out = run({QStringLiteral("--timeout"), QStringLiteral("1")}, &status);
        QCOMPARE(status, 0);
        const QList<QByteArray> lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(first[QStringLiteral("site")].toString(), QStringLiteral("=Formula Soft"));
        QCOMPARE(first[QStringLiteral("newRelease")].toObject()[QStringLiteral("result")].toString(), "ok");
        QCOMPARE(first[QStringLiteral("update")].toObject()[QStringLiteral("result")].toString(), "http");
        QCOMPARE(first[QStringLiteral("update")].toObject()[QStringLiteral("httpStatus")].toInt(), 410);
        QVERIFY(lines[0].startsWith("{\"site\":\"=Formula Soft\",\"newReleaseUrl\":"));
        const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(second[QStringLiteral("newRelease")].toObject()[QStringLiteral("result")].toString(), "timeout");
        QVERIFY(second[QStringLiteral("update")].isNull());
        const QJsonObject third = QJsonDocument::fromJson(lines[2]).object();
        QCOMPARE(third[QStringLiteral("site")].toString(), QStringLiteral("No pages"));
        QVERIFY(third[QStringLiteral("newRelease")].isNull());
        QVERIFY(!m_err.contains("Checked")); // standard error is no terminal here

        campaign::SiteCheckStore store;
        QVERIFY(store.openForReading(m_dir.filePath(QStringLiteral("submissions.sqlite"))));
        QCOMPARE(store.latest().size(), 3);
    }

    void csvWithHeaderAndFormulaCellsAsText()
    {
        int status = -2;
        const QByteArray out = run({"--format", "csv", "--timeout", "1", "--jobs", "2"}, &status);
        QCOMPARE(status, 0);
        const QList<QByteArray> lines = out.split('\n');
        QCOMPARE(lines.size(), 5); // header, three sites, the end
        QVERIFY(lines[0].startsWith("site,new_release_url,update_url,new_release_result,new_release_status,"));
        QVERIFY(lines[1].startsWith("'=Formula Soft,http://127.0.0.1:"));
        QVERIFY(lines[1].contains(",ok,200,"));
        QVERIFY(lines[1].contains(",http,410,"));
        QVERIFY(lines[2].startsWith("\"Beta, Inc.\","));
        QVERIFY(lines[2].contains(",timeout,"));
        QVERIFY(lines[3].startsWith("No pages,,,"));
        for (const char *cell : {"=1+2", "+1", "-1", "@SUM(A1)", "\tx", "\rx"})
            QVERIFY2(campaign::csvCell(QString::fromLatin1(cell)).startsWith("'") ||
                         campaign::csvCell(QString::fromLatin1(cell)).startsWith("\"'"),
                     cell);
        QCOMPARE(campaign::csvCell(QStringLiteral("a\"b")), QByteArray("\"a\"\"b\""));
        QCOMPARE(campaign::csvCell(QStringLiteral("plain")), QByteArray("plain"));
    }

    void wrongArgumentsAndAnUnwritableLog()
    {
        int status = -2;
        for (const QStringList &args : {QStringList {"--jobs", "0"}, QStringList {"--format", "xml"},
                                        QStringList {"--timeout", "soon"}, QStringList {"extra"}}) {
            run(args, &status);
            QCOMPARE(status, 64);
            QVERIFY(m_err.contains("usage: doduvodaz --check-sites"));
        }
        const QString log = m_dir.filePath(QStringLiteral("submissions.sqlite"));
        QVERIFY(QFile::remove(log));
        QFile::remove(log + "-wal");
        QFile::remove(log + "-shm");
        QFile text(log);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("a text file, not a log");
        text.close();
        const QByteArray out = run({}, &status);
        QCOMPARE(status, 1);
        QVERIFY(out.isEmpty());
        QVERIFY(m_err.contains("submissions.sqlite"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QCOMPARE(text.readAll(), QByteArray("a text file, not a log"));
    }
};

QTEST_MAIN(CheckSitesCommandTest)
#include "test_checksites.moc"
