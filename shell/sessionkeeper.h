#pragma once
// Remembers which tabs are open (address and site) in a small file while the
// program runs, so that a start after a crash can offer them again. The file
// says whether the program ended normally; it is rewritten whole (atomically)
// a moment after the tabs change, and marked as ended at a normal end.
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace shell {

class TbxWebTabSheet;
class TfrmBrwMain;

struct SessionTab {
    QString address;
    QString site; // the site it was opened for, or empty
};

class TSessionKeeper : public QObject {
    Q_OBJECT
public:
    // siteOf names the site a tab belongs to (empty when none).
    TSessionKeeper(TfrmBrwMain *window, const QString &path, std::function<QString(TbxWebTabSheet *)> siteOf);

    // The tabs of the last run when it did not end normally; empty otherwise.
    QList<SessionTab> interrupted() const { return m_interrupted; }
    // The offer of the interrupted tabs was answered; until then they stay
    // in the file, so that another crash does not lose them.
    void interruptedHandled();
    // The program ends normally: the file says so.
    void endNormally();
    // Writes the open tabs now (otherwise done shortly after each change).
    void writeNow();

    static QList<SessionTab> readInterrupted(const QString &path);

private:
    TfrmBrwMain *m_window;
    QString m_path;
    std::function<QString(TbxWebTabSheet *)> m_siteOf;
    QList<SessionTab> m_interrupted;
    QTimer m_pending;
    bool m_ended = false;
    bool m_carry = false;
};

} // namespace shell
