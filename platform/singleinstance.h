#pragma once
// One running program per executable file name and user: a later start hands
// its command-line items to the running one (the receiving instance) and ends.
//
// Transport: the receiving instance listens on a local socket named after the
// executable's file name and the user id, in a folder only the user can enter:
// $XDG_RUNTIME_DIR/doduvodaz, or doduvodaz-<uid> in the temp folder (created
// 0700). A folder that is a link, belongs to another user or is open to others
// (and not ours to close) is never used: doduvodaz-instance in the user's cache
// folder ($XDG_CACHE_HOME, ~/.cache; created 0700) serves instead, and stderr
// says so once. Both ends check the user id of the process at the other end
// and drop a connection from or to another user. A handing-over start connects
// and waits for the receiver's
// greeting, which it sends to one start at a time (so simultaneous starts are
// served one after another); the start then sends one TInstanceBlock and waits
// for the receiver's acknowledgement, sent after the items were handled. Each
// wait lasts at most the acquire and deliver timeouts (10000 ms each). A
// receiver that does not answer in time is replaced: the start becomes the
// receiving instance. The choice of the receiving instance is serialised by a
// lock file held with flock(), which the system releases when its holder dies,
// and a dead receiver's socket refuses connections at once, so a crashed or
// killed receiver never makes a later start wait.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QLocalServer;
class QLocalSocket;

namespace platform {

// The hand-over block, little-endian, 3018 bytes:
//   offset 0, 4 bytes: id of the receiving instance (its process id);
//   offset 4, 4 bytes: number of items, 0 to 10, signed;
//   offset 8: ten slots of 301 bytes, slot i at 8 + 301 * i, each holding an
//   item of at most 300 bytes of UTF-8 text followed by a zero byte.
struct TInstanceBlock {
    static constexpr int Size = 3018;
    static constexpr int CountOffset = 4;
    static constexpr int SlotsOffset = 8;
    static constexpr int SlotSize = 301;
    static constexpr int MaxItems = 10;
    static constexpr int MaxItemBytes = 300;

    // The first ten items, each cut to its first 300 bytes at a character
    // boundary.
    static QByteArray encode(quint32 receiverId, const QStringList &items);
    // Reads a block from an untrusted peer: a count below 0 reads as 0, above
    // 10 as 10; a slot is read up to its first zero byte and at most 300
    // bytes; a short block reads as if padded with zero bytes.
    static QStringList decode(const QByteArray &block);
    // An item as stored in a slot: UTF-8, at most 300 bytes, whole characters.
    static QByteArray itemBytes(const QString &item);
};

class TOneInstance : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ShowOnNewInstance READ showOnNewInstance WRITE setShowOnNewInstance)
public:
    // executableFileName: the file name (not the path) of the running
    // executable; copies under other names do not meet.
    explicit TOneInstance(const QString &executableFileName, QObject *parent = nullptr);
    ~TOneInstance() override;

    // ShowOnNewInstance: emit bringToFront before OnInstanceStarted when a
    // start hands over (default true).
    bool showOnNewInstance() const { return m_showOnNewInstance; }
    void setShowOnNewInstance(bool show) { m_showOnNewInstance = show; }
    // Longest wait, in ms, for the receiver's greeting and for its
    // acknowledgement (default 10000 each).
    void setAcquireTimeout(int ms) { m_acquireTimeout = ms; }
    void setDeliverTimeout(int ms) { m_deliverTimeout = ms; }

    // The single-instance check with this start's command-line items (the
    // arguments after the program name). True: the items were handed to the
    // running instance and this start should end without showing a window.
    // False: this process goes on as an ordinary instance and, unless the
    // folder for the endpoint is unusable (then there is simply no hand-over),
    // is now the receiving instance. Throws base::Error "Unable to create
    // semaphore" when the endpoint cannot be created.
    bool handOver(const QStringList &args);

    bool isReceiving() const { return m_server != nullptr; }

    // Where the receiving instance of executableFileName listens; empty when
    // no private folder of this user can be had for it.
    static QString endpointPath(const QString &executableFileName);

signals:
    // A start handed over: restore the main window and bring it to the front.
    void bringToFront();
    // The items of a start that handed over, on the thread of this object.
    void OnInstanceStarted(const QStringList &items);

private:
    bool m_showOnNewInstance = true;
    int m_acquireTimeout = 10000;
    int m_deliverTimeout = 10000;
    enum class Outcome { Delivered, NoReceiver, TimedOut };
    enum class Decision { Listening, ReceiverFound, Skipped };

    Outcome tryHandOver(const QStringList &args);
    Decision becomeReceiver(bool force);
    bool listenAt(const QString &path);
    void removeEndpoint();

    void acceptConnections();
    void serveNext();
    void readBlock();
    void peerGone();
    void finishPeer();

    QString m_path;
    QString m_lockPath;
    QLocalServer *m_server = nullptr;
    quint64 m_device = 0;
    quint64 m_inode = 0;

    QList<QPointer<QLocalSocket>> m_waiting;
    QPointer<QLocalSocket> m_current;
    QByteArray m_block;
    QTimer m_peerTimer;
    bool m_delivering = false;
};

} // namespace platform
