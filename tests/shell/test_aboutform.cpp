// The About box and the help and home pages of the "Help" menu.
#include "platform/desktop.h"
#include "shell/aboutform.h"
#include "shell/helpcommands.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestAboutForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sizeAndTexts();
    void linesFitTheBox();
    void linksOpenSiteAndMail();
    void okClosesAndIsDefault();

    void helpLooksInCurrentDirectory();
    void helpInRootFolder();
    void homePage();
    void helpPageIsDelivered();

private:
    QList<QUrl> m_opened;
};

void TestAboutForm::init()
{
    m_opened.clear();
    platform::setExternalOpener([this](const QUrl &url) { m_opened << url; });
}

void TestAboutForm::cleanup() { platform::setExternalOpener(nullptr); }

void TestAboutForm::sizeAndTexts()
{
    shell::TAboutForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("About"));
    QCOMPARE(form.size(), QSize(382, 182));
    QCOMPARE(form.minimumSize(), QSize(382, 182));
    QCOMPARE(form.maximumSize(), QSize(382, 182));

    auto *title = form.findChild<QLabel *>("lblTitle");
    QCOMPARE(title->text(), QStringLiteral("Korvane Software Doduvodaz 1.5"));
    QVERIFY(title->font().bold());
    QCOMPARE(title->font().pointSize(), 12);
    QVERIFY(form.findChild<QLabel *>("lblBased")->text().contains(QStringLiteral("tabbed browser")));
    QVERIFY(form.findChild<QLabel *>("lblNotice")->text().contains(QStringLiteral("Korvane Software")));
    QVERIFY(form.findChild<QLabel *>("lblVisit")->text().contains(QStringLiteral("web site")));
    QCOMPARE(form.findChild<QLabel *>("lblSite")->text(), platform::makerSite().toString());
    QCOMPARE(form.findChild<QLabel *>("lblEmail")->text(), platform::makerEmail());
    auto *bevel = form.findChild<QFrame *>("Bevel1");
    QCOMPARE(bevel->frameShape(), QFrame::HLine);
    QCOMPARE(bevel->frameShadow(), QFrame::Sunken);
}

void TestAboutForm::linesFitTheBox()
{
    shell::TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(382, 182));
    const QRect inside = form.rect();
    for (QWidget *w : form.findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const QRect r(w->mapTo(&form, QPoint(0, 0)), w->size());
        QVERIFY2(inside.contains(r), qPrintable(w->objectName()));
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
    }
    // Centred on the screen.
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    QVERIFY((form.frameGeometry().center() - screenCentre).manhattanLength() <= 2);
}

void TestAboutForm::linksOpenSiteAndMail()
{
    shell::TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *site = form.findChild<QLabel *>("lblSite");
    auto *email = form.findChild<QLabel *>("lblEmail");
    for (QLabel *link : {site, email}) {
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::mouseClick(email, Qt::LeftButton);
    QCOMPARE(m_opened, (QList<QUrl> {platform::makerSite(), QUrl("mailto:" + platform::makerEmail())}));
    QCOMPARE(platform::makerSite().path(), QStringLiteral("/"));
    QCOMPARE(m_opened.at(1).scheme(), QStringLiteral("mailto"));
}

void TestAboutForm::okClosesAndIsDefault()
{
    shell::TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *ok = form.findChild<QPushButton *>("btnOK");
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QTest::keyClick(&form, Qt::Key_Return);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestAboutForm::helpLooksInCurrentDirectory()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QVERIFY(dir.path() != QCoreApplication::applicationDirPath());
    shell::showHelp(); // no help.htm there: it is asked for all the same
    QDir::setCurrent(before);
    QCOMPARE(m_opened, QList<QUrl> {QUrl::fromLocalFile(dir.path() + "/help.htm")});
    QVERIFY(m_opened.first().isLocalFile());
}

void TestAboutForm::helpInRootFolder()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral("/")));
    shell::showHelp();
    QDir::setCurrent(before);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().toLocalFile(), QStringLiteral("/help.htm"));
    QCOMPARE(m_opened.first().host(), QString());
}

void TestAboutForm::homePage()
{
    shell::openHomePage();
    QCOMPARE(m_opened, QList<QUrl> {platform::makerSite(QStringLiteral("/software_doduvodaz.htm"))});
    QCOMPARE(m_opened.first().path(), QStringLiteral("/software_doduvodaz.htm"));
}

void TestAboutForm::helpPageIsDelivered()
{
    QFile help(QStringLiteral(DODU_SOURCE_DIR "/data/help.htm"));
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    QVERIFY(text.contains(QStringLiteral("<title>")));
    // Every link inside the page leads to a section that exists.
    static const QRegularExpression anchor(QStringLiteral("href=\"#([^\"]+)\""));
    int links = 0;
    for (const QRegularExpressionMatch &m : anchor.globalMatch(text)) {
        ++links;
        QVERIFY2(text.contains(QStringLiteral("id=\"%1\"").arg(m.captured(1))), qPrintable(m.captured(1)));
    }
    QVERIFY(links > 5);
}

QTEST_MAIN(TestAboutForm)
#include "test_aboutform.moc"
