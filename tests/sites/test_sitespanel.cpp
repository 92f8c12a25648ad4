// The "Sites list" page: what it lists, what choosing a site opens, and the
// login boxes.
#include "sites/sitespanel.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class SitesPanelTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString directory()
    {
        const QString path = m_dir.filePath(QStringLiteral("padsites.dat"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write");
        f.write("not a version\r\n"
                "*Soft Depot (pop)\r\nhttp://softdepot.example/new\r\nhttp://softdepot.example/upd\r\n"
                "-(bad) Quiet Mirror\r\nhttp://mirror.example/new\r\n\r\n"
                "#\r\nhttp://third.example/line8\r\nhttp://third.example/line9\r\n"
                "*Loud (POP)\r\n\r\nhttp://loud.example/upd\r\n"
                "*left over\r\n");
        return path;
    }

    template <typename T>
    static T *child(QWidget &w, const char *name)
    {
        T *c = w.findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("no child %s", name);
        return c;
    }

    static void clickRow(QListWidget *list, int row)
    {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }

private Q_SLOTS:
    void listsSitesInFileOrder()
    {
        sites::TSitesPanel panel;
        panel.loadDirectory(directory());
        QListWidget *list = child<QListWidget>(panel, "SiteListBox");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, (QStringList {"Soft Depot", "Quiet Mirror", "", "Loud (POP)"}));
        QCOMPARE(panel.siteEntries().size(), 4);
        QCOMPARE(panel.siteEntries()[1].Name, QStringLiteral("(bad) Quiet Mirror"));
    }

    void missingFileGivesAnEmptyList()
    {
        sites::TSitesPanel panel;
        panel.loadDirectory(m_dir.filePath(QStringLiteral("absent.dat")));
        QCOMPARE(child<QListWidget>(panel, "SiteListBox")->count(), 0);
        QVERIFY(panel.siteEntries().isEmpty());
    }

    // The radio buttons count at the moment of the choice; a click on the
    // selected row opens again; an empty address opens nothing.
    void choosingASiteOpensItsPage()
    {
        sites::TSitesPanel panel;
        panel.loadDirectory(directory());
        panel.resize(300, 500);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QListWidget *list = child<QListWidget>(panel, "SiteListBox");
        QSignalSpy opened(&panel, &sites::TSitesPanel::openUrlRequested);

        clickRow(list, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://softdepot.example/new"));

        clickRow(list, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://softdepot.example/new"));

        QTest::mouseClick(child<QRadioButton>(panel, "RadioButton2"), Qt::LeftButton);
        QVERIFY(child<QRadioButton>(panel, "RadioButton2")->isChecked());
        QVERIFY(!child<QRadioButton>(panel, "RadioButton1")->isChecked());
        QCOMPARE(opened.size(), 0); // changing the choice opens nothing

        clickRow(list, 2); // the one-character name line: an empty, selectable row
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://third.example/line9"));

        clickRow(list, 1); // no update page
        QCOMPARE(opened.size(), 0);

        // The keyboard moves the selection: each move opens.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://third.example/line9"));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://loud.example/upd"));
        QTest::keyClick(list, Qt::Key_Down); // already on the last row: nothing moves
        QCOMPARE(opened.size(), 0);

        QTest::mouseClick(child<QRadioButton>(panel, "RadioButton1"), Qt::LeftButton);
        clickRow(list, 3); // no new-release page
        QCOMPARE(opened.size(), 0);

        // A Ctrl+click (open in the current tab) on the selected row opens it
        // and keeps it selected.
        clickRow(list, 1);
        QCOMPARE(opened.size(), 1);
        opened.clear();
        const QRect r = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, r.center());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("http://mirror.example/new"));
        QVERIFY(list->item(1)->isSelected());

        // Selecting from code is no choice of the user's.
        list->setCurrentRow(0);
        QCOMPARE(opened.size(), 0);
    }

    void loginBoxesAndButton()
    {
        sites::TSitesPanel panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QSignalSpy login(&panel, &sites::TSitesPanel::loginRequested);

        QTest::mouseClick(child<QPushButton>(panel, "Button1"), Qt::LeftButton);
        QCOMPARE(login.size(), 1);
        QCOMPARE(panel.username(), QString());
        QCOMPARE(panel.password(), QString());

        QTest::keyClicks(child<QLineEdit>(panel, "Edit1"), QStringLiteral("  author "));
        QTest::keyClicks(child<QLineEdit>(panel, "Edit2"), QStringLiteral(" s3cret  "));
        QCOMPARE(panel.username(), QStringLiteral("  author "));
        QCOMPARE(panel.password(), QStringLiteral(" s3cret  "));
        QVERIFY(!child<QLineEdit>(panel, "Edit2")->displayText().contains(QLatin1String("s3cret")));
        QTest::mouseClick(child<QPushButton>(panel, "Button1"), Qt::LeftButton);
        QCOMPARE(login.size(), 2);
    }
};

QTEST_MAIN(SitesPanelTest)
#include "test_sitespanel.moc"
