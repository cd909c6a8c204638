#include "PhotoProcessor.h"

#include "capture/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace PhotoProcessor {

namespace {

// ">> 1" of the offset table: an arithmetic shift, i.e. floor division by two.
int HalfDown(int v)
{
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

int Trunc(float v)
{
    return static_cast<int>(v);
}

bool IsFrame(int w, int h, int fw, int fh)
{
    return w == fw && h == fh;
}

// Left and top offsets of the page in the frame, rows counted from the top.
void PageOffsets(int model, int W, int H, float w, float h, int& left, int& top)
{
    const float fW = static_cast<float>(W);
    const float fH = static_cast<float>(H);
    switch (model) {
    case 1:
        left = HalfDown(Trunc(fW - w) + 10);
        top = HalfDown(Trunc(fH - h) - 30);
        return;
    case 2:
        left = HalfDown(Trunc(fW - w) + 80);
        top = HalfDown(Trunc(fH - h) - 60);
        return;
    case 3:
        left = HalfDown(Trunc(fW - w) + 60);
        top = HalfDown(Trunc(fH - h) + 20);
        return;
    default:
        if (IsFrame(W, H, 2048, 1536)) {
            left = HalfDown(Trunc(2048.0f - w));
            top = HalfDown(Trunc(1536.0f - h));
        } else {
            // 2592 x 1944 and 1280 x 1024 share one rule.
            left = HalfDown(-40 - Trunc(w - fW));
            top = HalfDown(70 - Trunc(h - fH));
        }
        return;
    }
}

bool Fail(QString* error, const CxImage& image, const char* step)
{
    if (error)
        *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                              QString::fromUtf8(image.GetLastError()));
    return false;
}

bool CutPage(CxImage& image, const PhotoParams& p, PageCut& cut)
{
    cut = PageCutFor(p.cameraModel, int(image.GetWidth()), int(image.GetHeight()), p.pageHeightMm,
                     p.pageWidthMm);
    return !cut.cut || image.Crop(cut.left, cut.top, cut.right, cut.bottom);
}

bool Turn(CxImage& image, int direction)
{
    if (direction == 1)
        return image.RotateRight90();
    if (direction == 2)
        return image.RotateLeft90();
    return true;
}

bool CutPreset(CxImage& image, const PresetArea& a)
{
    if (!a.IsSet())
        return true;
    const auto at = [&a](int offset, int v) { return int(std::trunc((offset + v) / a.zoom)); };
    return image.Crop(at(a.scrollX, a.left), at(a.scrollY, a.top), at(a.scrollX, a.right),
                      at(a.scrollY, a.bottom));
}

} // namespace

PageCut PageCutFor(int model, int W, int H, int pageHeightMm, int pageWidthMm)
{
    PageCut cut;
    PageGeometry::Scale scale;
    if (pageHeightMm == 0 || pageWidthMm == 0 || W <= 0 || H <= 0 ||
        !PageGeometry::PixelsPerMm(model, W, H, scale))
        return cut;
    const float w = std::min(float(pageWidthMm) * scale.horizontal, float(W));
    const float h = std::min(float(pageHeightMm) * scale.vertical, float(H));
    if (!(w < float(W) && h < float(H)) || w <= 0.0f || h <= 0.0f)
        return cut;
    PageOffsets(model, W, H, w, h, cut.left, cut.top);
    cut.right = Trunc(float(cut.left) + w);
    cut.bottom = Trunc(float(cut.top) + h);
    cut.cut = true;
    return cut;
}

int ResolutionForFrameWidth(int frameWidth)
{
    if (frameWidth == 2592)
        return kDpiAt2592;
    if (frameWidth == 1600)
        return kDpiAt1600;
    return kDpiOtherwise;
}

bool Process(CxImage& image, const PhotoParams& params, PhotoReport* report, QString* error)
{
    PhotoReport local;
    PhotoReport& r = report ? *report : local;
    r = PhotoReport{};
    if (!image.IsValid()) {
        if (error)
            *error = QStringLiteral("no picture to process");
        return false;
    }
    if (!CutPage(image, params, r.page))
        return Fail(error, image, "page cut");
    if (!StraightenPage(image, r.straighten, error, params.fineStraighten))
        return false;
    if (!Turn(image, params.direction))
        return Fail(error, image, "turn");
    if (params.usePreset && !CutPreset(image, params.preset))
        return Fail(error, image, "preset area");
    if (!cxlook::ApplyLook(image, params.look)) {
        r.lookFailed = true;
        r.lookError = QString::fromUtf8(image.GetLastError());
    }
    const int dpi = ResolutionForFrameWidth(params.frameWidth);
    image.SetXDPI(dpi);
    image.SetYDPI(dpi);
    return true;
}

} // namespace PhotoProcessor
