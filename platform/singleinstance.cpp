#include "platform/singleinstance.h"

#include "base/error.h"
#include "platform/messages.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------- the block

namespace platform {

QByteArray TInstanceBlock::itemBytes(const QString &item)
{
    QByteArray bytes = item.toUtf8();
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero); // the slot's zero byte would end it there anyway
    if (bytes.size() <= MaxItemBytes)
        return bytes;
    qsizetype cut = MaxItemBytes;
    while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80)
        --cut; // back to the first byte of the character that does not fit
    bytes.truncate(cut);
    return bytes;
}

QByteArray TInstanceBlock::encode(quint32 receiverId, const QStringList &items)
{
    QByteArray block(Size, '\0');
    char *data = block.data();
    const qint32 count = qint32(qMin<qsizetype>(items.size(), MaxItems));
    qToLittleEndian<quint32>(receiverId, data);
    qToLittleEndian<qint32>(count, data + CountOffset);
    for (qint32 i = 0; i < count; ++i) {
        const QByteArray bytes = itemBytes(items.at(i));
        std::memcpy(data + SlotsOffset + SlotSize * i, bytes.constData(), size_t(bytes.size()));
    }
    return block;
}

QStringList TInstanceBlock::decode(const QByteArray &block)
{
    QByteArray b = block.left(Size);
    if (b.size() < Size)
        b.append(QByteArray(Size - b.size(), '\0'));
    const qint32 count = qBound<qint32>(0, qFromLittleEndian<qint32>(b.constData() + CountOffset), MaxItems);
    QStringList items;
    for (qint32 i = 0; i < count; ++i) {
        const char *slot = b.constData() + SlotsOffset + SlotSize * i;
        int length = 0;
        while (length < MaxItemBytes && slot[length] != '\0')
            ++length;
        items.append(QString::fromUtf8(slot, length));
    }
    return items;
}

// ------------------------------------------------------------ the endpoint

namespace {

const char acknowledgement = '\x01';

// Exclusive flock() on the lock file, taken within a time limit. The system
// drops it when the holder ends, however it ends.
class EndpointLock {
public:
    EndpointLock(const QString &path, int timeoutMs)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return;
        const QDeadlineTimer deadline(qMax(0, timeoutMs));
        for (;;) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_locked = true;
                return;
            }
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
                return;
            QThread::msleep(5);
        }
    }
    ~EndpointLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    EndpointLock(const EndpointLock &) = delete;
    EndpointLock &operator=(const EndpointLock &) = delete;

    bool usable() const { return m_fd >= 0; }
    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

int remaining(const QDeadlineTimer &deadline) { return int(qMax<qint64>(0, deadline.remainingTime())); }

bool readExactly(QLocalSocket &socket, qsizetype n, const QDeadlineTimer &deadline, QByteArray &out)
{
    while (out.size() < n) {
        if (socket.bytesAvailable() > 0) {
            out += socket.read(n - out.size());
            continue;
        }
        if (socket.state() != QLocalSocket::ConnectedState || deadline.hasExpired())
            return false;
        if (!socket.waitForReadyRead(remaining(deadline)) && socket.bytesAvailable() == 0)
            return false;
    }
    return true;
}

// Why a folder cannot serve as a private folder of this user; empty when it
// can: a directory (not a link), owned by this user, with no access for group
// or others. With `create`, the folder is made when missing and closed when it
// is ours but too open; a folder owned by another user is never used.
QString whyNotPrivate(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    if (create && ::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("not a folder");
    if (st.st_uid != ::getuid())
        return QStringLiteral("owned by user %1").arg(st.st_uid);
    if ((st.st_mode & 077) != 0 && (!create || ::chmod(name.constData(), 0700) != 0))
        return QStringLiteral("mode %1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return QString();
}

bool isPrivateFolder(const QString &path, bool create) { return whyNotPrivate(path, create).isEmpty(); }

// The fallback when the usual folder is refused: a folder in this user's own
// cache folder, which must itself belong to the user and be closed to
// writers other than the user.
QString cacheFolder()
{
    const QString cache = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache) || !QDir().mkpath(cache))
        return QString();
    struct stat st;
    if (::stat(QFile::encodeName(cache).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 022) != 0)
        return QString();
    const QString dir = cache + QStringLiteral("/doduvodaz-instance");
    return isPrivateFolder(dir, true) ? dir : QString();
}

