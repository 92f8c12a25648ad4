#include "shell/settings.h"

#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace shell;

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_dir;

    void put(const QByteArray &content)
    {
        QFile f(m_dir + QStringLiteral("quillet.ini"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
            qFatal("cannot write the settings file");
    }
    QByteArray file() const
    {
        QFile f(m_dir + QStringLiteral("quillet.ini"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        static int n = 0;
        m_dir = m_tmp.filePath(QString::number(++n)) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(m_dir));
    }

    void defaultsWithoutFile()
    {
        const Settings s(m_dir);
        QCOMPARE(s.filePath(), m_dir + QStringLiteral("quillet.ini"));
        QCOMPARE(s.enterDate(), QString());
        const WindowPlacement p = s.windowPlacement();
        QCOMPARE(p.beginMax, false);
        QCOMPARE(p.maximized, true);
        QVERIFY(p.maximize());
        QCOMPARE(QList<int>({p.left, p.top, p.width, p.height}), QList<int>({0, 0, 600, 480}));
        QCOMPARE(s.startOption(), 2);
        QCOMPARE(s.favoriteWidth(), 200);
        QCOMPARE(s.favoriteVisible(), true);
        const SavedBands bands = s.savedBands();
        QCOMPARE(bands.present, false);
        for (const BandSetting &b : bands.bands)
            QCOMPARE(b, BandSetting({0, true, 100}));
        QCOMPARE(s.bandWidths(), (std::array<int, 3> {100, 100, 100}));
        QVERIFY(s.startPages().isEmpty());
        for (int n = 2; n <= 12; ++n) {
            QCOMPARE(s.hotUrl(n), QString());
            QCOMPARE(s.hotCaption(n), QString());
        }
        QVERIFY(s.hotEntries().isEmpty());
        QVERIFY(!QFile::exists(s.filePath()));
    }

    void everyKeyRead()
    {
        put("[program]\nENTERDATE=20240102\nbeginmax=0\nmaximized=0\nleft=10\ntop=20\nwidth=800\nheight=0x258\n"
            "[internet config]\noption=0\n"
            "[FAVORITE]\nWIDTH=0x10\nVISIBLE=0\n"
            "[CB0]\nOBJ=2\nBRK=0\nWIDTH=300\n[cb1]\nobj=0\nbrk=1\nwidth=150\n[cb2]\nobj=1\nbrk=0\nwidth=0x20\n"
            "[mSTurl]\nzeta=http://z/\nalpha=http://a/\nempty=\nmid=http://m/\n"
            "[hoturl]\nf2=http://two/\nF7=http://seven/\nF12=http://twelve/\n"
            "[hotcap]\nF4=Four\nf7=Seven\nF9=\nF12=Twelve\nF1=One\nF13=Thirteen\n");
        const Settings s(m_dir.chopped(1)); // without the trailing separator
        QCOMPARE(s.enterDate(), QStringLiteral("20240102"));
        const WindowPlacement p = s.windowPlacement();
        QVERIFY(!p.maximize());
        QCOMPARE(QList<int>({p.left, p.top, p.width, p.height}), QList<int>({10, 20, 800, 600}));
        QCOMPARE(s.startOption(), 0);
        QCOMPARE(s.favoriteWidth(), 16);
        QCOMPARE(s.favoriteVisible(), false);
        const SavedBands bands = s.savedBands();
        QVERIFY(bands.present);
        QCOMPARE(bands.bands[0], BandSetting({2, false, 300}));
        QCOMPARE(bands.bands[1], BandSetting({0, true, 150}));
        QCOMPARE(bands.bands[2], BandSetting({1, false, 32}));
        QCOMPARE(s.bandWidths(), (std::array<int, 3> {300, 150, 32}));
        QCOMPARE(s.startPages(), QStringList({"http://z/", "http://a/", "", "http://m/"}));
        QCOMPARE(s.hotUrl(2), QStringLiteral("http://two/"));
        QCOMPARE(s.hotUrl(7), QStringLiteral("http://seven/"));
        QCOMPARE(s.hotUrl(3), QString());
        QCOMPARE(s.hotCaption(1), QString());
        QCOMPARE(s.hotCaption(13), QString());
        QCOMPARE(s.hotEntries(), QList<HotEntry>({{4, "Four"}, {7, "Seven"}, {12, "Twelve"}}));
    }

    void notNumbersGiveDefaults()
    {
        put("[PROGRAM]\nBeginMax=yes\nMaximized=no\nLeft=x\nWidth=wide\nHeight=480px\n"
            "[Internet Config]\nOption=daily\n[Favorite]\nWidth=\nVisible=shown\n"
            "[cb0]\nobj=menu\nbrk=?\nWidth=0x\n");
        const Settings s(m_dir);
        const WindowPlacement p = s.windowPlacement();
        QCOMPARE(p.beginMax, false);
        QCOMPARE(p.maximized, true);
        QCOMPARE(QList<int>({p.left, p.width, p.height}), QList<int>({0, 600, 480}));
        QCOMPARE(s.startOption(), 2);
        QCOMPARE(s.favoriteWidth(), 200);
        QCOMPARE(s.favoriteVisible(), true);
        QCOMPARE(s.savedBands().bands[0], BandSetting({0, true, 0}));
    }

    void startRule_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QByteArray>("after");
        const QByteArray head = "; kept\n[PROGRAM]\nEnterDate=20240314\nMaximized=0\n";
        QTest::newRow("2, new day")
            << head + "[Internet Config]\nOption=2\n"
            << true << QByteArray("; kept\n[PROGRAM]\nEnterDate=20240315\nMaximized=0\n[Internet Config]\nOption=2\n");
        const QByteArray today("[PROGRAM]\nEnterDate=20240315\n[Internet Config]\nOption=2\n");
        QTest::newRow("2, same day") << today << false << today;
        QTest::newRow("default option, no date")
            << QByteArray("[Other]\na=1\n") << true << QByteArray("[Other]\na=1\n[PROGRAM]\nEnterDate=20240315\n");
        QTest::newRow("1") << head + "[Internet Config]\nOption=1\n" << true << head + "[Internet Config]\nOption=1\n";
        QTest::newRow("0") << head + "[Internet Config]\nOption=0\n" << false << head + "[Internet Config]\nOption=0\n";
        const QByteArray three = "[PROGRAM]\nEnterDate=20240101\n[Internet Config]\nOption=3\n";
        QTest::newRow("3") << three << false << three;
        QTest::newRow("hex 2") << QByteArray("[Internet Config]\nOption=0x2\n") << true
                               << QByteArray("[Internet Config]\nOption=0x2\n[PROGRAM]\nEnterDate=20240315\n");
    }
    void startRule()
    {
        QFETCH(QByteArray, config);
        QFETCH(bool, open);
        QFETCH(QByteArray, after);
        put(config);
        QCOMPARE(Settings(m_dir).applyStartRule(QDate(2024, 3, 15)), open);
        QCOMPARE(file(), after);
    }

    void startRuleWithoutAFile()
    {
        const Settings s(m_dir);
        QVERIFY(s.applyStartRule(QDate(2024, 1, 5)));
        QCOMPARE(file(), QByteArray("[PROGRAM]\nEnterDate=20240105\n"));
        QVERIFY(!s.applyStartRule(QDate(2024, 1, 5)));
        QVERIFY(s.applyStartRule(QDate(2024, 1, 6)));
    }

    void bandsWrittenInPlaceAndReadBack()
    {
        put("; my settings\n[cb1]\nobj=9\ncomment=keep me\n\n[HotCap]\nF7=Seven\n");
        const Settings s(m_dir);
        QVERIFY(s.saveBands({BandSetting {2, true, 250}, BandSetting {1, false, 400}, BandSetting {0, false, 80}}));
        QCOMPARE(file(),
                 QByteArray("; my settings\n[cb1]\nobj=1\ncomment=keep me\nbrk=0\nWidth=400\n\n"
                            "[HotCap]\nF7=Seven\n"
                            "[cb0]\nobj=2\nbrk=1\nWidth=250\n[cb2]\nobj=0\nbrk=0\nWidth=80\n"));
        const SavedBands back = s.savedBands();
        QVERIFY(back.present);
        QCOMPARE(back.bands[0], BandSetting({2, true, 250}));
        QCOMPARE(back.bands[1], BandSetting({1, false, 400}));
        QCOMPARE(back.bands[2], BandSetting({0, false, 80}));
        QCOMPARE(s.hotEntries(), QList<HotEntry>({{7, "Seven"}}));
    }

    void bandsToPlaceNeverLosesABar()
    {
        const QList<BandPlacement> standard = {{0, true, 100}, {1, true, 100}, {2, true, 100}};
        QCOMPARE(bandsToPlace(SavedBands()), standard);

        SavedBands saved;
        saved.present = true;
        saved.bands = {BandSetting {2, false, 50}, BandSetting {0, true, 60}, BandSetting {1, false, 70}};
        QCOMPARE(bandsToPlace(saved), QList<BandPlacement>({{2, false, 50}, {0, true, 60}, {1, false, 70}}));

        saved.bands = {BandSetting {1, false, 50}, BandSetting {1, true, 60}, BandSetting {7, false, 70}};
        QCOMPARE(bandsToPlace(saved), QList<BandPlacement>({{1, false, 50}, {0, true, 100}, {2, true, 100}}));

        saved.bands = {BandSetting {-1, false, 5}, BandSetting {2, false, 6}, BandSetting {2, false, 7}};
        QCOMPARE(bandsToPlace(saved), QList<BandPlacement>({{2, false, 6}, {0, true, 100}, {1, true, 100}}));
    }

    void unwritableFileIsNotAnError()
    {
        // The program's folder is a plain file here, so nothing can be written.
        QFile plain(m_dir + QStringLiteral("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const Settings s(plain.fileName());
        QVERIFY(s.applyStartRule(QDate(2024, 3, 15)));
        QVERIFY(s.applyStartRule(QDate(2024, 3, 15))); // the date could not be kept
        QVERIFY(!s.saveBands({}));
        QCOMPARE(s.favoriteWidth(), 200);
    }

    // A write that fails is told once per session, naming the file: in an
    // error box over the window, or on stderr without one.
    void failedWriteReportedOnce()
    {
        // A plain file where the folder should be: nothing can be written,
        // whoever runs the test.
        QFile plain(m_dir + QStringLiteral("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = plain.fileName() + QStringLiteral("/quillet.ini");

        QStringList shown;
        platform::setMessageSink([&shown](const QString &kind, const QString &text) {
            shown << kind + QStringLiteral(": ") + text;
            return true;
        });
        const auto restore = qScopeGuard([] { platform::setMessageSink(nullptr); });
        QWidget window;
        window.show();
        const Settings s(plain.fileName());
        s.reportFailuresIn(&window);
        QVERIFY(!s.setSmartFill(true));
        QTRY_COMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("error: ")) && shown.first().contains(path),
                 qPrintable(shown.first()));
        const Settings copy = s; // the program's accessors share the mark
        QVERIFY(!copy.saveBands({}));
        QVERIFY(!s.setSmartFill(false));
        s.applyStartRule(QDate(2024, 3, 15));
        QTest::qWait(50);
        QCOMPARE(shown.size(), 1);

        // Without a window (the program's end, modes without one): stderr.
        const QString errFile = m_dir + QStringLiteral("stderr.txt");
        std::fflush(stderr);
        const int saved = ::dup(2);
        const int fd = ::open(QFile::encodeName(errFile).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(saved >= 0 && fd >= 0);
        ::dup2(fd, 2);
        ::close(fd);
        const Settings alone(plain.fileName());
        const bool first = alone.saveBands({});
        const bool second = alone.setSmartFill(true);
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        QVERIFY(!first && !second);
        QFile err(errFile);
        QVERIFY(err.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLocal8Bit(err.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(path), qPrintable(lines.first()));
        QCOMPARE(shown.size(), 1);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
