// The address box cmbURL and the address tool bar with "Go".
#include "shell/addressbar.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TestAddressBar : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layoutAndNames();
    void corrections_data();
    void corrections();
    void enterOpensRecordedAddressTrimmed();
    void blankOrEmptyOpensNothing();
    void goOpensTextUntrimmed();
    void ctrlEnterStillOpens();
    void enteredAddressesGoToTopOfList();
    void listChoiceByMouseOnlyFillsBox();
    void enterInOpenListOpensHighlightedEntry();
    void veryLongAddress();
    void resizeKeepsGoAtRightEdge();
    void focusState();

private:
    shell::TAddressBar *m_bar = nullptr;
    shell::TIEAddress *m_box = nullptr;
    QSignalSpy *m_open = nullptr;
};

void TestAddressBar::init()
{
    m_bar = new shell::TAddressBar;
    m_bar->resize(500, 32);
    m_box = m_bar->addressBox();
    m_open = new QSignalSpy(m_bar, &shell::TAddressBar::openRequested);
}

void TestAddressBar::cleanup()
{
    delete m_open;
    delete m_bar;
}

void TestAddressBar::layoutAndNames()
{
    QCOMPARE(m_bar->objectName(), QStringLiteral("tbAddress"));
    QCOMPARE(m_box->objectName(), QStringLiteral("cmbURL"));
    QVERIFY(m_box->isEditable());
    QCOMPARE(m_bar->goButton()->objectName(), QStringLiteral("btnGo"));
    QCOMPARE(m_bar->goButton()->text(), QStringLiteral("Go"));
    QCOMPARE(m_bar->addressPanel()->findChild<QLabel *>()->text(), QStringLiteral("Address:"));
    QCOMPARE(m_box->addresses(), QStringList()); // starts empty
}

void TestAddressBar::corrections_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("wrong") << "wrong"
                           << "www";
    QTest::newRow("???") << "???"
                         << "http";
    QTest::newRow("case counts") << "Wrong"
                                 << "Wrong";
    QTest::newRow("whole text only") << "xwrong"
                                     << "xwrong";
    QTest::newRow("blank counts") << " ???"
                                  << " ???";
}

void TestAddressBar::corrections()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QTest::keyClicks(m_box, typed);
    QCOMPARE(m_box->text(), shown);
    QCOMPARE(m_box->lineEdit()->cursorPosition(), shown.size());
    QCOMPARE(m_box->lineEdit()->selectedText(), QString());
    if (shown != typed)
        QCOMPARE(m_box->recordedAddress(), shown);
    // Typing goes on after the replacement.
    QTest::keyClicks(m_box, QStringLiteral(".x"));
    QCOMPARE(m_box->text(), shown + QStringLiteral(".x"));
    QCOMPARE(m_open->size(), 0);
}

void TestAddressBar::enterOpensRecordedAddressTrimmed()
{
    QTest::keyClicks(m_box, QStringLiteral("  http://a.example/path  "));
    QTest::keyClick(m_box, Qt::Key_Return);
    QCOMPARE(m_open->size(), 1);
    QCOMPARE(m_open->at(0).at(0).toString(), QStringLiteral("http://a.example/path"));
    QCOMPARE(m_box->recordedAddress(), QStringLiteral("  http://a.example/path  "));

    // An address set by the program is recorded: Enter opens it.
    m_box->setText(QStringLiteral("http://set.example/"));
    QTest::keyClick(m_box, Qt::Key_Enter);
    QCOMPARE(m_open->size(), 2);
    QCOMPARE(m_open->at(1).at(0).toString(), QStringLiteral("http://set.example/"));

    // "wrong" + Enter: the correction comes first, so "www" opens.
    m_box->setText(QString());
    QTest::keyClicks(m_box, QStringLiteral("wron"));
    QTest::keyPress(m_box, Qt::Key_G);
    QTest::keyClick(m_box, Qt::Key_Return); // the G is still down
    QCOMPARE(m_open->size(), 3);
    QCOMPARE(m_open->at(2).at(0).toString(), QStringLiteral("www"));
}

void TestAddressBar::blankOrEmptyOpensNothing()
{
    QTest::keyClick(m_box, Qt::Key_Return);
    QTest::mouseClick(m_bar->goButton(), Qt::LeftButton);
    QTest::keyClicks(m_box, QStringLiteral("   \t"));
    QTest::keyClick(m_box, Qt::Key_Return);
    QCOMPARE(m_open->size(), 0);
    QCOMPARE(m_box->addresses(), QStringList());
}

void TestAddressBar::goOpensTextUntrimmed()
{
    m_box->setText(QStringLiteral("http://recorded.example/"));
    QTest::keyClicks(m_box, QStringLiteral(" typed "));
    QTest::mouseClick(m_bar->goButton(), Qt::LeftButton);
    QCOMPARE(m_open->size(), 1);
    QCOMPARE(m_open->at(0).at(0).toString(), QStringLiteral(" typed http://recorded.example/"));
}