// Said once per process: the usual folder was refused and why.
void tellFallback(const QString &refused, const QString &why, const QString &used)
{
    static bool told = false;
    if (told)
        return;
    told = true;
    const QString text = used.isEmpty()
        ? QCoreApplication::translate("platform::TOneInstance",
                                      "doduvodaz: the folder %1 is not private to this user (%2) and no folder "
                                      "in the cache folder can be had instead: later starts will not hand over "
                                      "to this one.")
              .arg(refused, why)
        : QCoreApplication::translate("platform::TOneInstance",
                                      "doduvodaz: the folder %1 is not private to this user (%2); the "
                                      "single-instance endpoint is kept in %3 instead.")
              .arg(refused, why, used);
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// $XDG_RUNTIME_DIR when it is this user's own folder, else a folder named
// after the user id in the temp folder (or /tmp), created for the purpose.
// When that folder is refused (another user made it, it is a link, it is
// open to others and not ours to close), a folder in the user's cache folder
// serves instead, and stderr says so once.
QString endpointDirectory()
{
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime, false)) {
        const QString dir = QDir::cleanPath(runtime) + QStringLiteral("/doduvodaz");
        if (isPrivateFolder(dir, true))
            return dir;
    }
    const QString name = QStringLiteral("/doduvodaz-%1").arg(::getuid());
    QString temp = QDir::cleanPath(QDir::tempPath());
    if (QFile::encodeName(temp + name).size() + 48 > 107)
        temp = QStringLiteral("/tmp"); // a socket address holds 107 bytes
    const QFileInfo info(temp);
    const QString why = info.isDir() && info.isWritable() ? whyNotPrivate(temp + name, true)
                                                          : QStringLiteral("the temp folder cannot be written");
    if (why.isEmpty())
        return temp + name;
    const QString fallback = cacheFolder();
    tellFallback(temp + name, why, fallback);
    return fallback;
}

// The user id of the process at the other end of a connected local socket.
bool peerIsThisUser(const QLocalSocket &socket)
{
    struct ucred cred;
    socklen_t length = sizeof cred;
    const qintptr fd = socket.socketDescriptor();
    if (fd < 0 || ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 || length != sizeof cred)
        return false;
    return cred.uid == ::getuid();
}

bool sameFile(const QString &path, quint64 device, quint64 inode)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return quint64(st.st_dev) == device && quint64(st.st_ino) == inode;
}

} // namespace

QString TOneInstance::endpointPath(const QString &executableFileName)
{
    QString readable;
    for (const QChar c : executableFileName.left(24)) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
            c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('-');
        readable += plain ? c : QLatin1Char('_');
    }
    // The digest keeps names apart that read alike once cleaned up.
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(executableFileName.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    const QString name = QStringLiteral("%1-%2-%3.sock").arg(readable, QString::number(::getuid()), digest);
    const QString dir = endpointDirectory();
    if (dir.isEmpty())
        return QString();
    const QString path = dir + QLatin1Char('/') + name;
    // A socket address holds 107 bytes; leave room for the process id that the
    // socket carries before it is moved into place.
    if (QFile::encodeName(path).size() + 12 > 107)
        return QString();
    return path;
}

TOneInstance::TOneInstance(const QString &executableFileName, QObject *parent)
    : QObject(parent), m_path(endpointPath(executableFileName))
{
    if (!m_path.isEmpty())
        m_lockPath = m_path.chopped(5) + QStringLiteral(".lock");
    m_peerTimer.setSingleShot(true);
    connect(&m_peerTimer, &QTimer::timeout, this, &TOneInstance::peerGone);
}

TOneInstance::~TOneInstance() { removeEndpoint(); }

// ---------------------------------------------------------- handing over

bool TOneInstance::handOver(const QStringList &args)
{
    if (m_server || m_path.isEmpty())
        return false; // already receiving, or no folder for the endpoint
    for (int round = 0; round < 3; ++round) {
        const Outcome outcome = tryHandOver(args);
        if (outcome == Outcome::Delivered)
            return true;
        if (outcome == Outcome::TimedOut) {
            becomeReceiver(true);
            return false;
        }
        if (becomeReceiver(false) != Decision::ReceiverFound)
            return false;
        // Another start became the receiver meanwhile: hand over to it.
    }
    becomeReceiver(true);
    return false;
}

TOneInstance::Outcome TOneInstance::tryHandOver(const QStringList &args)
{
    QLocalSocket socket;
    const QDeadlineTimer acquire(qMax(0, m_acquireTimeout));
    socket.connectToServer(m_path);
    const auto failed = [&socket] {
        return socket.state() == QLocalSocket::UnconnectedState ? Outcome::NoReceiver : Outcome::TimedOut;
    };
    if (!socket.waitForConnected(remaining(acquire)))
        return failed();
    if (!peerIsThisUser(socket)) {
        // Not our receiver: never hand it our items. The endpoint is then
        // taken over as if no receiver were there.
        socket.abort();
        return Outcome::NoReceiver;
    }

    // The greeting: the receiver is ready for this start, and its id.
    QByteArray greeting;
    if (!readExactly(socket, 4, acquire, greeting))
        return failed();
    const quint32 receiverId = qFromLittleEndian<quint32>(greeting.constData());

    const QDeadlineTimer deliver(qMax(0, m_deliverTimeout));
    socket.write(TInstanceBlock::encode(receiverId, args));
    while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForBytesWritten(remaining(deliver)))
            break;
    }
    QByteArray ack;
    if (!readExactly(socket, 1, deliver, ack))
        return failed();
    socket.disconnectFromServer();
    return Outcome::Delivered;
}

