#include "web/problempage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace web {

ProblemPage::ProblemPage(QWidget *over) : QWidget(over)
{
    setObjectName(QStringLiteral("ProblemPage"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(250, 250, 250));
    p.setColor(QPalette::WindowText, QColor(40, 40, 40));
    setPalette(p);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(48, 48, 48, 48);
    auto *column = new QVBoxLayout;
    column->setSpacing(16);
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("ProblemHeading"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setWordWrap(true);
    QFont big = m_heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_heading->setFont(big);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("ProblemText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_buttonRow = new QWidget(this);
    m_buttons = new QHBoxLayout(m_buttonRow);
    m_buttons->setContentsMargins(0, 8, 0, 0);
    column->addWidget(m_heading);
    column->addWidget(m_text);
    column->addWidget(m_buttonRow);
    auto *centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(column, 4);
    centred->addStretch(1);
    outer->addStretch(1);
    outer->addLayout(centred);
    outer->addStretch(3);

    over->installEventFilter(this);
    setGeometry(over->rect());
    hide();
}

void ProblemPage::present(const QString &heading, const QString &text, const QList<Button> &buttons)
{
    m_heading->setText(heading);
    m_text->setText(text);
    while (QLayoutItem *item = m_buttons->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    bool first = true;
    for (const Button &b : buttons) {
        auto *button = new QPushButton(b.text, m_buttonRow);
        button->setObjectName(b.objectName);
        button->setDefault(first);
        first = false;
        connect(button, &QPushButton::clicked, this, [pressed = b.pressed] { pressed(); });
        m_buttons->addWidget(button);
    }
    m_buttons->addStretch(1);
    setGeometry(parentWidget()->rect());
    show();
    raise();
    if (!buttons.isEmpty())
        m_buttonRow->findChild<QPushButton *>(buttons.first().objectName)->setFocus();
}

QString ProblemPage::heading() const { return m_heading->text(); }

QString ProblemPage::text() const { return m_text->text(); }

bool ProblemPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::ChildAdded && !isHidden())
            raise(); // the engine may put a new surface of its own on top
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace web
