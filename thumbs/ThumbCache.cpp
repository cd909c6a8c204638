#include "ThumbCache.h"

#include "BoxShrink.h"
#include "ThumbGeometry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <png.h>

namespace scriva::thumbs {

namespace {

constexpr const char* kSoftware = "scriva";
constexpr int kFolderMode = 0700;
constexpr int kFileMode = 0600;

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Bytes left as they are in a file URI: letters, digits and !$&'()*+,-./:=@_~.
bool uriSafe(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("!$&'()*+,-./:=@_~", c) != nullptr && c != '\0';
}

// Creates one folder with mode 0700 when it is missing; an existing folder
// keeps the mode it has.
bool makeFolder(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), kFolderMode) == 0 || errno == EEXIST) {
        struct stat st
        {
        };
        if (::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
        *error = QStringLiteral("%1: not a folder").arg(path);
        return false;
    }
    *error = QStringLiteral("%1: %2").arg(path, systemReason(errno));
    return false;
}

bool makeFolders(const QString& root, const QStringList& below, QString* error)
{
    const QFileInfo info(root);
    if (!info.isDir() && !QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("%1: cannot create the folder").arg(info.absolutePath());
        return false;
    }
    QString path = root;
    if (!makeFolder(path, error))
        return false;
    for (const QString& part : below) {
        path += QLatin1Char('/') + part;
        if (!makeFolder(path, error))
            return false;
    }
    return true;
}

struct PngErrors
{
    jmp_buf jump;
    char message[200];
};

void pngFail(png_structp png, png_const_charp message)
{
    auto* err = static_cast<PngErrors*>(png_get_error_ptr(png));
    std::snprintf(err->message, sizeof err->message, "%s", message);
    std::longjmp(err->jump, 1);
}

void pngWarn(png_structp, png_const_charp) {}

// The text chunks to write; plain C strings so that no destructor is skipped
// by a long jump out of the library.
struct TextChunks
{
    const char* uri;
    char mtime[32];
    char size[32];
};

bool encodePng(FILE* file, const QImage& rgb, const TextChunks& text, PngErrors& err)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &err, pngFail, pngWarn);
    if (!png) {
        std::snprintf(err.message, sizeof err.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(err.jump)) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    // Level 3 makes thumbnails as small as the default level 6 at less than
    // half its time (a 256 x 192 photo: about 3 ms instead of 7).
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_text chunks[4] = {};
    const char* keys[4] = {"Thumb::URI", "Thumb::MTime", "Thumb::Size", "Software"};
    const char* values[4] = {text.uri, text.mtime, text.size, kSoftware};
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        if (!values[i][0])
            continue;
        chunks[count].compression = PNG_TEXT_COMPRESSION_NONE; // tEXt
        chunks[count].key = const_cast<char*>(keys[i]);
        chunks[count].text = const_cast<char*>(values[i]);
        chunks[count].text_length = std::strlen(values[i]);
        ++count;
    }
    png_set_text(png, info, chunks, count);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png); // RGB32 rows are B, G, R, X in memory
    for (int y = 0; y < rgb.height(); ++y)
        png_write_row(png, rgb.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct ReadPng
{
    std::vector<unsigned char> bgra;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    char uri[4096] = {};
    char mtime[32] = {};
    char size[32] = {};
    std::vector<png_bytep> rows; // here, not on the reader's stack: errors jump over it
};

void takeText(png_structp png, png_infop info, ReadPng& out)
{
    png_textp text = nullptr;
    int count = 0;
    if (!info || png_get_text(png, info, &text, &count) <= 0)
        return;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(text[i].key, "Thumb::URI") == 0)
            std::snprintf(out.uri, sizeof out.uri, "%s", text[i].text);
        else if (std::strcmp(text[i].key, "Thumb::MTime") == 0)
            std::snprintf(out.mtime, sizeof out.mtime, "%s", text[i].text);
        else if (std::strcmp(text[i].key, "Thumb::Size") == 0)
            std::snprintf(out.size, sizeof out.size, "%s", text[i].text);
    }
}

bool decodePng(FILE* file, png_uint_32 maxSide, ReadPng& out, PngErrors& err)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, pngFail, pngWarn);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    png_infop end = info ? png_create_info_struct(png) : nullptr;
    if (!end || setjmp(err.jump)) {
        png_destroy_read_struct(&png, info ? &info : nullptr, end ? &end : nullptr);
        return false;
    }
    png_init_io(png, file);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE); // let mutations through
