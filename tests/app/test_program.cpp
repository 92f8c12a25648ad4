// The program as a whole, run as real processes: the hand-over of a second
// start's command line to the running program, and copies under other names.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestProgram : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QList<QProcess *> running;

    QString copyAs(const QString &name)
    {
        const QString path = dir.filePath(name);
        if (!QFile::exists(path))
            QFile::copy(QStringLiteral(DODU_BINARY), path);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }

    QString trace(const QString &name) const { return dir.filePath(name + QStringLiteral(".trace")); }

    QStringList opened(const QString &name) const
    {
        QFile f(trace(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList items;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("open "))
                items << QString::fromUtf8(line.mid(5));
        return items;
    }

    QProcess *start(const QString &name, const QStringList &args, const QString &traceName, const QString &cwd = {})
    {
        auto *p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("DODUVODAZ_TRACE"), trace(traceName));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("DODUVODAZ_SYSTEM_SETTINGS"), dir.filePath(QStringLiteral("system.ini")));
        env.insert(QStringLiteral("DODUVODAZ_FAVORITES"), dir.filePath(QStringLiteral("fav")));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(cwd.isEmpty() ? dir.path() : cwd);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->setStandardOutputFile(QProcess::nullDevice());
        p->start(copyAs(name), args);
        running << p;
        return p;
    }

    void stopAll()
    {
        for (QProcess *p : std::as_const(running)) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        running.clear();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir(dir.path()).mkpath(QStringLiteral("home"));
        // No start pages: only the command lines open anything.
        QFile ini(dir.filePath(QStringLiteral("quillet.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Internet Config]\nOption=0\n");
    }

    void cleanup() { stopAll(); }

    void secondStartHandsOverTenItemsCut()
    {
        QProcess *receiver = start(QStringLiteral("dodu-a"), {QStringLiteral("about:blank")}, QStringLiteral("a"));
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("a")), QStringList {QStringLiteral("about:blank")}, 30000);

        QStringList items;
        for (int i = 1; i <= 12; ++i)
            items << (i == 3 ? QString(350, QLatin1Char('z')) : QStringLiteral("about:blank#%1").arg(i));
        QProcess *second = start(QStringLiteral("dodu-a"), items, QStringLiteral("a-second"));
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitCode(), 0);
        QStringList expected {QStringLiteral("about:blank")};
        for (int i = 0; i < 10; ++i)
            expected << (i == 2 ? QString(300, QLatin1Char('z')) : items[i]);
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("a")), expected, 30000);
        QVERIFY(opened(QStringLiteral("a-second")).isEmpty());

        // A second start without items opens nothing and ends.
        QProcess *third = start(QStringLiteral("dodu-a"), {}, QStringLiteral("a-third"));
        QVERIFY(third->waitForFinished(30000));
        QCOMPARE(third->exitCode(), 0);
        QTest::qWait(500);
        QCOMPARE(opened(QStringLiteral("a")), expected);
        QCOMPARE(receiver->state(), QProcess::Running);
    }

    void relativeItemsOfASecondStartAreItsOwnFiles()
    {
        // The receiver runs elsewhere; the second start names files of its
        // own folder by relative names.
        const QString other = dir.filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        QFile page(other + QStringLiteral("/local.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body>local</body></html>");
        page.close();
        QFile link(other + QStringLiteral("/link.url"));
        QVERIFY(link.open(QIODevice::WriteOnly));
        link.write("[InternetShortcut]\r\nURL=about:blank#from-shortcut\r\n");
        link.close();

        start(QStringLiteral("dodu-r"), {QStringLiteral("about:blank")}, QStringLiteral("r"));
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("r")), QStringList {QStringLiteral("about:blank")}, 30000);
        QProcess *second =
            start(QStringLiteral("dodu-r"),
                  {QStringLiteral("local.htm"), QStringLiteral("link.url"), QStringLiteral("about:blank#typed")},
                  QStringLiteral("r-second"), other);
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("r")).size(), 4, 30000);
        const QStringList got = opened(QStringLiteral("r"));
        QCOMPARE(got.at(1), other + QStringLiteral("/local.htm"));
        QCOMPARE(got.at(2), QStringLiteral("about:blank#from-shortcut"));
        QCOMPARE(got.at(3), QStringLiteral("about:blank#typed"));
    }

    void killedReceiverDoesNotDelayTheNextStart()
    {
        QProcess *receiver =
            start(QStringLiteral("dodu-k"), {QStringLiteral("about:blank#first")}, QStringLiteral("k1"));
        QTRY_VERIFY_WITH_TIMEOUT(!opened(QStringLiteral("k1")).isEmpty(), 30000);
        receiver->kill();
        QVERIFY(receiver->waitForFinished(5000));
        QElapsedTimer t;
        t.start();
        start(QStringLiteral("dodu-k"), {QStringLiteral("about:blank#next")}, QStringLiteral("k2"));
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("k2")), QStringList {QStringLiteral("about:blank#next")},
                                  30000);
        // Far below the 10 s a wait for a dead receiver would take.
        QVERIFY2(t.elapsed() < 9000, qPrintable(QString::number(t.elapsed())));
    }

    void copiesUnderOtherNamesRunSideBySide()
    {
        QProcess *one = start(QStringLiteral("dodu-one"), {QStringLiteral("about:blank#one")}, QStringLiteral("one"));
        QProcess *two = start(QStringLiteral("dodu-two"), {QStringLiteral("about:blank#two")}, QStringLiteral("two"));
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("one")), QStringList {QStringLiteral("about:blank#one")},
                                  30000);
        QTRY_COMPARE_WITH_TIMEOUT(opened(QStringLiteral("two")), QStringList {QStringLiteral("about:blank#two")},
                                  30000);
        QCOMPARE(one->state(), QProcess::Running);
        QCOMPARE(two->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
