// Grey conversion, mirrors, quarter and half turns, and the negative of the
// image object. Turns work in square tiles so that the rows read and the rows
// written both stay in cache on multi-megapixel photos.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace cxrows;

namespace {

// Tiles of the quarter turns, in pixels per side.
constexpr int kTurnTile = 64;

enum class Turn { Right90, Left90, Half };

// Where destination pixel (x, y) of a turned w x h source comes from (bottom-up rows).
inline void TurnSource(Turn turn, int w, int h, int x, int y, int& sx, int& sy)
{
    if (turn == Turn::Right90) { // clockwise on screen
        sx = w - 1 - y;
        sy = x;
    } else if (turn == Turn::Left90) {
        sx = y;
        sy = h - 1 - x;
    } else {
        sx = w - 1 - x;
        sy = h - 1 - y;
    }
}

// Turns a plane of `bytes`-sized pixels tile by tile. Along a destination row the
// source pixel moves by a fixed step, so the inner loop is a strided copy.
// Returns false when stopped.
template <int Bytes>
bool TurnPlane(const uint8_t* src, size_t srcStride, int w, int h, uint8_t* dst, size_t dstStride,
               Turn turn, CxImage* progress)
{
    const int dw = turn == Turn::Half ? w : h;
    const int dh = turn == Turn::Half ? h : w;
    const ptrdiff_t stride = ptrdiff_t(srcStride);
    const ptrdiff_t step = turn == Turn::Right90 ? stride : turn == Turn::Left90 ? -stride : -Bytes;
    for (int ty = 0; ty < dh; ty += kTurnTile) {
        if (progress) {
            if (Escaped(*progress))
                return false;
            Progress(*progress, ty, dh);
        }
        const int yEnd = std::min(dh, ty + kTurnTile);
        for (int tx = 0; tx < dw; tx += kTurnTile) {
            const int xEnd = std::min(dw, tx + kTurnTile);
            for (int y = ty; y < yEnd; ++y) {
                uint8_t* d = dst + y * dstStride + size_t(tx) * Bytes;
                int sx, sy;
                TurnSource(turn, w, h, tx, y, sx, sy);
                const uint8_t* s = src + ptrdiff_t(sy) * stride + ptrdiff_t(sx) * Bytes;
                for (int x = tx; x < xEnd; ++x, d += Bytes, s += step)
                    for (int b = 0; b < Bytes; ++b)
                        d[b] = s[b];
            }
        }
    }
    return true;
}

// Turns a 1- or 4-bit image index by index. Returns false when stopped.
bool TurnPacked(const CxImage& src, CxImage& dst, Turn turn, CxImage& progress)
{
    const int w = int(src.GetWidth());
    const int h = int(src.GetHeight());
    const int bpp = int(src.GetBpp());
    for (int y = 0; y < int(dst.GetHeight()); ++y) {
        if (Escaped(progress))
            return false;
        Progress(progress, y, dst.GetHeight());
        uint8_t* d = dst.GetBits(y);
        for (int x = 0; x < int(dst.GetWidth()); ++x) {
            int sx, sy;
            TurnSource(turn, w, h, x, y, sx, sy);
            SetIndex(d, x, bpp, GetIndex(src.GetBits(sy), sx, bpp));
        }
    }
    return true;
}

// Selection box (bottom-up; left/bottom inclusive, right/top exclusive) after a turn.
CxRect TurnBox(const CxRect& r, Turn turn, int w, int h)
{
    switch (turn) {
    case Turn::Right90:
        return CxRect{r.bottom, w - r.left, r.top, w - r.right};
    case Turn::Left90:
        return CxRect{h - r.top, r.right, h - r.bottom, r.left};
    case Turn::Half:
        break;
    }
    return CxRect{w - r.right, h - r.bottom, w - r.left, h - r.top};
}

} // namespace