#endif
    png_set_user_limits(png, maxSide, maxSide);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(out.width) * 4)
        png_error(png, "unexpected row layout");
    out.bgra.resize(size_t(out.width) * 4 * out.height);
    out.rows.resize(out.height);
    for (png_uint_32 y = 0; y < out.height; ++y)
        out.rows[y] = out.bgra.data() + size_t(y) * out.width * 4;
    png_read_image(png, out.rows.data());
    png_read_end(png, end);
    takeText(png, info, out);
    takeText(png, end, out);
    png_destroy_read_struct(&png, &info, &end);
    return true;
}

QImage imageOf(const ReadPng& px)
{
    QImage image(int(px.width), int(px.height), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const unsigned char* in = px.bgra.data() + size_t(y) * px.width * 4;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, in += 4) {
            const unsigned a = in[3];
            auto on = [a](unsigned c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[x] = qRgb(int(on(in[2])), int(on(in[1])), int(on(in[0])));
        }
    }
    return image;
}

QByteArray md5Name(const QByteArray& uri)
{
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

} // namespace

ThumbCache::ThumbCache(QString root) : m_root(std::move(root))
{
    if (m_root.isEmpty())
        m_root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                 QStringLiteral("/thumbnails");
}

QByteArray ThumbCache::UriOf(const QString& absolutePath)
{
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray uri("file://");
    for (const char ch : QFile::encodeName(absolutePath)) {
        const auto c = static_cast<unsigned char>(ch);
        if (uriSafe(c)) {
            uri += char(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

int ThumbCache::SizeClassFor(int longestSide)
{
    for (int size : {128, 256, 512, 1024})
        if (longestSide <= size)
            return size;
    return 0;
}

const char* ThumbCache::FolderOf(int sizeClass)
{
    switch (sizeClass) {
    case 128:
        return "normal";
    case 256:
        return "large";
    case 512:
        return "x-large";
    default:
        return "xx-large";
    }
}

CacheKey ThumbCache::KeyOf(const QString& path) const
{
    CacheKey key;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // Thumbnails of thumbnails are not made.
    const QString root = QDir::cleanPath(QFileInfo(m_root).absoluteFilePath()) + QLatin1Char('/');
    if (absolute.startsWith(root))
        return key;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(absolute).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return key;
    key.uri = UriOf(absolute);
    key.mtime = qint64(st.st_mtime);
    key.size = qint64(st.st_size);
    key.valid = true;
    return key;
}

QString ThumbCache::PathFor(const CacheKey& key, int sizeClass) const
{
    return m_root + QLatin1Char('/') + QLatin1String(FolderOf(sizeClass)) + QLatin1Char('/') +
           QString::fromLatin1(md5Name(key.uri));
}

QString ThumbCache::FailurePathFor(const CacheKey& key) const
{
    return m_root + QStringLiteral("/fail/") + QLatin1String(kSoftware) + QLatin1Char('/') +
           QString::fromLatin1(md5Name(key.uri));
}

namespace {

// Reads a cache entry and checks that it belongs to the key; a null image
// when it does not. `maxSide` 0: any size.
QImage readEntry(const QString& path, const CacheKey& key, int maxSide, bool* belongs)
{
    *belongs = false;
    if (!key.valid)
        return QImage();
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return QImage();
    struct stat st
    {
    };
    FILE* file = nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(file = ::fdopen(fd, "rb"))) {
        ::close(fd);
        return QImage();
    }
    ReadPng px;
    PngErrors err{};
    const bool read = decodePng(file, png_uint_32(maxSide > 0 ? maxSide : 1024), px, err);
    std::fclose(file);
    if (!read || px.width == 0 || px.height == 0)
        return QImage();
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "%lld", static_cast<long long>(key.mtime));
    if (key.uri != QByteArray(px.uri) || std::strcmp(wanted, px.mtime) != 0)
        return QImage();
    // The size is optional; when an entry has one, it must match as well.
    std::snprintf(wanted, sizeof wanted, "%lld", static_cast<long long>(key.size));
    if (px.size[0] && key.size >= 0 && std::strcmp(wanted, px.size) != 0)
        return QImage();
    *belongs = true;
    return imageOf(px);
}

} // namespace

QImage ThumbCache::Lookup(const CacheKey& key, int sizeClass) const
{
    if (SizeClassFor(sizeClass) != sizeClass || sizeClass == 0)
        return QImage();
    bool belongs = false;
    return readEntry(PathFor(key, sizeClass), key, sizeClass, &belongs);
}

bool ThumbCache::HasFailed(const CacheKey& key) const
{
    bool belongs = false;
    readEntry(FailurePathFor(key), key, 1, &belongs);
    return belongs;
}

bool ThumbCache::Store(const CacheKey& key, int sizeClass, const QImage& thumbnail,
                       QString* error) const
{
    if (!key.valid || thumbnail.isNull() || SizeClassFor(sizeClass) != sizeClass ||
        sizeClass == 0 || std::max(thumbnail.width(), thumbnail.height()) > sizeClass) {
        *error = QStringLiteral("%1: no thumbnail of that size is kept").arg(m_root);
        return false;
    }
    const QString folder = m_root + QLatin1Char('/') + QLatin1String(FolderOf(sizeClass));
    if (!makeFolders(m_root, {QLatin1String(FolderOf(sizeClass))}, error))
        return false;
    return writePng(folder, PathFor(key, sizeClass), key, thumbnail, error);
}

bool ThumbCache::StoreFailure(const CacheKey& key, QString* error) const
{
    if (!key.valid) {
        *error = QStringLiteral("%1: not a file to keep").arg(m_root);
        return false;
    }
    if (!makeFolders(m_root, {QStringLiteral("fail"), QLatin1String(kSoftware)}, error))
        return false;
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::white);
    return writePng(m_root + QStringLiteral("/fail/") + QLatin1String(kSoftware),
                    FailurePathFor(key), key, dot, error);
}

bool ThumbCache::writePng(const QString& folder, const QString& target, const CacheKey& key,
                          const QImage& image, QString* error) const
{
    QByteArray temp = QFile::encodeName(folder) + "/.scriva-thumb-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(folder, systemReason(errno));
        return false;
    }
    ::fchmod(fd, kFileMode);
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        *error = QStringLiteral("%1: %2").arg(target, systemReason(errno));
        ::close(fd);
        ::unlink(temp.constData());
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    TextChunks text{};
    text.uri = key.uri.constData();
    std::snprintf(text.mtime, sizeof text.mtime, "%lld", static_cast<long long>(key.mtime));
    if (key.size >= 0)
        std::snprintf(text.size, sizeof text.size, "%lld", static_cast<long long>(key.size));
    PngErrors err{};
    const bool encoded = encodePng(file, rgb, text, err);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !flushed || !closed) {
        *error = QStringLiteral("%1: %2").arg(target, encoded ? systemReason(flushError)
                                                              : QString::fromUtf8(err.message));
        ::unlink(temp.constData());
        return false;
    }
    if (::rename(temp.constData(), QFile::encodeName(target).constData()) != 0) {
        *error = QStringLiteral("%1: %2").arg(target, systemReason(errno));
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

void PendingStore::Commit(const ThumbCache& cache)
{
    if (image.isNull())
        return;
    QString ignored; // a cache that cannot be written is passed over
    cache.Store(key, sizeClass, image, &ignored);
    image = QImage();
}

ThumbPicture PictureThroughCache(const QString& path, QSize box, const ThumbCache& cache,
                                 bool fresh, PendingStore* pending)
{
    const int sizeClass = ThumbCache::SizeClassFor(std::max(box.width(), box.height()));
    const CacheKey key = sizeClass > 0 ? cache.KeyOf(path) : CacheKey();
    if (!key.valid || box.isEmpty())
        return DecodeThumbnail(path, box);
    QImage stored = fresh ? QImage() : cache.Lookup(key, sizeClass);
    if (stored.isNull()) {
        if (!fresh && cache.HasFailed(key))
            return ThumbPicture{
                QImage(), QSize(),
                QStringLiteral("%1: could not be read (unchanged since)").arg(path)};
        ThumbPicture made = DecodeThumbnail(path, QSize(sizeClass, sizeClass));
        if (made.image.isNull()) {
            // Only a file that was there and could not be read is noted; a
            // picture refused for its size (or a vanished file) is not.
            QString ignored;
            if (!made.tooLarge)
                cache.StoreFailure(key, &ignored);
            return made;
        }
        stored = made.image;
        // A picture smaller than the size class is kept at its own size.
        const QSize own = made.sourceSize;
        if (!own.isEmpty() && own.width() <= sizeClass && own.height() <= sizeClass &&
            own != stored.size())
            stored = BoxShrink(stored, own);
        PendingStore store{key, sizeClass, stored};
        if (pending)
            *pending = store;
        else
            store.Commit(cache);
    }
    ThumbPicture result;
    result.image = BoxShrink(stored, FitRect(stored.size(), box).size());
    result.sourceSize = stored.size();
    return result;
}

} // namespace scriva::thumbs
