#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using platform::IniFile;

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray &content, const QString &name = QStringLiteral("t.ini"))
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void namesValuesAndComments()
    {
        const IniFile ini(write("top=before any section\n"
                                "  [ Program ]  \n"
                                "; EnterDate=commented\n"
                                "no equals sign here\n"
                                "=nameless\n"
                                "\tEnterDate  =  20240102  \n"
                                "Quoted=\"  kept blanks  \"\n"
                                "Single='x'\n"
                                "Lone=\"\n"
                                "Empty=\n"
                                "Url=http://h/a?b=c\r\n"
                                "[Other]\n"
                                "EnterDate=other\n"));
        QVERIFY(ini.sectionExists(QStringLiteral("PROGRAM")));
        QVERIFY(ini.sectionExists(QStringLiteral("  program ")));
        QVERIFY(!ini.sectionExists(QStringLiteral("Missing")));
        QCOMPARE(ini.readString(QStringLiteral("program"), QStringLiteral(" ENTERDATE ")), QStringLiteral("20240102"));
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("quoted")),
                 QStringLiteral("  kept blanks  "));
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("Single")), QStringLiteral("x"));
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("Lone")), QStringLiteral("\""));
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("Empty"), QStringLiteral("d")), QString());
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("Url")), QStringLiteral("http://h/a?b=c"));
        QCOMPARE(ini.readString(QStringLiteral("PROGRAM"), QStringLiteral("Absent"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QCOMPARE(ini.readString(QStringLiteral("Other"), QStringLiteral("EnterDate")), QStringLiteral("other"));
        QCOMPARE(ini.keyNames(QStringLiteral("PROGRAM")),
                 QStringList({"EnterDate", "Quoted", "Single", "Lone", "Empty", "Url"}));
        QCOMPARE(ini.readString(QStringLiteral(""), QStringLiteral("top"), QStringLiteral("d")), QStringLiteral("d"));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "42" << 42;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("hex") << "0x10" << 16;
        QTest::newRow("HEX") << "0XfF" << 255;
        QTest::newRow("two chars 0x is decimal 0") << "0x" << 0;
        QTest::newRow("hex without digits") << "0xZZ" << -99;
        QTest::newRow("hex leading digits") << "0x1G" << 1;
        QTest::newRow("leading digits") << "12abc" << 12;
        QTest::newRow("letters") << "abc" << -99;
        QTest::newRow("sign only") << "-" << -99;
        QTest::newRow("empty") << "" << -99;
        QTest::newRow("int max") << "2147483647" << 2147483647;
        QTest::newRow("int min") << "-2147483648" << int(-2147483648LL);
        QTest::newRow("above int") << "2147483648" << -99;
        QTest::newRow("far above") << "99999999999999999999" << -99;
        QTest::newRow("32-bit pattern") << "0xFFFFFFFF" << -1;
        QTest::newRow("above 32 bits") << "0x100000000" << -99;
        QTest::newRow("leading zeros") << "0x0000000000010" << 16;
    }
    // Names are found however they begin: with U+FEFF (only the file's own
    // mark is not text) or with blanks beyond ASCII, trimmed as lookups are.
    void namesStartingWithUnusualCharacters()
    {
        const QString path = write("\xEF\xBB\xBF[Program]\r\n"
                                   "\xEF\xBB\xBFMarked=1\r\n"
                                   "\xC2\xA0Spaced\xC2\xA0=2\r\n"
                                   "Plain=\xEF\xBB\xBFvalue\r\n");
        IniFile ini(path);
        QCOMPARE(ini.keyNames(QStringLiteral("Program")),
                 QStringList({QStringLiteral("\uFEFFMarked"), QStringLiteral("Spaced"), QStringLiteral("Plain")}));
        QCOMPARE(ini.readInteger(QStringLiteral("Program"), QStringLiteral("\uFEFFMarked"), 0), 1);
        QCOMPARE(ini.readInteger(QStringLiteral("Program"), QStringLiteral("Spaced"), 0), 2);
        QCOMPARE(ini.readString(QStringLiteral("Program"), QStringLiteral("Plain")), QStringLiteral("\uFEFFvalue"));
        QVERIFY(ini.writeString(QStringLiteral("Program"), QStringLiteral("\uFEFFMarked"), QStringLiteral("3")));
        QVERIFY(ini.save());
        QCOMPARE(read(path),
                 QByteArray("\xEF\xBB\xBF[Program]\r\n"
                            "\xEF\xBB\xBFMarked=3\r\n"
                            "\xC2\xA0Spaced\xC2\xA0=2\r\n"
                            "Plain=\xEF\xBB\xBFvalue\r\n"));
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(IniFile::parseInteger(text, -99), expected);
        const IniFile ini(write("[S]\nn = " + text.toUtf8() + " \n"));
        QCOMPARE(ini.readInteger(QStringLiteral("s"), QStringLiteral("N"), -99), expected);
    }

    void flags()
    {
        const IniFile ini(write("[S]\nzero=0\none=1\nseven=7\nminus=-1\nword=yes\nhex=0x0\n"));
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("zero"), true), false);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("one"), false), true);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("seven"), false), true);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("minus"), false), true);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("word"), true), true);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("word"), false), false);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("hex"), true), false);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("missing"), true), true);
    }

    void longValuesAreCutAt2047()
    {
        const QByteArray longValue(3000, 'v');
        // A character outside the basic plane straddling the limit is dropped whole.
        const QByteArray straddling = QByteArray(2046, 'w') + "\xF0\x9F\x98\x80" + "tail";
        const IniFile ini(
            write("[S]\nlong=" + longValue + "\nexact=" + QByteArray(2047, 'e') + "\nstraddling=" + straddling + "\n"));
        QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("long")), QString(2047, QLatin1Char('v')));
        QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("exact")).size(), 2047);
        QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("straddling")), QString(2046, QLatin1Char('w')));
    }

    void duplicatesFirstWins()
    {
        const QString path = write("[MstURL]\nb=first b\na=first a\nB=second b\n"
                                   "[other]\nx=1\n"
                                   "[mstURL]\nb=third b\nc=only in the second section\n");
        IniFile ini(path);
        QCOMPARE(ini.readString(QStringLiteral("MstURL"), QStringLiteral("b")), QStringLiteral("first b"));
        QCOMPARE(ini.readString(QStringLiteral("MstURL"), QStringLiteral("c"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QCOMPARE(ini.keyNames(QStringLiteral("MSTURL")), QStringList({"b", "a"}));
        QVERIFY(ini.writeString(QStringLiteral("mSTurl"), QStringLiteral("B"), QStringLiteral("new b")));
        QVERIFY(ini.save());
        QCOMPARE(read(path),
                 QByteArray("[MstURL]\nb=new b\na=first a\nB=second b\n"
                            "[other]\nx=1\n"
                            "[mstURL]\nb=third b\nc=only in the second section\n"));
    }

    void keyOrderAndEmptySection()
    {
        const IniFile ini(write("[MstURL]\nz=3\na=1\nm=2\n[Empty]\n\n[cb0]\n"));
        QCOMPARE(ini.keyNames(QStringLiteral("MstURL")), QStringList({"z", "a", "m"}));
        QVERIFY(ini.sectionExists(QStringLiteral("Empty")));
        QVERIFY(ini.keyNames(QStringLiteral("Empty")).isEmpty());
        QVERIFY(ini.sectionExists(QStringLiteral("CB0")));
        QVERIFY(ini.keyNames(QStringLiteral("Absent")).isEmpty());
    }

    void writesEditInPlace()
    {
        const QString path = write("\xEF\xBB\xBF; settings\r\n"
                                   "[PROGRAM]\r\n"
                                   "  EnterDate = 20200101 ; old\r\n"
                                   "Maximized=1\r\n"
                                   "\r\n"
                                   "; band comment\r\n"
                                   "[cb0]\r\n"
                                   "obj=2\r\n"
                                   "\r\n"
                                   "[Tail]\r\n"
                                   "last=1");
        IniFile ini(path);
        QVERIFY(ini.writeString(QStringLiteral("program"), QStringLiteral("enterdate"), QStringLiteral("20240315")));
        QVERIFY(ini.writeInteger(QStringLiteral("PROGRAM"), QStringLiteral("Left"), -12));
        QVERIFY(ini.writeBool(QStringLiteral("CB0"), QStringLiteral("brk"), false));
        QVERIFY(ini.writeInteger(QStringLiteral("Tail"), QStringLiteral("next"), 5));
        QVERIFY(ini.writeBool(QStringLiteral("cb1"), QStringLiteral("brk"), true));
        QVERIFY(ini.save());
        QCOMPARE(read(path),
                 QByteArray("\xEF\xBB\xBF; settings\r\n"
                            "[PROGRAM]\r\n"
                            "EnterDate=20240315\r\n"
                            "Maximized=1\r\n"
                            "Left=-12\r\n"
                            "\r\n"
                            "; band comment\r\n"
                            "[cb0]\r\n"
                            "obj=2\r\n"
                            "brk=0\r\n"
                            "\r\n"
                            "[Tail]\r\n"
                            "last=1\r\n"
                            "next=5\r\n"
                            "[cb1]\r\n"
                            "brk=1\r\n"));
        const IniFile again(path);
        QCOMPARE(again.readString(QStringLiteral("PROGRAM"), QStringLiteral("EnterDate")), QStringLiteral("20240315"));
        QCOMPARE(again.readInteger(QStringLiteral("PROGRAM"), QStringLiteral("Left"), 0), -12);
    }

    void writesRefuseWhatAnIniLineCannotHold()
    {
        IniFile ini(m_dir.filePath(QStringLiteral("refuse.ini")));
        QVERIFY(!ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("two\nlines")));
        QVERIFY(!ini.writeString(QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("v")));
        QVERIFY(!ini.writeString(QStringLiteral(" "), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(!ini.writeString(QStringLiteral("S"), QStringLiteral(";k"), QStringLiteral("v")));
        QVERIFY(ini.save()); // nothing to write
        QVERIFY(!QFile::exists(ini.path()));
    }

    void missingAndEmptyFiles()
    {
        const QString missing = m_dir.filePath(QStringLiteral("new.ini"));
        IniFile ini(missing);
        QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("k"), 9), 9);
        QVERIFY(!ini.sectionExists(QStringLiteral("S")));
        QVERIFY(ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(ini.save());
        QCOMPARE(read(missing), QByteArray("[S]\nk=v\n"));

        const IniFile empty(write(QByteArray(), QStringLiteral("empty.ini")));
        QCOMPARE(empty.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    }

    void binaryFileIsReadSafelyAndKeptOnWrite()
    {
        QByteArray junk(256 * 1024, '\0');
        QRandomGenerator rng(4711);
        for (char &c : junk)
            c = char(rng.bounded(256));
        junk += "\n[PROGRAM]\nWidth=700\n";
        const QString path = write(junk, QStringLiteral("binary.ini"));
        IniFile ini(path);
        QCOMPARE(ini.readInteger(QStringLiteral("PROGRAM"), QStringLiteral("Width"), 600), 700);
        ini.keyNames(QStringLiteral("PROGRAM"));
        QVERIFY(ini.writeString(QStringLiteral("PROGRAM"), QStringLiteral("EnterDate"), QStringLiteral("20240101")));
        QVERIFY(ini.save());
        QCOMPARE(read(path), junk + "EnterDate=20240101\n");
    }

    void hugeFileIsIgnoredAndNeverRewritten()
    {
        const QString path = write("[PROGRAM]\nWidth=700\n", QStringLiteral("huge.ini"));
        {
            QFile f(path);
            QVERIFY(f.resize(IniFile::MaxFileSize + 1));
        }
        IniFile ini(path);
        QCOMPARE(ini.readInteger(QStringLiteral("PROGRAM"), QStringLiteral("Width"), 600), 600);
        QVERIFY(!ini.writeString(QStringLiteral("PROGRAM"), QStringLiteral("Width"), QStringLiteral("1")));
        QCOMPARE(QFileInfo(path).size(), IniFile::MaxFileSize + 1);
    }

    void unwritableFiles()
    {
        // The folder is a plain file: nothing can be created below it.
        const QString notAFolder = write("x", QStringLiteral("plain"));
        IniFile below(notAFolder + QStringLiteral("/quillet.ini"));
        QVERIFY(below.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(!below.save());

        // A folder stands where the file should be: read as empty, never replaced.
        const QString folder = m_dir.filePath(QStringLiteral("folder.ini"));
        QVERIFY(QDir().mkpath(folder));
        IniFile dir(folder);
        QCOMPARE(dir.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY(!dir.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
