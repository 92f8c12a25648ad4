#pragma once
// The commands on the page of the current tab: save, print, page set-up,
// properties, copy, select all and find. Each does nothing without a page.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace web {
class TbxEmbeddedWb;
}

namespace shell {

class TFindBar;
class TbxWebTabSheet;

class TPageCommands : public QObject {
    Q_OBJECT
public:
    // The current tab page with its browser, or null.
    using CurrentPage = std::function<TbxWebTabSheet *()>;
    // The address box's text while it has the focus (copy takes it then).
    using FocusedAddress = std::function<std::optional<QString>()>;

    TPageCommands(QWidget *parent, CurrentPage page, TFindBar *findBar, FocusedAddress focusedAddress);
    ~TPageCommands() override;

    void saveAs();
    void print();
    void pageSetup();
    void properties();
    void copy();
    void selectAll();
    void find();

private:
    static void showProperties(QWidget *parent, web::TbxEmbeddedWb *browser, const QString &type);

    QWidget *m_parent;
    CurrentPage m_page;
    TFindBar *m_findBar;
    FocusedAddress m_focusedAddress;
    std::unique_ptr<QPrinter> m_printer; // made at the first use, kept for its settings
};

} // namespace shell
