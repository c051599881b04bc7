#include "ipc/locallistener.h"

#include "ipc/localsocketpath.h"

#include <QFile>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcListener, "lumidesk.platform.ipc")

namespace platform {

namespace {

// Connections the kernel holds for us while accepting waits for descriptors.
const int Backlog = 64;

QString systemError(const char *what, int error)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(error)));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool isDescriptorShortage(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

} // namespace

LocalListener::LocalListener(QObject *parent)
    : QObject(parent)
    , m_watch(new QTimer(this))
    , m_acceptRetry(new QTimer(this))
{
    // Receivers may take new connections through queued connections.
    qRegisterMetaType<QLocalSocket *>();
    m_watch->setInterval(DefaultWatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &LocalListener::ensureListening);
    m_acceptRetry->setSingleShot(true);
    m_acceptRetry->setInterval(AcceptRetryMs);
    connect(m_acceptRetry, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

LocalListener::~LocalListener()
{
    close();
}

bool LocalListener::listen(const QString &name, QString *error)
{
    close();
    if (!claimName(name, error))
        return false;
    m_name = name;
    m_watch->start();
    return true;
}

void LocalListener::close()
{
    m_watch->stop();
    m_name.clear();
    closeSocket();
    m_path.clear();
}

void LocalListener::setWatchInterval(int ms)
{
    m_watch->setInterval(ms);
}

int LocalListener::watchInterval() const
{
    return m_watch->interval();
}

bool LocalListener::ensureListening()
{
    if (m_name.isEmpty())
        return false;
    if (m_fd >= 0 && ownsSocketFile())
        return true;

    const bool wasListening = m_fd >= 0;
    if (wasListening)
        qCWarning(lcListener) << "the socket file" << m_path << "is gone or replaced; listening again";
    closeSocket();
    QString error;
    if (claimName(m_name, &error))
        return true;
    if (wasListening)
        qCWarning(lcListener) << "cannot listen again:" << error;
    return false;
}

bool LocalListener::claimName(const QString &name, QString *error)
{
    const auto listenAt = [this](const QString &path, QString *error) { return open(path, error); };
    return LocalSocketPath::claim(name, listenAt, error);
}

bool LocalListener::open(const QString &path, QString *error)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (encoded.size() >= int(sizeof address.sun_path)) {
        setError(error, QStringLiteral("the socket path %1 is too long").arg(path));
        return false;
    }
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        setError(error, systemError("socket", errno));
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        setError(error, systemError("bind", errno));
        ::close(fd);
        return false;
    }
    // Only the user may connect (the runtime folder is private as well). The file is ours from here
    // on, so every failure below removes it again.
    struct stat info{};
    if (::chmod(encoded.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, Backlog) != 0
        || ::stat(encoded.constData(), &info) != 0) {
        setError(error, systemError("listen", errno));
        ::unlink(encoded.constData());
        ::close(fd);
        return false;
    }

    m_fd = fd;
    m_path = path;
    m_device = quint64(info.st_dev);
    m_inode = quint64(info.st_ino);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalListener::acceptConnections);
    return true;
}

void LocalListener::closeSocket()
{
    m_acceptRetry->stop();
    if (m_notifier) {
        // This may run inside the notifier's own signal.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_fd < 0)
        return;
    if (ownsSocketFile())
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool LocalListener::ownsSocketFile() const
{
    struct stat info{};
    return !m_path.isEmpty() && ::lstat(QFile::encodeName(m_path).constData(), &info) == 0
           && S_ISSOCK(info.st_mode) && quint64(info.st_dev) == m_device && quint64(info.st_ino) == m_inode;
}

void LocalListener::acceptConnections()
{
    QPointer<LocalListener> self(this);
    while (self && m_fd >= 0) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (isDescriptorShortage(error)) {
                pauseAccepting();
                return;
            }
            // The socket itself is broken: give it up; the watch listens again.
            qCWarning(lcListener) << "accepting on" << m_path << "failed:" << systemError("accept", error);
            closeSocket();
            return;
        }
        m_starved = false;
        auto *socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        emit newConnection(socket);
    }
}

void LocalListener::pauseAccepting()
{
    // The connection stays in the backlog; the notifier would report it again at once, so it rests
    // until descriptors may be free again.
    if (!m_starved)
        qCWarning(lcListener) << "no file descriptor left to accept a connection on" << m_path;
    m_starved = true;
    m_notifier->setEnabled(false);
    m_acceptRetry->start();
}

} // namespace platform