void TestAddressBar::ctrlEnterStillOpens()
{
    // Where it opens is OpenURL's business (Ctrl held: the current tab).
    Qt::KeyboardModifiers during;
    connect(m_bar, &shell::TAddressBar::openRequested, this, [&] { during = QGuiApplication::keyboardModifiers(); });
    QTest::keyClicks(m_box, QStringLiteral("http://ctrl.example/"));
    QTest::keyClick(m_box, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_open->size(), 1);
    QCOMPARE(m_open->at(0).at(0).toString(), QStringLiteral("http://ctrl.example/"));
    QVERIFY(during & Qt::ControlModifier);
}

void TestAddressBar::enteredAddressesGoToTopOfList()
{
    for (const char *address : {"http://one/", "http://two/", " http://one/ "}) {
        m_box->lineEdit()->clear();
        QTest::keyClicks(m_box, QString::fromLatin1(address));
        QTest::keyClick(m_box, Qt::Key_Return);
        QCOMPARE(m_box->text(), QString::fromLatin1(address)); // the box keeps what was typed
    }
    QCOMPARE(m_box->addresses(), (QStringList {"http://one/", "http://two/"}));

    for (int i = 0; i < 30; ++i) {
        m_box->setText(QStringLiteral("http://n%1/").arg(i));
        QTest::keyClick(m_box, Qt::Key_Return);
    }
    QCOMPARE(m_box->addresses().size(), shell::TIEAddress::MaxAddresses);
    QCOMPARE(m_box->addresses().first(), QStringLiteral("http://n29/"));
}

void TestAddressBar::listChoiceByMouseOnlyFillsBox()
{
    for (const char *address : {"http://first/", "http://second/"}) {
        m_box->setText(QString::fromLatin1(address));
        QTest::keyClick(m_box, Qt::Key_Return);
    }
    m_open->clear();
    m_box->setText(QStringLiteral("http://shown/"));
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar));
    m_box->showPopup();
    QAbstractItemView *view = m_box->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(m_box->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(m_box->text(), QStringLiteral("http://first/"));
    QCOMPARE(m_box->recordedAddress(), QStringLiteral("http://shown/"));
    QCOMPARE(m_open->size(), 0);
}

void TestAddressBar::enterInOpenListOpensHighlightedEntry()
{
    for (const char *address : {"http://first/", "http://second/"}) {
        m_box->setText(QString::fromLatin1(address));
        QTest::keyClick(m_box, Qt::Key_Return);
    }
    m_open->clear();
    m_box->setText(QStringLiteral("http://shown/"));
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar));
    m_box->showPopup();
    QAbstractItemView *view = m_box->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(m_box->model()->index(1, 0));
    QTest::keyPress(view, Qt::Key_Return);
    QVERIFY(!view->isVisible());
    QCOMPARE(m_box->text(), QStringLiteral("http://first/"));
    QCOMPARE(m_box->recordedAddress(), QStringLiteral("http://first/"));
    QTest::keyRelease(m_box, Qt::Key_Return);
    QCOMPARE(m_open->size(), 1);
    QCOMPARE(m_open->at(0).at(0).toString(), QStringLiteral("http://first/"));
    QCOMPARE(m_box->addresses().first(), QStringLiteral("http://first/"));
}

void TestAddressBar::veryLongAddress()
{
    const QString address = QStringLiteral("http://long.example/?q=") + QString(10000 - 23, u'x');
    QCOMPARE(address.size(), 10000);
    m_box->setText(address);
    QCOMPARE(m_box->text(), address);
    QTest::keyClick(m_box, Qt::Key_End);
    QTest::keyClicks(m_box, QStringLiteral("yz"));
    QTest::keyClick(m_box, Qt::Key_Return);
    QCOMPARE(m_open->size(), 1);
    QCOMPARE(m_open->at(0).at(0).toString(), address + QStringLiteral("yz"));
    QVERIFY(m_bar->sizeHint().width() < 1000); // the bar does not grow with the text
    QVERIFY(m_box->sizeHint().width() < 1000);
}

void TestAddressBar::resizeKeepsGoAtRightEdge()
{
    const int go = m_bar->goButton()->sizeHint().width();
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar));
    for (int width : {500, 900, 250}) {
        m_bar->resize(width, 32);
        QCOMPARE(m_bar->addressPanel()->width(), width - go);
        QCOMPARE(m_bar->goButton()->geometry().right(), width - 1);
    }
}

void TestAddressBar::focusState()
{
    auto *other = new QLineEdit(m_bar->addressPanel());
    m_bar->show();
    m_bar->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_bar));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QVERIFY(!m_bar->addressHasFocus());
    m_box->setFocus();
    QTRY_VERIFY(m_bar->addressHasFocus());
}

QTEST_MAIN(TestAddressBar)
#include "test_addressbar.moc"
