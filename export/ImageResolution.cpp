#include "ImageResolution.h"

#include "image/cximage/CxImage.h"

#include <cmath>
#include <cstring>

namespace scriva::exporter {

namespace {

constexpr double kCmPerInch = 2.54;
constexpr double kMetresPerInch = 0.0254;
constexpr uint32_t kResolutionUnitInch = 2; // TIFF's units
constexpr uint32_t kResolutionUnitCm = 3;

uint32_t be16(const uint8_t* p)
{
    return (uint32_t(p[0]) << 8) | p[1];
}

uint32_t be32(const uint8_t* p)
{
    return (be16(p) << 16) | be16(p + 2);
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The JFIF segment's density (units 1: per inch, 2: per centimetre).
bool jfifResolution(const std::vector<uint8_t>& b, double& x, double& y)
{
    size_t pos = 2;
    while (pos + 4 <= b.size() && b[pos] == 0xFF) {
        const uint8_t code = b[pos + 1];
        const size_t length = be16(&b[pos + 2]);
        if (length < 2 || pos + 2 + length > b.size() || code == 0xDA)
            return false;
        if (code == 0xE0 && length >= 14 && std::memcmp(&b[pos + 4], "JFIF", 5) == 0) {
            const uint8_t unit = b[pos + 11];
            x = be16(&b[pos + 12]);
            y = be16(&b[pos + 14]);
            if (unit == 2)
                x *= kCmPerInch, y *= kCmPerInch;
            return (unit == 1 || unit == 2) && x > 0 && y > 0;
        }
        pos += 2 + length;
    }
    return false;
}

// The pHYs chunk (unit 1: per metre).
bool pngResolution(const std::vector<uint8_t>& b, double& x, double& y)
{
    size_t pos = 8;
    while (pos + 12 <= b.size()) {
        const size_t length = be32(&b[pos]);
        if (length > b.size() - pos - 12)
            return false;
        const uint8_t* type = &b[pos + 4];
        if (std::memcmp(type, "pHYs", 4) == 0 && length >= 9) {
            x = be32(type + 4) * kMetresPerInch;
            y = be32(type + 8) * kMetresPerInch;
            return type[12] == 1 && x > 0 && y > 0;
        }
        if (std::memcmp(type, "IDAT", 4) == 0)
            return false;
        pos += 12 + length;
    }
    return false;
}

bool bmpResolution(const std::vector<uint8_t>& b, double& x, double& y)
{
    if (b.size() < 46 || le32(&b[14]) < 40)
        return false;
    x = int32_t(le32(&b[38])) * kMetresPerInch;
    y = int32_t(le32(&b[42])) * kMetresPerInch;
    return x > 0 && y > 0;
}

// The first directory's XResolution, YResolution and ResolutionUnit (inch when absent).
bool tiffResolution(const std::vector<uint8_t>& b, double& x, double& y)
{
    if (b.size() < 8 || !((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M')))
        return false;
    const bool little = b[0] == 'I';
    auto u16 = [&](size_t at) {
        return little ? uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) : be16(&b[at]);
    };
    auto u32 = [&](size_t at) { return little ? le32(&b[at]) : be32(&b[at]); };
    auto rational = [&](size_t at) {
        const size_t offset = u32(at);
        if (offset > b.size() || b.size() - offset < 8 || u32(offset + 4) == 0)
            return 0.0;
        return double(u32(offset)) / u32(offset + 4);
    };
    const size_t ifd = u32(4);
    if (ifd > b.size() || b.size() - ifd < 2)
        return false;
    const size_t count = u16(ifd);
    if ((b.size() - ifd - 2) / 12 < count)
        return false;
    uint32_t unit = kResolutionUnitInch;
    x = y = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        const uint32_t tag = u16(entry);
        if (tag == 282)
            x = rational(entry + 8);
        else if (tag == 283)
            y = rational(entry + 8);
        else if (tag == 296)
            unit = u16(entry + 8);
    }
    if (unit == kResolutionUnitCm)
        x *= kCmPerInch, y *= kCmPerInch;
    else if (unit != kResolutionUnitInch)
        return false;
    return x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y);
}

// A resolution stored per metre or centimetre is the inch's rounded: 72 dpi is kept
// as 2835 per metre (72.009). Within a twentieth of a dot the whole number is meant.
double meantDpi(double dpi)
{
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) < 0.05 ? whole : dpi;
}

} // namespace

bool HeaderResolution(const std::vector<uint8_t>& bytes, uint32_t format, double& dpiX,
                      double& dpiY)
{
    dpiX = dpiY = 0;
    bool found = false;
    if (format == CXIMAGE_FORMAT_JPG)
        found = bytes.size() > 4 && jfifResolution(bytes, dpiX, dpiY);
    else if (format == CXIMAGE_FORMAT_PNG)
        found = bytes.size() > 8 && pngResolution(bytes, dpiX, dpiY);
    else if (format == CXIMAGE_FORMAT_BMP)
        found = bmpResolution(bytes, dpiX, dpiY);
    else if (format == CXIMAGE_FORMAT_TIF)
        found = tiffResolution(bytes, dpiX, dpiY);
    if (!found) {
        dpiX = dpiY = 0;
        return false;
    }
    dpiX = meantDpi(dpiX);
    dpiY = meantDpi(dpiY);
    return true;
}

} // namespace scriva::exporter