bool CxImage::ToGray()
{
    if (!IsValid())
        return false;
    const int w = int(GetWidth());
    const int h = int(GetHeight());
    uint8_t lut[256] = {};
    if (GetBpp() <= 8) {
        const RGBQUAD* pal = GetPalette();
        for (uint32_t i = 0; i < GetNumColors(); ++i)
            lut[i] = Grey(pal[i]);
    }
    CxImage grey;
    if (!CreateLike(grey, *this, w, h, 8)) {
        SetLastError(grey.GetLastError());
        return false;
    }
    grey.SetGrayPalette();
    if (GetTransIndex() >= 0 && GetBpp() <= 8)
        grey.SetTransIndex(lut[GetTransIndex() & 0xFF]);
    const int bpp = int(GetBpp());
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = GetBits(y);
        uint8_t* d = grey.GetBits(y);
        if (bpp == 24) {
            for (int x = 0; x < w; ++x, s += 3)
                d[x] = Grey(s[2], s[1], s[0]);
        } else if (bpp == 8) {
            for (int x = 0; x < w; ++x)
                d[x] = lut[s[x]];
        } else {
            for (int x = 0; x < w; ++x)
                d[x] = lut[GetIndex(s, x, bpp)];
        }
    }
    const size_t plane = size_t(w) * h;
    if (SelectionIsValid() && grey.SelectionCreate())
        std::memcpy(grey.SelectionGetPointer(), SelectionGetPointer(), plane);
    grey.m_info.rSelectionBox = m_info.rSelectionBox;
    if (AlphaIsValid() && grey.AlphaCreate())
        std::memcpy(grey.AlphaGetPointer(), AlphaGetPointer(), plane);
    return Transfer(grey);
}

bool CxImage::FlipVertical(bool bFlipSelection, bool bFlipAlpha)
{
    if (!IsValid())
        return false;
    const int h = int(GetHeight());
    const size_t stride = GetEffWidth();
    // Rows of the byte-per-pixel planes are wider than packed 1- and 4-bit rows.
    std::vector<uint8_t> buffer(std::max<size_t>(stride, GetWidth()));
    auto flip = [h, &buffer](uint8_t* base, size_t rowBytes) {
        for (int y = 0; y < h / 2; ++y) {
            uint8_t* a = base + y * rowBytes;
            uint8_t* b = base + size_t(h - 1 - y) * rowBytes;
            std::memcpy(buffer.data(), a, rowBytes);
            std::memcpy(a, b, rowBytes);
            std::memcpy(b, buffer.data(), rowBytes);
        }
    };
    flip(GetBits(0), stride);
    if (bFlipSelection && SelectionIsValid()) {
        flip(SelectionGetPointer(), GetWidth());
        CxRect& r = m_info.rSelectionBox;
        r = CxRect{r.left, h - r.bottom, r.right, h - r.top};
    }
    if (bFlipAlpha && AlphaIsValid())
        flip(AlphaGetPointer(), GetWidth());
    return true;
}

bool CxImage::MirrorHorizontal(bool bMirrorSelection, bool bMirrorAlpha)
{
    if (!IsValid())
        return false;
    const int w = int(GetWidth());
    const int h = int(GetHeight());
    const int bpp = int(GetBpp());
    // Planes not asked for go along unchanged.
    CxImage out(*this, false, true, true);
    if (!out.IsValid()) {
        SetLastError(out.GetLastError());
        return false;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = GetBits(y);
        uint8_t* d = out.GetBits(y);
        if (bpp == 24) {
            for (int x = 0; x < w; ++x)
                std::memcpy(d + 3 * (w - 1 - x), s + 3 * x, 3);
        } else if (bpp == 8) {
            for (int x = 0; x < w; ++x)
                d[w - 1 - x] = s[x];
        } else {
            for (int x = 0; x < w; ++x)
                SetIndex(d, w - 1 - x, bpp, GetIndex(s, x, bpp));
        }
    }
    auto mirror = [w, h](const uint8_t* s, uint8_t* d) {
        for (int y = 0; y < h; ++y, s += w, d += w)
            for (int x = 0; x < w; ++x)
                d[w - 1 - x] = s[x];
    };
    if (bMirrorSelection && SelectionIsValid() && out.SelectionIsValid()) {
        mirror(SelectionGetPointer(), out.SelectionGetPointer());
        const CxRect& r = m_info.rSelectionBox;
        out.m_info.rSelectionBox = CxRect{w - r.right, r.top, w - r.left, r.bottom};
    }
    if (bMirrorAlpha && AlphaIsValid() && out.AlphaIsValid())
        mirror(AlphaGetPointer(), out.AlphaGetPointer());
    return Transfer(out);
}

