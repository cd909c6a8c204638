#include "CliCommand.h"
#include "config/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriva::cli {

std::map<QString, CliCommandInfo>& commandTable()
{
    static std::map<QString, CliCommandInfo> table;
    return table;
}

int failWith(const QString& message)
{
    warnWith(message);
    return 1;
}

void warnWith(const QString& message)
{
    // File names in the message come out as their own bytes.
    std::fprintf(stderr, "scriva-cli: %s\n", NativePath(message).constData());
    std::fflush(stderr);
}

namespace {

// The format the file's first bytes announce; unknown when none does.
uint32_t sniffFormat(QFile& file)
{
    const QByteArray head = file.read(4);
    const auto at = [&](int i) { return i < head.size() ? uchar(head[i]) : 0u; };
    if (at(0) == 'B' && at(1) == 'M')
        return CXIMAGE_FORMAT_BMP;
    if (at(0) == 0xFF && at(1) == 0xD8 && at(2) == 0xFF)
        return CXIMAGE_FORMAT_JPG;
    if (at(0) == 0x89 && at(1) == 'P' && at(2) == 'N' && at(3) == 'G')
        return CXIMAGE_FORMAT_PNG;
    if ((at(0) == 'I' && at(1) == 'I') || (at(0) == 'M' && at(1) == 'M'))
        return CXIMAGE_FORMAT_TIF;
    return CXIMAGE_FORMAT_UNKNOWN;
}

} // namespace

namespace {

bool identityOf(const QString& path, std::pair<unsigned long long, unsigned long long>& id)
{
    struct stat st;
    if (!StatPath(path, &st))
        return false;
    id = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

} // namespace

void FileIdentities::Add(const QString& path)
{
    std::pair<unsigned long long, unsigned long long> id;
    if (identityOf(path, id))
        m_ids.insert(id);
}

bool FileIdentities::Contains(const QString& path) const
{
    std::pair<unsigned long long, unsigned long long> id;
    return identityOf(path, id) && m_ids.count(id) > 0;
}

bool loadPicture(const QString& path, CxImage& image, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // The name's own bytes reach the system: a name that is not UTF-8 is found too.
    struct stat st = {};
    const bool found = StatPath(path, &st);
    if (found && S_ISDIR(st.st_mode))
        return fail(QString::fromLocal8Bit(std::strerror(EISDIR)));
    const int fd = ::open(NativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        return fail(QString::fromLocal8Bit(std::strerror(err)));
    }
    if (found && S_ISREG(st.st_mode) && st.st_size == 0)
        return fail(QStringLiteral("the file is empty"));
    uint32_t format = sniffFormat(file);
    file.close();
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        format = CxImage::FormatFromExtension(QFileInfo(path).suffix().toLatin1().constData());
    if (!image.Load(NativePathString(path), format))
        return fail(QString::fromUtf8(image.GetLastError()));
    return true;
}

bool makeFolder(const QString& path, QString* error)
{
    const QByteArray native = NativePath(path);
    for (qsizetype end = 1; end <= native.size(); ++end) {
        if (end < native.size() && native[end] != '/')
            continue;
        const QByteArray part = native.left(end);
        struct stat st = {};
        if (stat(part.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            errno = ENOTDIR;
        } else if (mkdir(part.constData(), 0777) == 0 || errno == EEXIST) {
            continue;
        }
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace scriva::cli
