// The six pages of the software editor: every label and control, each control
// bound to its field.
#include "fieldcontrols.h"
#include "padform.h"
#include "padvaluelists.h"

#include "platform/desktop.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace software {

namespace {

QLabel *label(const QString &text, QWidget *parent = nullptr)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// Pages scroll rather than grow the window beyond its size.
QWidget *scrolling(QWidget *content)
{
    auto *area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    return area;
}

QGridLayout *tightGrid(QWidget *on)
{
    auto *g = new QGridLayout(on);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);
    return g;
}

// The PAD logo: a small badge drawn here, a link to the PAD web site.
class PadLogo : public QLabel {
public:
    explicit PadLogo(QWidget *parent = nullptr) : QLabel(parent)
    {
        setObjectName(QStringLiteral("Image1"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(TPADForm::padSiteUrl().toString());
        QPixmap badge(88, 31);
        badge.fill(Qt::transparent);
        QPainter p(&badge);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x1f, 0x3f, 0x8f), 2));
        p.setBrush(QColor(0xff, 0xd2, 0x3f));
        p.drawRoundedRect(QRectF(1, 1, 86, 29), 6, 6);
        QFont f = font();
        f.setBold(true);
        f.setPixelSize(20);
        p.setFont(f);
        p.setPen(QColor(0x1f, 0x3f, 0x8f));
        p.drawText(QRect(0, 0, 88, 31), Qt::AlignCenter, QStringLiteral("PAD"));
        p.end();
        setPixmap(badge);
        setFixedSize(badge.size());
    }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            platform::openExternally(TPADForm::padSiteUrl());
    }
};

} // namespace

QWidget *TPADForm::edit(const QString &field, int limit)
{
    auto *w = new BoundLineEdit(*m_record, field, limit);
    m_links << w;
    return w;
}

QWidget *TPADForm::memo(const QString &field, int limit, bool wrap)
{
    auto *w = new BoundMemo(*m_record, field, limit, wrap);
    m_links << w;
    return w;
}

QWidget *TPADForm::list(const QString &field, const QStringList &entries)
{
    auto *w = new BoundComboBox(*m_record, field, entries);
    m_links << w;
    return w;
}

void TPADForm::addRow(QGridLayout *grid, int row, const QString &text, QWidget *control, int span)
{
    grid->addWidget(label(text), row, 0);
    grid->addWidget(control, row, 1, 1, span);
}

