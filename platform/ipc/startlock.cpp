#include "ipc/startlock.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a device");
}

// Why the file described by info cannot be our lock; empty when it can.
QString refusalOf(const struct stat &info, const QString &path)
{
    const QString place = QDir::toNativeSeparators(path);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("%1 is in the place of the start lock %2").arg(kindOf(info.st_mode), place);
    // Even where the user may lock it (root may lock anything), another user's file is not ours to use.
    if (info.st_uid != ::geteuid())
        return QStringLiteral("the start lock %1 belongs to another user (uid %2)").arg(place).arg(info.st_uid);
    return QString();
}

} // namespace

StartLock::~StartLock()
{
    release();
}

StartLock::Result StartLock::take(const QString &path, QString *reason)
{
    release();
    const QByteArray native = QFile::encodeName(path);
    // Looked at before it is opened: a named pipe or a device in the place is never opened.
    struct stat before{};
    if (::lstat(native.constData(), &before) == 0) {
        const QString refusal = refusalOf(before, path);
        if (!refusal.isEmpty()) {
            setReason(reason, refusal);
            return Unusable;
        }
    }
    // No link is followed and nothing waits, should the place change between the look and the open;
    // the descriptor is closed in every program this one starts, so no child holds the lock.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int failure = errno;
        setReason(reason, QStringLiteral("the start lock %1 cannot be opened (%2)")
                              .arg(QDir::toNativeSeparators(path), qt_error_string(failure)));
        return Unusable;
    }
    struct stat opened{};
    QString refusal = ::fstat(fd, &opened) == 0 ? refusalOf(opened, path)
                                                 : QStringLiteral("the start lock %1 cannot be examined").arg(path);
    if (!refusal.isEmpty()) {
        ::close(fd);
        setReason(reason, refusal);
        return Unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        ::close(fd);
        if (failure == EWOULDBLOCK)
            return HeldByAnother;
        setReason(reason, QStringLiteral("the start lock %1 cannot be locked (%2)")
                              .arg(QDir::toNativeSeparators(path), qt_error_string(failure)));
        return Unusable;
    }
    m_fd = fd;
    return Taken;
}

void StartLock::release()
{
    if (m_fd < 0)
        return;
    // Closing the descriptor ends the lock. The file stays: removing it would let a start that opened
    // it a moment before lock a file nobody else finds any more.
    ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