namespace {

// Turns `src` into `out` (already allocated with the turned size); the planes go along.
bool TurnInto(const CxImage& src, CxImage& out, Turn turn, CxImage& progress)
{
    const int w = int(src.GetWidth());
    const int h = int(src.GetHeight());
    bool complete;
    if (src.GetBpp() == 24)
        complete = TurnPlane<3>(src.GetBits(0), src.GetEffWidth(), w, h, out.GetBits(0),
                                out.GetEffWidth(), turn, &progress);
    else if (src.GetBpp() == 8)
        complete = TurnPlane<1>(src.GetBits(0), src.GetEffWidth(), w, h, out.GetBits(0),
                                out.GetEffWidth(), turn, &progress);
    else
        complete = TurnPacked(src, out, turn, progress);
    if (src.AlphaIsValid() && out.AlphaCreate())
        TurnPlane<1>(src.AlphaGetPointer(), w, w, h, out.AlphaGetPointer(), out.GetWidth(), turn,
                     nullptr);
    if (src.SelectionIsValid() && out.SelectionCreate())
        TurnPlane<1>(src.SelectionGetPointer(), w, w, h, out.SelectionGetPointer(), out.GetWidth(),
                     turn, nullptr);
    (void)complete; // a stopped turn still hands over what it has done
    return true;
}

} // namespace

bool CxImage::RotateRight90(CxImage* iDst)
{
    return TurnImage(int(Turn::Right90), iDst);
}
bool CxImage::RotateLeft90(CxImage* iDst)
{
    return TurnImage(int(Turn::Left90), iDst);
}
bool CxImage::Rotate180(CxImage* iDst)
{
    return TurnImage(int(Turn::Half), iDst);
}

bool CxImage::TurnImage(int turnKind, CxImage* iDst)
{
    if (!IsValid())
        return false;
    const Turn turn = static_cast<Turn>(turnKind);
    const uint32_t w = GetWidth();
    const uint32_t h = GetHeight();
    CxImage out;
    const bool half = turn == Turn::Half;
    if (!CreateLike(out, *this, half ? w : h, half ? h : w, GetBpp())) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (!half) {
        out.SetXDPI(GetYDPI());
        out.SetYDPI(GetXDPI());
    }
    TurnInto(*this, out, turn, *this);
    out.m_info.rSelectionBox = TurnBox(m_info.rSelectionBox, turn, int(w), int(h));
    SetProgress(100);
    if (iDst)
        return iDst->Transfer(out);
    return Transfer(out);
}

bool CxImage::Invert()
{
    if (!IsValid())
        return false;
    const int w = int(GetWidth());
    const int h = int(GetHeight());
    const int bpp = int(GetBpp());
    const bool selected = SelectionIsValid();
    if (bpp == 24) {
        for (int y = 0; y < h; ++y) {
            uint8_t* row = GetBits(y);
            const uint8_t* sel = selected ? SelectionGetPointer(0, y) : nullptr;
            for (int x = 0; x < w; ++x, row += 3) {
                if (sel && !sel[x])
                    continue;
                row[0] = uint8_t(~row[0]);
                row[1] = uint8_t(~row[1]);
                row[2] = uint8_t(~row[2]);
            }
        }
        RGBQUAD t = GetTransColor();
        t.rgbBlue = uint8_t(~t.rgbBlue);
        t.rgbGreen = uint8_t(~t.rgbGreen);
        t.rgbRed = uint8_t(~t.rgbRed);
        SetTransColor(t);
        return true;
    }
    if (selected) {
        const uint8_t top = uint8_t((1u << bpp) - 1);
        for (int y = 0; y < h; ++y) {
            uint8_t* row = GetBits(y);
            const uint8_t* sel = SelectionGetPointer(0, y);
            for (int x = 0; x < w; ++x)
                if (sel[x])
                    SetIndex(row, x, bpp, uint8_t(top - GetIndex(row, x, bpp)));
        }
        return true;
    }
    RGBQUAD* pal = GetPalette();
    for (uint32_t i = 0; i < GetNumColors(); ++i) {
        pal[i].rgbBlue = uint8_t(~pal[i].rgbBlue);
        pal[i].rgbGreen = uint8_t(~pal[i].rgbGreen);
        pal[i].rgbRed = uint8_t(~pal[i].rgbRed);
    }
    return true;
}