QWidget *TPADForm::buildCompanyPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("CompanyInfo"));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setSpacing(4);

    auto *top = new QHBoxLayout;
    auto *address = new QWidget;
    auto *a = tightGrid(address);
    addRow(a, 0, tr("Company Name:"), edit(QStringLiteral("Company_Name")), 3);
    addRow(a, 1, tr("Address 1:"), edit(QStringLiteral("Address_1")), 3);
    addRow(a, 2, tr("Address 2:"), edit(QStringLiteral("Address_2")), 3);
    addRow(a, 3, tr("City/Town:"), edit(QStringLiteral("City_Town")), 3);
    addRow(a, 4, tr("State/Province:"), edit(QStringLiteral("State_Province")));
    a->addWidget(label(tr("Zip/Postal Code:")), 4, 2);
    a->addWidget(edit(QStringLiteral("Zip_Postal_Code")), 4, 3);
    addRow(a, 5, tr("Country:"), edit(QStringLiteral("Country")), 3);
    addRow(a, 6, tr("Company URL:"), edit(QStringLiteral("Company_WebSite_URL")), 3);
    a->setRowStretch(7, 1);
    top->addWidget(address, 1);

    auto *author = new QGroupBox(tr("Author/Contact Info: "));
    auto *g = tightGrid(author);
    addRow(g, 0, tr("First Name:"), edit(QStringLiteral("Author_First_Name")));
    g->addWidget(label(tr("Last:")), 0, 2);
    g->addWidget(edit(QStringLiteral("Author_Last_Name")), 0, 3);
    addRow(g, 1, tr("Author Email:"), edit(QStringLiteral("Author_Email")), 3);
    g->addWidget(label(tr("Contact Name: ")), 2, 0, 1, 4);
    addRow(g, 3, tr("First Name:"), edit(QStringLiteral("Contact_First_Name")));
    g->addWidget(label(tr("Last:")), 3, 2);
    g->addWidget(edit(QStringLiteral("Contact_Last_Name")), 3, 3);
    addRow(g, 4, tr("Contact Email:"), edit(QStringLiteral("Contact_Email")), 3);
    g->setRowStretch(5, 1);
    top->addWidget(author, 1);
    outer->addLayout(top);

    auto *bottom = new QHBoxLayout;
    auto *support = new QGroupBox(tr("Support Info: "));
    auto *s = tightGrid(support);
    s->addWidget(label(tr("Email Addresses:")), 0, 0, 1, 2);
    addRow(s, 1, tr("Sales:"), edit(QStringLiteral("Sales_Email")));
    addRow(s, 2, tr("Support:"), edit(QStringLiteral("Support_Email")));
    addRow(s, 3, tr("General:"), edit(QStringLiteral("General_Email")));
    s->addWidget(label(tr("Phone Numbers:")), 0, 2, 1, 2);
    const std::pair<const char *, const char *> phones[] = {{QT_TR_NOOP("Sales:"), "Sales_Phone"},
                                                            {QT_TR_NOOP("Support:"), "Support_Phone"},
                                                            {QT_TR_NOOP("General:"), "General_Phone"},
                                                            {QT_TR_NOOP("Fax:"), "Fax_Phone"}};
    int row = 1;
    for (const auto &[text, field] : phones) {
        s->addWidget(label(tr(text)), row, 2);
        s->addWidget(edit(QString::fromLatin1(field)), row, 3);
        ++row;
    }
    bottom->addWidget(support, 3);

    auto *padBox = new QVBoxLayout;
    padBox->addWidget(new PadLogo);
    auto *about = label(tr("This program supports PAD, the Portable Application Description.\n"
                           "We recommend a free PAD generator for writing your PAD file.\n"
                           "More about PAD on the web: www.asp-shareware.org/pad"));
    about->setWordWrap(true);
    padBox->addWidget(about);
    padBox->addStretch(1);
    bottom->addLayout(padBox, 2);
    outer->addLayout(bottom);
    return scrolling(page);
}

