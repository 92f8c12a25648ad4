// The site list with a submission log: sites listed under one name keep
// states of their own, Done and Skipped take a note, record and page text
// shows as plain text in the counter and the tooltips, a long directory is
// listed whole with its count, and the filter choice is reported.
#include "sites/sitemarks.h"
#include "sites/sitespanel.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

using campaign::State;

namespace {

// What a label or tooltip shows of its text.
QString shown(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    if (!rich)
        return text;
    QTextDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

} // namespace

class SiteMarksTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_n = 0;
    campaign::Campaign m_campaign {QStringLiteral("ClipNest"), QStringLiteral("3.2.1")};

    QString directory(const QByteArray &sites)
    {
        const QString path = m_dir.filePath(QStringLiteral("padsites%1.dat").arg(++m_n));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write");
        f.write("1\r\n" + sites);
        return path;
    }

    void answerNextDialog(const QString &text)
    {
        QTimer::singleShot(200, this, [text] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QInputDialog *>(w); d && d->isVisible()) {
                    d->setTextValue(text);
                    d->accept();
                }
        });
    }

    void choose(sites::TSitesPanel &panel, int row, const char *action)
    {
        panel.showSiteMenu(row, QPoint(5, 5));
        panel.siteMenu()->findChild<QAction *>(QLatin1String(action))->trigger();
        panel.siteMenu()->hide();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sitesOfOneNameAndNotes()
    {
        campaign::SubmissionLog log;
        QVERIFY(log.open(m_dir.filePath(QStringLiteral("names.sqlite"))));
        sites::TSitesPanel panel;
        panel.loadDirectory(directory("*Soft Portal\r\nhttp://one.example/new\r\nhttp://one.example/upd\r\n"
                                      "*Soft Portal\r\nhttp://two.example/new\r\nhttp://two.example/upd\r\n"
                                      "*Other\r\nhttp://other.example/\r\n\r\n"));
        panel.setSubmissionLog(&log, [this] { return m_campaign; });
        panel.show();

        choose(panel, 1, "actSiteDone");
        QCOMPARE(panel.stateOf(0), State::Open);
        QCOMPARE(panel.stateOf(1), State::Done);
        QVERIFY(panel.siteMark(0).cacheKey() != panel.siteMark(1).cacheKey());

        answerNextDialog(QStringLiteral("listed in an hour"));
        choose(panel, 0, "actSiteDoneNote");
        answerNextDialog(QStringLiteral("paid listings only"));
        choose(panel, 2, "actSiteSkippedNote");
        QCOMPARE(panel.stateOf(0), State::Done);
        QCOMPARE(panel.stateOf(2), State::Skipped);
        QVERIFY(panel.siteToolTip(0).contains(QLatin1String("Note: listed in an hour")));
        QVERIFY(!panel.siteToolTip(1).contains(QLatin1String("Note:")));
        QVERIFY(panel.siteToolTip(2).contains(QLatin1String("Note: paid listings only")));
        // A cancelled note sets nothing.
        QTimer::singleShot(200, this, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QInputDialog *>(w); d && d->isVisible())
                    d->reject();
        });
        choose(panel, 2, "actSiteDoneNote");
        QCOMPARE(panel.stateOf(2), State::Skipped);
        QCOMPARE(panel.progressLabel()->text(), QStringLiteral("2 of 3 done for ClipNest 3.2.1"));
    }

    void recordAndPageTextIsPlain()
    {
        const QString path = m_dir.filePath(QStringLiteral("plain.sqlite"));
        campaign::SubmissionLog log;
        QVERIFY(log.open(path));
        sites::TSitesPanel panel;
        panel.loadDirectory(directory("*Alpha\r\nhttp://alpha.example/\r\n\r\n"));
        m_campaign = {QStringLiteral("<i>Clip</i>Nest"), QStringLiteral("3")};
        panel.setSubmissionLog(&log, [this] { return m_campaign; });
        panel.show();
        campaign::Event result;
        result.kind = campaign::EventKind::Result;
        result.title = QStringLiteral("<b>Thanks</b>");
        QVERIFY(log.record(m_campaign, panel.site(0), result));

        QLabel *counter = panel.progressLabel();
        QCOMPARE(shown(counter->text(), counter->textFormat()), QStringLiteral("0 of 1 done for <i>Clip</i>Nest 3"));

        QListWidget *list = panel.siteList();
        const QPoint p = list->visualItemRect(list->item(0)).center();
        QHelpEvent help(QEvent::ToolTip, p, list->viewport()->mapToGlobal(p));
        QApplication::sendEvent(list->viewport(), &help);
        QTRY_VERIFY(!QToolTip::text().isEmpty());
        const QString tip = shown(QToolTip::text());
        QVERIFY2(tip.startsWith(QLatin1String("Open for <i>Clip</i>Nest 3")), qPrintable(tip));
        QVERIFY2(tip.contains(QLatin1String("result page \"<b>Thanks</b>\"")), qPrintable(tip));
        QVERIFY2(tip.contains(QLatin1Char('\n')), qPrintable(tip)); // the lines stay lines
        QToolTip::hideText();
        // Plain text that looks like no markup passes unchanged.
        QCOMPARE(sites::plainToolTip(QStringLiteral("Done for ClipNest\nNote: a & b")),
                 QStringLiteral("Done for ClipNest\nNote: a & b"));
        m_campaign = {QStringLiteral("ClipNest"), QStringLiteral("3.2.1")};
    }

    void longDirectoryIsListedWholeWithItsCount()
    {
        QByteArray text;
        for (int k = 0; k < 700; ++k)
            text += "*Site " + QByteArray::number(k) + "\r\nhttp://s" + QByteArray::number(k) + ".example/\r\n\r\n";
        campaign::SubmissionLog log;
        QVERIFY(log.open(m_dir.filePath(QStringLiteral("long.sqlite"))));
        sites::TSitesPanel panel;
        panel.loadDirectory(directory(text));
        panel.setSubmissionLog(&log, [this] { return m_campaign; });
        QCOMPARE(panel.siteList()->count(), 700);
        QCOMPARE(panel.sitesLabel()->text(), QStringLiteral("Sites list (700):"));
        panel.setSiteState(650, State::Done);
        QCOMPARE(panel.stateOf(650), State::Done);
        QCOMPARE(panel.progressLabel()->text(), QStringLiteral("1 of 700 done for ClipNest 3.2.1"));
    }

    void filterChoiceIsReported()
    {
        campaign::SubmissionLog log;
        QVERIFY(log.open(m_dir.filePath(QStringLiteral("filter.sqlite"))));
        sites::TSitesPanel panel;
        panel.loadDirectory(directory("*Alpha\r\nhttp://alpha.example/\r\n\r\n"));
        panel.setSubmissionLog(&log, [this] { return m_campaign; });
        panel.show();
        QSignalSpy chosen(&panel, &sites::TSitesPanel::notDoneFilterChosen);
        panel.setNotDoneFilter(true); // set from the settings: not a choice
        QVERIFY(panel.notDoneFilter());
        QCOMPARE(chosen.count(), 0);
        QComboBox *box = panel.filterBox();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toBool(), false);
        QVERIFY(!panel.notDoneFilter());
    }
};

QTEST_MAIN(SiteMarksTest)
#include "test_sitemarks.moc"
