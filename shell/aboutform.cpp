#include "aboutform.h"

#include "platform/desktop.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace shell {

namespace {

// A label that reads as a link: blue, hand cursor, clicked on release.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
    {
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, Qt::blue);
        setPalette(pal);
        setCursor(Qt::PointingHandCursor);
    }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

QLabel *textLine(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

} // namespace

QPixmap programPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Two tabs on top of a window.
    p.setPen(QPen(QColor(0x1f, 0x3f, 0x7f), 1));
    p.setBrush(QColor(0x9f, 0xbf, 0xef));
    p.drawRoundedRect(QRectF(13.5, 3.5, 10, 6), 1.5, 1.5);
    p.setBrush(QColor(0x3f, 0x6f, 0xcf));
    p.drawRoundedRect(QRectF(2.5, 3.5, 12, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 8.5, 27, 21));
    p.fillRect(QRectF(3, 9, 26, 3), QColor(0x3f, 0x6f, 0xcf));

    // Form fields being filled in.
    p.setPen(QPen(QColor(0x7f, 0x7f, 0x7f), 1));
    p.setBrush(QColor(0xf4, 0xf4, 0xf4));
    for (int row = 0; row < 3; ++row)
        p.drawRect(QRectF(6.5, 14.5 + row * 5, 16, 3));
    p.setPen(QPen(QColor(0x2f, 0x9f, 0x2f), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(21, 23);
    tick.lineTo(24, 26.5);
    tick.lineTo(30, 18);
    p.drawPath(tick);
    return pixmap;
}

QIcon programIcon()
{
    // The scalable icon the desktop shows too, where Qt can draw SVG.
    if (QImageReader::supportedImageFormats().contains("svg")) {
        QIcon svg(QStringLiteral(":/icons/org.doduvodaz.Doduvodaz.svg"));
        if (!svg.pixmap(32, 32).isNull())
            return svg;
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(programPixmap(size));
    return icon;
}

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(tr("About"));
    setFixedSize(ClientWidth, ClientHeight);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(programPixmap(32));
    icon->setFixedSize(32, 32);

    QLabel *title = textLine(QStringLiteral("lblTitle"), tr("Korvane Software Doduvodaz 1.5"), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(12);
    title->setFont(bold);

    QLabel *based = textLine(QStringLiteral("lblBased"), tr("Based on the Quillet tabbed browser."), this);
    QLabel *notice =
        textLine(QStringLiteral("lblNotice"), tr("\u00a9 2007 Korvane Software. All rights reserved."), this);
    QLabel *visit = textLine(QStringLiteral("lblVisit"), tr("Please visit our web site for more information:"), this);

    auto *site = new TLinkLabel(platform::makerSite().toString(), this);
    site->setObjectName(QStringLiteral("lblSite"));
    auto *email = new TLinkLabel(platform::makerEmail(), this);
    email->setObjectName(QStringLiteral("lblEmail"));
    connect(site, &TLinkLabel::clicked, this, &TAboutForm::lblSiteClick);
    connect(email, &TLinkLabel::clicked, this, &TAboutForm::lblEmailClick);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(1);
    lines->addWidget(title);
    lines->addSpacing(3);
    for (QWidget *w : {static_cast<QWidget *>(based), static_cast<QWidget *>(notice), static_cast<QWidget *>(visit),
                       static_cast<QWidget *>(site), static_cast<QWidget *>(email)})
        lines->addWidget(w, 0, Qt::AlignLeft);

    auto *top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 8);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
}

void TAboutForm::showEvent(QShowEvent *event)
{
    if (QScreen *s = screen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(), s->availableGeometry())
                 .topLeft());
    QDialog::showEvent(event);
}

void TAboutForm::lblSiteClick() { platform::openExternally(platform::makerSite()); }

void TAboutForm::lblEmailClick() { platform::openExternally(QUrl(QStringLiteral("mailto:") + platform::makerEmail())); }

} // namespace shell

#include "aboutform.moc"
