// Helpers shared by the pixel operations: images made like another one, and the
// depth conversion that interpolating operations need.

#include "CxPixelRows.h"

#include <cstring>

namespace cxrows {

bool CreateLike(CxImage& out, const CxImage& like, uint32_t width, uint32_t height, uint32_t bpp)
{
    if (!out.Create(width, height, bpp, like.GetType()))
        return false;
    out.SetXDPI(like.GetXDPI());
    out.SetYDPI(like.GetYDPI());
    out.SetJpegQuality(like.GetJpegQuality());
    if (out.GetBpp() == like.GetBpp() && like.GetNumColors()) {
        out.SetPalette(like.GetPalette(), like.GetNumColors());
        out.SetTransIndex(like.GetTransIndex());
    }
    out.SetTransColor(like.GetTransColor());
    return true;
}

bool IsInterpolatable(const CxImage& image)
{
    if (image.GetBpp() == 24)
        return true;
    if (image.GetBpp() != 8)
        return false;
    const RGBQUAD* pal = image.GetPalette();
    for (int i = 0; i < 256; ++i)
        if (pal[i].rgbRed != i || pal[i].rgbGreen != i || pal[i].rgbBlue != i)
            return false;
    return true;
}

namespace {

bool ExpandTo24(const CxImage& in, CxImage& out)
{
    const int w = static_cast<int>(in.GetWidth());
    const int h = static_cast<int>(in.GetHeight());
    if (!CreateLike(out, in, w, h, 24))
        return false;
    const RGBQUAD* pal = in.GetPalette();
    const int bpp = static_cast<int>(in.GetBpp());
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = in.GetBits(y);
        uint8_t* d = out.GetBits(y);
        for (int x = 0; x < w; ++x, d += 3) {
            const RGBQUAD& c = pal[GetIndex(s, x, bpp)];
            d[0] = c.rgbBlue;
            d[1] = c.rgbGreen;
            d[2] = c.rgbRed;
        }
    }
    if (in.AlphaIsValid() && out.AlphaCreate())
        std::memcpy(out.AlphaGetPointer(), in.AlphaGetPointer(), size_t(w) * h);
    return true;
}

} // namespace

bool ToInterpolatable(const CxImage& in, CxImage& out)
{
    if (in.IsGrayScale()) {
        out.Copy(in);
        if (!out.IsValid())
            return false;
        out.SetProgressSink(nullptr);
        return out.ToGray();
    }
    return ExpandTo24(in, out);
}

} // namespace cxrows
