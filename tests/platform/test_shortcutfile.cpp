// Internet-shortcut files and the favourites folder listing.
#include "base/error.h"
#include "platform/favoritesfolder.h"
#include "platform/shortcutfile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void makeDir(const QString &path)
{
    if (!QDir().mkpath(path))
        qFatal("cannot create %s", qPrintable(path));
}

} // namespace

class TestShortcutFile : public QObject {
    Q_OBJECT
private slots:
    void readsAddress_data();
    void readsAddress();
    void unreadableFilesGiveNothing();
    void tooLongNameGivesNothing();
    void fifoIsRefusedAtOnce();
    void writtenFileReadsBack();
    void writeFailureRaisesError();

    void favoritesPathFollowsEnvironment();
    void listingSplitsAndSorts();
    void listingSkipsHiddenAndBrokenEntries();
    void listingOfMissingFolderIsEmpty();
    void manyEntries();
    void findFileExt();
    void subfoldersSkipLinks();
};

void TestShortcutFile::readsAddress_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("url");

    QTest::newRow("plain") << QByteArray("[InternetShortcut]\r\nURL=http://a.example/x?y=1\r\n")
                           << "http://a.example/x?y=1";
    QTest::newRow("other sections first")
        << QByteArray(
               "[DEFAULT]\nBASEURL=http://base.example/\n[InternetShortcut]\nIconIndex=0\nURL=http://b.example/\n")
        << "http://b.example/";
    QTest::newRow("names without case, blanks")
        << QByteArray("  [ internetshortcut ]\n url = http://c.example/ \n") << "http://c.example/";
    QTest::newRow("quoted") << QByteArray("[InternetShortcut]\nURL=\"http://d.example/\"\n") << "http://d.example/";
    QTest::newRow("first key wins")
        << QByteArray("[InternetShortcut]\nURL=http://first.example/\nURL=http://second.example/\n")
        << "http://first.example/";
    QTest::newRow("bare CR lines") << QByteArray("[InternetShortcut]\rURL=http://e.example/\r") << "http://e.example/";
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF[InternetShortcut]\nURL=http://f.example/\xC3\xA9\n")
                                     << QString::fromUtf8("http://f.example/\xC3\xA9");
    QTest::newRow("no URL line") << QByteArray("[InternetShortcut]\nIconIndex=1\n") << QString();
    QTest::newRow("empty URL") << QByteArray("[InternetShortcut]\nURL=\n") << QString();
    QTest::newRow("URL in another section") << QByteArray("[Other]\nURL=http://g.example/\n") << QString();
    QTest::newRow("URL before the section") << QByteArray("URL=http://h.example/\n[InternetShortcut]\n") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
    static const char binary[] = "[InternetShortcut]\nURL=http://i.example/\n\0\x01\x02";
    QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1) << QString();

    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QByteArray wide = utf16(QStringLiteral("[InternetShortcut]\r\nURL=http://j.example/\r\n"));
    QTest::newRow("utf-16 with mark") << wide << "http://j.example/";
    // Half a surrogate pair is no character; it reads as U+FFFD, so that the
    // address can be written anywhere unchanged.
    QByteArray lone = wide.left(wide.indexOf(QByteArray("/\0\r\0", 4)));
    lone += QByteArray("\x00\xD8/\0\x3D\xD8\x00\xDE\r\0\n\0", 12);
    QTest::newRow("utf-16 lone surrogate") << lone << QStringLiteral("http://j.example\uFFFD/\U0001F600");
}

void TestShortcutFile::readsAddress()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, url);
    QTemporaryDir dir;
    QCOMPARE(ReadShortcutURL(writeBytes(dir, QStringLiteral("x.url"), content)), url);
}

