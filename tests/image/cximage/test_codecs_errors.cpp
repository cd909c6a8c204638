// Failure paths of the image object's codecs: the texts callers show, damaged and cut-off
// files of every format, absurd declared sizes, and saves that must not harm existing files.
#include "test_codecs_images.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

using namespace codectest;

namespace {

// A BMP file: 14-byte file header, info header of `headerSize` bytes, palette, pixels.
std::vector<uint8_t> makeBmp(uint32_t headerSize, int32_t w, int32_t h, uint16_t bpp,
                             uint32_t compression, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> f(14 + headerSize + palette.size());
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 10, uint32_t(f.size()));
    put32(f, 14, headerSize);
    if (headerSize == 12) {
        put16(f, 18, uint32_t(w));
        put16(f, 20, uint32_t(h));
        put16(f, 22, 1);
        put16(f, 24, bpp);
    } else {
        put32(f, 18, uint32_t(w));
        put32(f, 22, uint32_t(h));
        put16(f, 26, 1);
        put16(f, 28, bpp);
        put32(f, 30, compression);
    }
    if (!palette.empty())
        std::memcpy(f.data() + 14 + headerSize, palette.data(), palette.size());
    f.insert(f.end(), pixels.begin(), pixels.end());
    put32(f, 2, uint32_t(f.size()));
    return f;
}

uint32_t crc32(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void expectDecodeFails(const std::vector<uint8_t>& b, uint32_t type, const char* text)
{
    CxImage img;
    EXPECT_FALSE(img.Decode(b.data(), b.size(), type));
    EXPECT_FALSE(img.IsValid());
    EXPECT_STREQ(img.GetLastError(), text);
}

} // namespace

