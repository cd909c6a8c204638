// Which JPEG files are embedded in a PDF as they are: the marker walk over
// files our own encoder wrote, and over the same files changed in one place.

#include "export/JpegProbe.h"
#include "image/cximage/CxImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sys/mman.h>
#include <unistd.h>

using namespace scriva::exporter;

namespace {

std::vector<uint8_t> encodeJpeg(uint32_t w, uint32_t h, uint32_t bpp)
{
    CxImage image(w, h, bpp);
    if (bpp == 8)
        image.SetGrayPalette();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            image.SetPixelColor(int32_t(x), int32_t(y), CxRGB(uint8_t(x * 7), uint8_t(y * 5), 90));
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(image.Encode(bytes, CXIMAGE_FORMAT_JPG)) << image.GetLastError();
    return bytes;
}

// Offset of the first marker FF code in the header, or npos.
size_t findMarker(const std::vector<uint8_t>& b, uint8_t code)
{
    for (size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == code)
            return i;
    return std::string::npos;
}

void removeSegment(std::vector<uint8_t>& b, uint8_t code)
{
    size_t at;
    while ((at = findMarker(b, code)) != std::string::npos && at < findMarker(b, 0xDA)) {
        const size_t len = (size_t(b[at + 2]) << 8) | b[at + 3];
        b.erase(b.begin() + long(at), b.begin() + long(at + 2 + len));
    }
}

// Bytes laid at the very end of readable memory: the page after them cannot
// be read, so a read past their end stops the test at once, with or without
// a sanitizer.
class BytesAtTheEdge
{
public:
    BytesAtTheEdge(const uint8_t* bytes, size_t size) : m_size(size)
    {
        const size_t page = size_t(::sysconf(_SC_PAGESIZE));
        m_mapped = ((size + page - 1) / page + 1) * page;
        void* base =
            ::mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            return;
        m_base = static_cast<uint8_t*>(base);
        uint8_t* guard = m_base + m_mapped - page;
        if (::mprotect(guard, page, PROT_NONE) != 0)
            return;
        m_data = guard - size;
        std::copy(bytes, bytes + size, m_data);
    }
    ~BytesAtTheEdge()
    {
        if (m_base)
            ::munmap(m_base, m_mapped);
    }
    BytesAtTheEdge(const BytesAtTheEdge&) = delete;
    BytesAtTheEdge& operator=(const BytesAtTheEdge&) = delete;

    bool ok() const { return m_data != nullptr; }
    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_mapped = 0;
    size_t m_size;
};

} // namespace

TEST(JpegProbe, OwnEncoderOutputIsEmbeddedAsIs)
{
    for (uint32_t bpp : {24u, 8u}) {
        const std::vector<uint8_t> bytes = encodeJpeg(123, 45, bpp);
        JpegLayout layout;
        ASSERT_TRUE(ReadJpegLayout(bytes.data(), bytes.size(), layout)) << bpp;
        EXPECT_EQ(layout.width, 123u);
        EXPECT_EQ(layout.height, 45u);
        EXPECT_EQ(layout.components, bpp == 24 ? 3u : 1u);
        EXPECT_EQ(layout.frameMarker, 0xC0);
        EXPECT_TRUE(CanEmbedUnchanged(layout)) << bpp;
    }
}

TEST(JpegProbe, FilesThatMustBeReEncoded)
{
    struct Case
    {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
        bool wellFormed; // the header still reads
    };
    const std::vector<Case> cases = {
        {"progressive frame", [](auto& b) { b[findMarker(b, 0xC0) + 1] = 0xC2; }, true},
        {"arithmetic frame", [](auto& b) { b[findMarker(b, 0xC0) + 1] = 0xC9; }, true},
        {"12-bit samples", [](auto& b) { b[findMarker(b, 0xC0) + 4] = 12; }, true},
        {"height given later",
         [](auto& b) { b[findMarker(b, 0xC0) + 5] = b[findMarker(b, 0xC0) + 6] = 0; }, true},
        {"no Huffman tables", [](auto& b) { removeSegment(b, 0xC4); }, true},
        {"no quantisation tables", [](auto& b) { removeSegment(b, 0xDB); }, true},
        {"cut before the end marker", [](auto& b) { b.resize(b.size() - 2); }, true},
        {"fill byte before a marker",
         [](auto& b) { b.insert(b.begin() + long(findMarker(b, 0xDB)), 0xFF); }, false},
        {"restart marker in the header",
         [](auto& b) {
             b.insert(b.begin() + long(findMarker(b, 0xDB)), {0xFF, 0xD0});
         },
         false},
        {"segment longer than the file", [](auto& b) { b.resize(findMarker(b, 0xC0) + 6); }, false},
        {"sampling factor 0", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x01; }, false},
        {"vertical sampling 0", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x10; }, false},
        {"horizontal sampling 5", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x51; }, false},
        {"vertical sampling 5", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x15; }, false},
        {"sampling 0 in the last component", [](auto& b) { b[findMarker(b, 0xC0) + 17] = 0x10; },
         false},
        {"a second frame header",
         [](auto& b) {
             const size_t sof = findMarker(b, 0xC0);
             const size_t len = (size_t(b[sof + 2]) << 8) | b[sof + 3];
             const std::vector<uint8_t> frame(b.begin() + long(sof),
                                              b.begin() + long(sof + 2 + len));
             b.insert(b.begin() + long(sof + 2 + len), frame.begin(), frame.end());
         },
         false},
        {"a second, progressive frame header",
         [](auto& b) {
             const size_t sof = findMarker(b, 0xC0);
             const size_t len = (size_t(b[sof + 2]) << 8) | b[sof + 3];
             std::vector<uint8_t> frame(b.begin() + long(sof), b.begin() + long(sof + 2 + len));
             frame[1] = 0xC2;
             b.insert(b.begin() + long(findMarker(b, 0xDA)), frame.begin(), frame.end());
         },
         false},
        {"width 0", [](auto& b) { b[findMarker(b, 0xC0) + 7] = b[findMarker(b, 0xC0) + 8] = 0; },
         true},
        {"frame length one component short",
         [](auto& b) { b[findMarker(b, 0xC0) + 3] = uint8_t(8 + 3 * 2); }, false},
        {"scan before any frame",
         [](auto& b) {
             const size_t sof = findMarker(b, 0xC0);
             const size_t len = (size_t(b[sof + 2]) << 8) | b[sof + 3];
             b.erase(b.begin() + long(sof), b.begin() + long(sof + 2 + len));
         },
         false},
        {"no start of image", [](auto& b) { b[1] = 0xD9; }, false},
        {"only the start of image", [](auto& b) { b.resize(2); }, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = encodeJpeg(64, 48, 24);
        c.change(bytes);
        JpegLayout layout;
        EXPECT_EQ(ReadJpegLayout(bytes.data(), bytes.size(), layout), c.wellFormed) << c.what;
        EXPECT_FALSE(CanEmbedUnchanged(layout)) << c.what;
    }
}

