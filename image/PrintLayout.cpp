#include "PrintLayout.h"

#include "image/CxImageDraw.h"
#include "image/cximage/CxImage.h"

#include <cmath>
#include <limits>

namespace scriva::image {

namespace {

constexpr RGBQUAD kPaperWhite{255, 255, 255, 0};

QSize screenSize(QSize image, int dpiX, int dpiY)
{
    return {int(int64_t(image.width()) * dpiX / kScreenDpi),
            int(int64_t(image.height()) * dpiY / kScreenDpi)};
}

// Whole inches of the page over whole 96-pixel steps of the image; infinite when
// the image side is under one step.
float fitFactor(int printable, int dpi, int imageSide)
{
    const int steps = imageSide / kScreenDpi;
    if (steps == 0)
        return std::numeric_limits<float>::infinity();
    // Whole inches of the printable side on purpose.
    return float(printable / dpi) / float(steps); // NOLINT(bugprone-integer-division)
}

} // namespace

QRect PrintRect(QSize image, QSize printable, int dpiX, int dpiY, int printMode)
{
    if (image.isEmpty() || dpiX <= 0 || dpiY <= 0)
        return {};
    QSize size = screenSize(image, dpiX, dpiY);
    if (printMode == mode::kPrintFitToPage) {
        const float s = std::min(fitFactor(printable.width(), dpiX, image.width()),
                                 fitFactor(printable.height(), dpiY, image.height()));
        if (std::isfinite(s) && s > 0)
            size = QSize(int(float(size.width()) * s), int(float(size.height()) * s));
    }
    return {(printable.width() - size.width()) / 2, (printable.height() - size.height()) / 2,
            size.width(), size.height()};
}

void PrintImage(QPainter& painter, const CxImage& image, const QRect& target)
{
    CxImage copy(image);
    if (copy.GetTransIndex() >= 0)
        copy.SetPaletteColor(uint8_t(copy.GetTransIndex()), kPaperWhite);
    copy.SetTransColor(kPaperWhite);
    copy.FlattenAlpha();
    Stretch(painter, copy, target);
}

} // namespace scriva::image