void TestShortcutFile::unreadableFilesGiveNothing()
{
    QTemporaryDir dir;
    QCOMPARE(ReadShortcutURL(dir.filePath(QStringLiteral("missing.url"))), QString());
    QCOMPARE(ReadShortcutURL(dir.path()), QString()); // a folder
    QCOMPARE(ReadShortcutURL(QString()), QString());

    // A huge file is read only in part; whole lines, never a cut address.
    QByteArray big("[InternetShortcut]\n");
    big += QByteArray(2 * 1024 * 1024, 'x');
    big += "\nURL=http://late.example/\n";
    QCOMPARE(ReadShortcutURL(writeBytes(dir, QStringLiteral("big.url"), big)), QString());
}

void TestShortcutFile::fifoIsRefusedAtOnce()
{
    // Opening a FIFO for reading waits for a writer; a shortcut name that
    // points at one must be refused without waiting.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.url"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    std::atomic<bool> done {false};
    QString result = QStringLiteral("unset");
    std::thread reader([&] {
        result = ReadShortcutURL(fifo);
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        QThread::msleep(10);
    const bool returnedAtOnce = done;
    if (!returnedAtOnce) {
        // Release the blocked reader so the test can end.
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    reader.join();
    QVERIFY2(returnedAtOnce, "reading a FIFO as a shortcut blocked");
    QCOMPARE(result, QString());
}

void TestShortcutFile::tooLongNameGivesNothing()
{
    QTemporaryDir dir;
    QString folder = dir.path();
    while (folder.size() < MaxShortcutNameLength)
        folder += QStringLiteral("/") + QString(40, u'd');
    makeDir(folder);
    const QString path = folder + QStringLiteral("/a.url");
    QVERIFY(path.size() > MaxShortcutNameLength);
    writeShortcutFile(path, QStringLiteral("http://long.example/"));
    QCOMPARE(ReadShortcutURL(path), QString());
    // The same file under a short name is read.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    const QString shortName = ReadShortcutURL(QStringLiteral("a.url"));
    QDir::setCurrent(before);
    QCOMPARE(shortName, QStringLiteral("http://long.example/"));
}

void TestShortcutFile::writtenFileReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Caf\u00e9 & friends.url"));
    const QString url = QStringLiteral("http://w.example/p?q=\u00e9&r=1");
    writeShortcutFile(path, url);
    QCOMPARE(ReadShortcutURL(path), url);

    // Replacing keeps one file; line breaks cannot start a new key.
    writeShortcutFile(path, QStringLiteral("http://x.example/\r\nIconFile=evil"));
    QCOMPARE(ReadShortcutURL(path), QStringLiteral("http://x.example/IconFile=evil"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[InternetShortcut]\r\nURL=http://x.example/IconFile=evil\r\n"));
}

void TestShortcutFile::writeFailureRaisesError()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/folder/a.url"));
    try {
        writeShortcutFile(path, QStringLiteral("http://a.example/"));
        QFAIL("no error raised");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("Cannot create file ") + path);
    }
}

void TestShortcutFile::favoritesPathFollowsEnvironment()
{
    qputenv("DODUVODAZ_FAVORITES", "/tmp/some/fav/");
    QCOMPARE(FavoritesPath(), QStringLiteral("/tmp/some/fav"));
    qunsetenv("DODUVODAZ_FAVORITES");
    QVERIFY(FavoritesPath().endsWith(QStringLiteral("/doduvodaz/Favorites")));
}

void TestShortcutFile::listingSplitsAndSorts()
{
    QTemporaryDir dir;
    makeDir(dir.filePath(QStringLiteral("B")));
    makeDir(dir.filePath(QStringLiteral("a")));
    makeDir(dir.filePath(QStringLiteral("ReadOnly")));
    QFile::setPermissions(dir.filePath(QStringLiteral("ReadOnly")),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("link"))));
    writeBytes(dir, QStringLiteral("Z.url"), "[InternetShortcut]\nURL=http://z/\n");
    writeBytes(dir, QStringLiteral("c.url"), "[InternetShortcut]\nURL=http://c/\n");

    const FavoritesListing listing = ListFavoritesFolder(dir.path());
    QCOMPARE(listing.folders, (QStringList {"a", "B"}));
    QCOMPARE(listing.files, (QStringList {"c.url", "link", "ReadOnly", "Z.url"}));
    QCOMPARE(favoriteDisplayName(QStringLiteral("Z.url")), QStringLiteral("Z"));
    QCOMPARE(favoriteDisplayName(QStringLiteral("a.b.url")), QStringLiteral("a.b"));
    QCOMPARE(favoriteDisplayName(QStringLiteral("ReadOnly")), QStringLiteral("ReadOnly"));
}

