// Which JPEG files are embedded in a PDF as they are: the marker walk over
// files our own encoder wrote, and over the same files changed in one place.

#include "export/JpegProbe.h"
#include "image/cximage/CxImage.h"

#include <gtest/gtest.h>

#include <functional>

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
