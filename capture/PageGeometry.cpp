#include "PageGeometry.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <algorithm>
#include <cstring>

namespace PageGeometry {

namespace {

// Floor division by two: the ">> 1" of the offset table on negative values too.
int HalfDown(int v)
{
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

bool IsFrame(int w, int h, int fw, int fh)
{
    return w == fw && h == fh;
}

void FillBand(uint8_t* bits, int stride, int fw, int fh, int x0, int y0, int x1, int y1)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, fw);
    y1 = std::min(y1, fh);
    for (int y = y0; y < y1; ++y) {
        uint8_t* p = bits + static_cast<intptr_t>(y) * stride + x0 * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = 0;
            p[1] = 0;
            p[2] = 255;
        }
    }
}

} // namespace

bool PixelsPerMm(int model, int W, int H, Scale& out)
{
    out = Scale{};
    const float fw = static_cast<float>(W);
    const float fh = static_cast<float>(H);
    switch (model) {
    case 1:
        out = {fw * (1.0f / 352.0f), fh * (1.0f / 260.0f)};
        return true;
    case 2:
        out = {fw * (1.0f / 202.0f), fh * (1.0f / 148.0f)};
        return true;
    case 3:
        out = {fw * (1.0f / 289.0f), fh * (1.0f / 210.0f)};
        return true;
    case 4:
        if (IsFrame(W, H, 2048, 1536))
            out = {2048.0f / 342.0f, 1536.0f / 245.0f};
        else if (IsFrame(W, H, 2592, 1944))
            out = {2592.0f / 412.0f, 1944.0f / 297.0f};
        else if (IsFrame(W, H, 1280, 1024))
            out = {1280.0f / 202.0f, 1024.0f / 148.0f};
        else
            return false;
        return true;
    default:
        return false;
    }
}

Rect PageFrame(int model, int W, int H, int pageHeightMm, int pageWidthMm)
{
    Scale s;
    if (!PixelsPerMm(model, W, H, s) || pageHeightMm <= 0 || pageWidthMm <= 0)
        return {};
    const float pw = static_cast<float>(pageWidthMm) * s.horizontal;
    const float ph = static_cast<float>(pageHeightMm) * s.vertical;
    // A page that truncates to more than the frame is no page; checked before
    // converting, since a hand-edited size can exceed any int in pixels.
    if (pw >= static_cast<float>(W) + 1.0f || ph >= static_cast<float>(H) + 1.0f)
        return {};
    const int w = static_cast<int>(pw);
    const int h = static_cast<int>(ph);
    if (w <= 0 || h <= 0 || w > W || h > H)
        return {};
    int left = 0;
    int top = 0;
    switch (model) {
    case 1:
        left = HalfDown(W - w + 10);
        top = HalfDown(H - h - 30);
        break;
    case 2:
        left = HalfDown(W - w + 80);
        top = HalfDown(H - h - 60);
        break;
    case 3:
        left = HalfDown(W - w + 60);
        top = HalfDown(H - h + 20);
        break;
    default:
        if (IsFrame(W, H, 2048, 1536)) {
            left = HalfDown(2138 - w);
            top = HalfDown(1526 - h);
        } else if (IsFrame(W, H, 2592, 1944)) {
            left = HalfDown(2552 - w);
            top = HalfDown(2014 - h);
        } else {
            left = HalfDown(1240 - w);
            top = HalfDown(1094 - h);
        }
        break;
    }
    return {left, top, left + w, top + h};
}

void ChosenPageSizeMm(const CConfigFile& config, int& heightMm, int& widthMm)
{
    const QString name = scriva::settings::ReadString(config, scriva::settings::kPageSizeName);
    scriva::settings::ReadPageSize(config, name, heightMm, widthMm);
}

void PaintBorder(uint8_t* bits, int stride, int W, int H, const Rect& r)
{
    if (!bits || r.IsEmpty() || W <= 0 || H <= 0)
        return;
    const int t = kBorderThickness;
    FillBand(bits, stride, W, H, r.left, r.top, r.right, r.top + t);
    FillBand(bits, stride, W, H, r.left, r.top, r.left + t, r.bottom);
    FillBand(bits, stride, W, H, r.right - t, r.top, r.right, r.bottom);
    FillBand(bits, stride, W, H, r.left, r.bottom - t, r.right, r.bottom);
}

} // namespace PageGeometry
