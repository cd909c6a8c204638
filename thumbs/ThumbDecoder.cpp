#include "ThumbDecoder.h"

#include "BoxShrink.h"
#include "DecodeBudget.h"
#include "ImageHeader.h"
#include "ThumbGeometry.h"
#include "ThumbScan.h"
#include "config/NativePath.h"
#include "image/cximage/CxExif.h"
#include "image/cximage/CxFileStream.h"
#include "image/cximage/CxImage.h"

#include <QFile>
#include <QTransform>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace scriva::thumbs {

namespace {

using cxexif::ExifOrientation;
using cxexif::OrientationSwapsSides;

constexpr int kMaxScans = 500;               // progressive files with more are hostile
constexpr long kMaxLibraryMemory = 1L << 28; // coefficient buffers of progressive files
constexpr int kEighths = 8;
// What the image object may hold per pixel while it decodes: its own picture
// with alpha, and a TIFF reader's 32-bit copy besides.
constexpr qint64 kImageObjectBytesPerPixel = 8;

struct JpegErrors
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void failJpeg(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are quiet, except that a file ending early is an error: a half
// written photo must not show as a grey-bottomed thumbnail.
void onJpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        failJpeg(cinfo);
}

void limitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && d->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_NOT_COMPILED);
}

// What the libjpeg part hands back; lives in the caller's frame so that a
// library error (a long jump) never skips a C++ destructor.
struct JpegPixels
{
    std::vector<uint8_t> bgrx;
    int width = 0;
    int height = 0;
    unsigned imageWidth = 0; // before DCT scaling
    unsigned imageHeight = 0;
    int orientation = 1;
    bool cmyk = false;
    bool tooLarge = false;
    qint64 held = 0; // bytes of the decode budget taken; the caller gives them back
    char message[JMSG_LENGTH_MAX] = {};
};

int orientationOf(j_decompress_ptr cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1)
            return ExifOrientation(m->data, m->data_length);
    return 1;
}

// Smallest scale in eighths whose output still covers the wanted size.
unsigned scaleNumerator(unsigned width, unsigned height, QSize wanted)
{
    for (unsigned num = 1; num < kEighths; ++num) {
        const unsigned w = (width * num + kEighths - 1) / kEighths;
        const unsigned h = (height * num + kEighths - 1) / kEighths;
        if (int(w) >= wanted.width() && int(h) >= wanted.height())
            return num;
    }
    return kEighths;
}

// Target size in the file's own (not yet turned) orientation.
QSize storedTarget(unsigned width, unsigned height, int orientation, QSize box)
{
    const bool swap = OrientationSwapsSides(orientation);
    const QSize upright = swap ? QSize(int(height), int(width)) : QSize(int(width), int(height));
    const QSize fitted = FitRect(upright, box).size();
    return swap ? fitted.transposed() : fitted;
}