void TestShortcutFile::listingSkipsHiddenAndBrokenEntries()
{
    QTemporaryDir dir;
    makeDir(dir.filePath(QStringLiteral(".hidden")));
    writeBytes(dir, QStringLiteral(".secret.url"), "x");
    writeBytes(dir, QStringLiteral("odd [*?] name.url"), "x");
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("loop1")), dir.filePath(QStringLiteral("loop2"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("loop2")), dir.filePath(QStringLiteral("loop1"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling"))));

    const FavoritesListing listing = ListFavoritesFolder(dir.path());
    QCOMPARE(listing.folders, QStringList());
    QCOMPARE(listing.files, QStringList {"odd [*?] name.url"});
}

void TestShortcutFile::listingOfMissingFolderIsEmpty()
{
    QTemporaryDir dir;
    const FavoritesListing missing = ListFavoritesFolder(dir.filePath(QStringLiteral("nothing")));
    QVERIFY(missing.folders.isEmpty() && missing.files.isEmpty());
    const FavoritesListing none = ListFavoritesFolder(QString());
    QVERIFY(none.folders.isEmpty() && none.files.isEmpty());
}

void TestShortcutFile::manyEntries()
{
    QTemporaryDir dir;
    for (int i = 0; i < 3000; ++i)
        writeBytes(dir, QStringLiteral("site %1.url").arg(i, 4, 10, QLatin1Char('0')), "[InternetShortcut]\nURL=x\n");
    for (int i = 0; i < 200; ++i)
        makeDir(dir.filePath(QStringLiteral("Folder %1").arg(199 - i, 3, 10, QLatin1Char('0'))));
    const FavoritesListing listing = ListFavoritesFolder(dir.path());
    QCOMPARE(listing.files.size(), 3000);
    QCOMPARE(listing.folders.size(), 200);
    QCOMPARE(listing.files.first(), QStringLiteral("site 0000.url"));
    QCOMPARE(listing.files.last(), QStringLiteral("site 2999.url"));
    QCOMPARE(listing.folders.first(), QStringLiteral("Folder 000"));
}

void TestShortcutFile::findFileExt()
{
    QTemporaryDir dir;
    writeBytes(dir, QStringLiteral("news.URL"), "x");
    writeBytes(dir, QStringLiteral("a.b.url"), "x");
    writeBytes(dir, QStringLiteral("plain"), "x");
    writeBytes(dir, QStringLiteral("[x].url"), "x");
    makeDir(dir.filePath(QStringLiteral("folder.url")));

    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("news"))), QStringLiteral(".URL"));
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("a.b"))), QStringLiteral(".url"));
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("a"))), QStringLiteral(".b.url"));
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("plain"))), QString());
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("[x]"))), QStringLiteral(".url"));
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("x"))), QString()); // no wildcard matching
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("folder"))), QString());
    QCOMPARE(FindFileExt(dir.filePath(QStringLiteral("missing/news"))), QString());
}

void TestShortcutFile::subfoldersSkipLinks()
{
    QTemporaryDir dir;
    makeDir(dir.filePath(QStringLiteral("b/inner")));
    makeDir(dir.filePath(QStringLiteral("A")));
    QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("b/inner/up"))));
    QCOMPARE(FavoriteSubfolders(dir.path()), (QStringList {"A", "b", "b/inner"}));
    QCOMPARE(FavoriteSubfolders(dir.path(), 2), (QStringList {"A", "b"}));
    QCOMPARE(FavoriteSubfolders(dir.filePath(QStringLiteral("missing"))), QStringList());
}

QTEST_GUILESS_MAIN(TestShortcutFile)
#include "test_shortcutfile.moc"
