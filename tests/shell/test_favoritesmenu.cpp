// The "Favorities" menu over a favourites folder in a temporary directory.
#include "platform/desktop.h"
#include "platform/messages.h"
#include "platform/shortcutfile.h"
#include "shell/addfavoriteform.h"
#include "shell/favoritesmenu.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray shortcut(const QByteArray &url) { return "[InternetShortcut]\r\nURL=" + url + "\r\n"; }

// The entries after the two fixed commands, "-" for a separator, "(x)" for a
// disabled entry.
QStringList entries(const QMenu *menu, int from = 2)
{
    QStringList out;
    const QList<QAction *> items = menu->actions();
    for (qsizetype i = from; i < items.size(); ++i) {
        const QAction *a = items[i];
        QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
        if (!a->isEnabled())
            text = u'(' + text + u')';
        out << text;
    }
    return out;
}

QAction *entry(const QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    qFatal("no entry %s", qPrintable(text));
}

} // namespace

class TestFavoritesMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listsFoldersFirstSortedWithoutCase();
    void foldersAreListedWhenOpened();
    void emptyFolderKeepsOneDisabledEntry();
    void readOnlyFolderIsFileEntryThatOpensNothing();
    void linkedFolderIsFileEntryThatOpensNothing();
    void shortcutWithoutAddressSaysUrlIsNull();
    void vanishedFavoriteDoesNothing();
    void oddNamesOpen();
    void hotEntries();
    void rebuildReplacesEverythingAfterFixedCommands();
    void missingFolderListsNothing();

    void addWritesShortcutIntoChosenFolder();
    void addWithoutAddressDoesNothing();
    void addReportsWriteFailure();
    void organizeOpensFolderAndRebuilds();

private:
    std::unique_ptr<shell::TFavoritesMenu> makeMenu();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QStringList m_messages;
    QList<QUrl> m_opened;
};

void TestFavoritesMenu::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->filePath(QStringLiteral("Favorites"));
    QDir().mkpath(m_root);
    qputenv("DODUVODAZ_FAVORITES", m_root.toUtf8());
    m_messages.clear();
    m_opened.clear();
    platform::setMessageSink([this](const QString &kind, const QString &text) {
        m_messages << kind + u':' + text;
        return true;
    });
    platform::setExternalOpener([this](const QUrl &url) { m_opened << url; });
}

void TestFavoritesMenu::cleanup()
{
    platform::setMessageSink(nullptr);
    platform::setExternalOpener(nullptr);
    qunsetenv("DODUVODAZ_FAVORITES");
    m_dir.reset();
}

std::unique_ptr<shell::TFavoritesMenu> TestFavoritesMenu::makeMenu()
{
    auto menu = std::make_unique<shell::TFavoritesMenu>();
    menu->setHotCaptionProvider([](int) { return QString(); });
    return menu;
}

void TestFavoritesMenu::listsFoldersFirstSortedWithoutCase()
{
    QDir().mkpath(m_root + "/B");
    QDir().mkpath(m_root + "/a");
    writeFile(m_root + "/Z.url", shortcut("http://z.example/"));
    writeFile(m_root + "/c.url", shortcut("http://c.example/"));

    auto menu = makeMenu();
    QCOMPARE(menu->objectName(), QStringLiteral("popFavorite"));
    QCOMPARE(entries(menu.get(), 0), (QStringList {"Add to favorities...", "Organize favorities...", "-"}));
    menu->RebuildFavoritesMenu();
    // No hot captions: the menu ends with the separator.
    QCOMPARE(entries(menu.get()), (QStringList {"a", "B", "c", "Z", "-"}));
    QVERIFY(entry(menu.get(), "a")->menu());
    QVERIFY(!entry(menu.get(), "c")->menu());
    QVERIFY(!entry(menu.get(), "c")->icon().isNull());

    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(menu.get(), "Z")->trigger();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("http://z.example/"));
}

void TestFavoritesMenu::foldersAreListedWhenOpened()
{
    writeFile(m_root + "/News/Daily/paper.url", shortcut("http://paper.example/"));
    writeFile(m_root + "/News/wire.url", shortcut("http://wire.example/"));
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();

    QMenu *news = entry(menu.get(), "News")->menu();
    QCOMPARE(entries(news, 0), QStringList {"()"}); // not listed yet
    emit news->aboutToShow();
    QCOMPARE(entries(news, 0), (QStringList {"Daily", "wire"}));
    emit news->aboutToShow(); // listed once per rebuild
    QCOMPARE(entries(news, 0), (QStringList {"Daily", "wire"}));

    QMenu *daily = entry(news, "Daily")->menu();
    emit daily->aboutToShow();
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(daily, "paper")->trigger();
    entry(news, "wire")->trigger();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("http://paper.example/"));
    QCOMPARE(opened.at(1).at(0).toString(), QStringLiteral("http://wire.example/"));
}