// The boundary cases the rules name, on either side: each is embedded as is.
TEST(JpegProbe, EdgesThatAreStillEmbeddedAsIs)
{
    struct Case
    {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
    };
    const std::vector<Case> cases = {
        {"sampling 4 x 4", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x44; }},
        {"sampling 1 x 4", [](auto& b) { b[findMarker(b, 0xC0) + 11] = 0x14; }},
        {"width 1",
         [](auto& b) { b[findMarker(b, 0xC0) + 7] = 0, b[findMarker(b, 0xC0) + 8] = 1; }},
        {"an empty comment segment (length 2)",
         [](auto& b) {
             b.insert(b.begin() + long(findMarker(b, 0xDB)), {0xFF, 0xFE, 0, 2});
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = encodeJpeg(64, 48, 24);
        c.change(bytes);
        JpegLayout layout;
        EXPECT_TRUE(ReadJpegLayout(bytes.data(), bytes.size(), layout)) << c.what;
        EXPECT_TRUE(CanEmbedUnchanged(layout)) << c.what;
    }
}

// Cut after every byte of the header, each cut at the edge of readable
// memory: nothing before the scan reads as a header, and nothing cut embeds.
TEST(JpegProbe, EveryCutOfTheHeaderIsRefused)
{
    const std::vector<uint8_t> whole = encodeJpeg(32, 24, 24);
    const size_t sos = findMarker(whole, 0xDA);
    ASSERT_NE(sos, std::string::npos);
    const size_t scanStart = sos + 2 + ((size_t(whole[sos + 2]) << 8) | whole[sos + 3]);
    ASSERT_LT(scanStart, whole.size());
    for (size_t cut = 0; cut < scanStart; ++cut) {
        const BytesAtTheEdge bytes(whole.data(), cut);
        ASSERT_TRUE(bytes.ok());
        JpegLayout layout;
        EXPECT_FALSE(ReadJpegLayout(bytes.data(), bytes.size(), layout)) << cut;
        EXPECT_FALSE(CanEmbedUnchanged(layout)) << cut;
    }
}

// Segment lengths at the end of the bytes: a length that reaches one or two
// bytes past the end is refused; one that ends exactly there leaves no scan.
TEST(JpegProbe, SegmentLengthsReachingPastTheEnd)
{
    const std::vector<uint8_t> whole = encodeJpeg(32, 24, 24);
    const size_t dqt = findMarker(whole, 0xDB);
    const size_t end = dqt + 2 + ((size_t(whole[dqt + 2]) << 8) | whole[dqt + 3]);
    for (size_t shortBy : {0, 1, 2, 3}) {
        const BytesAtTheEdge bytes(whole.data(), end - shortBy);
        ASSERT_TRUE(bytes.ok());
        JpegLayout layout;
        EXPECT_FALSE(ReadJpegLayout(bytes.data(), bytes.size(), layout)) << shortBy;
    }
    // Lengths below two (they count their own two bytes) and one past the
    // rest of the file, in a file that goes on after them.
    for (uint32_t length : {0u, 1u}) {
        std::vector<uint8_t> b = whole;
        b[dqt + 2] = 0;
        b[dqt + 3] = uint8_t(length);
        JpegLayout layout;
        EXPECT_FALSE(ReadJpegLayout(b.data(), b.size(), layout)) << length;
    }
    std::vector<uint8_t> b = whole;
    const size_t past = b.size() - dqt - 2 + 1;
    b[dqt + 2] = uint8_t(past >> 8);
    b[dqt + 3] = uint8_t(past & 0xFF);
    JpegLayout layout;
    EXPECT_FALSE(ReadJpegLayout(b.data(), b.size(), layout));
}

TEST(JpegProbe, FourComponentsAreNotEmbeddedAsIs)
{
    std::vector<uint8_t> b = encodeJpeg(16, 16, 24);
    const size_t sof = findMarker(b, 0xC0);
    // Rewrite the frame for four components (one more 3-byte component entry).
    b[sof + 2] = 0;
    b[sof + 3] = uint8_t(8 + 3 * 4);
    b[sof + 9] = 4;
    b.insert(b.begin() + long(sof + 2 + 8 + 9), {4, 0x11, 0});
    JpegLayout layout;
    ASSERT_TRUE(ReadJpegLayout(b.data(), b.size(), layout));
    EXPECT_EQ(layout.components, 4u);
    EXPECT_FALSE(CanEmbedUnchanged(layout));
}
