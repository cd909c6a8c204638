#include "FileReason.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriva::image {

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The reader's or writer's text followed by the system's reason, unless the
// text says it already.
QString joined(const QString& text, const QString& system)
{
    if (system.isEmpty() || text.contains(system))
        return text;
    if (text.isEmpty())
        return system;
    return text + QStringLiteral(": ") + system;
}

} // namespace

QString ReadFailureReason(const QString& path, const QString& decoderText)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return systemText(errno);
    if (S_ISDIR(info.st_mode))
        return systemText(EISDIR);
    // Non-blocking: a pipe with nobody writing must not hold the program.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return systemText(errno);
    ::close(fd);
    return decoderText;
}

QString WriteFailureReason(const QString& path, const QString& writerText)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat info = {};
    QString system;
    if (::stat(folder.constData(), &info) != 0)
        system = systemText(errno);
    else if (!S_ISDIR(info.st_mode))
        system = systemText(ENOTDIR);
    else if (::access(folder.constData(), W_OK) != 0)
        system = systemText(errno);
    else if (::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        system = systemText(EISDIR);
    return joined(writerText, system);
}

} // namespace scriva::image
