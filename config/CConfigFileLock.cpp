#include "CConfigFileLock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kLockSuffix = QStringLiteral(".lock");

// The settings file whose lock is meant: the real file when the path is a link, so every
// name of it shares one lock.
QString lockedFile(const QString& settingsPath)
{
    const QFileInfo info(settingsPath);
    const QString real = info.isSymLink() ? info.canonicalFilePath() : QString();
    return real.isEmpty() ? settingsPath : real;
}

// A name of fixed, short length for a file whose own name leaves no room for ".lock".
QString shortLockPath(const QString& file)
{
    const QFileInfo info(file);
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(info.fileName()), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return info.path() + QStringLiteral("/.scriva-") + QString::fromLatin1(digest) + kLockSuffix;
}

int openLockFile(const QString& path)
{
    return open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                0666);
}

} // namespace

CConfigFileLock::CConfigFileLock(const QString& settingsPath)
{
    const QFileInfo target(settingsPath);
    if (target.exists() && !target.isFile())
        return; // a device or pipe: written directly, nothing beside it to lock
    QString lockPath = LockPathFor(settingsPath);
    m_fd = openLockFile(lockPath);
    if (m_fd < 0 && errno == ENAMETOOLONG) {
        // A file system with shorter names than most: the short name fits.
        lockPath = shortLockPath(lockedFile(settingsPath));
        m_fd = openLockFile(lockPath);
    }
    if (m_fd < 0) {
        m_error = QStringLiteral("cannot make the lock file %1: %2")
                      .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    int rc;
    do
        rc = flock(m_fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        m_error = QStringLiteral("cannot lock %1: %2")
                      .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        close(m_fd);
        m_fd = -1;
    }
}

CConfigFileLock::~CConfigFileLock()
{
    if (m_fd >= 0)
        close(m_fd); // releases the lock
}

QString CConfigFileLock::LockPathFor(const QString& settingsPath)
{
    const QString file = lockedFile(settingsPath);
    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    if (name.size() + kLockSuffix.size() > NAME_MAX)
        return shortLockPath(file);
    return file + kLockSuffix;
}
