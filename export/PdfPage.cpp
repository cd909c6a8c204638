#include "PdfPage.h"

#include "ImageResolution.h"
#include "JpegProbe.h"
#include "image/cximage/CxImage.h"

#include "config/NativePath.h"
#include "ocr/COcrEngine.h"

#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriva::exporter {

namespace {

constexpr RGBQUAD kPaperWhite{255, 255, 255, 0};
constexpr double kPointsPerInch = 72.0;

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

bool isBlackOrWhite(const RGBQUAD& c)
{
    return (c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0) ||
           (c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255);
}

// Recognises the picture as seen; the program's own text for the file, when it
// has one, is laid over the recognised places.
QString recognise(const QString& path, CxImage& upright, const PageRecognition& options,
                  PdfPage& page)
{
    COcrEngine engine;
    engine.SetSettingsReader(options.settings);
    engine.SetModelsOverride(options.models);
    engine.SetCodeMode(ocr::CodeModeFor(options.settings().interfaceCode));
    ocr::PageWords words;
    if (!engine.Start(options.language) || !engine.RecognizeWords(upright, words)) {
        QString message;
        int code = 0;
        engine.GetEngineError(message, code);
        return QStringLiteral("the text could not be recognised: %1").arg(message);
    }
    page.uprightWidth = upright.GetWidth();
    page.uprightHeight = upright.GetHeight();
    QString stored;
    if (options.storedText && options.storedText(path, stored) && !stored.trimmed().isEmpty()) {
        words = ocr::LayTextOverWords(stored, words,
                                      QSize(int(page.uprightWidth), int(page.uprightHeight)));
        page.usedStoredText = true;
    }
    page.words = std::move(words);
    page.recognised = true;
    return {};
}

bool cancelled(const PdfPageOptions& options)
{
    return options.cancel && options.cancel->load();
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

bool PackBlackAndWhite(const CxImage& image, std::vector<uint8_t>& bits)
{
    bits.clear();
    const uint32_t w = image.GetWidth(), h = image.GetHeight();
    if (!image.IsValid() || w == 0 || h == 0 || image.AlphaIsValid())
        return false;
    const size_t stride = (size_t(w) + 7) / 8;
    std::vector<uint8_t> rows(stride * h, 0);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = rows.data() + stride * y;
        const int32_t stored = int32_t(h - 1 - y); // the image's rows count from the bottom
        for (uint32_t x = 0; x < w; ++x) {
            const RGBQUAD c = image.BlindGetPixelColor(int32_t(x), stored);
            if (!isBlackOrWhite(c))
                return false;
            if (c.rgbRed == 0)
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    bits = std::move(rows);
    return true;
}

double PdfPage::PointWidth() const
{
    return dpiX > 0 ? width * kPointsPerInch / dpiX : double(width);
}

double PdfPage::PointHeight() const
{
    return dpiY > 0 ? height * kPointsPerInch / dpiY : double(height);
}

PdfPage PreparePdfPage(const QString& path, const PdfPageOptions& options)
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
    if (!page.ok())
        return page;
    if (options.dpi > 0)
        page.dpiX = page.dpiY = options.dpi;
    else
        HeaderResolution(bytes, format, page.dpiX, page.dpiY);
    const bool recognition = options.recognition.enabled && !cancelled(options);
    CxImage image;
    if (format == CXIMAGE_FORMAT_JPG && embedAsIs(bytes, page)) {
        page.uprightWidth = page.rotation % 180 ? page.height : page.width;
        page.uprightHeight = page.rotation % 180 ? page.width : page.height;
        if (!recognition)
            return page;
        // Decoded upright for the words; the page keeps the file's own bytes.
        if (!image.Decode(page.jpeg.data(), page.jpeg.size(), format)) {
            page.error = QString::fromUtf8(image.GetLastError());
            return page;
        }
    } else {
        if (!image.Decode(bytes.data(), bytes.size(), format) || !image.FlattenOn(kPaperWhite)) {
            page.error = QString::fromUtf8(image.GetLastError());
            return page;
        }
        page.width = page.uprightWidth = image.GetWidth(); // decoded upright: no turn
        page.height = page.uprightHeight = image.GetHeight();
        if (!PackBlackAndWhite(image, page.bilevel) &&
            (!MakeJpegReady(image) || !image.Encode(page.jpeg, CXIMAGE_FORMAT_JPG))) {
            page.error = QString::fromUtf8(image.GetLastError());
            return page;
        }
        if (!recognition)
            return page;
    }
    page.error = recognise(path, image, options.recognition, page);
    return page;
}

} // namespace scriva::exporter
