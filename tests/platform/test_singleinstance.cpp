// The hand-over block, a receiver fed by hand-made peers, and real processes
// of the instance driver meeting through the endpoint.
#include "base/error.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <QLocalServer>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList numbered(const QString &prefix, int count)
{
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << prefix + QString::number(i);
    return items;
}

QByteArray rawBlock(qint32 count, char fill)
{
    QByteArray block(platform::TInstanceBlock::Size, fill);
    qToLittleEndian<qint32>(count, block.data() + platform::TInstanceBlock::CountOffset);
    return block;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp {QStringLiteral("/tmp/si-XXXXXX")}; // short: socket addresses hold 107 bytes
    QString m_bin;                                          // the folder holding this test's copies of the driver
    QList<QProcess *> m_processes;
    QHash<QProcess *, QByteArray> m_output;
    QHash<QProcess *, QByteArray> m_errors;

    // A copy of the driver under its own file name, as a renamed program.
    QString driverCopy(const QString &name)
    {
        const QString path = m_bin + name;
        if (!QFile::exists(path)) {
            if (!QFile::copy(QStringLiteral(DODU_INSTANCE_DRIVER), path))
                qFatal("cannot copy the driver");
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        }
        return path;
    }

    QProcess *start(const QString &exe, const QStringList &items, const QStringList &options = {},
                    uint asUser = uint(-1))
    {
        auto *p = new QProcess(this);
        m_processes << p;
        connect(p, &QProcess::readyReadStandardOutput, this, [this, p] { m_output[p] += p->readAllStandardOutput(); });
        connect(p, &QProcess::readyReadStandardError, this, [this, p] { m_errors[p] += p->readAllStandardError(); });
        const QStringList arguments = options + QStringList {QStringLiteral("--")} + items;
        if (asUser == uint(-1)) {
            p->start(exe, arguments);
        } else {
            const QString id = QString::number(asUser);
            // The user's own cache folder, as a home folder would give it.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CACHE_HOME"), userCache(asUser));
            p->setProcessEnvironment(env);
            p->start(QStringLiteral("setpriv"),
                     QStringList {QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                                  QStringLiteral("--clear-groups"), exe} +
                         arguments);
        }
        return p;
    }

    QString userCache(uint user) const { return m_tmp.filePath(QStringLiteral("c%1").arg(user)); }
    // The lines the process wrote to stderr that name folder.
    QStringList errorsNaming(QProcess *p, const QString &folder) const
    {
        return QString::fromLocal8Bit(m_errors.value(p)).split(QLatin1Char('\n')).filter(folder);
    }

    QStringList lines(QProcess *p) const
    {
        return QString::fromUtf8(m_output.value(p)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool hasLine(QProcess *p, const QString &prefix) const
    {
        for (const QString &line : lines(p))
            if (line.startsWith(prefix))
                return true;
        return false;
    }
    bool waitForLine(QProcess *p, const QString &prefix, int ms = 20000)
    {
        return QTest::qWaitFor([&] { return hasLine(p, prefix); }, ms);
    }
    QProcess *receiver(const QString &exe, const QStringList &options = {})
    {
        QProcess *p = start(exe, {}, options);
        if (!waitForLine(p, QStringLiteral("RECEIVER")))
            qWarning() << "no receiver:" << lines(p);
        return p;
    }
    bool handsOver(QProcess *p)
    {
        if (!QTest::qWaitFor([p] { return p->state() == QProcess::NotRunning; }, 30000))
            return false;
        return p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0 && hasLine(p, QStringLiteral("HANDED"));
    }
    // The item lists the process was handed, in arrival order.
    QList<QStringList> handed(QProcess *p) const
    {
        QList<QStringList> all;
        for (const QString &line : lines(p)) {
            if (!line.startsWith(QLatin1String("ITEMS ")))
                continue;
            QStringList items;
            for (const QJsonValue &v : QJsonDocument::fromJson(line.mid(6).toUtf8()).array())
                items << v.toString();
            all << items;
        }
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        // Endpoints go to this test's own folder, for this process and its children.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(userCache(::getuid())));
    }

    void init()
    {
        m_bin = m_tmp.filePath(QString::fromLatin1(QTest::currentTestFunction())) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(m_bin));
    }

    void cleanup()
    {
        for (QProcess *p : std::as_const(m_processes)) {
            if (p->state() != QProcess::NotRunning) {
                p->kill(); // also ends a stopped process
                p->waitForFinished(5000);
            }
            delete p;
        }
        m_processes.clear();
        m_output.clear();
        m_errors.clear();
    }

    void blockLayout()
    {
        QStringList items = numbered(QStringLiteral("item"), 12);
        items[2] = QString(350, QLatin1Char('x'));
        items[3] = QString(299, QLatin1Char('a')) + QStringLiteral("\u00e9z"); // é would end at byte 301
        items[4] = QStringLiteral("before\u0000after");
        const QByteArray block = platform::TInstanceBlock::encode(0x01020304, items);
        QCOMPARE(block.size(), 3018);
        QCOMPARE(block.left(8), QByteArray("\x04\x03\x02\x01\x0a\x00\x00\x00", 8));
        QCOMPARE(block.mid(8, 6), QByteArray("item1\0", 6));
        QCOMPARE(block.mid(8 + 301, 6), QByteArray("item2\0", 6));
        QCOMPARE(block.mid(8 + 2 * 301, 301), QByteArray(300, 'x') + '\0');
        QCOMPARE(block.mid(8 + 9 * 301, 7), QByteArray("item10\0", 7));

        QStringList expected = items.mid(0, 10);
        expected[2] = QString(300, QLatin1Char('x'));
        expected[3] = QString(299, QLatin1Char('a'));
        expected[4] = QStringLiteral("before");
        QCOMPARE(platform::TInstanceBlock::decode(block), expected);
        QCOMPARE(platform::TInstanceBlock::decode(platform::TInstanceBlock::encode(7, {})), QStringList());
    }

    void untrustedBlocksAreReadSafely()
    {
        QCOMPARE(platform::TInstanceBlock::decode(rawBlock(-5, 'A')), QStringList());
        QCOMPARE(platform::TInstanceBlock::decode(rawBlock(1000000, 'A')),
                 QStringList(10, QString(300, QLatin1Char('A'))));
        QCOMPARE(platform::TInstanceBlock::decode(rawBlock(3, '\xff')).size(), 3);
        QCOMPARE(platform::TInstanceBlock::decode(QByteArray()), QStringList());
        QByteArray shortBlock = rawBlock(2, 'B').left(8 + 301 + 20);
        QCOMPARE(platform::TInstanceBlock::decode(shortBlock),
                 QStringList({QString(300, QLatin1Char('B')), QString(20, QLatin1Char('B'))}));
    }

    // Peers written by hand: malformed blocks, a silent peer, a peer that leaves.
    void receiverServesPeersOneAfterAnother()
    {
        platform::TOneInstance instance(QStringLiteral("inprocess-receiver"));
        instance.setDeliverTimeout(1500);
        QVERIFY(!instance.handOver({QStringLiteral("own item")}));
        QVERIFY(instance.isReceiving());
        QSignalSpy front(&instance, &platform::TOneInstance::bringToFront);
        QSignalSpy started(&instance, &platform::TOneInstance::OnInstanceStarted);
        const QString path = platform::TOneInstance::endpointPath(QStringLiteral("inprocess-receiver"));

        QLocalSocket silent, second, third;
        silent.connectToServer(path);
        QTRY_COMPARE(silent.bytesAvailable(), 4); // greeted first
        second.connectToServer(path);
        QTRY_COMPARE(second.state(), QLocalSocket::ConnectedState);
        QTest::qWait(100);
        QCOMPARE(second.bytesAvailable(), 0); // waits while the first one is served
        // The silent peer is dropped after the delivery time, then the next is greeted.
        QTRY_COMPARE(silent.state(), QLocalSocket::UnconnectedState);
        QTRY_COMPARE(second.bytesAvailable(), 4);
        second.readAll();
        second.write(rawBlock(-3, 'A'));
        QTRY_COMPARE(started.size(), 1);
        QCOMPARE(started.at(0).at(0).toStringList(), QStringList());
        QCOMPARE(front.size(), 1);
        QTRY_COMPARE(second.bytesAvailable(), 1); // acknowledged

        third.connectToServer(path);
        QTRY_COMPARE(third.bytesAvailable(), 4);
        third.readAll();
        third.write(rawBlock(99, 'Z') + QByteArray(50, 'q')); // no terminators, excess bytes
        QTRY_COMPARE(started.size(), 2);
        QCOMPARE(started.at(1).at(0).toStringList(), QStringList(10, QString(300, QLatin1Char('Z'))));

        QLocalSocket leaving;
        leaving.connectToServer(path);
        QTRY_COMPARE(leaving.bytesAvailable(), 4);
        leaving.write(rawBlock(1, 'L').left(100));
        leaving.waitForBytesWritten(1000);
        leaving.abort();
        instance.setShowOnNewInstance(false);
        QLocalSocket last;
        last.connectToServer(path);
        QTRY_COMPARE(last.bytesAvailable(), 4);
        last.readAll();
        last.write(platform::TInstanceBlock::encode(0, {QStringLiteral("last")}));
        QTRY_COMPARE(started.size(), 3);
        QCOMPARE(started.at(2).at(0).toStringList(), QStringList({QStringLiteral("last")}));
        QCOMPARE(front.size(), 2);
    }

    void endpointThatCannotBeCreated()
    {
        // A non-empty folder in place of the endpoint cannot be replaced.
        const QString name = QStringLiteral("blocked-endpoint");
        QVERIFY(QDir().mkpath(platform::TOneInstance::endpointPath(name) + QStringLiteral("/inside")));
        platform::TOneInstance instance(name);
        try {
            instance.handOver({});
            QFAIL("no error");
        } catch (const base::Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Unable to create semaphore"));
        }

        // No usable folder at all, neither in the temp folder nor in the
        // cache folder (a plain file stands there): no hand-over, the program
        // simply runs.
        const QByteArray saved = qgetenv("TMPDIR");
        const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
        const auto restore = qScopeGuard([saved, savedCache] {
            qputenv("TMPDIR", saved);
            qputenv("XDG_CACHE_HOME", savedCache);
        });
        const QString plain = m_tmp.filePath(QStringLiteral("plain-file"));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("TMPDIR", QFile::encodeName(m_tmp.filePath(QStringLiteral("no/such/folder"))));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(plain));
        platform::TOneInstance lonely(QStringLiteral("lonely"));
        const bool handed = lonely.handOver({});
        qputenv("XDG_CACHE_HOME", savedCache);
        QVERIFY(!handed);
        QVERIFY(!lonely.isReceiving());

        // Without a temp folder, the cache folder serves.
        platform::TOneInstance cached(QStringLiteral("cached"));
        QVERIFY(!cached.handOver({}));
        const QString cachedPath = platform::TOneInstance::endpointPath(QStringLiteral("cached"));
        qputenv("TMPDIR", saved);
        QVERIFY(cached.isReceiving());
        QCOMPARE(QFileInfo(cachedPath).path(), userCache(::getuid()) + QStringLiteral("/doduvodaz-instance"));
    }

    void endpointFolderIsPrivate()
    {
        const QString path = platform::TOneInstance::endpointPath(QStringLiteral("private"));
        QVERIFY(!path.isEmpty());
        const QString folder = QFileInfo(path).path();
        QCOMPARE(folder,
                 QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/doduvodaz-") + QString::number(::getuid()));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);

        // Our own folder opened up by someone is closed again.
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
        QCOMPARE(platform::TOneInstance::endpointPath(QStringLiteral("private")), path);
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);

        // A runtime folder that others can enter is not used; our own is.
        const QString open = m_tmp.filePath(QStringLiteral("open-runtime"));
        QVERIFY(QDir().mkpath(open));
        QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0777), 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
        QCOMPARE(platform::TOneInstance::endpointPath(QStringLiteral("private")), path);
        QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0700), 0);
        QCOMPARE(platform::TOneInstance::endpointPath(QStringLiteral("private")),
                 open + QStringLiteral("/doduvodaz/") + QFileInfo(path).fileName());
        qunsetenv("XDG_RUNTIME_DIR");

        // A link in place of the folder is never followed: the user's cache
        // folder, made 0700, serves instead.
        const QString elsewhere = m_tmp.filePath(QStringLiteral("linked"));
        const QString linkTmp = m_tmp.filePath(QStringLiteral("linktmp"));
        QVERIFY(QDir().mkpath(elsewhere) && QDir().mkpath(linkTmp));
        const QString linkFolder = linkTmp + QStringLiteral("/doduvodaz-") + QString::number(::getuid());
        QVERIFY(QFile::link(elsewhere, linkFolder));
        const QByteArray saved = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([saved] { qputenv("TMPDIR", saved); });
        qputenv("TMPDIR", QFile::encodeName(linkTmp));
        const QString cached = userCache(::getuid()) + QStringLiteral("/doduvodaz-instance");
        QCOMPARE(platform::TOneInstance::endpointPath(QStringLiteral("private")),
                 cached + QLatin1Char('/') + QFileInfo(path).fileName());
        QCOMPARE(::lstat(QFile::encodeName(cached).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        platform::TOneInstance linked(QStringLiteral("private"));
        QVERIFY(!linked.handOver({QStringLiteral("x")}));
        QVERIFY(linked.isReceiving());
        qputenv("TMPDIR", saved);
        QVERIFY(QDir(elsewhere).isEmpty());
    }

    // Two users on one machine with one temp folder, as without a runtime folder.
    void otherUsersNeverMeet()
    {
        if (::getuid() != 0)
            QSKIP("needs root to start processes as other users");
        const uint other = 65534;
        const QString shared = m_tmp.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(shared));
        QCOMPARE(::chmod(QFile::encodeName(m_tmp.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_bin).constData(), 0755), 0);
        const QString exe = driverCopy(QStringLiteral("dodu-users"));
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(shared));
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", saved); });

        // A folder for the other user made beforehand by someone else (here
        // root, open to all) is not used: the other user's starts meet in
        // their own cache folder instead, say so once, and still hand over.
        const QString otherFolder = shared + QStringLiteral("/doduvodaz-") + QString::number(other);
        const QString otherCache = userCache(other);
        QVERIFY(QDir().mkpath(otherCache));
        QCOMPARE(::chown(QFile::encodeName(otherCache).constData(), other, other), 0);
        for (const int mode : {0777, 0755}) {
            QVERIFY(QDir().mkpath(otherFolder));
            QCOMPARE(::chmod(QFile::encodeName(otherFolder).constData(), mode), 0);
            QProcess *planted = start(exe, {QStringLiteral("x")}, {}, other);
            QVERIFY2(waitForLine(planted, QStringLiteral("RECEIVER")),
                     qPrintable(lines(planted).join(QLatin1Char('\n'))));
            QCOMPARE(errorsNaming(planted, otherFolder).size(), 1);
            QVERIFY(errorsNaming(planted, otherCache).size() == 1);
            QProcess *next = start(exe, {QStringLiteral("next")}, {}, other);
            QVERIFY(handsOver(next));
            QVERIFY(m_errors.value(next).isEmpty() || errorsNaming(next, otherFolder).size() == 1);
            QTRY_COMPARE(handed(planted), QList<QStringList>({{QStringLiteral("next")}}));
            QVERIFY(QDir(otherFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
            struct stat st;
            const QString fallback = otherCache + QStringLiteral("/doduvodaz-instance");
            QCOMPARE(::lstat(QFile::encodeName(fallback).constData(), &st), 0);
            QCOMPARE(st.st_uid, other);
            QCOMPARE(int(st.st_mode & 0777), 0700);
            QCOMPARE(QDir(fallback).entryList({QStringLiteral("*.sock")}, QDir::System).size(), 1);
            planted->closeWriteChannel();
            QVERIFY(planted->waitForFinished(10000));
            QVERIFY(QDir(otherFolder).removeRecursively());
        }

        // The other way round: root's folder made by the other user.
        const QString rootFolder = shared + QStringLiteral("/doduvodaz-") + QString::number(::getuid());
        QVERIFY(QDir().mkpath(rootFolder));
        QCOMPARE(::chown(QFile::encodeName(rootFolder).constData(), other, other), 0);
        QCOMPARE(::chmod(QFile::encodeName(rootFolder).constData(), 0755), 0);
        {
            QProcess *rootFirst = receiver(exe);
            QCOMPARE(errorsNaming(rootFirst, rootFolder).size(), 1);
            QVERIFY(handsOver(start(exe, {QStringLiteral("root-item")})));
            QTRY_COMPARE(handed(rootFirst), QList<QStringList>({{QStringLiteral("root-item")}}));
            QVERIFY(QDir(rootFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
            rootFirst->closeWriteChannel();
            QVERIFY(rootFirst->waitForFinished(10000));
            QVERIFY(QDir(rootFolder).removeRecursively());
        }

        // Each user gets a receiver of their own; nobody's items cross over.
        QProcess *rootReceiver = receiver(exe);
        QProcess *otherReceiver = start(exe, {QStringLiteral("first")}, {}, other);
        QVERIFY(waitForLine(otherReceiver, QStringLiteral("RECEIVER")));
        QVERIFY(handsOver(start(exe, {QStringLiteral("mine")}, {}, other)));
        QTRY_COMPARE(handed(otherReceiver), QList<QStringList>({{QStringLiteral("mine")}}));
        QVERIFY(handed(rootReceiver).isEmpty());
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(otherFolder).constData(), &st), 0);
        QCOMPARE(st.st_uid, other);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        const QStringList sockets = QDir(otherFolder).entryList({QStringLiteral("*.sock")}, QDir::System);
        QCOMPARE(sockets.size(), 1);
        const QString otherPath = otherFolder + QLatin1Char('/') + sockets.first();

        // A process of another user (root can enter the folder) is dropped by
        // the receiver: no greeting, and nothing it sends is handled.
        {
            QLocalSocket intruder;
            intruder.connectToServer(otherPath);
            QVERIFY(intruder.waitForConnected(5000));
            intruder.write(platform::TInstanceBlock::encode(0, {QStringLiteral("intruded")}));
            intruder.flush();
            QVERIFY(QTest::qWaitFor([&] { return intruder.state() == QLocalSocket::UnconnectedState; }, 10000));
            QCOMPARE(intruder.bytesAvailable(), qint64(0));
        }

        // A receiver of another user at the endpoint never gets the items of a
        // start: the start takes the endpoint over instead.
        otherReceiver->kill();
        otherReceiver->waitForFinished(5000);
        QLocalServer::removeServer(otherPath);
        QLocalServer impostor;
        QVERIFY(impostor.listen(otherPath));
        QByteArray stolen;
        connect(&impostor, &QLocalServer::newConnection, this, [&] {
            while (QLocalSocket *s = impostor.nextPendingConnection()) {
                char greeting[4] = {1, 0, 0, 0};
                s->write(greeting, 4);
                connect(s, &QLocalSocket::readyRead, this, [&stolen, s] { stolen += s->readAll(); });
            }
        });
        QProcess *victim = start(exe, {QStringLiteral("secret")}, {}, other);
        QVERIFY(waitForLine(victim, QStringLiteral("RECEIVER")));
        QTest::qWait(200);
        QVERIFY2(!stolen.contains("secret"), stolen.constData());
        QVERIFY(handed(rootReceiver).isEmpty());
        QVERIFY(handsOver(start(exe, {QStringLiteral("after")}, {}, other)));
        QTRY_COMPARE(handed(victim), QList<QStringList>({{QStringLiteral("after")}}));
    }

    void secondStartHandsOverTenItemsCut()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-ten"));
        QProcess *first = receiver(exe);
        QStringList items = numbered(QStringLiteral("http://site/"), 12);
        items[4] = QStringLiteral("http://long/") + QString(338, QLatin1Char('y'));
        QVERIFY(handsOver(start(exe, items)));
        QTRY_COMPARE(handed(first).size(), 1);
        QStringList expected = items.mid(0, 10);
        expected[4] = expected[4].left(300);
        QCOMPARE(handed(first).at(0), expected);
        QCOMPARE(lines(first).filter(QStringLiteral("FRONT")).size(), 1);
    }

    void startWithoutItemsStillNotifies()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-none"));
        QProcess *first = receiver(exe);
        QVERIFY(handsOver(start(exe, {})));
        QTRY_COMPARE(handed(first).size(), 1);
        QCOMPARE(handed(first).at(0), QStringList());
        QCOMPARE(lines(first).mid(1, 2), QStringList({QStringLiteral("FRONT"), QStringLiteral("ITEMS []")}));

        const QString quiet = driverCopy(QStringLiteral("dodu-quiet"));
        QProcess *noFront = receiver(quiet, {QStringLiteral("--no-front")});
        QVERIFY(handsOver(start(quiet, {QStringLiteral("a")})));
        QTRY_COMPARE(handed(noFront).size(), 1);
        QVERIFY(!hasLine(noFront, QStringLiteral("FRONT")));
    }

    void startWhileTheReceiverIsStillStarting()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-busy"));
        QProcess *first = receiver(exe, {QStringLiteral("--busy-ms"), QStringLiteral("1500")});
        QVERIFY(handsOver(start(exe, {QStringLiteral("early")})));
        QTRY_COMPARE(handed(first), QList<QStringList>({{QStringLiteral("early")}}));
    }

    void twentySimultaneousStartsLoseNothing()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-twenty"));
        QProcess *first = receiver(exe);
        QList<QProcess *> starts;
        QStringList expected;
        for (int i = 0; i < 20; ++i) {
            const QStringList items = {QStringLiteral("s%1-a").arg(i), QStringLiteral("s%1-b").arg(i)};
            expected << items;
            starts << start(exe, items);
        }
        for (QProcess *p : starts)
            QVERIFY2(handsOver(p), qPrintable(lines(p).join(QLatin1Char('|'))));
        QTRY_COMPARE(handed(first).size(), 20);
        QStringList got;
        for (const QStringList &items : handed(first)) {
            QCOMPARE(items.size(), 2); // every block arrived whole
            QCOMPARE(items.at(0).chopped(1), items.at(1).chopped(1));
            got << items;
        }
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
    }

    void simultaneousFirstStartsChooseOneReceiver()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-race"));
        QList<QProcess *> starts;
        for (int i = 0; i < 6; ++i)
            starts << start(exe, {QStringLiteral("r%1").arg(i)});
        QVERIFY(QTest::qWaitFor(
            [&] {
                return std::count_if(starts.begin(), starts.end(),
                                     [](QProcess *p) { return p->state() == QProcess::NotRunning; }) == 5;
            },
            30000));
        QProcess *chosen = nullptr;
        QStringList expected;
        for (QProcess *p : starts) {
            if (p->state() != QProcess::NotRunning) {
                chosen = p;
                continue;
            }
            QVERIFY(handsOver(p));
            expected << QStringLiteral("r%1").arg(starts.indexOf(p));
        }
        QVERIFY(chosen && hasLine(chosen, QStringLiteral("RECEIVER")));
        QTRY_COMPARE(handed(chosen).size(), 5);
        QStringList got;
        for (const QStringList &items : handed(chosen))
            got << items;
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
    }

    void killedReceiverDoesNotDelayTheNextStart()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-killed"));
        QProcess *first = receiver(exe);
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(QFile::exists(platform::TOneInstance::endpointPath(QStringLiteral("dodu-killed"))));

        QElapsedTimer clock;
        clock.start();
        QProcess *next = start(exe, {QStringLiteral("mine")});
        QVERIFY(waitForLine(next, QStringLiteral("RECEIVER")));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

        QVERIFY(handsOver(start(exe, {QStringLiteral("after the kill")})));
        QTRY_COMPARE(handed(next), QList<QStringList>({{QStringLiteral("after the kill")}}));
    }

    // A receiver that stops answering is replaced after the waits, and its
    // later end leaves the new receiver's endpoint alone.
    void unansweringReceiverIsReplaced()
    {
        const QString exe = driverCopy(QStringLiteral("dodu-stopped"));
        QProcess *first = receiver(exe);
        ::kill(pid_t(first->processId()), SIGSTOP);
        const QStringList shortWaits = {QStringLiteral("--acquire-ms"), QStringLiteral("300"),
                                        QStringLiteral("--deliver-ms"), QStringLiteral("300")};
        QProcess *second = start(exe, {QStringLiteral("x")}, shortWaits);
        QVERIFY(waitForLine(second, QStringLiteral("RECEIVER")));
        QVERIFY(handsOver(start(exe, {QStringLiteral("to the second")})));
        QTRY_COMPARE(handed(second), QList<QStringList>({{QStringLiteral("to the second")}}));

        ::kill(pid_t(first->processId()), SIGCONT);
        first->closeWriteChannel(); // the driver ends normally at the end of its input
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitCode(), 0);
        QVERIFY(handed(first).isEmpty());
        QVERIFY(handsOver(start(exe, {QStringLiteral("still the second")})));
        QTRY_COMPARE(handed(second).size(), 2);
    }

    void copiesUnderOtherNamesRunSideBySide()
    {
        QProcess *one = receiver(driverCopy(QStringLiteral("dodu-one")));
        QProcess *two = start(driverCopy(QStringLiteral("dodu-two")), {QStringLiteral("t")});
        QVERIFY(waitForLine(two, QStringLiteral("RECEIVER")));
        QVERIFY(handsOver(start(driverCopy(QStringLiteral("dodu-two")), {QStringLiteral("for two")})));
        QTRY_COMPARE(handed(two), QList<QStringList>({{QStringLiteral("for two")}}));
        QVERIFY(handed(one).isEmpty());
        QVERIFY(one->state() == QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
