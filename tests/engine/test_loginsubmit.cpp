// The login form fill and the submit-button finder on one document.
#include "enginefakes.h"

#include "engine/memorydocument.h"
#include "engine/routines.h"

#include <QtTest>

using namespace engine;
using enginetest::FakeHost;

namespace {

const QString kNotFound = QStringLiteral("Submit button not found.");

MemoryElement &addButton(MemoryDocument &doc, const QString &type, const QString &value, const QString &alt = QString())
{
    MemoryElement &e = doc.addInput(type, QString(), value);
    e.setStoredAlt(alt);
    return e;
}

// Indexes of the elements clicked, in order.
QList<int> clicks(const MemoryDocument &doc)
{
    QList<int> r;
    for (const JournalEntry &j : doc.journal())
        if (j.kind == JournalEntry::Click)
            r << j.element;
    return r;
}

} // namespace

class TestLoginSubmit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loginFillsAndPresses();
    void loginUsernamePatterns_data();
    void loginUsernamePatterns();
    void loginEveryPasswordAndCheckBox();
    void loginEmptyBoxesWriteEmptyValues();
    void loginWithoutButtonPressesNothing();
    void loginLeavesOtherElementsAlone();
    void loginFailureEndsWithoutPress();

    void buttonChoice_data();
    void buttonChoice();
    void submitWithoutDocumentShowsTheMessage();
    void submitFailureEndsWithoutClickOrMessage();
};

void TestLoginSubmit::loginFillsAndPresses()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("user_login"), QStringLiteral("x"));
    doc.addInput(QStringLiteral("password"), QStringLiteral("pw"));
    addButton(doc, QStringLiteral("submit"), QStringLiteral("Log in"));
    FillLoginForm(doc, QStringLiteral("maren"), QStringLiteral("s3cret"));
    QCOMPARE(doc.at(0).storedValue(), QStringLiteral("maren"));
    QCOMPARE(doc.at(1).storedValue(), QStringLiteral("s3cret"));
    QCOMPARE(clicks(doc), QList<int> {2});
    // The press comes after the writes.
    QCOMPARE(doc.journal().back().kind, JournalEntry::Click);
}

void TestLoginSubmit::loginUsernamePatterns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("gets");
    QTest::newRow("User") << "User" << true;
    QTest::newRow("admin") << "ADMIN_ID" << true;
    QTest::newRow("owner") << "Owner" << true;
    QTest::newRow("first name") << "first_name" << true;
    QTest::newRow("uid") << "uid" << true;
    QTest::newRow("login") << "LoginBox" << true;
    QTest::newRow("e-mail any case") << "E_MAIL" << true;
    QTest::newRow("Mail") << "yourMail" << true;
    QTest::newRow("search box") << "q" << false;
    QTest::newRow("search") << "search" << false;
    QTest::newRow("no name") << "" << false;
}

void TestLoginSubmit::loginUsernamePatterns()
{
    QFETCH(QString, name);
    QFETCH(bool, gets);
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), name, QStringLiteral("old"));
    FillLoginForm(doc, QStringLiteral("maren"), QStringLiteral("pw"));
    QCOMPARE(doc.at(0).storedValue(), gets ? QStringLiteral("maren") : QStringLiteral("old"));
    QCOMPARE(int(doc.journal().size()), gets ? 1 : 0);
}

void TestLoginSubmit::loginEveryPasswordAndCheckBox()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("TEXT"), QStringLiteral("username"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("email"));
    doc.addInput(QStringLiteral("Password"), QStringLiteral("password"));
    doc.addInput(QStringLiteral("password"), QStringLiteral("confirm"));
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("remember"));
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("terms")).presetChecked(true);
    FillLoginForm(doc, QStringLiteral("maren"), QStringLiteral("pw"));
    QCOMPARE(doc.at(0).storedValue(), QStringLiteral("maren"));
    QCOMPARE(doc.at(1).storedValue(), QStringLiteral("maren"));
    QCOMPARE(doc.at(2).storedValue(), QStringLiteral("pw"));
    QCOMPARE(doc.at(3).storedValue(), QStringLiteral("pw"));
    QVERIFY(doc.at(4).isChecked());
    QVERIFY(doc.at(5).isChecked());
}

void TestLoginSubmit::loginEmptyBoxesWriteEmptyValues()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("user"), QStringLiteral("remembered"));
    doc.addInput(QStringLiteral("password"), QStringLiteral("pass"), QStringLiteral("remembered"));
    FillLoginForm(doc, QString(), QString());
    QCOMPARE(doc.at(0).storedValue(), QString());
    QCOMPARE(doc.at(1).storedValue(), QString());
    QCOMPARE(int(doc.journal().size()), 2);
}

void TestLoginSubmit::loginWithoutButtonPressesNothing()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("user"));
    addButton(doc, QStringLiteral("submit"), QStringLiteral("go back"));
    addButton(doc, QStringLiteral("image"), QString(), QStringLiteral("Cancel this"));
    doc.addElement(QStringLiteral("button")).setDeclaredType(QStringLiteral("submit"));
    FillLoginForm(doc, QStringLiteral("maren"), QString());
    QCOMPARE(doc.at(0).storedValue(), QStringLiteral("maren"));
    QVERIFY(clicks(doc).isEmpty());
}

