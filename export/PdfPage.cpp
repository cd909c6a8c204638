#include "PdfPage.h"

#include "JpegProbe.h"
#include "image/cximage/CxImage.h"

#include "config/NativePath.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriva::exporter {

namespace {

constexpr RGBQUAD kPaperWhite{255, 255, 255, 0};

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The whole file, opened by the name's own bytes (a name that is not UTF-8 is found too).
QString readAll(const QString& path, std::vector<uint8_t>& bytes)
{
    struct stat st;
    if (!StatPath(path, &st))
        return errno == ENOENT ? QStringLiteral("no such file") : systemReason(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    const int fd = ::open(NativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return systemReason(errno);
    QString error;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) // swapped since the check
        error = QStringLiteral("not a regular file");
    bytes.resize(error.isEmpty() ? size_t(st.st_size) : 0);
    size_t done = 0;
    while (error.isEmpty() && done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = systemReason(errno);
        else if (n == 0)
            error = QStringLiteral("the file became shorter while it was read");
        else
            done += size_t(n);
    }
    ::close(fd);
    return error;
}

bool toTrueColour(CxImage& image)
{
    CxImage rgb;
    if (!rgb.Create(image.GetWidth(), image.GetHeight(), 24, image.GetType())) {
        image.SetLastError(rgb.GetLastError());
        return false;
    }
    const int32_t w = int32_t(image.GetWidth()), h = int32_t(image.GetHeight());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            rgb.SetPixelColor(x, y, image.BlindGetPixelColor(x, y), false);
    rgb.SetXDPI(image.GetXDPI());
    rgb.SetYDPI(image.GetYDPI());
    return image.Transfer(rgb);
}

// The page turn that shows a picture stored with an EXIF orientation upright; -1
// for the mirrored ones, which a page cannot show.
int pageRotation(int orientation)
{
    switch (orientation) {
    case 1:
        return 0;
    case 3:
        return 180;
    case 6:
        return 90;
    case 8:
        return 270;
    default:
        return -1;
    }
}

bool embedAsIs(std::vector<uint8_t>& bytes, PdfPage& page)
{
    JpegLayout layout;
    if (!ReadJpegLayout(bytes.data(), bytes.size(), layout) || !CanEmbedUnchanged(layout))
        return false;
    const int rotation = pageRotation(layout.orientation);
    if (rotation < 0)
        return false;
    page.rotation = rotation;
    page.width = layout.width;
    page.height = layout.height;
    page.jpeg = std::move(bytes);
    page.passedThrough = true;
    return true;
}

} // namespace

bool MakeJpegReady(CxImage& image)
{
    if (!image.FlattenOn(kPaperWhite))
        return false;
    if (image.GetBpp() != 24 && !image.IsGrayScale())
        return toTrueColour(image);
    return true;
}

PdfPage PreparePdfPage(const QString& path)
{
    PdfPage page;
    const uint32_t format =
        CxImage::FormatFromExtension(QFileInfo(path).suffix().toUtf8().constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN) {
        page.error = QStringLiteral("not an image file (by its name)");
        return page;
    }
    std::vector<uint8_t> bytes;
    page.error = readAll(path, bytes);
    if (!page.ok() || (format == CXIMAGE_FORMAT_JPG && embedAsIs(bytes, page)))
        return page;
    CxImage image;
    if (!image.Decode(bytes.data(), bytes.size(), format) || !MakeJpegReady(image) ||
        !image.Encode(page.jpeg, CXIMAGE_FORMAT_JPG)) {
        page.error = QString::fromUtf8(image.GetLastError());
        return page;
    }
    page.width = image.GetWidth(); // decoded upright: the page needs no turn
    page.height = image.GetHeight();
    return page;
}

} // namespace scriva::exporter