QWidget *TPADForm::buildProgramPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ProgramInfo"));
    auto *halves = new QHBoxLayout(page);
    halves->setContentsMargins(2, 2, 2, 2);
    halves->setSpacing(4);
    const auto narrow = [](QWidget *w, int chars) {
        w->setFixedWidth(w->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 14);
        return w;
    };
    const auto dateRow = [&](const char *month, const char *day, const char *year, int limit) {
        auto *row = new QHBoxLayout;
        row->setSpacing(3);
        row->addWidget(label(tr("M:")));
        row->addWidget(narrow(edit(QString::fromLatin1(month), limit ? 2 : 0), 2));
        row->addWidget(label(tr("D:")));
        row->addWidget(narrow(edit(QString::fromLatin1(day), limit ? 2 : 0), 2));
        row->addWidget(label(tr("Y:")));
        row->addWidget(narrow(edit(QString::fromLatin1(year), limit ? 4 : 0), 4));
        row->addStretch(1);
        return row;
    };

    auto *left = new QWidget;
    auto *l = tightGrid(left);
    auto *importButton = new QPushButton(tr("Import XML file..."));
    importButton->setObjectName(QStringLiteral("SpeedButton1"));
    importButton->setAutoDefault(false);
    connect(importButton, &QPushButton::clicked, this, &TPADForm::importPadFileChosen);
    l->addWidget(importButton, 0, 0, 1, 2, Qt::AlignLeft);
    addRow(l, 1, tr("Program Name:"), edit(QStringLiteral("Program_Name")));
    addRow(l, 2, tr("Version:"), edit(QStringLiteral("Program_Version")));
    l->addWidget(label(tr("Release Date:")), 3, 0);
    l->addLayout(dateRow("Program_Release_Month", "Program_Release_Day", "Program_Release_Year", 0), 3, 1);
    addRow(l, 4, tr("Type:"), list(QStringLiteral("Program_Type"), programTypes()));
    addRow(l, 5, tr("Release Status"), list(QStringLiteral("Program_Release_Status"), releaseStatuses()));
    addRow(l, 6, tr("Cost(US$):"), edit(QStringLiteral("Program_Cost_Dollars")));
    auto *other = new QHBoxLayout;
    other->addWidget(list(QStringLiteral("Program_Cost_Other_Code"), currencyCodes()));
    other->addWidget(edit(QStringLiteral("Program_Cost_Other")), 1);
    l->addWidget(label(tr("Cost(Other):")), 7, 0);
    l->addLayout(other, 7, 1);
    addRow(l, 8, tr("Install Support:"), list(QStringLiteral("Program_Install_Support"), installSupports()));
    m_languageList = new FieldCheckList(*m_record, QStringLiteral("Program_Language"), languages());
    m_links << m_languageList;
    l->addWidget(label(tr("Language:")), 9, 0, Qt::AlignTop);
    l->addWidget(m_languageList, 9, 1);
    l->setRowStretch(9, 1);
    addRow(l, 10, tr("Size (Bytes):"), edit(QStringLiteral("File_Size_Bytes")));
    halves->addWidget(left, 1);

    auto *rightSide = new QVBoxLayout;
    rightSide->setSpacing(2);
    auto *right = new QWidget;
    auto *r = tightGrid(right);
    addRow(r, 0, tr("Category Class:"), list(QStringLiteral("Program_Category_Class"), categoryClasses()));
    addRow(r, 1, tr("Recent Changes:"), edit(QStringLiteral("Program_Change_Info"), 255));
    addRow(r, 2, tr("System Req:"), edit(QStringLiteral("Program_System_Requirements"), 80));
    m_osList = new FieldCheckList(*m_record, QStringLiteral("Program_OS_Support"), operatingSystems());
    m_links << m_osList;
    r->addWidget(label(tr("Supported\nOperating Systems:")), 3, 0, Qt::AlignTop);
    r->addWidget(m_osList, 3, 1);
    r->setRowStretch(3, 1);
    rightSide->addWidget(right, 1);

    auto *expire = new QGroupBox(tr("ExpireInfo"));
    auto *e = tightGrid(expire);
    addRow(e, 0, tr("Num. of Days/Uses:"), edit(QStringLiteral("Expire_Count")));
    e->addWidget(label(tr("Expiration Date:")), 1, 0);
    e->addLayout(dateRow("Expire_Month", "Expire_Day", "Expire_Year", 1), 1, 1);
    addRow(e, 2, tr("Other Expire info:"), edit(QStringLiteral("Expire_Other_Info")));
    auto *basedOn =
        new BoundRadioGroup(*m_record, QStringLiteral("Expire_Based_On"), tr("Expire_Based_On"), expireBasedOn());
    m_links << basedOn;
    e->addWidget(basedOn, 3, 0, 1, 2);
    rightSide->addWidget(expire);
    halves->addLayout(rightSide, 1);
    return scrolling(page);
}

QWidget *TPADForm::buildDescriptionsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Descriptions"));
    auto *outer = new QHBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);

    auto *english = new QWidget;
    english->setObjectName(QStringLiteral("English"));
    auto *fields = new QVBoxLayout(english);
    fields->setContentsMargins(4, 4, 4, 4);
    fields->setSpacing(4);
    struct Line {
        const char *label;
        const char *field;
        int limit;
        int height;
    };
    const Line lines[] = {{QT_TR_NOOP("Keywords:"), "Keywords", 250, 0},
                          {QT_TR_NOOP("45 Char. Desc:"), "Char_Desc_45", 45, 0},
                          {QT_TR_NOOP("80 Char. Desc:"), "Char_Desc_80", 80, 0},
                          {QT_TR_NOOP("250 Char. Desc:"), "Char_Desc_250", 250, 56},
                          {QT_TR_NOOP("450 Char. Desc:"), "Char_Desc_450", 450, 76},
                          {QT_TR_NOOP("2000 Char Desc:"), "Char_Desc_2000", 2000, 120}};
    auto *labels = new QVBoxLayout;
    labels->setContentsMargins(0, 0, 0, 0);
    labels->setSpacing(4);
    auto *inner = new QTabWidget;
    inner->setObjectName(QStringLiteral("DescriptionLanguages"));
    inner->addTab(english, tr("English"));
    // The labels stand beside the inner page, each level with its control.
    labels->addSpacing(inner->tabBar()->sizeHint().height() + 5);
    for (const Line &line : lines) {
        const QString field = QString::fromLatin1(line.field);
        QWidget *control = line.height ? memo(field, line.limit, true) : edit(field, line.limit);
        const int h = line.height ? line.height : control->sizeHint().height();
        control->setFixedHeight(h);
        fields->addWidget(control);
        QLabel *l = label(tr(line.label));
        l->setFixedHeight(h);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        labels->addWidget(l);
    }
    fields->addStretch(1);
    labels->addStretch(1);
    outer->addLayout(labels);
    outer->addWidget(inner, 1);
    return scrolling(page);
}

