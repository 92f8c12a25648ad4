// The "Software" page of the side panel: its rows, the field each row names,
// when a mouse move starts a drag and with what text, and the message shown
// for each result of the drag.
#include "padtestutil.h"

#include "software/softlistpanel.h"
#include "software/softwaretable.h"

#include "engine/error.h"
#include "platform/messages.h"

#include <QLabel>
#include <QMimeData>
#include <QtTest>

using namespace softlist;

namespace {

struct Recorder {
    QStringList errors, messages;
    Recorder()
    {
        platform::setMessageSink([this](const QString &kind, const QString &text) {
            (kind == QLatin1String("error") ? errors : messages) << text;
            return false;
        });
    }
    ~Recorder() { platform::setMessageSink(nullptr); }
};

void moveWith(QWidget *viewport, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 5), viewport->mapToGlobal(QPointF(20, 5)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

} // namespace

class SoftListPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowsNameRecordFields();
    void page();
    void resultMessages_data();
    void resultMessages();
    void qtOutcomes();
    void mouseMoveDrags();
    void missingFieldShowsError();
    void realDragEndsWithAMessage();
};

void SoftListPanelTest::rowsNameRecordFields()
{
    QCOMPARE(rows().size(), 43);
    QCOMPARE(rows().at(0), QStringLiteral("=====Program Info====="));
    QCOMPARE(rows().at(29), QStringLiteral("=====Company Info====="));
    QCOMPARE(rows().last(), QStringLiteral("Fax Phone"));
    TSoftwareTable table;
    table.open(TSoftwareTable::standardFields(), {});
    QStringList names;
    for (const QString &row : rows()) {
        if (isGroupHeader(row)) {
            QCOMPARE(fieldNameOfRow(row), QString());
            continue;
        }
        const QString name = fieldNameOfRow(row);
        QVERIFY2(!name.contains(QLatin1Char(' ')), qPrintable(name));
        // Every field row names a field of the record, exactly as spelt there.
        QCOMPARE(table.fieldName(table.FieldByName(name)), name);
        names << name;
    }
    QCOMPARE(names.size(), 41);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 41);
    QCOMPARE(fieldNameOfRow(QStringLiteral("Additional Download URL 1")), QStringLiteral("Additional_Download_URL_1"));
    QCOMPARE(fieldNameOfRow(QStringLiteral("Company WebSite URL")), QStringLiteral("Company_WebSite_URL"));
    QVERIFY(isGroupHeader(QStringLiteral("x===y")));
    QVERIFY(!isGroupHeader(QStringLiteral("==")));
}

void SoftListPanelTest::page()
{
    TSoftwareTable table;
    TSoftListPage page(table);
    QCOMPARE(page.objectName(), QStringLiteral("tabHistory"));
    QStringList labels;
    for (QLabel *l : page.findChildren<QLabel *>())
        labels << l->text();
    QCOMPARE(labels, QStringList({"Software information:", "Drag information to submision form."}));
    auto *list = page.findChild<QListWidget *>(QStringLiteral("SoftListBox"));
    QVERIFY(list && list == page.listBox());
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, rows());
}

void SoftListPanelTest::resultMessages_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("dropped") << quint32(0x00040100) << QString();
    QTest::newRow("cancelled") << quint32(0x00040101) << QStringLiteral("Drop cancel");
    QTest::newRow("out of memory") << quint32(0x8007000E) << QStringLiteral("Drop out of memory");
    QTest::newRow("invalid access") << quint32(0x800703E6) << QStringLiteral("Drop unexpected");
    QTest::newRow("leading zeros") << quint32(0x1) << QStringLiteral("Drop unknown:00000001");
    QTest::newRow("upper-case hex") << quint32(0xdeadbeef) << QStringLiteral("Drop unknown:DEADBEEF");
    QTest::newRow("zero") << quint32(0) << QStringLiteral("Drop unknown:00000000");
}

void SoftListPanelTest::resultMessages()
{
    QFETCH(quint32, code);
    QFETCH(QString, message);
    QCOMPARE(dropResultMessage(code), message);
}

void SoftListPanelTest::qtOutcomes()
{
    for (Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction, Qt::TargetMoveAction})
        QCOMPARE(dropResultCode(a), quint32(DropDone));
    QCOMPARE(dropResultCode(Qt::IgnoreAction), quint32(DropCancelled));
    QCOMPARE(dropResultMessage(dropResultCode(Qt::DropAction(0x40))), QStringLiteral("Drop unknown:00000040"));
}