TEST(CxImageErrors, StreamAndFormatTexts)
{
    CxImage img = makeImage(4, 4, 24, false);
    EXPECT_FALSE(img.Decode(static_cast<CxStream*>(nullptr), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
    EXPECT_FALSE(img.IsValid()); // a failed decode leaves an invalid object
    const std::vector<uint8_t> junk(300, 0x5A);
    expectDecodeFails(junk, CXIMAGE_FORMAT_UNKNOWN, "Decode: Unknown or wrong format");
    expectDecodeFails(junk, 2, "Decode: Unknown or wrong format");
    expectDecodeFails(junk, CXIMAGE_FORMAT_BMP, "BMP: not a bitmap file");
    expectDecodeFails(junk, CXIMAGE_FORMAT_JPG, "Not a JPEG file");
    expectDecodeFails(junk, CXIMAGE_FORMAT_PNG, "Not a PNG file");
    expectDecodeFails(junk, CXIMAGE_FORMAT_TIF, "Not a TIFF file");
    std::vector<uint8_t> out;
    CxImage empty;
    EXPECT_FALSE(empty.Encode(out, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    img = makeImage(4, 4, 24, false);
    EXPECT_FALSE(img.Encode(out, 2));
    EXPECT_STREQ(img.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(img.Encode(static_cast<CxStream*>(nullptr), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
}

TEST(CxImageErrors, LoadFallsBackToDetectionAndKeepsTheFirstText)
{
    TempDir dir;
    CxImage rgb = makeImage(30, 20, 24, false);
    ASSERT_TRUE(rgb.Save(dir.file("photo.bmp").string(), CXIMAGE_FORMAT_JPG));
    CxImage img;
    ASSERT_TRUE(img.Load(dir.file("photo.bmp").string(), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(img.GetType(), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(img.GetWidth(), 30u);
    writeFile(dir.file("junk.png"), std::vector<uint8_t>(100, 1));
    EXPECT_FALSE(img.Load(dir.file("junk.png").string(), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(img.GetLastError(), "Not a PNG file");
    EXPECT_FALSE(img.Load(dir.file("junk.png").string(), CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_STREQ(img.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(img.Load(dir.file("missing.png").string(), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(img.GetLastError(), "Can't open file");
    CxImage fromFile(dir.file("photo.bmp").string(), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_TRUE(fromFile.IsValid());
}

TEST(CxImageErrors, FailedSaveLeavesTheExistingFileIntact)
{
    TempDir dir;
    const auto target = dir.file("page.jpg");
    const std::vector<uint8_t> old = {'o', 'l', 'd', ' ', 'd', 'a', 't', 'a'};
    writeFile(target, old);
    CxImage colour4 = makeImage(16, 16, 4, false);
    EXPECT_FALSE(colour4.Save(target.string(), CXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(colour4.GetLastError(), "JPEG can save only RGB or GreyScale images");
    EXPECT_EQ(readFile(target), old);
    EXPECT_FALSE(colour4.Save(target.string(), 2));
    EXPECT_STREQ(colour4.GetLastError(), "Encode: Unknown format");
    EXPECT_EQ(readFile(target), old);
    CxImage empty;
    EXPECT_FALSE(empty.Save(target.string(), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(dir.entryCount(), 1u); // no temporary file left behind
    EXPECT_FALSE(colour4.Save(dir.file("no/such/folder.bmp").string(), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(colour4.GetLastError(), "Can't open file for writing: No such file or directory");
    // A successful save replaces the file.
    CxImage grey = makeImage(16, 16, 8, true);
    ASSERT_TRUE(grey.Save(target.string(), CXIMAGE_FORMAT_JPG));
    CxImage back(target.string(), CXIMAGE_FORMAT_JPG);
    EXPECT_TRUE(back.IsValid());
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(CxImageErrors, SaveKeepsPermissionsAndWritesThroughLinks)
{
    TempDir dir;
    const auto target = dir.file("page.png");
    CxImage img = makeImage(8, 8, 24, false);
    ASSERT_TRUE(img.Save(target.string(), CXIMAGE_FORMAT_PNG));
    std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
    ASSERT_TRUE(img.Save(target.string(), CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto link = dir.file("link.png");
    std::filesystem::create_symlink(target, link);
    CxImage other = makeImage(5, 3, 8, true);
    ASSERT_TRUE(other.Save(link.string(), CXIMAGE_FORMAT_PNG));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    CxImage back(target.string(), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(back.GetWidth(), 5u);
}

TEST(CxImageErrors, EveryCutOffFileFailsCleanly)
{
    struct Case
    {
        uint32_t type;
        uint32_t bpp;
    };
    for (Case c :
         {Case{CXIMAGE_FORMAT_BMP, 24}, Case{CXIMAGE_FORMAT_BMP, 4}, Case{CXIMAGE_FORMAT_JPG, 24},
          Case{CXIMAGE_FORMAT_PNG, 8}, Case{CXIMAGE_FORMAT_PNG, 24}, Case{CXIMAGE_FORMAT_TIF, 24},
          Case{CXIMAGE_FORMAT_TIF, 8}}) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " bpp " << c.bpp);
        CxImage img = makeImage(12, 9, c.bpp, false);
        const std::vector<uint8_t> full = encode(img, c.type);
        // A JPEG that lacks only its two-byte end marker holds every row and loads.
        const size_t firstWhole = c.type == CXIMAGE_FORMAT_JPG ? full.size() - 2 : full.size();
        for (size_t len = 0; len < firstWhole; ++len) {
            const std::vector<uint8_t> cut(full.begin(), full.begin() + long(len));
            CxImage out;
            ASSERT_FALSE(out.Decode(cut.data(), cut.size(), c.type)) << "length " << len;
            ASSERT_FALSE(out.IsValid());
            ASSERT_NE(out.GetLastError()[0], '\0');
            ASSERT_FALSE(out.Decode(cut.data(), cut.size(), CXIMAGE_FORMAT_UNKNOWN));
            ASSERT_STREQ(out.GetLastError(), "Decode: Unknown or wrong format");
        }
    }
}

TEST(CxImageErrors, CutOffFilesNameTheirFault)
{
    CxImage img = makeImage(40, 30, 24, false);
    std::vector<uint8_t> b = encode(img, CXIMAGE_FORMAT_BMP);
    expectDecodeFails({b.begin(), b.begin() + 10}, CXIMAGE_FORMAT_BMP, "BMP: not a bitmap file");
    expectDecodeFails({b.begin(), b.begin() + 30}, CXIMAGE_FORMAT_BMP, "BMP: file is truncated");
    expectDecodeFails({b.begin(), b.end() - 5}, CXIMAGE_FORMAT_BMP, "BMP: file is truncated");
    b = encode(img, CXIMAGE_FORMAT_JPG);
    expectDecodeFails({b.begin(), b.begin() + long(b.size() / 2)}, CXIMAGE_FORMAT_JPG,
                      "Premature end of input file");
    b = encode(img, CXIMAGE_FORMAT_PNG);
    expectDecodeFails({b.begin(), b.begin() + long(b.size() / 2)}, CXIMAGE_FORMAT_PNG,
                      "Read Error: file is truncated");
    b = encode(img, CXIMAGE_FORMAT_TIF);
    CxImage out;
    EXPECT_FALSE(out.Decode(b.data(), b.size() / 2, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(std::strncmp(out.GetLastError(), "Error reading TIFF file", 23), 0)
        << out.GetLastError();
}

TEST(CxImageErrors, DamagedBytesNeverCrash)
{
    std::mt19937 rng(1234);
    for (uint32_t type :
         {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}) {
        CxImage img = makeImage(24, 16, type == CXIMAGE_FORMAT_JPG ? 24 : 8, true);
        const std::vector<uint8_t> full = encode(img, type);
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> b = full;
            const int flips = 1 + int(rng() % 4);
            for (int k = 0; k < flips; ++k)
                b[rng() % std::min<size_t>(b.size(), 200)] = uint8_t(rng());
            CxImage out;
            if (!out.Decode(b.data(), b.size(), type)) {
                EXPECT_FALSE(out.IsValid());
                EXPECT_NE(out.GetLastError()[0], '\0');
            } else {
                EXPECT_GT(out.GetWidth(), 0u);
            }
        }
    }
}

TEST(CxImageErrors, HugeDeclaredSizesAreRefusedBeforeAllocating)
{
    // BMP: 100000 x 100000 at 24 bits, with a few bytes of pixels.
    std::vector<uint8_t> bmp = makeBmp(40, 100000, 100000, 24, 0, {}, std::vector<uint8_t>(16));
    expectDecodeFails(bmp, CXIMAGE_FORMAT_BMP, "Image Memory exceeded");
    bmp = makeBmp(40, 0x7FFFFFFF, 3, 1, 0, std::vector<uint8_t>(8), std::vector<uint8_t>(16));
    expectDecodeFails(bmp, CXIMAGE_FORMAT_BMP, "Image Memory exceeded");
    bmp = makeBmp(40, 4, INT_MIN, 24, 0, {}, std::vector<uint8_t>(16));
    expectDecodeFails(bmp, CXIMAGE_FORMAT_BMP, "BMP: unsupported header");

    CxImage img = makeImage(16, 16, 24, false);
    // PNG: patch the IHDR size and its checksum.
    std::vector<uint8_t> png = encode(img, CXIMAGE_FORMAT_PNG);
    put32be(png, 16, 200000);
    put32be(png, 20, 200000);
    put32be(png, 29, crc32(png.data() + 12, 17));
    expectDecodeFails(png, CXIMAGE_FORMAT_PNG, "Image Memory exceeded");
    // JPEG: patch the frame header.
    std::vector<uint8_t> jpg = encode(img, CXIMAGE_FORMAT_JPG);
    const size_t sof = [&] {
        for (size_t i = 0; i + 1 < jpg.size(); ++i)
            if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0)
                return i;
        return size_t(0);
    }();
    ASSERT_NE(sof, 0u);
    jpg[sof + 5] = jpg[sof + 7] = 0xEA; // 60000 x 60000
    jpg[sof + 6] = jpg[sof + 8] = 0x60;
    expectDecodeFails(jpg, CXIMAGE_FORMAT_JPG, "Image Memory exceeded");
    // TIFF: patch width and length in the first directory to 100000 (LONG).
    std::vector<uint8_t> tif = encode(img, CXIMAGE_FORMAT_TIF);
    const uint32_t ifd = tif[4] | (tif[5] << 8) | (tif[6] << 16) | (uint32_t(tif[7]) << 24);
    const uint32_t n = tif[ifd] | (tif[ifd + 1] << 8);
    for (uint32_t e = 0; e < n; ++e) {
        const size_t at = ifd + 2 + 12 * e;
        const uint32_t tag = tif[at] | (tif[at + 1] << 8);
        if (tag == 256 || tag == 257) {
            put16(tif, at + 2, 4);
            put32(tif, at + 4, 1);
            put32(tif, at + 8, 100000);
        }
    }
    expectDecodeFails(tif, CXIMAGE_FORMAT_TIF, "Image Memory exceeded");
}

TEST(CxImageErrors, BmpHeaderVariantsAndLimits)
{
    // Top-down 24-bit: the first stored row is the top of the picture.
    std::vector<uint8_t> px(2 * 4, 0);
    px[0] = 1;     // top-left blue = 1
    px[4 + 2] = 9; // bottom-left red = 9
    std::vector<uint8_t> b = makeBmp(40, 1, -2, 24, 0, {}, px);
    put32(b, 2, 0); // a file size of 0, as in the camera's frame file
    CxImage img;
    ASSERT_TRUE(img.Decode(b.data(), b.size(), CXIMAGE_FORMAT_BMP)) << img.GetLastError();
    EXPECT_EQ(img.GetPixelColor(0, 1).rgbBlue, 1); // y counts from the bottom
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 9);
    EXPECT_EQ(img.GetXDPI(), 200); // no resolution in the file (like the frame file)
    // 16 bits, 5-5-5: pure red.
    b = makeBmp(40, 1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0});
    ASSERT_TRUE(img.Decode(b.data(), b.size(), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(img.GetBpp(), 24u);
    EXPECT_EQ(CxImage::RGBQUADtoRGB(img.GetPixelColor(0, 0)), CxRGB(255, 0, 0));
    // Old 12-byte header with a 3-byte palette.
    b = makeBmp(12, 2, 1, 1, 0, {0, 0, 0, 0, 0, 255}, {0x40, 0, 0, 0});
    ASSERT_TRUE(img.Decode(b.data(), b.size(), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(CxImage::RGBQUADtoRGB(img.GetPixelColor(1, 0)), CxRGB(255, 0, 0));
    // Unsupported depth, bad header size, palette larger than the depth allows.
    expectDecodeFails(makeBmp(40, 2, 2, 7, 0, {}, std::vector<uint8_t>(16)), CXIMAGE_FORMAT_BMP,
                      "BMP: unsupported header");
    expectDecodeFails(makeBmp(64, 2, 2, 24, 0, {}, std::vector<uint8_t>(16)), CXIMAGE_FORMAT_BMP,
                      "BMP: unsupported header");
    b = makeBmp(40, 2, 2, 1, 0, std::vector<uint8_t>(12), std::vector<uint8_t>(8));
    put32(b, 46, 3);
    expectDecodeFails(b, CXIMAGE_FORMAT_BMP, "BMP: unsupported header");
    // Pixel offset beyond the end of the file.
    b = makeBmp(40, 2, 2, 24, 0, {}, std::vector<uint8_t>(16));
    put32(b, 10, 5000);
    expectDecodeFails(b, CXIMAGE_FORMAT_BMP, "BMP: pixel offset outside the file");
}

TEST(CxImageErrors, RleRunsStayInsideThePicture)
{
    std::vector<uint8_t> pal(256 * 4, 0);
    pal[4 * 7 + 2] = 200; // index 7 is red
    // 4 x 2: a run of 3 sevens, end of line, an absolute run of 2, end of bitmap.
    std::vector<uint8_t> rle = {3, 7, 0, 0, 0, 3, 7, 1, 7, 0, 0, 1};
    std::vector<uint8_t> b = makeBmp(40, 4, 2, 8, 1, pal, rle);
    CxImage img;
    ASSERT_TRUE(img.Decode(b.data(), b.size(), CXIMAGE_FORMAT_BMP)) << img.GetLastError();
    EXPECT_EQ(img.GetPixelIndex(2, 0), 7);
    EXPECT_EQ(img.GetPixelIndex(3, 0), 0);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 7);
    // Runs far past the row and the picture, a delta past the end, an absolute run past the
    // data: the decoder neither writes outside nor reads beyond the file.
    rle = {255, 7, 255, 7, 0, 2, 200, 200, 5, 5, 0, 200, 1, 2};
    b = makeBmp(40, 4, 2, 8, 1, pal, rle);
    EXPECT_TRUE(img.Decode(b.data(), b.size(), CXIMAGE_FORMAT_BMP)); // a delta ends it
    rle = {0, 200, 1, 2};
    b = makeBmp(40, 4, 2, 8, 1, pal, rle);
    expectDecodeFails(b, CXIMAGE_FORMAT_BMP, "BMP: bad or truncated RLE data");
    rle = {2, 7, 0, 0};
    b = makeBmp(40, 4, 2, 8, 1, pal, rle);
    expectDecodeFails(b, CXIMAGE_FORMAT_BMP, "BMP: bad or truncated RLE data");
}
