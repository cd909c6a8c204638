// Resolutions read from files: a TIFF whose resolution has no unit only states the
// pixels' aspect, so the picture keeps the default resolution as with JPEG and PNG.
#include "CxImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Sets the value of a SHORT tag of the first directory of a little-endian TIFF.
bool setShortTag(std::vector<uint8_t>& tiff, uint16_t tag, uint16_t value)
{
    auto u16 = [&](size_t at) { return uint16_t(tiff[at] | (tiff[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); };
    if (tiff.size() < 8 || tiff[0] != 'I')
        return false;
    const size_t ifd = u32(4);
    const uint16_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = ifd + 2 + 12 * i;
        if (u16(e) == tag && u16(e + 2) == 3) {
            tiff[e + 8] = uint8_t(value);
            tiff[e + 9] = uint8_t(value >> 8);
            return true;
        }
    }
    return false;
}

} // namespace

TEST(ReviewTiff, ResolutionWithoutAUnitIsNoResolution)
{
    CxImage img(8, 4, 24);
    img.SetXDPI(300);
    img.SetYDPI(150);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(img.Encode(bytes, CXIMAGE_FORMAT_TIF));
    CxImage back;
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 150);
    ASSERT_TRUE(setShortTag(bytes, 296, 3)); // centimetres: 300 per cm is 762 per inch
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), 762);
    ASSERT_TRUE(setShortTag(bytes, 296, 1)); // no unit: 300 : 150 is only the aspect
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), CxImage::kDefaultDpi);
    EXPECT_EQ(back.GetYDPI(), CxImage::kDefaultDpi);
}