bool readJpeg(const QByteArray& bytes, QSize box, JpegPixels& out)
{
    jpeg_decompress_struct cinfo;
    JpegErrors err;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = failJpeg;
    err.pub.emit_message = onJpegMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::snprintf(out.message, sizeof out.message, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    out.orientation = orientationOf(&cinfo);
    out.imageWidth = cinfo.image_width;
    out.imageHeight = cinfo.image_height;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        out.cmyk = true; // read by the image object, which knows these
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const QSize target = storedTarget(cinfo.image_width, cinfo.image_height, out.orientation, box);
    cinfo.scale_num = scaleNumerator(cinfo.image_width, cinfo.image_height, target);
    cinfo.scale_denom = kEighths;
    cinfo.out_color_space = JCS_EXT_BGRX;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_calc_output_dimensions(&cinfo);
    {
        // The rows kept, and for a progressive file the coefficients of the
        // whole picture, which the library holds until the last scan.
        qint64 need = qint64(bytes.size()) + qint64(cinfo.output_width) * cinfo.output_height * 4;
        if (jpeg_has_multiple_scans(&cinfo))
            need += qint64(cinfo.image_width) * cinfo.image_height * cinfo.num_components * 2;
        if (!DecodeBudget::Shared().Acquire(need)) {
            out.tooLarge = true;
            std::snprintf(out.message, sizeof out.message,
                          "%u x %u pixels is too large for a thumbnail", cinfo.image_width,
                          cinfo.image_height);
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        out.held = need;
    }
    jpeg_start_decompress(&cinfo);
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    const size_t stride = size_t(out.width) * 4;
    out.bgrx.resize(stride * size_t(out.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.bgrx.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Turns a picture stored with an EXIF orientation upright.
QImage upright(const QImage& stored, int orientation)
{
    const bool mirror = orientation == 2 || orientation == 7;
    const bool flip = orientation == 4 || orientation == 5;
    QImage image = (mirror || flip) ? stored.mirrored(mirror, flip) : stored;
    switch (orientation) {
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 5:
    case 6:
    case 7:
        return image.transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

QSize uprightSize(int width, int height, int orientation)
{
    return OrientationSwapsSides(orientation) ? QSize(height, width) : QSize(width, height);
}

ThumbPicture fromJpegPixels(const JpegPixels& px, QSize box)
{
    const uchar* base = px.bgrx.data();
    const size_t stride = size_t(px.width) * 4;
    const QSize target = storedTarget(px.imageWidth, px.imageHeight, px.orientation, box);
    QImage shrunk = BoxShrink(QSize(px.width, px.height), target, [&](int y, uint32_t*) {
        return reinterpret_cast<const uint32_t*>(base + stride * size_t(y));
    });
    ThumbPicture result;
    result.image = upright(shrunk, px.orientation);
    return result;
}

// One row of any image-object picture as 0xFFRRGGBB, alpha laid on white.
void cxRow(const CxImage& image, int y, uint32_t* out)
{
    const int32_t row = int32_t(image.GetHeight()) - 1 - y;
    const int width = int(image.GetWidth());
    const bool alpha = image.AlphaIsValid();
    for (int x = 0; x < width; ++x) {
        const RGBQUAD c = image.BlindGetPixelColor(x, row);
        uint32_t r = c.rgbRed, g = c.rgbGreen, b = c.rgbBlue;
        if (alpha) {
            const uint32_t a = image.AlphaGet(x, row);
            r = (r * a + 255 * (255 - a) + 127) / 255;
            g = (g * a + 255 * (255 - a) + 127) / 255;
            b = (b * a + 255 * (255 - a) + 127) / 255;
        }
        out[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
}

// Opens a file for reading only when it is a regular file. The open itself
// does not wait (a pipe named like a photo would block it until a writer
// came), and the kind is checked on the open file, so a file swapped for a
// pipe after the folder scan is refused too. Null with the reason in *error.
FILE* openRegular(const QString& path, QString* error)
{
    const int fd =
        ::open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("%1: not a regular file").arg(path);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
    }
    return file;
}

ThumbPicture decodeWithImageObject(const QString& path, uint32_t type, QSize box)
{
    ThumbPicture result;
    CxImage image(type);
    image.SetDecodeSizeHint(uint32_t(box.width()), uint32_t(box.height()));
    FILE* file = openRegular(path, &result.error);
    if (!file)
        return result;
    CxFileStream stream(file, true);
    if (stream.Size() == 0) {
        result.error = QStringLiteral("%1: the file is empty").arg(path);
        return result;
    }
    // The image object holds the whole picture (and a TIFF its 32-bit copy
    // too): take its share of the budget first, from the size the header
    // declares. A header that tells no size decodes alone.
    const QSize declared = DeclaredImageSize(file);
    const qint64 need = declared.isEmpty() ? DecodeBudget::Shared().Total()
                                           : qint64(declared.width()) * declared.height() *
                                                 kImageObjectBytesPerPixel;
    const BudgetShare share(DecodeBudget::Shared(), need);
    if (!share.Held()) {
        result.error = QStringLiteral("%1: %2 x %3 pixels is too large for a thumbnail")
                           .arg(path)
                           .arg(declared.width())
                           .arg(declared.height());
        result.tooLarge = true;
        return result;
    }
    // The extension's format first; a file whose content says otherwise is
    // read as what it is, and keeps the first reason when nothing fits.
    bool loaded = image.Decode(&stream, type);
    if (!loaded) {
        const QString first = QString::fromUtf8(image.GetLastError());
        loaded = stream.Seek(0, SEEK_SET) && image.Decode(&stream, CXIMAGE_FORMAT_UNKNOWN);
        if (!loaded) {
            result.error = QStringLiteral("%1: %2").arg(path, first);
            return result;
        }
    }
    const QSize size(int(image.GetWidth()), int(image.GetHeight()));
    result.sourceSize = size;
    result.image = BoxShrink(size, FitRect(size, box).size(), [&image](int y, uint32_t* scratch) {
        cxRow(image, y, scratch);
        return static_cast<const uint32_t*>(scratch);
    });
    return result;
}

bool looksLikeJpeg(const QByteArray& bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
           uchar(bytes[2]) == 0xFF;
}

} // namespace

ThumbPicture DecodeJpegThumbnail(const QByteArray& bytes, QSize box)
{
    ThumbPicture result;
    if (box.isEmpty()) {
        result.error = QStringLiteral("empty thumbnail size");
        return result;
    }
    JpegPixels px;
    const bool read = readJpeg(bytes, box, px);
    if (read)
        result = fromJpegPixels(px, box);
    px.bgrx = {};
    DecodeBudget::Shared().Release(px.held);
    if (!read) {
        result.error = px.cmyk ? QStringLiteral("CMYK JPEG") : QString::fromUtf8(px.message);
        result.tooLarge = px.tooLarge;
        return result;
    }
    result.sourceSize = uprightSize(int(px.imageWidth), int(px.imageHeight), px.orientation);
    return result;
}

ThumbPicture DecodeThumbnail(const QString& path, QSize box)
{
    const uint32_t type = CxImage::FormatFromNameEnd(path.toUtf8().constData());
    if (type == CXIMAGE_FORMAT_UNKNOWN)
        return ThumbPicture{QImage(), QSize(), QStringLiteral("%1: not an image file").arg(path)};
    if (box.isEmpty())
        return ThumbPicture{QImage(), QSize(), QStringLiteral("empty thumbnail size")};
    if (type == CXIMAGE_FORMAT_JPG) {
        QString error;
        FILE* opened = openRegular(path, &error);
        if (!opened)
            return ThumbPicture{QImage(), QSize(), error};
        QFile file;
        if (!file.open(opened, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            std::fclose(opened);
            return ThumbPicture{QImage(), QSize(),
                                QStringLiteral("%1: %2").arg(path, file.errorString())};
        }
        // The file is held in memory while it is decoded; its bytes count with
        // the decode's share (one share a decode, so no worker holds some while
        // it waits for more).
        if (file.size() > DecodeBudget::Shared().Total())
            return ThumbPicture{QImage(), QSize(),
                                QStringLiteral("%1: %2 bytes is too large for a thumbnail")
                                    .arg(path)
                                    .arg(file.size()),
                                true};
        const QByteArray bytes = file.readAll();
        file.close();
        if (looksLikeJpeg(bytes)) {
            ThumbPicture result = DecodeJpegThumbnail(bytes, box);
            if (!result.image.isNull() || result.error != QLatin1String("CMYK JPEG")) {
                if (result.image.isNull())
                    result.error = QStringLiteral("%1: %2").arg(path, result.error);
                return result;
            }
        }
    }
    return decodeWithImageObject(path, uint32_t(type), box);
}

} // namespace scriva::thumbs
