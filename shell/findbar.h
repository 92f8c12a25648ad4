#pragma once
// A bar below the tab strip that searches the current page for a text.
#include <QPointer>
#include <QWidget>

class QLineEdit;
class QLabel;
namespace web {
class TbxEmbeddedWb;
}

namespace shell {

class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget *parent = nullptr);
    void startFind(web::TbxEmbeddedWb *browser);
    void findNext(bool backward = false);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void finish();
    QPointer<web::TbxEmbeddedWb> m_page;
    QLineEdit *m_text;
    QLabel *m_result;
};

} // namespace shell
