#include "sitespanel.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A list that reports a choice the way a list box does: a click on an item
// (the selected one included) or a selection moved with the keyboard. Setting
// the current row from code reports nothing.
class SiteList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

Q_SIGNALS:
    void chosen();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidgetItem *pressed = m_pressed;
        m_pressed = nullptr;
        QListWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && pressed && itemAt(event->position().toPoint()) == pressed)
            Q_EMIT chosen();
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressed = itemAt(event->position().toPoint());
        QListWidget::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        if (currentRow() != before)
            Q_EMIT chosen();
    }

    // A Ctrl+click (open in the current tab) must not clear the selection.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override
    {
        QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
        if (index.isValid() && (flags & QItemSelectionModel::Deselect))
            flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
        return flags;
    }

private:
    QListWidgetItem *m_pressed = nullptr;
};

} // namespace

TSitesPanel::TSitesPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tabFavorite"));

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("pnlSitesTop"));
    top->setFixedHeight(84);

    Label1 = new QLabel(QStringLiteral("Sites list:"), top);
    Label1->setObjectName(QStringLiteral("Label1"));
    RadioButton1 = new QRadioButton(QStringLiteral("New Release"), top);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Update"), top);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    Label3 = new QLabel(QStringLiteral("Username:"), top);
    Label3->setObjectName(QStringLiteral("Label3"));
    Edit1 = new QLineEdit(top);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label4 = new QLabel(QStringLiteral("Password:"), top);
    Label4->setObjectName(QStringLiteral("Label4"));
    Edit2 = new QLineEdit(top);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // typed characters show as '*'
    Label3->setBuddy(Edit1);
    Label4->setBuddy(Edit2);
    Button1 = new QPushButton(QStringLiteral("Login"), top);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(4);
    grid->addWidget(Label1, 0, 0);
    auto *radios = new QHBoxLayout;
    radios->setSpacing(6);
    radios->addWidget(RadioButton1);
    radios->addWidget(RadioButton2);
    radios->addStretch(1);
    grid->addLayout(radios, 0, 1, 1, 2);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(Edit2, 2, 1);
    grid->addWidget(Button1, 1, 2, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(1, 1);

    auto *list = new SiteList(this);
    SiteListBox = list;
    SiteListBox->setObjectName(QStringLiteral("SiteListBox"));
    SiteListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    SiteListBox->setUniformItemSizes(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(top);
    column->addWidget(SiteListBox, 1);

    connect(list, &SiteList::chosen, this, &TSitesPanel::SiteListBoxClick);
    connect(Button1, &QPushButton::clicked, this, &TSitesPanel::loginRequested);
}

void TSitesPanel::loadDirectory(const QString &path)
{
    m_entries = sites::loadSiteEntries(path);
    QStringList shown;
    shown.reserve(m_entries.size());
    for (const TSiteEntry &e : std::as_const(m_entries))
        shown.append(sites::siteDisplayName(e.Name));
    SiteListBox->clear();
    SiteListBox->addItems(shown);
}

QString TSitesPanel::username() const { return Edit1->text(); }

QString TSitesPanel::password() const { return Edit2->text(); }

void TSitesPanel::SiteListBoxClick()
{
    const QList<QListWidgetItem *> selected = SiteListBox->selectedItems();
    if (selected.isEmpty())
        return;
    const int k = SiteListBox->row(selected.first());
    if (k < 0 || k >= m_entries.size())
        return;
    // The radio buttons count at the moment of the choice only.
    const TSiteEntry &entry = m_entries[k];
    const QString address = RadioButton1->isChecked() ? entry.NewReleaseURL : entry.UpdateURL;
    if (!address.isEmpty())
        Q_EMIT openUrlRequested(address);
}

#include "sitespanel.moc"
