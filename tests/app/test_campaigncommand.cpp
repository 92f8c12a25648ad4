// doduvodaz --campaign run as a real process in a working folder: every
// listed site's state and last event for the record's version or another,
// as JSON or CSV; a log that is missing, corrupt, or arguments that are wrong.
#include "campaign/submissionlog.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace campaign;

namespace {
const Site kA {QStringLiteral("Alpha"), QStringLiteral("http://a.example/new"), QStringLiteral("http://a.example/upd")};
const Site kB {QStringLiteral("Beta, Inc."), QStringLiteral("http://b.example/new"), QString()};
const Site kGone {QStringLiteral("Gone Soft"), QStringLiteral("http://gone.example/"), QString()};
} // namespace

class TestCampaignCommand : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QByteArray err;

    QByteArray run(const QStringList &args, int *status) { return runIn(dir.path(), args, status); }

    QByteArray runIn(const QString &folder, const QStringList &args, int *status)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), dir.filePath(QStringLiteral("system.json")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder);
        p.start(QStringLiteral(DODU_BINARY), QStringList {QStringLiteral("--campaign")} + args);
        if (!p.waitForFinished(30000))
            return "(timed out)";
        *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        err = p.readAllStandardError();
        return p.readAllStandardOutput();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"),
                            dir.filePath(QStringLiteral("softdata.xml"))));
        QFile dat(dir.filePath(QStringLiteral("padsites.dat")));
        QVERIFY(dat.open(QIODevice::WriteOnly));
        // Alpha is listed under a new name now; Gone is no longer listed.
        dat.write("3\r\n*Alpha Downloads (pop)\r\nhttp://a.example/new\r\nhttp://a.example/upd\r\n"
                  "*Beta, Inc.\r\nhttp://b.example/new\r\n\r\n*Gamma\r\nhttp://c.example/\r\n\r\n");
    }

    void missingLogMeansEverySiteOpen()
    {
        int status = -2;
        const QByteArray out = run({}, &status);
        QCOMPARE(status, 0);
        const QJsonObject top = QJsonDocument::fromJson(out).object();
        QCOMPARE(top.value("program").toString(), QStringLiteral("ClipNest"));
        QCOMPARE(top.value("version").toString(), QStringLiteral("3.2.1"));
        QCOMPARE(top.value("progress").toString(), QStringLiteral("0 of 3 done for ClipNest 3.2.1"));
        QCOMPARE(top.value("sites").toArray().size(), 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("submissions.sqlite"))));
    }

    void statesAndLastEventsAsJsonAndCsv()
    {
        {
            SubmissionLog log;
            QVERIFY(log.open(dir.filePath(QStringLiteral("submissions.sqlite"))));
            const Campaign now {QStringLiteral("ClipNest"), QStringLiteral("3.2.1")};
            Event submit;
            submit.kind = EventKind::Submit;
            submit.detail = QStringLiteral("Send it");
            submit.address = kA.newReleaseUrl;
            QVERIFY(log.record(now, kA, submit));
            Event result;
            result.kind = EventKind::Result;
            result.address = QStringLiteral("http://a.example/thanks");
            result.title = QStringLiteral("Thanks");
            QVERIFY(log.record(now, kA, result));
            QVERIFY(log.setState(now, kA, State::Done));
            QVERIFY(log.setState(now, kB, State::Failed, QStringLiteral("needs \"captcha\", twice")));
            QVERIFY(log.setState(now, kGone, State::Skipped));
            QVERIFY(log.setState({now.program, QStringLiteral("3.0")}, kB, State::Done));
        }
        int status = -2;
        const QByteArray out = run({}, &status);
        QCOMPARE(status, 0);
        const QJsonObject top = QJsonDocument::fromJson(out).object();
        QCOMPARE(top.value("done").toInt(), 1);
        QCOMPARE(top.value("total").toInt(), 3);
        const QJsonArray list = top.value("sites").toArray();
        QCOMPARE(list.size(), 4);
        const QJsonObject a = list.at(0).toObject();
        QCOMPARE(a.value("site").toString(), QStringLiteral("Alpha Downloads"));
        QCOMPARE(a.value("state").toString(), QStringLiteral("done"));
        QCOMPARE(a.value("lastEvent").toObject().value("kind").toString(), QStringLiteral("result"));
        QCOMPARE(a.value("lastEvent").toObject().value("address").toString(),
                 QStringLiteral("http://a.example/thanks"));
        QCOMPARE(a.value("lastEvent").toObject().value("title").toString(), QStringLiteral("Thanks"));
        QCOMPARE(list.at(1).toObject().value("note").toString(), QStringLiteral("needs \"captcha\", twice"));
        QCOMPARE(list.at(2).toObject().value("state").toString(), QStringLiteral("open"));
        QCOMPARE(list.at(2).toObject().value("lastEvent"), QJsonValue(QJsonValue::Null));
        const QJsonObject gone = list.at(3).toObject();
        QCOMPARE(gone.value("site").toString(), QStringLiteral("Gone Soft"));
        QCOMPARE(gone.value("listed").toBool(), false);
        QCOMPARE(gone.value("state").toString(), QStringLiteral("skipped"));

        const QByteArray csv =
            run({QStringLiteral("--version"), QStringLiteral("3.0"), QStringLiteral("--format"), QStringLiteral("csv")},
                &status);
        QCOMPARE(status, 0);
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 5); // header, three sites, the empty rest
        QVERIFY(lines[0].startsWith("site,new_release_url,update_url,listed,state,note,"));
        QVERIFY2(lines[1].startsWith("Alpha Downloads,http://a.example/new,http://a.example/upd,yes,open,"),
                 lines[1].constData());
        QVERIFY2(lines[2].startsWith("\"Beta, Inc.\",http://b.example/new,,yes,done,"), lines[2].constData());

        const QByteArray csvNow = run({QStringLiteral("--format"), QStringLiteral("csv")}, &status);
        QVERIFY2(csvNow.contains(",failed,\"needs \"\"captcha\"\", twice\","), csvNow.constData());
    }

    void corruptLogIsNamedAndLeftAlone()
    {
        const QString path = dir.filePath(QStringLiteral("submissions.sqlite"));
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 2\0", 16) + QByteArray(2000, 'x'));
        f.close();
        int status = -2;
        const QByteArray out = run({}, &status);
        QCOMPARE(status, 1);
        QVERIFY(out.isEmpty());
        QVERIFY2(err.contains(path.toUtf8()), err.constData());
        QCOMPARE(QFileInfo(path).size(), 2016);
        QFile::remove(path);
    }

    void sitesOfOneNameAreToldApartByTheirAddresses()
    {
        // A folder of its own: two sites listed under one name.
        const QString folder = dir.filePath(QStringLiteral("twins"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"),
                            QDir(folder).filePath(QStringLiteral("softdata.xml"))));
        QFile dat(QDir(folder).filePath(QStringLiteral("padsites.dat")));
        QVERIFY(dat.open(QIODevice::WriteOnly));
        dat.write("1\r\n*Twin\r\nhttp://one.example/\r\n\r\n*Twin\r\nhttp://two.example/\r\n\r\n");
        dat.close();
        {
            SubmissionLog log;
            QVERIFY(log.open(QDir(folder).filePath(QStringLiteral("submissions.sqlite"))));
            const Campaign now {QStringLiteral("ClipNest"), QStringLiteral("3.2.1")};
            QVERIFY(log.setState(now, {QStringLiteral("Twin"), QStringLiteral("http://two.example/"), QString()},
                                 State::Done, QStringLiteral("second one")));
            Event result;
            result.kind = EventKind::Result;
            result.title = QStringLiteral("=HYPERLINK(\"http://x.example/\",\"Click me\")");
            QVERIFY(
                log.record(now, {QStringLiteral("Twin"), QStringLiteral("http://two.example/"), QString()}, result));
        }
        int status = -2;
        const QJsonArray sites = QJsonDocument::fromJson(runIn(folder, {}, &status)).object().value("sites").toArray();
        QCOMPARE(status, 0);
        QCOMPARE(sites.size(), 2);
        QCOMPARE(sites[0].toObject().value("state").toString(), QStringLiteral("open"));
        QCOMPARE(sites[1].toObject().value("state").toString(), QStringLiteral("done"));
        QCOMPARE(sites[1].toObject().value("note").toString(), QStringLiteral("second one"));
        QCOMPARE(sites[1].toObject().value("lastEvent").toObject().value("title").toString(),
                 QStringLiteral("=HYPERLINK(\"http://x.example/\",\"Click me\")"));
        const QByteArray csv = runIn(folder, {QStringLiteral("--format"), QStringLiteral("csv")}, &status);
        QCOMPARE(status, 0);
        const QList<QByteArray> lines = csv.split('\n');
        QVERIFY2(lines[1].startsWith("Twin,http://one.example/,,yes,open,"), csv.constData());
        QVERIFY2(lines[2].startsWith("Twin,http://two.example/,,yes,done,second one,"), csv.constData());
        QVERIFY2(lines[2].endsWith(",\"'=HYPERLINK(\"\"http://x.example/\"\",\"\"Click me\"\")\"\r"), csv.constData());
    }

    void wrongArgumentsAreRefused()
    {
        int status = -2;
        run({QStringLiteral("--format"), QStringLiteral("xml")}, &status);
        QCOMPARE(status, 64);
        QVERIFY(err.contains("usage: doduvodaz --campaign"));
        run({QStringLiteral("--verbose")}, &status);
        QCOMPARE(status, 64);
    }
};

QTEST_GUILESS_MAIN(TestCampaignCommand)
#include "test_campaigncommand.moc"
