// The selection mask of the image object: a byte per pixel, bottom-up like the
// rows, filled by polygons (the lasso). The box is kept bottom-up with left and
// bottom inclusive, right and top exclusive, so that "height - top" and
// "height - bottom" give exactly the selected rows as a top-down crop.

#include "CxImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

bool CxImage::SelectionCreate()
{
    if (!IsValid())
        return false;
    const size_t plane = size_t(GetWidth()) * GetHeight();
    if (!m_pSelection) {
        m_pSelection = static_cast<uint8_t*>(std::calloc(plane, 1));
        if (!m_pSelection) {
            SetLastError("CxImage::SelectionCreate can't allocate memory");
            return false;
        }
    } else {
        std::memset(m_pSelection, 0, plane);
    }
    m_info.rSelectionBox = CxRect{int32_t(GetWidth()), 0, 0, int32_t(GetHeight())};
    return true;
}

bool CxImage::ClearSelection(uint8_t level)
{
    if (!SelectionCreate())
        return false;
    if (level) {
        std::memset(m_pSelection, level, size_t(GetWidth()) * GetHeight());
        m_info.rSelectionBox = CxRect{0, int32_t(GetHeight()), int32_t(GetWidth()), 0};
    }
    return true;
}

namespace {

// Marks the pixels along one polygon edge, so the outline itself is selected.
void MarkEdge(uint8_t* mask, int w, int h, CxPoint a, CxPoint b, uint8_t level)
{
    const int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
    const int steps = std::max(dx, dy);
    for (int i = 0; i <= steps; ++i) {
        const double t = steps ? double(i) / steps : 0.0;
        const int x = int(std::lround(a.x + (b.x - a.x) * t));
        const int y = int(std::lround(a.y + (b.y - a.y) * t));
        if (x >= 0 && y >= 0 && x < w && y < h)
            mask[size_t(y) * w + x] = level;
    }
}

// Even-odd scanline fill through the pixel centres of each row.
void FillPolygon(uint8_t* mask, int w, int h, const CxPoint* p, int n, uint8_t level)
{
    int ymin = p[0].y, ymax = p[0].y;
    for (int i = 1; i < n; ++i) {
        ymin = std::min(ymin, p[i].y);
        ymax = std::max(ymax, p[i].y);
    }
    ymin = std::max(ymin, 0);
    ymax = std::min(ymax, h - 1);
    std::vector<double> xs;
    for (int y = ymin; y <= ymax; ++y) {
        xs.clear();
        for (int i = 0; i < n; ++i) {
            const CxPoint a = p[i], b = p[(i + 1) % n];
            if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y))
                xs.push_back(a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2) {
            const int x0 = std::max(0, int(std::ceil(xs[k])));
            const int x1 = std::min(w - 1, int(std::floor(xs[k + 1])));
            if (x0 <= x1)
                std::memset(mask + size_t(y) * size_t(w) + size_t(x0), level,
                            size_t(x1) - size_t(x0) + 1);
        }
    }
    for (int i = 0; i < n; ++i)
        MarkEdge(mask, w, h, p[i], p[(i + 1) % n], level);
}

} // namespace

bool CxImage::AddPolygonToSelection(const CxPoint* points, int32_t npoints, uint8_t level)
{
    if (!IsValid() || !points || npoints < 3)
        return false;
    if (!m_pSelection && !SelectionCreate())
        return false;
    const int w = int(GetWidth()), h = int(GetHeight());
    FillPolygon(m_pSelection, w, h, points, npoints, level);
    CxRect& box = m_info.rSelectionBox;
    for (int i = 0; i < npoints; ++i) {
        const int x = std::clamp(points[i].x, 0, w - 1);
        const int y = std::clamp(points[i].y, 0, h - 1);
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::min(box.bottom, y);
        box.top = std::max(box.top, y + 1);
    }
    return true;
}

bool CxImage::GetSelectionBox(CxRect& r) const
{
    r = m_info.rSelectionBox;
    return true;
}

bool CxImage::IsSelected(int32_t x, int32_t y) const
{
    if (!IsInside(x, y))
        return false;
    return !m_pSelection || m_pSelection[size_t(y) * GetWidth() + size_t(x)] != 0;
}

bool CxImage::DeleteSelection()
{
    std::free(m_pSelection);
    m_pSelection = nullptr;
    m_info.rSelectionBox = CxRect{0, int32_t(GetHeight()), int32_t(GetWidth()), 0};
    return true;
}