void SoftListPanelTest::mouseMoveDrags()
{
    TSoftwareTable table;
    table.open(TSoftwareTable::standardFields(), {});
    table.Edit();
    table.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("Caf\u00E9 Clip"));
    table.setFieldText(QStringLiteral("Fax_Phone"), QStringLiteral("+44 1"));
    table.Post();
    SoftListBox list(table);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    QStringList dragged;
    quint32 answer = DropDone;
    list.setDragRunner([&](QMimeData *data) {
        dragged << (data->hasText() ? data->text() : QStringLiteral("<no text>"));
        return answer;
    });
    Recorder shown;

    // Nothing selected, or no button held: no drag.
    moveWith(list.viewport(), Qt::LeftButton);
    list.setCurrentRow(1);
    moveWith(list.viewport(), Qt::NoButton);
    moveWith(list.viewport(), Qt::MiddleButton);
    QCOMPARE(dragged, QStringList());

    // Left or right button: the field's value; a drop shows nothing.
    moveWith(list.viewport(), Qt::LeftButton);
    list.setCurrentRow(42);
    moveWith(list.viewport(), Qt::RightButton);
    QCOMPARE(dragged, QStringList({"Caf\u00E9 Clip", "+44 1"}));
    QCOMPARE(shown.messages, QStringList());

    // A group header drags the empty text; each result has its message.
    list.setCurrentRow(29);
    answer = DropCancelled;
    moveWith(list.viewport(), Qt::LeftButton);
    QCOMPARE(dragged.last(), QString());
    answer = 0x80004005;
    moveWith(list.viewport(), Qt::LeftButton);
    QCOMPARE(shown.messages, QStringList({"Drop cancel", "Drop unknown:80004005"}));

    // Pressing a row selects it; the first move drags it, no distance needed.
    list.setDragRunner([&](QMimeData *data) {
        dragged << data->text();
        return quint32(DropDone);
    });
    const QRect second = list.visualItemRect(list.item(2));
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, second.center());
    QMouseEvent move(QEvent::MouseMove, second.center(), list.viewport()->mapToGlobal(second.center()), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &move);
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(dragged.last(), table.fieldText(QStringLiteral("Program_Version")));
    QCOMPARE(shown.errors, QStringList());
}

void SoftListPanelTest::missingFieldShowsError()
{
    TSoftwareTable table;
    QVector<TFieldDef> fields = TSoftwareTable::standardFields();
    fields.removeIf([](const TFieldDef &f) { return f.name == QLatin1String("Country"); });
    table.open(fields, {QStringList()});
    SoftListBox list(table);
    int drags = 0;
    list.setDragRunner([&](QMimeData *) {
        ++drags;
        return quint32(DropDone);
    });
    Recorder shown;
    list.setCurrentRow(rows().indexOf(QStringLiteral("Country")));
    moveWith(list.viewport(), Qt::LeftButton);
    QCOMPARE(drags, 0);
    QCOMPARE(shown.errors, QStringList({"ClientDataSet1: Field 'Country' not found"}));
    QCOMPARE(shown.messages, QStringList());

    // A closed table: every field row fails the same way.
    TSoftwareTable closed;
    SoftListBox closedList(closed);
    closedList.setDragRunner([&](QMimeData *) {
        ++drags;
        return quint32(DropDone);
    });
    closedList.setCurrentRow(1);
    moveWith(closedList.viewport(), Qt::LeftButton);
    QCOMPARE(drags, 0);
    QCOMPARE(shown.errors.last(), QStringLiteral("ClientDataSet1: Field 'Program_Name' not found"));
}

void SoftListPanelTest::realDragEndsWithAMessage()
{
    // Without a display nothing can accept the drop: Qt's drag ends with
    // IgnoreAction at once, which is a cancelled drag.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("a real drag waits for the user on a display");
    TSoftwareTable table;
    table.open(TSoftwareTable::standardFields(), {QStringList()});
    SoftListBox list(table);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    Recorder shown;
    list.setCurrentRow(1);
    moveWith(list.viewport(), Qt::LeftButton);
    QCOMPARE(shown.messages, QStringList({"Drop cancel"}));
}

QTEST_MAIN(SoftListPanelTest)
#include "test_softlistpanel.moc"