void TestFavoritesMenu::emptyFolderKeepsOneDisabledEntry()
{
    QDir().mkpath(m_root + "/Empty");
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QMenu *empty = entry(menu.get(), "Empty")->menu();
    emit empty->aboutToShow();
    emit empty->aboutToShow();
    QCOMPARE(entries(empty, 0), QStringList {"()"});

    // Listed again on each opening: a favourite added meanwhile shows.
    writeFile(m_root + "/Empty/new.url", shortcut("http://new.example/"));
    emit empty->aboutToShow();
    QCOMPARE(entries(empty, 0), QStringList {"new"});
}

void TestFavoritesMenu::readOnlyFolderIsFileEntryThatOpensNothing()
{
    const QString folder = m_root + "/Locked";
    writeFile(folder + "/inside.url", shortcut("http://inside.example/"));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(entries(menu.get()), (QStringList {"Locked", "-"}));
    QAction *locked = entry(menu.get(), "Locked");
    QVERIFY(!locked->menu());
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    locked->trigger();
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_messages, QStringList());
}

void TestFavoritesMenu::linkedFolderIsFileEntryThatOpensNothing()
{
    QDir().mkpath(m_root + "/Real");
    QVERIFY(QFile::link(m_root, m_root + "/Real/loop"));
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QMenu *real = entry(menu.get(), "Real")->menu();
    emit real->aboutToShow();
    QCOMPARE(entries(real, 0), QStringList {"loop"});
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(real, "loop")->trigger();
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_messages, QStringList());
}

void TestFavoritesMenu::shortcutWithoutAddressSaysUrlIsNull()
{
    writeFile(m_root + "/nourl.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
    static const char binary[] = "\x7f"
                                 "ELF\0\0\x01[InternetShortcut]\nURL=http://x/\n";
    writeFile(m_root + "/binary.url", QByteArray(binary, sizeof binary - 1));
    writeFile(m_root + "/notes.txt", "just text");
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(menu.get(), "nourl")->trigger();
    entry(menu.get(), "binary")->trigger();
    entry(menu.get(), "notes")->trigger();
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_messages, (QStringList {"message:URL is null", "message:URL is null", "message:URL is null"}));
}

void TestFavoritesMenu::vanishedFavoriteDoesNothing()
{
    writeFile(m_root + "/gone.url", shortcut("http://gone.example/"));
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QVERIFY(QFile::remove(m_root + "/gone.url"));
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(menu.get(), "gone")->trigger();
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_messages, QStringList());
}

void TestFavoritesMenu::oddNamesOpen()
{
    writeFile(m_root + "/Tom & Jerry [*].url", shortcut("http://tom.example/"));
    writeFile(m_root + "/tab\there.url", shortcut("http://tab.example/"));
    writeFile(m_root + QString::fromUtf8("/Caf\xC3\xA9.v2.url"), shortcut("http://cafe.example/"));
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QCOMPARE(entries(menu.get()),
             (QStringList {QString::fromUtf8("Caf\xC3\xA9.v2"), "tab here", "Tom && Jerry [*]", "-"}));
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    for (QAction *a : menu->actions().mid(2, 3))
        a->trigger();
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("http://cafe.example/"));
    QCOMPARE(opened.at(1).at(0).toString(), QStringLiteral("http://tab.example/"));
    QCOMPARE(opened.at(2).at(0).toString(), QStringLiteral("http://tom.example/"));
}