TOneInstance::Decision TOneInstance::becomeReceiver(bool force)
{
    const EndpointLock lock(m_lockPath, m_acquireTimeout);
    if (!lock.usable())
        return Decision::Skipped;
    if (!force && lock.locked()) {
        QLocalSocket probe;
        probe.connectToServer(m_path);
        const bool alive = probe.waitForConnected(qBound(0, m_acquireTimeout, 1000)) && peerIsThisUser(probe);
        probe.abort();
        if (alive)
            return Decision::ReceiverFound;
    }
    if (!listenAt(m_path))
        throw base::Error(QCoreApplication::translate("platform", "Unable to create semaphore"));
    return Decision::Listening;
}

// The socket is made under a name of its own and then renamed over the
// endpoint, which replaces a dead or unanswering receiver's socket in one
// step. QLocalServer removes only the name it listened on, which no longer
// exists, so ending never removes a successor's endpoint.
bool TOneInstance::listenAt(const QString &path)
{
    const QString own = path + QLatin1Char('.') + QString::number(QCoreApplication::applicationPid());
    QLocalServer::removeServer(own);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(own)) {
        delete server;
        return false;
    }
    struct stat st;
    if (::rename(QFile::encodeName(own).constData(), QFile::encodeName(path).constData()) != 0 ||
        ::stat(QFile::encodeName(path).constData(), &st) != 0) {
        delete server;
        return false;
    }
    m_device = quint64(st.st_dev);
    m_inode = quint64(st.st_ino);
    m_server = server;
    connect(server, &QLocalServer::newConnection, this, &TOneInstance::acceptConnections);
    return true;
}

void TOneInstance::removeEndpoint()
{
    if (!m_server)
        return;
    const EndpointLock lock(m_lockPath, 1000);
    if (sameFile(m_path, m_device, m_inode))
        ::unlink(QFile::encodeName(m_path).constData());
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

// ------------------------------------------------------------- receiving

void TOneInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (peerIsThisUser(*socket)) {
            m_waiting.append(socket);
        } else {
            socket->abort(); // another user's process gets nothing from us
            socket->deleteLater();
        }
    }
    serveNext();
}

// Greets the next waiting start; the others wait until it is done.
void TOneInstance::serveNext()
{
    if (m_current || m_delivering)
        return;
    while (!m_waiting.isEmpty()) {
        const QPointer<QLocalSocket> socket = m_waiting.takeFirst();
        if (!socket)
            continue;
        if (socket->state() != QLocalSocket::ConnectedState) {
            socket->deleteLater();
            continue;
        }
        m_current = socket;
        m_block.clear();
        connect(socket, &QLocalSocket::readyRead, this, &TOneInstance::readBlock);
        connect(socket, &QLocalSocket::disconnected, this, &TOneInstance::peerGone);
        m_peerTimer.start(qMax(0, m_deliverTimeout));
        char greeting[4];
        qToLittleEndian<quint32>(quint32(QCoreApplication::applicationPid()), greeting);
        socket->write(greeting, sizeof greeting);
        socket->flush();
        return;
    }
}

void TOneInstance::readBlock()
{
    if (!m_current || m_delivering)
        return;
    m_block += m_current->read(TInstanceBlock::Size - m_block.size());
    if (m_block.size() == TInstanceBlock::Size)
        finishPeer();
}

// The current start left, or did not send its block in time.
void TOneInstance::peerGone()
{
    if (m_delivering || !m_current)
        return;
    m_peerTimer.stop();
    QLocalSocket *socket = m_current;
    m_current = nullptr;
    socket->disconnect(this);
    if (socket->state() != QLocalSocket::UnconnectedState)
        socket->abort();
    socket->deleteLater();
    serveNext();
}

void TOneInstance::finishPeer()
{
    m_peerTimer.stop();
    const QPointer<QLocalSocket> peer = m_current;
    const QStringList items = TInstanceBlock::decode(m_block);
    QString error;
    m_delivering = true;
    try {
        if (m_showOnNewInstance)
            emit bringToFront();
        emit OnInstanceStarted(items);
    } catch (const base::Error &e) {
        error = e.text();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    m_delivering = false;
    // Acknowledged also after an error, so that the start ends as it should.
    if (peer) {
        peer->disconnect(this);
        peer->write(&acknowledgement, 1);
        peer->flush();
        peer->disconnectFromServer();
        peer->deleteLater();
    }
    m_current = nullptr;
    m_block.clear();
    if (!error.isEmpty())
        platform::showError(error);
    serveNext();
}

} // namespace platform
