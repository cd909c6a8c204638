// The image object's data model: creation, copies, attributes, palette, pixels and alpha.
#include "CxImage.h"

#include "base/ImageExtensions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Pixels per metre for a resolution in dots per inch.
// Resolutions read from files are capped so that pixels per metre fit the header.
constexpr int32_t kMaxDpi = 1000000;

int32_t dpiToPpm(int32_t dpi)
{
    return int32_t(std::floor(dpi * 39.37007874015748 + 0.5));
}

uint32_t mapBpp(uint32_t bpp)
{
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

} // namespace

CxImage::CxImage(uint32_t imagetype)
{
    m_info.dwType = imagetype;
}

CxImage::CxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype)
{
    m_info.dwType = imagetype;
    Create(width, height, bpp, imagetype);
}

CxImage::CxImage(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    Copy(src, copypixels, copyselection, copyalpha);
}

CxImage::CxImage(const std::string& path, uint32_t imagetype)
{
    m_info.dwType = imagetype;
    Load(path, imagetype);
}

CxImage& CxImage::operator=(const CxImage& src)
{
    if (this != &src)
        Copy(src, true, true, true);
    return *this;
}

CxImage::~CxImage()
{
    ClearBuffers();
}

void CxImage::ClearBuffers()
{
    std::free(m_pDib);
    std::free(m_pSelection);
    std::free(m_pAlpha);
    m_pDib = m_pSelection = m_pAlpha = nullptr;
    m_info.pImage = nullptr;
    // An object without pixels has no size: width, height and depth read 0.
    m_head = CxBitmapInfoHeader{};
    m_info.dwEffWidth = 0;
}

bool CxImage::Destroy()
{
    ClearBuffers();
    return true;
}

bool CxImage::CheckDimensions(uint64_t width, uint64_t height, uint32_t bpp)
{
    if (width == 0 || height == 0) {
        SetLastError("CxImage::Create : width and height must be greater than zero");
        return false;
    }
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzz builds refuse pictures past 4 Mbit or 4 M pixels as if they were too large, so
    // that every input decodes quickly (a tall picture costs a row pointer per row too);
    // the same checks are reached.
    constexpr uint64_t limit = uint64_t(1) << 22;
#else
    constexpr uint64_t limit = kMaxBits;
#endif
    // Each factor is capped first so that the product cannot wrap in 64 bits.
    if (width >= limit || height >= limit || width * height >= limit ||
        width * height * mapBpp(bpp) >= limit) {
        SetLastError("Image Memory exceeded");
        return false;
    }
    return true;
}

void CxImage::RecomputeLayout()
{
    const uint64_t w = uint64_t(m_head.biWidth);
    m_info.dwEffWidth = uint32_t(((w * m_head.biBitCount + 31) / 32) * 4);
    m_head.biSizeImage = uint32_t(uint64_t(m_info.dwEffWidth) * uint64_t(m_head.biHeight));
    m_info.pImage = m_pDib ? m_pDib + sizeof(CxBitmapInfoHeader) + GetPaletteSize() : nullptr;
}

void* CxImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype)
{
    ClearBuffers();
    if (!CheckDimensions(width, height, bpp))
        return nullptr;
    bpp = mapBpp(bpp);
    m_info.dwType = imagetype;
    m_head = CxBitmapInfoHeader{};
    m_head.biWidth = int32_t(width);
    m_head.biHeight = int32_t(height);
    m_head.biBitCount = uint16_t(bpp);
    m_head.biClrUsed = bpp == 24 ? 0 : (1u << bpp);
    m_head.biXPelsPerMeter = dpiToPpm(m_info.xDPI);
    m_head.biYPelsPerMeter = dpiToPpm(m_info.yDPI);
    RecomputeLayout();
    const uint64_t total =
        sizeof(CxBitmapInfoHeader) + uint64_t(GetPaletteSize()) + uint64_t(m_head.biSizeImage);
    m_pDib = static_cast<uint8_t*>(std::calloc(size_t(total), 1));
    if (!m_pDib) {
        SetLastError("CxImage::Create can't allocate memory");
        return nullptr;
    }
    std::memcpy(m_pDib, &m_head, sizeof(m_head));
    RecomputeLayout();
    m_info.rSelectionBox = CxRect{};
    return m_pDib;
}

uint64_t CxImage::GetSize() const
{
    if (!m_pDib)
        return 0;
    return sizeof(CxBitmapInfoHeader) + uint64_t(GetPaletteSize()) + m_head.biSizeImage;
}

void CxImage::Copy(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    if (this == &src)
        return;
    ClearBuffers();
    m_head = src.m_head;
    m_info = src.m_info;
    m_info.pImage = nullptr;
    if (!src.m_pDib)
        return;
    const size_t total = size_t(src.GetSize());
    m_pDib = static_cast<uint8_t*>(copypixels ? std::malloc(total) : std::calloc(total, 1));
    if (!m_pDib) {
        SetLastError("CxImage::Create can't allocate memory");
        m_info.pImage = nullptr;
        return;
    }
    if (copypixels)
        std::memcpy(m_pDib, src.m_pDib, total);
    else
        std::memcpy(m_pDib, src.m_pDib, sizeof(CxBitmapInfoHeader) + src.GetPaletteSize());
    RecomputeLayout();
    const size_t plane = size_t(GetWidth()) * GetHeight();
    if (copyselection && src.m_pSelection) {
        m_pSelection = static_cast<uint8_t*>(std::malloc(plane));
        if (m_pSelection)
            std::memcpy(m_pSelection, src.m_pSelection, plane);
    }
    if (copyalpha && src.m_pAlpha) {
        m_pAlpha = static_cast<uint8_t*>(std::malloc(plane));
        if (m_pAlpha)
            std::memcpy(m_pAlpha, src.m_pAlpha, plane);
    }
}

