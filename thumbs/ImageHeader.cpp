#include "ImageHeader.h"

#include <cstdint>
#include <unistd.h>
#include <vector>

namespace scriva::thumbs {

namespace {

constexpr size_t kHeadBytes = 64 * 1024; // the first directory of a TIFF lies here or nowhere

// Bytes [base, base + size) of a file.
struct Reader
{
    const unsigned char* data;
    size_t size;
    bool bigEndian = false;
    uint64_t base = 0;

    bool has(uint64_t at, uint64_t n) const
    {
        return at >= base && at - base <= size && n <= size - (at - base);
    }
    uint64_t get(uint64_t at, int n) const
    {
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) {
            const uint64_t byte = data[at - base + uint64_t(bigEndian ? i : n - 1 - i)];
            v = (v << 8) | byte;
        }
        return v;
    }
};

QSize sized(int64_t width, int64_t height)
{
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return QSize();
    return QSize(int(width), int(height));
}

QSize bmpSize(const Reader& r)
{
    if (!r.has(14, 4))
        return QSize();
    const uint64_t header = r.get(14, 4);
    if (header == 12 && r.has(18, 4))
        return sized(int64_t(r.get(18, 2)), int64_t(r.get(20, 2)));
    if (header < 40 || !r.has(18, 8))
        return QSize();
    const auto width = int32_t(uint32_t(r.get(18, 4)));
    const auto height = int32_t(uint32_t(r.get(22, 4)));
    return sized(width, height < 0 ? -int64_t(height) : int64_t(height));
}

QSize pngSize(const Reader& r)
{
    if (!r.has(12, 16) || r.get(12, 4) != 0x49484452u) // "IHDR"
        return QSize();
    return sized(int64_t(r.get(16, 4)), int64_t(r.get(20, 4)));
}

// Where the first directory of a TIFF starts; 0 when the header is no TIFF's.
uint64_t tiffDirectory(Reader r, bool* big)
{
    r.bigEndian = r.data[0] == 'M';
    const uint64_t magic = r.get(2, 2);
    *big = magic == 43;
    if (magic != 42 && !*big)
        return 0;
    if (*big && (!r.has(4, 12) || r.get(4, 2) != 8))
        return 0;
    return *big ? r.get(8, 8) : r.get(4, 4);
}

// The size in the directory at `first`, which `r` holds (or not).
QSize tiffSize(Reader r, uint64_t first, bool big)
{
    const int countBytes = big ? 8 : 2;
    const uint64_t entryBytes = big ? 20 : 12;
    const int valueAt = big ? 12 : 8;
    if (!r.has(first, uint64_t(countBytes)))
        return QSize();
    const uint64_t count = r.get(first, countBytes);
    int64_t width = 0;
    int64_t height = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = first + uint64_t(countBytes) + i * entryBytes;
        if (!r.has(at, entryBytes))
            break;
        const uint64_t tag = r.get(at, 2);
        const uint64_t type = r.get(at + 2, 2);
        if (tag != 256 && tag != 257)
            continue;
        int64_t value = 0;
        if (type == 3) // SHORT, first in the value field
            value = int64_t(r.get(at + uint64_t(valueAt), 2));
        else if (type == 4) // LONG
            value = int64_t(r.get(at + uint64_t(valueAt), 4));
        else if (type == 16) // LONG8
            value = big ? int64_t(r.get(at + uint64_t(valueAt), 8)) : 0;
        (tag == 256 ? width : height) = value;
    }
    return sized(width, height);
}

bool isTiff(const unsigned char* head, size_t size)
{
    return size >= 8 && ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'));
}

} // namespace

QSize DeclaredImageSize(const unsigned char* head, size_t size)
{
    const Reader r{head, size};
    if (size >= 2 && head[0] == 'B' && head[1] == 'M')
        return bmpSize(r);
    if (size >= 8 && head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G')
        return pngSize(Reader{head, size, true});
    if (isTiff(head, size)) {
        bool big = false;
        const uint64_t first = tiffDirectory(r, &big);
        return first ? tiffSize(Reader{head, size, head[0] == 'M'}, first, big) : QSize();
    }
    return QSize();
}

QSize DeclaredImageSize(FILE* file)
{
    std::vector<unsigned char> head(kHeadBytes);
    const ssize_t got = ::pread(fileno(file), head.data(), head.size(), 0);
    if (got <= 0)
        return QSize();
    if (!isTiff(head.data(), size_t(got)))
        return DeclaredImageSize(head.data(), size_t(got));
    // A TIFF's directory often follows the picture data, at the file's end.
    bool big = false;
    const bool bigEndian = head[0] == 'M';
    const uint64_t first = tiffDirectory(Reader{head.data(), size_t(got)}, &big);
    if (first == 0 || first > uint64_t(INT64_MAX))
        return QSize();
    const ssize_t read = ::pread(fileno(file), head.data(), head.size(), off_t(first));
    if (read <= 0)
        return QSize();
    return tiffSize(Reader{head.data(), size_t(read), bigEndian, first}, first, big);
}

} // namespace scriva::thumbs
