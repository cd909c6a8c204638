#include "CConfigFileLock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CConfigFileLock::CConfigFileLock(const QString& settingsPath)
{
    const QFileInfo target(settingsPath);
    if (target.exists() && !target.isFile())
        return; // a device or pipe: nothing beside it to lock
    const QByteArray lockPath = QFile::encodeName(LockPathFor(settingsPath));
    m_fd = open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0)
        return;
    int rc;
    do
        rc = flock(m_fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
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
    // Beside the real file when the settings path is a link, so every name of it shares one lock.
    const QFileInfo info(settingsPath);
    const QString real = info.isSymLink() ? info.canonicalFilePath() : QString();
    return (real.isEmpty() ? settingsPath : real) + QStringLiteral(".lock");
}
