#include "findbar.h"

#include "web/embeddedwb.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace shell {

TFindBar::TFindBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(tr("Find:"), this));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setClearButtonEnabled(true);
    layout->addWidget(m_text, 1);
    auto *next = new QPushButton(tr("&Next"), this);
    auto *prev = new QPushButton(tr("&Previous"), this);
    auto *close = new QPushButton(tr("Close"), this);
    layout->addWidget(next);
    layout->addWidget(prev);
    m_result = new QLabel(this);
    layout->addWidget(m_result);
    layout->addWidget(close);
    connect(m_text, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(m_text, &QLineEdit::textChanged, this, [this] { findNext(); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
    connect(prev, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(close, &QPushButton::clicked, this, &TFindBar::finish);
    hide();
}

void TFindBar::startFind(web::TbxEmbeddedWb *browser)
{
    m_page = browser;
    show();
    m_text->setFocus();
    m_text->selectAll();
}

void TFindBar::findNext(bool backward)
{
    if (!m_page)
        return;
    QPointer<QLabel> result(m_result);
    m_page->findText(m_text->text(), backward, [result, empty = m_text->text().isEmpty()](int active, int count) {
        if (!result)
            return;
        if (empty)
            result->clear();
        else if (count == 0)
            result->setText(tr("Not found"));
        else
            result->setText(tr("%1 of %2").arg(active).arg(count));
    });
}

void TFindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        finish();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFindBar::finish()
{
    if (m_page)
        m_page->findText(QString(), false);
    hide();
}

} // namespace shell
