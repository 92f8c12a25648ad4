// Reading and writing the site directory file.
#include "sites/sitedirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>

class SiteDirectoryTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("padsites.dat"))
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray lines(int count)
    {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += "L" + QByteArray::number(i) + "\r\n";
        return text;
    }

private Q_SLOTS:
    void lineEnds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << QStringList {"a", "b"};
        QTest::newRow("LF") << QStringLiteral("a\nb") << QStringList {"a", "b"};
        QTest::newRow("CR only") << QStringLiteral("a\rb\rc") << QStringList {"a", "b", "c"};
        QTest::newRow("LF CR is two line ends") << QStringLiteral("a\n\rb") << QStringList {"a", "", "b"};
        QTest::newRow("empty lines kept, last line end adds none")
            << QStringLiteral("\r\n\r\nx\r\n") << QStringList {"", "", "x"};
        QTest::newRow("NUL ends the text")
            << QStringLiteral("a\r\nb") + QChar(0) + QStringLiteral("c\r\nd") << QStringList {"a", "b"};
        QTest::newRow("NUL at the start") << QString(QChar(0)) + QStringLiteral("a") << QStringList();
        QTest::newRow("blanks kept") << QStringLiteral(" a \t\r\n") << QStringList {" a \t"};
    }

    void lineEnds()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(sites::splitDirectoryLines(text), expected);
    }

    // Every complete group of three lines after line 0 is a site.
    void lineCountRule_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("sites");
        for (int l : {0, 1, 2, 3})
            QTest::addRow("%d lines", l) << l << 0;
        QTest::newRow("4 lines") << 4 << 1;
        for (int n : {1, 2, 5}) {
            QTest::addRow("3*%d+1 lines", n) << 3 * n + 1 << n;
            QTest::addRow("3*%d+2 lines", n) << 3 * n + 2 << n;
            QTest::addRow("3*%d+3 lines", n) << 3 * n + 3 << n;
        }
    }

    void lineCountRule()
    {
        QFETCH(int, lineCount);
        QFETCH(int, sites);
        const QList<sites::TSiteEntry> entries = sites::loadSiteEntries(write(lines(lineCount)));
        QCOMPARE(entries.size(), sites);
        for (int k = 0; k < sites; ++k) {
            QCOMPARE(entries[k].Name, QStringLiteral("%1").arg(3 * k + 1)); // "L4" without its prefix
            QCOMPARE(entries[k].NewReleaseURL, QStringLiteral("L%1").arg(3 * k + 2));
            QCOMPARE(entries[k].UpdateURL, QStringLiteral("L%1").arg(3 * k + 3));
        }
    }

    void fileContents()
    {
        // CR-only line ends, a NUL in the middle, a line 0 that is no number,
        // a one-character name line, addresses taken exactly, an empty address.
        const QByteArray bytes = QByteArray("not a number\r*A\r http://a.example/new \r\r#\rx\ry\r*Cut\rp\rq") +
            QByteArray(1, '\0') + "\r*Hidden\rh\rh\r";
        const QList<sites::TSiteEntry> entries = sites::loadSiteEntries(write(bytes));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].Name, QStringLiteral("A"));
        QCOMPARE(entries[0].NewReleaseURL, QStringLiteral(" http://a.example/new "));
        QCOMPARE(entries[0].UpdateURL, QString());
        QCOMPARE(entries[1].Name, QString());
        QCOMPARE(entries[1].NewReleaseURL, QStringLiteral("x"));
        QCOMPARE(entries[2].Name, QStringLiteral("Cut"));
        QCOMPARE(entries[2].UpdateURL, QStringLiteral("q"));
    }

    void missingFileHasNoSites()
    {
        QVERIFY(!sites::readDirectoryLines(m_dir.filePath(QStringLiteral("none.dat"))));
        QVERIFY(sites::loadSiteEntries(m_dir.filePath(QStringLiteral("none.dat"))).isEmpty());
        QVERIFY(sites::loadSiteEntries(m_dir.path()).isEmpty()); // a directory is no file
    }

    void tableHoldsEverySiteOfTheFile()
    {
        QByteArray text = "1\r\n";
        for (int k = 0; k < 10000; ++k)
            text += "*Site " + QByteArray::number(k) + "\r\nhttp://s" + QByteArray::number(k) + ".example/\r\n\r\n";
        const QList<sites::TSiteEntry> entries = sites::loadSiteEntries(write(text));
        QCOMPARE(entries.size(), 10000);
        QCOMPARE(entries[600].Name, QStringLiteral("Site 600"));
        QCOMPARE(entries.last().Name, QStringLiteral("Site 9999"));
        QCOMPARE(entries.last().NewReleaseURL, QStringLiteral("http://s9999.example/"));
    }

    void veryLongLinesStayWhole()
    {
        const QByteArray longAddress = "http://long.example/" + QByteArray(200000, 'a');
        const QList<sites::TSiteEntry> entries = sites::loadSiteEntries(write("1\n*L\n" + longAddress + "\n\n"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].NewReleaseURL, QString::fromLatin1(longAddress));
    }

    // UTF-8 lines are read as UTF-8; a line that is not valid UTF-8 keeps every
    // byte as the character of the same code, never a replacement character.
    void encodings()
    {
        const QByteArray bytes = "\xEF\xBB\xBF"
                                 "7\r\n"
                                 "*Caf\xC3\xA9 Logiciels\r\n"
                                 "http://x.example/\xE9t\xE9?q=\xFF\r\n"
                                 "http://x.example/\xC3\r\n";
        const auto lines = sites::readDirectoryLines(write(bytes));
        QVERIFY(lines);
        QCOMPARE(lines->size(), 4);
        QCOMPARE(lines->at(0), QStringLiteral("7"));
        QCOMPARE(lines->at(1), QStringLiteral("*Caf\u00e9 Logiciels"));
        QCOMPARE(lines->at(2), QStringLiteral("http://x.example/\u00e9t\u00e9?q=\u00ff"));
        QCOMPARE(lines->at(3), QStringLiteral("http://x.example/\u00c3"));
        QCOMPARE(sites::parseDirectoryVersion(lines->at(0)), std::optional<int>(7));
    }

    // Only the mark that starts the file is dropped; U+FEFF starting a later
    // line, or behind that mark, is text of the line and survives a rewrite.
    void byteOrderMarksInsideTheFile()
    {
        const QByteArray bytes = "\xEF\xBB\xBF\xEF\xBB\xBF"
                                 "3\r\n"
                                 "\xEF\xBB\xBF*Name\r\n";
        const auto lines = sites::readDirectoryLines(write(bytes));
        QVERIFY(lines);
        QCOMPARE(*lines,
                 QStringList({QStringLiteral("\uFEFF"
                                             "3"),
                              QStringLiteral("\uFEFF*Name")}));
        const QString copy = write("");
        QVERIFY(sites::writeDirectoryFile(copy, *lines));
        QCOMPARE(sites::readDirectoryLines(copy), lines);
    }

    void displayName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pop marker after a blank") << "Soft Depot (pop)"
                                                  << "Soft Depot";
        QTest::newRow("between bad and pop") << "(bad)  Middle Site \t(pop)"
                                             << "Middle Site";
        QTest::newRow("capital markers stay") << "Big (POP) (Bad)"
                                              << "Big (POP) (Bad)";
        QTest::newRow("every occurrence") << "a(pop)b(bad)c(pop)d(bad)"
                                          << "abcd";
        QTest::newRow("bad formed by removing bad stays") << "(ba(bad)d)x"
                                                          << "(bad)x";
        QTest::newRow("pop formed by removing pop stays") << "(po(pop)p)x"
                                                          << "(pop)x";
        QTest::newRow("pop formed by removing bad goes") << "(po(bad)p)x"
                                                         << "x";
        QTest::newRow("bad formed by removing pop stays") << "(ba(pop)d)x"
                                                          << "(bad)x";
        QTest::newRow("control characters trimmed") << QStringLiteral("\x01\x1f Name \x7f") << "Name \x7f";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("markers only") << "(bad)(pop)"
                                      << "";
    }

    void displayName()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QCOMPARE(sites::siteDisplayName(name), shown);
    }

    void prefixCharacterIsDropped()
    {
        const QList<sites::TSiteEntry> entries =
            sites::loadSiteEntries(write("1\nXSoft Depot (pop)\nn\nu\n\xC3\xA9\xC3\xA9t\xC3\xA9\nn\nu\n"));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].Name, QStringLiteral("Soft Depot (pop)")); // markers stay in the stored name
        QCOMPARE(entries[1].Name, QStringLiteral("\u00e9t\u00e9"));    // a prefix is a character, not a byte
    }

    void versionNumbers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "13" << true << 13;
        QTest::newRow("plus sign") << "+13" << true << 13;
        QTest::newRow("minus sign") << "-4" << true << -4;
        QTest::newRow("leading blanks") << "   9" << true << 9;
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("huge") << "99999999999999999999999" << false << 0;
        QTest::newRow("trailing blank") << "13 " << false << 0;
        QTest::newRow("exponent") << "1e3" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("blank after sign") << "+ 1" << false << 0;
        QTest::newRow("two signs") << "+-1" << false << 0;
        QTest::newRow("hexadecimal") << "$1F" << false << 0;
        QTest::newRow("decimal point") << "1.0" << false << 0;
        QTest::newRow("tab before") << "\t1" << false << 0;
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662") << false << 0;
    }

    void versionNumbers()
    {
        QFETCH(QString, line);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<int> n = sites::parseDirectoryVersion(line);
        QCOMPARE(n.has_value(), valid);
        if (valid)
            QCOMPARE(*n, value);
    }

    void writeEndsEveryLineWithCrLf()
    {
        const QString path = write("old\r\n");
        QVERIFY(sites::writeDirectoryFile(path, {"13", "*Caf\u00e9", "", "u"}));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("13\r\n*Caf\xC3\xA9\r\n\r\nu\r\n"));
    }

    // A file-size limit makes the disk refuse the bytes (root included): the
    // old file must stay whole and no partial file may be left behind.
    void failedWriteLeavesTheOldFileWhole()
    {
        const QByteArray old = "12\r\n*Old\r\nhttp://old.example/\r\n\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("padsites.dat"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        QStringList lines {"13"};
        for (int i = 0; i < 100; ++i)
            lines << QStringLiteral("*Site %1").arg(i) << QStringLiteral("http://n.example/") << QString();

        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 16;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = sites::writeDirectoryFile(path, lines);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"padsites.dat"});
    }

    // The delivered directory opens the demo pages first, by names relative to
    // the working directory that receives data/.
    void deliveredDirectory()
    {
        const QString data = QStringLiteral(DODU_SOURCE_DIR "/data");
        const auto lines = sites::readDirectoryLines(data + QStringLiteral("/padsites.dat"));
        QVERIFY(lines);
        QVERIFY(sites::parseDirectoryVersion(lines->first()));
        const QList<sites::TSiteEntry> entries = sites::siteEntriesFromLines(*lines);
        QCOMPARE((lines->size() - 1) % 3, 0);
        QVERIFY(entries.size() >= 12);
        QCOMPARE(entries[0].Name, QStringLiteral("SoftHarbor Downloads (demo)"));
        QCOMPARE(entries[0].NewReleaseURL, QStringLiteral("demo/submit.htm"));
        QCOMPARE(entries[0].UpdateURL, QStringLiteral("demo/update.htm"));
        QCOMPARE(entries[1].NewReleaseURL, QStringLiteral("demo/frameset.htm"));
        QCOMPARE(entries[2].UpdateURL, QStringLiteral("demo/login.htm"));
        for (const sites::TSiteEntry &e : entries) {
            for (const QString &address : {e.NewReleaseURL, e.UpdateURL}) {
                if (address.startsWith(QLatin1String("demo/")))
                    QVERIFY2(QFile::exists(data + QLatin1Char('/') + address), qPrintable(address));
                else if (!address.isEmpty())
                    QVERIFY2(QUrl(address).host().endsWith(QLatin1String(".example")), qPrintable(address));
            }
        }
    }

    void writeIntoMissingFolderFails()
    {
        QVERIFY(!sites::writeDirectoryFile(m_dir.filePath(QStringLiteral("no/such/padsites.dat")), {"1"}));
    }
};

QTEST_GUILESS_MAIN(SiteDirectoryTest)
#include "test_sitedirectory.moc"