void TestLoginSubmit::loginLeavesOtherElementsAlone()
{
    MemoryDocument doc;
    doc.addTextArea(QStringLiteral("username"), QStringLiteral("old"));
    doc.addInput(QStringLiteral("hidden"), QStringLiteral("username"), QStringLiteral("old"));
    doc.addInput(QStringLiteral("radio"), QStringLiteral("user"), QStringLiteral("old"));
    doc.addElement(QStringLiteral("select")).setDeclaredName(QStringLiteral("user"));
    FillLoginForm(doc, QStringLiteral("maren"), QStringLiteral("pw"));
    QVERIFY(doc.journal().empty());
}

void TestLoginSubmit::loginFailureEndsWithoutPress()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("user"));
    addButton(doc, QStringLiteral("submit"), QStringLiteral("Log in"));
    doc.addInput(QStringLiteral("password"), QStringLiteral("pw")).setFailing(true);
    QVERIFY_THROWS_EXCEPTION(base::Error, FillLoginForm(doc, QStringLiteral("maren"), QStringLiteral("pw")));
    QCOMPARE(doc.at(0).storedValue(), QStringLiteral("maren"));
    QVERIFY(clicks(doc).isEmpty());
}

// The same button rule decides for both routines: the last acceptable submit
// or image input in document order.
void TestLoginSubmit::buttonChoice_data()
{
    // Each page is a list of buttons "type|value|alt"; expected is the index
    // of the button pressed, -1 for none.
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("expected");
    QTest::newRow("one plain submit") << QStringList {"submit|Submit program|"} << 0;
    QTest::newRow("two acceptable: the later") << QStringList {"submit|Send|", "submit|Submit|"} << 1;
    QTest::newRow("image with reset alt skipped") << QStringList {"submit|Send|", "image||reset form"} << 0;
    QTest::newRow("value with back") << QStringList {"submit|go back|"} << -1;
    QTest::newRow("Back with a capital") << QStringList {"submit|Back|"} << 0;
    QTest::newRow("no inside a word") << QStringList {"submit|Submit now|"} << -1;
    QTest::newRow("NO in capitals") << QStringList {"submit|NO|"} << 0;
    QTest::newRow("Cancel in alt") << QStringList {"submit|Send|Cancel"} << -1;
    QTest::newRow("Cancel in value") << QStringList {"submit|Cancel|"} << 0;
    QTest::newRow("cancel lower-case alt") << QStringList {"submit|Send|cancel"} << 0;
    QTest::newRow("reset in alt") << QStringList {"submit|Send|reset"} << -1;
    QTest::newRow("image without alt") << QStringList {"image|no way back|"} << 0;
    QTest::newRow("image alt Cancel with words") << QStringList {"image||Cancel and go home"} << -1;
    QTest::newRow("submit then image") << QStringList {"submit|Send|", "image||Submit"} << 1;
    QTest::newRow("type in capitals") << QStringList {"SUBMIT|Send|"} << 0;
    QTest::newRow("reset and button inputs") << QStringList {"reset|Send|", "button|Send|"} << -1;
    QTest::newRow("acceptable then excluded") << QStringList {"submit|Send|", "submit|Cancel|reset"} << 0;
}

void TestLoginSubmit::buttonChoice()
{
    QFETCH(QStringList, buttons);
    QFETCH(int, expected);
    auto build = [&](MemoryDocument &doc) {
        doc.addInput(QStringLiteral("text"), QStringLiteral("user"));
        for (const QString &b : buttons) {
            const QStringList p = b.split(QLatin1Char('|'));
            addButton(doc, p[0], p[1], p[2]);
        }
        doc.addElement(QStringLiteral("button")).setDeclaredType(QStringLiteral("submit"));
    };
    const QList<int> want = expected < 0 ? QList<int>() : QList<int> {expected + 1};

    MemoryDocument submitDoc;
    build(submitDoc);
    FakeHost host;
    ClickSubmitButton(&submitDoc, host);
    QCOMPARE(clicks(submitDoc), want);
    QCOMPARE(host.messages, expected < 0 ? QStringList {kNotFound} : QStringList());

    MemoryDocument loginDoc;
    build(loginDoc);
    FillLoginForm(loginDoc, QStringLiteral("maren"), QString());
    QCOMPARE(clicks(loginDoc), want);
}

void TestLoginSubmit::submitWithoutDocumentShowsTheMessage()
{
    FakeHost host;
    ClickSubmitButton(nullptr, host);
    QCOMPARE(host.messages, QStringList {kNotFound});
    MemoryDocument empty;
    ClickSubmitButton(&empty, host);
    QCOMPARE(host.messages, (QStringList {kNotFound, kNotFound}));
}

void TestLoginSubmit::submitFailureEndsWithoutClickOrMessage()
{
    MemoryDocument doc;
    addButton(doc, QStringLiteral("submit"), QStringLiteral("Send"));
    addButton(doc, QStringLiteral("submit"), QStringLiteral("Send")).setFailing(true);
    FakeHost host;
    QVERIFY_THROWS_EXCEPTION(base::Error, ClickSubmitButton(&doc, host));
    QVERIFY(clicks(doc).isEmpty());
    QVERIFY(host.messages.isEmpty());
}

QTEST_APPLESS_MAIN(TestLoginSubmit)
#include "test_loginsubmit.moc"