void TestFavoritesMenu::hotEntries()
{
    writeFile(m_root + "/site.url", shortcut("http://site.example/"));
    auto menu = makeMenu();
    QList<int> asked;
    menu->setHotCaptionProvider([&asked](int n) {
        asked << n;
        return n == 3 ? QStringLiteral("Three") : n == 12 ? QStringLiteral("Twelve") : QString();
    });
    menu->RebuildFavoritesMenu();
    QCOMPARE(asked, (QList<int> {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    QCOMPARE(entries(menu.get()), (QStringList {"site", "-", "Three\tF3", "Twelve\tF12"}));

    QAction *three = entry(menu.get(), "Three\tF3");
    QVERIFY(three->shortcut().isEmpty()); // shown, not bound
    QSignalSpy hot(menu.get(), &shell::TFavoritesMenu::hotEntryRequested);
    three->trigger();
    entry(menu.get(), "Twelve\tF12")->trigger();
    QCOMPARE(hot.size(), 2);
    QCOMPARE(hot.at(0).at(0).toInt(), 3);
    QCOMPARE(hot.at(1).at(0).toInt(), 12);
}

void TestFavoritesMenu::rebuildReplacesEverythingAfterFixedCommands()
{
    QDir().mkpath(m_root + "/Folder");
    writeFile(m_root + "/one.url", shortcut("http://one.example/"));
    auto menu = makeMenu();
    menu->setHotCaptionProvider([](int n) { return n == 2 ? QStringLiteral("Two") : QString(); });
    menu->RebuildFavoritesMenu();
    QPointer<QMenu> folder = entry(menu.get(), "Folder")->menu();
    menu->RebuildFavoritesMenu();
    QVERIFY(folder.isNull()); // the old sub-menu is gone
    QCOMPARE(entries(menu.get()), (QStringList {"Folder", "one", "-", "Two\tF2"}));
    QCOMPARE(menu->actions().at(0), menu->addFavoriteAction());
    QCOMPARE(menu->actions().at(1), menu->organizeAction());
}

void TestFavoritesMenu::missingFolderListsNothing()
{
    QVERIFY(QDir(m_root).removeRecursively());
    auto menu = makeMenu();
    menu->RebuildFavoritesMenu();
    QCOMPARE(entries(menu.get()), QStringList {"-"});
}

void TestFavoritesMenu::addWritesShortcutIntoChosenFolder()
{
    QDir().mkpath(m_root + "/Sites/Download");
    auto menu = makeMenu();
    menu->setCurrentPageProvider([] {
        return std::make_pair(QStringLiteral("Submit / Page"), QStringLiteral("http://submit.example/new?a=1"));
    });
    menu->RebuildFavoritesMenu();

    QString prefilled;
    QStringList folders;
    QTimer::singleShot(0, this, [&] {
        auto *form = qobject_cast<shell::TAddFavoriteForm *>(QApplication::activeModalWidget());
        if (!form) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            QFAIL("the add dialog did not show");
        }
        auto *name = form->findChild<QLineEdit *>("edtName");
        auto *folder = form->findChild<QComboBox *>("cmbFolder");
        prefilled = name->text();
        for (int i = 0; i < folder->count(); ++i)
            folders << folder->itemText(i);
        folder->setCurrentIndex(2);
        form->findChild<QPushButton *>("btnOK")->click();
    });
    menu->addFavoriteAction()->trigger();

    QCOMPARE(prefilled, QStringLiteral("Submit / Page"));
    QCOMPARE(folders, (QStringList {"Favorites", "Favorites/Sites", "Favorites/Sites/Download"}));
    const QString written = m_root + "/Sites/Download/Submit - Page.url";
    QCOMPARE(platform::ReadShortcutURL(written), QStringLiteral("http://submit.example/new?a=1"));
    QCOMPARE(m_messages, QStringList());

    // The rebuilt menu shows it.
    QMenu *sites = entry(menu.get(), "Sites")->menu();
    emit sites->aboutToShow();
    QMenu *download = entry(sites, "Download")->menu();
    emit download->aboutToShow();
    QSignalSpy opened(menu.get(), &shell::TFavoritesMenu::openUrlRequested);
    entry(download, "Submit - Page")->trigger();
    QCOMPARE(opened.size(), 1);
}

void TestFavoritesMenu::addWithoutAddressDoesNothing()
{
    auto menu = makeMenu();
    bool dialogShown = false;
    auto closeAnyDialog = [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            dialogShown = true;
            w->close();
        }
    };
    menu->addFavoriteAction()->trigger(); // no provider
    menu->setCurrentPageProvider([] { return std::make_pair(QStringLiteral("Title"), QString()); });
    QTimer::singleShot(0, this, closeAnyDialog);
    menu->addFavoriteAction()->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!dialogShown);
    QCOMPARE(QDir(m_root).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestFavoritesMenu::addReportsWriteFailure()
{
    writeFile(m_dir->filePath("plainfile"), "x");
    const QString root = m_dir->filePath("plainfile/Favorites");
    qputenv("DODUVODAZ_FAVORITES", root.toUtf8());
    auto menu = makeMenu();
    menu->setCurrentPageProvider([] { return std::make_pair(QString(), QStringLiteral("http://a.example/")); });
    QString prefilled;
    QTimer::singleShot(0, this, [&] {
        auto *form = qobject_cast<shell::TAddFavoriteForm *>(QApplication::activeModalWidget());
        if (!form) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            QFAIL("the add dialog did not show");
        }
        prefilled = form->findChild<QLineEdit *>("edtName")->text();
        form->findChild<QPushButton *>("btnOK")->click();
    });
    menu->addFavoriteAction()->trigger();
    QCOMPARE(prefilled, QStringLiteral("http://a.example/")); // no title: the address
    QCOMPARE(m_messages, QStringList {"error:Cannot create folder " + root});
}

void TestFavoritesMenu::organizeOpensFolderAndRebuilds()
{
    QVERIFY(QDir(m_root).removeRecursively());
    auto menu = makeMenu();
    QStringList steps;
    platform::setExternalOpener([&](const QUrl &url) {
        steps << QStringLiteral("open ") + url.toLocalFile() + (QDir(m_root).exists() ? "" : " (missing)");
    });
    menu->setOrganizeHooks([&] { steps << "before"; }, [&] { steps << "after"; });
    menu->organizeAction()->trigger();
    QCOMPARE(steps, (QStringList {"before", "open " + m_root, "after"}));
    QCOMPARE(entries(menu.get()), QStringList {"-"});

    // Changes made in the file manager show when the menu opens next.
    writeFile(m_root + "/renamed.url", shortcut("http://r.example/"));
    emit menu->aboutToShow();
    QCOMPARE(entries(menu.get()), (QStringList {"renamed", "-"}));
}

QTEST_MAIN(TestFavoritesMenu)
#include "test_favoritesmenu.moc"
