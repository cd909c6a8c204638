#include "CxExif.h"

#include <cstring>

namespace cxexif {

namespace {

constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kTiffHeaderSize = 8;
constexpr size_t kEntrySize = 12;

// The TIFF block after the signature, read in its own byte order.
class TiffReader
{
public:
    TiffReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool readHeader()
    {
        if (m_size < kTiffHeaderSize)
            return false;
        if (m_data[0] == 'I' && m_data[1] == 'I')
            m_little = true;
        else if (m_data[0] == 'M' && m_data[1] == 'M')
            m_little = false;
        else
            return false;
        return u16(2) == 42;
    }

    bool has(size_t offset, size_t bytes) const
    {
        return offset <= m_size && bytes <= m_size - offset;
    }

    uint16_t u16(size_t at) const
    {
        const uint16_t a = m_data[at], b = m_data[at + 1];
        return m_little ? uint16_t(a | b << 8) : uint16_t(a << 8 | b);
    }

    uint32_t u32(size_t at) const
    {
        const uint32_t lo = u16(at), hi = u16(at + 2);
        return m_little ? (lo | hi << 16) : (lo << 16 | hi);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    bool m_little = true;
};

int orientationOfIfd0(const TiffReader& tiff)
{
    const size_t ifd = tiff.u32(4);
    if (!tiff.has(ifd, 2))
        return 1;
    const size_t entries = tiff.u16(ifd);
    for (size_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + i * kEntrySize;
        if (!tiff.has(at, kEntrySize))
            return 1;
        if (tiff.u16(at) != kOrientationTag)
            continue;
        if (tiff.u16(at + 2) != kTypeShort || tiff.u32(at + 4) < 1)
            return 1;
        const int value = tiff.u16(at + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

} // namespace

int ExifOrientation(const uint8_t* payload, size_t size)
{
    if (!payload || size < sizeof kExifSignature ||
        std::memcmp(payload, kExifSignature, sizeof kExifSignature) != 0)
        return 1;
    TiffReader tiff(payload + sizeof kExifSignature, size - sizeof kExifSignature);
    if (!tiff.readHeader())
        return 1;
    return orientationOfIfd0(tiff);
}

} // namespace cxexif
