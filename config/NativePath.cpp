#include "NativePath.h"

#include <dirent.h>
#include <sys/stat.h>

namespace scriva {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + byte (0x80..0xFF) -> U+DC80..U+DCFF

// Length of the valid UTF-8 sequence at s[i...n), 0 when none starts there.
int validSequence(const unsigned char* s, int i, int n)
{
    const unsigned char c = s[i];
    int length = 0;
    char32_t min = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        length = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        length = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (i + length > n)
        return 0;
    char32_t code = c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (s[i + k] & 0x3F);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

QString PathFromNative(const QByteArray& bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int n = int(bytes.size());
    QString path;
    path.reserve(n);
    int i = 0;
    while (i < n) {
        int run = i; // the longest valid stretch, converted at once
        while (run < n) {
            const int length = validSequence(s, run, n);
            if (length == 0)
                break;
            run += length;
        }
        if (run > i)
            path += QString::fromUtf8(bytes.constData() + i, run - i);
        if (run < n)
            path += QChar(char16_t(kEscapeBase + s[run]));
        i = run + 1;
    }
    return path;
}

QString PathFromNative(const char* bytes)
{
    return PathFromNative(QByteArray(bytes));
}

QByteArray NativePath(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        const bool end = i == path.size();
        const char16_t u = end ? 0 : path[i].unicode();
        // A lone low surrogate in the escape range stands for one byte.
        const bool escaped = !end && u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF &&
                             (i == 0 || !path[i - 1].isHighSurrogate());
        if (!end && !escaped)
            continue;
        bytes += path.mid(start, i - start).toUtf8();
        if (escaped)
            bytes += char(u - kEscapeBase);
        start = i + 1;
    }
    return bytes;
}

std::string NativePathString(const QString& path)
{
    return NativePath(path).toStdString();
}

bool StatPath(const QString& path, struct stat* st)
{
    return ::stat(NativePath(path).constData(), st) == 0;
}

bool IsFolderPath(const QString& path)
{
    struct stat st;
    return StatPath(path, &st) && S_ISDIR(st.st_mode);
}

std::vector<QString> FolderEntries(const QString& folder)
{
    std::vector<QString> names;
    DIR* dir = opendir(NativePath(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(PathFromNative(name));
    }
    closedir(dir);
    return names;
}

} // namespace scriva