bool CxImage::CopyInfo(const CxImage& src)
{
    if (!src.IsValid())
        return false;
    const CxImageInfo keep = src.m_info;
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()))
        return false;
    m_info = keep;
    RecomputeLayout();
    m_head.biXPelsPerMeter = src.m_head.biXPelsPerMeter;
    m_head.biYPelsPerMeter = src.m_head.biYPelsPerMeter;
    if (GetNumColors())
        std::memcpy(GetPalette(), src.GetPalette(), GetPaletteSize());
    std::memcpy(m_pDib, &m_head, sizeof(m_head));
    return true;
}

bool CxImage::Transfer(CxImage& from, bool /*bTransferFrames*/)
{
    if (this == &from)
        return true;
    ClearBuffers();
    m_head = from.m_head;
    m_info = from.m_info;
    m_pDib = from.m_pDib;
    m_pSelection = from.m_pSelection;
    m_pAlpha = from.m_pAlpha;
    from.m_pDib = from.m_pSelection = from.m_pAlpha = nullptr;
    from.ClearBuffers();
    RecomputeLayout();
    return true;
}

uint8_t* CxImage::GetBits(uint32_t row) const
{
    if (!m_info.pImage || row >= GetHeight())
        return nullptr;
    return m_info.pImage + uint64_t(row) * m_info.dwEffWidth;
}

bool CxImage::IsInside(int32_t x, int32_t y) const
{
    return x >= 0 && y >= 0 && x < m_head.biWidth && y < m_head.biHeight;
}

void CxImage::SetXDPI(int32_t dpi)
{
    if (dpi <= 0)
        dpi = kDefaultDpi;
    dpi = std::min(dpi, kMaxDpi);
    m_info.xDPI = dpi;
    m_head.biXPelsPerMeter = dpiToPpm(dpi);
    if (m_pDib)
        reinterpret_cast<CxBitmapInfoHeader*>(m_pDib)->biXPelsPerMeter = m_head.biXPelsPerMeter;
}

void CxImage::SetYDPI(int32_t dpi)
{
    if (dpi <= 0)
        dpi = kDefaultDpi;
    dpi = std::min(dpi, kMaxDpi);
    m_info.yDPI = dpi;
    m_head.biYPelsPerMeter = dpiToPpm(dpi);
    if (m_pDib)
        reinterpret_cast<CxBitmapInfoHeader*>(m_pDib)->biYPelsPerMeter = m_head.biYPelsPerMeter;
}

void CxImage::SetJpegQuality(float q)
{
    m_info.fQuality = std::clamp(q, 0.0f, 100.0f);
}

uint32_t CxImage::GetCodecOption(uint32_t imagetype) const
{
    return m_info.dwCodecOpt[GetTypeIndexFromId(imagetype ? imagetype : GetType())];
}

void CxImage::SetCodecOption(uint32_t opt, uint32_t imagetype)
{
    m_info.dwCodecOpt[GetTypeIndexFromId(imagetype ? imagetype : GetType())] = opt;
}

void CxImage::SetDecodeSizeHint(uint32_t minWidth, uint32_t minHeight)
{
    m_info.decodeMinWidth = minWidth;
    m_info.decodeMinHeight = minHeight;
}

void CxImage::SetLastError(const char* text)
{
    if (!text)
        text = "";
    std::strncpy(m_info.szLastError, text, kErrorSize - 1);
    m_info.szLastError[kErrorSize - 1] = '\0';
}

void CxImage::SetProgress(int32_t value)
{
    (m_progressSink ? m_progressSink->progress : m_progress.progress).store(value);
}

int32_t CxImage::GetProgress() const
{
    return (m_progressSink ? m_progressSink->progress : m_progress.progress).load();
}

void CxImage::SetEscape(int32_t value)
{
    (m_progressSink ? m_progressSink->escape : m_progress.escape).store(value);
}

int32_t CxImage::GetEscape() const
{
    return (m_progressSink ? m_progressSink->escape : m_progress.escape).load();
}

// The format ids are those of the extension table.
static_assert(CXIMAGE_FORMAT_BMP == scriva::ext::kBmp && CXIMAGE_FORMAT_JPG == scriva::ext::kJpg &&
              CXIMAGE_FORMAT_PNG == scriva::ext::kPng && CXIMAGE_FORMAT_TIF == scriva::ext::kTif);

uint32_t CxImage::FormatFromExtension(const char* ext)
{
    return scriva::ext::FormatFromExtension(ext);
}

uint32_t CxImage::FormatFromNameEnd(const char* name)
{
    return scriva::ext::FormatFromNameEnd(name);
}

uint32_t CxImage::GetTypeIndexFromId(uint32_t id)
{
    switch (id) {
    case CXIMAGE_FORMAT_BMP:
        return 1;
    case CXIMAGE_FORMAT_JPG:
        return 2;
    case CXIMAGE_FORMAT_PNG:
        return 3;
    case CXIMAGE_FORMAT_TIF:
        return 4;
    default:
        return 0;
    }
}