QWidget *TPADForm::buildWebPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("WebInfo"));
    auto *outer = new QVBoxLayout(page);
    auto *general = new QGroupBox(tr("General URL Info:"));
    auto *g = tightGrid(general);
    addRow(g, 0, tr("Application Info:"), edit(QStringLiteral("Application_Info_URL")));
    addRow(g, 1, tr("Application Order:"), edit(QStringLiteral("Application_Order_URL")));
    addRow(g, 2, tr("Screenshot:"), edit(QStringLiteral("Application_Screenshot_URL")));
    addRow(g, 3, tr("Program Icon:"), edit(QStringLiteral("Application_Icon_URL")));
    addRow(g, 4, tr("PAD XML File:"), edit(QStringLiteral("Application_XML_File_URL")));
    outer->addWidget(general);
    auto *download = new QGroupBox(tr("Download URL Info:"));
    auto *d = tightGrid(download);
    addRow(d, 0, tr("Primary Download:"), edit(QStringLiteral("Primary_Download_URL")));
    addRow(d, 1, tr("Secondary Download:"), edit(QStringLiteral("Secondary_Download_URL")));
    addRow(d, 2, tr("Additional DL URL #1:"), edit(QStringLiteral("Additional_Download_URL_1")));
    addRow(d, 3, tr("Additional DL URL #2:"), edit(QStringLiteral("Additional_Download_URL_2")));
    outer->addWidget(download);
    outer->addStretch(1);
    return scrolling(page);
}

QWidget *TPADForm::buildPermissionsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Permissions"));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    const struct {
        const char *label;
        const char *field;
        const char *button;
        void (TPADForm::*load)();
    } texts[] = {{QT_TR_NOOP("Distribution Agreements:"), "Distribution_Permissions", "DistAgreementBtn",
                  &TPADForm::loadDistributionAgreement},
                 {QT_TR_NOOP("End User License Agreement:"), "EULA", "BitBtn2", &TPADForm::loadLicenceAgreement}};
    for (const auto &t : texts) {
        outer->addWidget(label(tr(t.label)));
        auto *button = new QToolButton;
        button->setObjectName(QString::fromLatin1(t.button));
        button->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
        button->setToolTip(tr("Load a text file"));
        connect(button, &QToolButton::clicked, this, t.load);
        outer->addWidget(button, 0, Qt::AlignLeft);
        outer->addWidget(memo(QString::fromLatin1(t.field), 0, false), 1);
    }
    return scrolling(page);
}

QWidget *TPADForm::buildCompatibilityPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Compatibility"));
    auto *outer = new QVBoxLayout(page);
    outer->addWidget(label(tr("Program Info fields that should be filled in for backwards\n"
                              "compatibility with legacy PAD parsers.")));
    auto *top = new QWidget;
    auto *t = tightGrid(top);
    addRow(t, 0, tr("Possible Categories:"), edit(QStringLiteral("Program_Categories")));
    addRow(t, 1, tr("Specific Category:"), list(QStringLiteral("Program_Specific_Category"), specificCategories()));
    outer->addWidget(top);
    auto *files = new QGroupBox(tr("File Information:"));
    auto *f = tightGrid(files);
    addRow(f, 0, tr("Versioned Filename:"), edit(QStringLiteral("Filename_Versioned")));
    addRow(f, 1, tr("Previous Filename:"), edit(QStringLiteral("Filename_Previous")));
    addRow(f, 2, tr("Generic Filename:"), edit(QStringLiteral("Filename_Generic")));
    addRow(f, 3, tr("Long Filename:"), edit(QStringLiteral("Filename_Long")));
    outer->addWidget(files);
    auto *supporting = new QGroupBox(tr("Supporting Software:"));
    supporting->setMinimumHeight(40);
    outer->addWidget(supporting);
    outer->addStretch(1);
    return scrolling(page);
}

} // namespace software
