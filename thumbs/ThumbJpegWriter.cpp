#include "ThumbJpegWriter.h"

#include "base/CxSafeFile.h"
#include "config/NativePath.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace scriva::thumbs {

namespace {

struct WriterErrors
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void failWrite(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<WriterErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Encodes RGB32 rows into a malloc'ed buffer that the caller frees.
bool encode(const QImage& rgb, int quality, unsigned char** buffer, unsigned long* size,
            char* message)
{
    jpeg_compress_struct cinfo;
    WriterErrors err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = failWrite;
    if (setjmp(err.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QByteArray EncodeThumbJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return QByteArray();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool encoded = encode(rgb, quality, &buffer, &size, message);
    QByteArray bytes =
        encoded ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    return bytes;
}

bool WriteThumbJpeg(const QImage& image, const QString& path, QString* error, int quality)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    if (image.isNull())
        return fail(QStringLiteral("no picture to write"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool encoded = encode(rgb, quality, &buffer, &size, message);
    const QByteArray bytes =
        encoded ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    if (!encoded)
        return fail(QString::fromUtf8(message));
    CxSafeFile file;
    if (!file.Open(NativePathString(path)) ||
        !file.Write(bytes.constData(), size_t(bytes.size())) || !file.Commit())
        return fail(QString::fromLocal8Bit(file.Error()));
    return true;
}

} // namespace scriva::thumbs
