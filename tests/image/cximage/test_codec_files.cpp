// Files written by the codec libraries themselves: cut-off and damaged TIFF files must fail
// with a reason (and without allocating the picture they only declare); a saved TIFF keeps
// a lossless compression it was read with; grey pictures are saved as grey PNG files.
#include "test_codecs_images.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

using namespace codectest;

namespace {

// What one test file holds. Pixels come from `sample(x, y, s)`.
struct TiffLayout
{
    uint32_t w, h;
    uint16_t spp, bps, photometric, orientation, compression;
    uint32_t tile = 0; // tile edge, 0 = strips
    uint32_t rowsPerStrip = 16;
};

uint8_t sample(uint32_t x, uint32_t y, uint32_t s)
{
    return uint8_t((x * 7 + y * 13 + s * 71) ^ (x / 5));
}

// One strip or tile of the pattern, as the file stores it (top row first, contiguous).
std::vector<uint8_t> piece(const TiffLayout& t, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h)
{
    const size_t rowBytes = (size_t(w) * t.spp * t.bps + 7) / 8;
    std::vector<uint8_t> out(rowBytes * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t s = 0; s < t.spp; ++s) {
                const uint8_t v = (y0 + y < t.h && x0 + x < t.w) ? sample(x0 + x, y0 + y, s) : 0;
                if (t.bps == 8)
                    out[y * rowBytes + size_t(x) * t.spp + s] = v;
                else if (v & 0x40) // 1 bit
                    out[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
            }
    return out;
}

// Writes the pixel data, encoded by libtiff or `raw` for every strip when given. With
// `directoryFirst` the directory goes in front of the data (as cameras and scanners do),
// so that cutting the file cuts the data, not the directory.
void writeTiff(const std::filesystem::path& path, const TiffLayout& t,
               const std::vector<uint8_t>* raw = nullptr, bool directoryFirst = true)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, t.w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, t.h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.spp);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bps);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.photometric);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, t.orientation);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, t.compression);
    if (t.compression == COMPRESSION_JPEG)
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
    if (t.spp == 4) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), extra);
    }
    if (t.tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, t.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, t.tile);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, t.rowsPerStrip);
    }
    if (directoryFirst) {
        ASSERT_TRUE(TIFFDeferStrileArrayWriting(tif));
        ASSERT_TRUE(TIFFWriteCheck(tif, t.tile != 0, "test"));
        ASSERT_TRUE(TIFFWriteDirectory(tif));
        ASSERT_TRUE(TIFFSetDirectory(tif, 0));
    }
    const uint32_t pieces = t.tile ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    const uint32_t across = t.tile ? (t.w + t.tile - 1) / t.tile : 1;
    for (uint32_t i = 0; i < pieces; ++i) {
        if (raw) {
            ASSERT_GT(
                TIFFWriteRawStrip(tif, i, const_cast<uint8_t*>(raw->data()), tmsize_t(raw->size())),
                0);
            continue;
        }
        if (t.tile) {
            std::vector<uint8_t> b =
                piece(t, (i % across) * t.tile, (i / across) * t.tile, t.tile, t.tile);
            ASSERT_GT(TIFFWriteEncodedTile(tif, i, b.data(), tmsize_t(b.size())), 0);
        } else {
            const uint32_t rows = std::min(t.rowsPerStrip, t.h - i * t.rowsPerStrip);
            std::vector<uint8_t> b = piece(t, 0, i * t.rowsPerStrip, t.w, rows);
            ASSERT_GT(TIFFWriteEncodedStrip(tif, i, b.data(), tmsize_t(b.size())), 0);
        }
    }
    if (directoryFirst)
        ASSERT_TRUE(TIFFForceStrileArrayWriting(tif));
    TIFFClose(tif);
}

// Offset of the first strip or tile of a file libtiff can open.
uint64_t firstDataOffset(const std::filesystem::path& path)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return 0;
    const uint64_t offset = TIFFGetStrileOffset(tif, 0);
    TIFFClose(tif);
    return offset;
}

uint16_t compressionOf(const std::filesystem::path& path)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return 0xFFFF;
    uint16_t c = 0xFFFF;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &c);
    TIFFClose(tif);
    return c;
}

long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Growth of the process's peak resident memory while `work` runs, in MB.
long peakGrowthMb(const std::function<void()>& work)
{
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5"; // the peak restarts from the current size
    }
    const long before = statusKb("VmRSS:");
    work();
    return (statusKb("VmHWM:") - before) / 1024;
}

// Each row of PackBits data: runs of 128 zero bytes, then the rest of the row.
std::vector<uint8_t> packBitsZeros(size_t rowBytes, uint32_t rows)
{
    std::vector<uint8_t> row;
    for (size_t left = rowBytes; left > 0;) {
        const size_t n = std::min<size_t>(left, 128);
        row.push_back(uint8_t(257 - n)); // -(n - 1): repeat the next byte n times
        row.push_back(0);
        left -= n;
    }
    std::vector<uint8_t> out;
    out.reserve(row.size() * rows);
    for (uint32_t r = 0; r < rows; ++r)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

} // namespace

// A file whose directory declares more than the file holds is refused with the reason,
// before the declared picture is allocated; so is a damaged strip (no black rows instead).
TEST(CxImageTiffFiles, CutOffAndDamagedFilesFailWithAReason)
{
    TempDir dir;
    struct Case
    {
        const char* name;
        TiffLayout layout;
        bool packBitsZeros; // huge picture: PackBits rows of zeros written raw
        int cut;            // > 0: keep this many bytes past the first strip's start
        int damage;         // > 0: overwrite this many bytes of the data with junk
        const char* reason; // part of the message, or null for any
    };
    const Case cases[] = {
        {"huge RGBA bottom-left, cut after the directory",
         {9456, 9456, 4, 8, PHOTOMETRIC_RGB, ORIENTATION_BOTLEFT, COMPRESSION_PACKBITS, 0, 9456},
         true,
         16,
         0,
         "truncated"},
        {"huge RGBA bottom-left, uncompressed strip shorter than its rows",
         {9456, 9456, 4, 8, PHOTOMETRIC_RGB, ORIENTATION_BOTLEFT, COMPRESSION_NONE, 0, 9456},
         false,
         0,
         0,
         "truncated"},
        {"RGB bottom-left deflate, cut in the data",
         {300, 200, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_BOTLEFT, COMPRESSION_ADOBE_DEFLATE, 0, 16},
         false,
         9000,
         0,
         "truncated"},
        {"RGB bottom-left deflate, a damaged strip",
         {300, 200, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_BOTLEFT, COMPRESSION_ADOBE_DEFLATE, 0, 16},
         false,
         0,
         40,
         nullptr},
        {"RGB tiles deflate, cut in the data",
         {256, 256, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_TOPLEFT, COMPRESSION_ADOBE_DEFLATE, 64, 0},
         false,
         9000,
         0,
         "truncated"},
        {"grey top-left LZW, cut in the data",
         {300, 200, 1, 8, PHOTOMETRIC_MINISBLACK, ORIENTATION_TOPLEFT, COMPRESSION_LZW, 0, 16},
         false,
         4000,
         0,
         "truncated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir.file("cut.tif");
        if (c.packBitsZeros) {
            const std::vector<uint8_t> raw = packBitsZeros(size_t(c.layout.w) * 4, c.layout.h);
            writeTiff(path, c.layout, &raw);
        } else if (c.layout.w == 9456) {
            const std::vector<uint8_t> raw(4096, 0x80);
            writeTiff(path, c.layout, &raw);
        } else {
            writeTiff(path, c.layout);
            // The whole file loads, upright, with every pixel.
            CxImage whole(path.string(), CXIMAGE_FORMAT_TIF);
            ASSERT_TRUE(whole.IsValid()) << whole.GetLastError();
            // The image object counts rows from the bottom; a bottom-left file stores the
            // bottom row first.
            const bool bottomFirst = c.layout.orientation == ORIENTATION_BOTLEFT;
            for (uint32_t y : {0u, c.layout.h / 2, c.layout.h - 1})
                for (uint32_t x : {0u, c.layout.w / 3, c.layout.w - 1}) {
                    const int32_t row = int32_t(bottomFirst ? y : c.layout.h - 1 - y);
                    const RGBQUAD p = whole.GetPixelColor(int32_t(x), row);
                    EXPECT_EQ(p.rgbRed, sample(x, y, 0)) << x << "," << y;
                    EXPECT_EQ(p.rgbGreen, sample(x, y, c.layout.spp == 1 ? 0 : 1)) << x << "," << y;
                }
        }
        std::vector<uint8_t> bytes = readFile(path);
        const uint64_t data = firstDataOffset(path);
        ASSERT_GT(data, 8u);
        if (c.cut > 0) {
            ASSERT_LT(data + uint64_t(c.cut), bytes.size());
            bytes.resize(size_t(data) + size_t(c.cut));
        }
        for (int i = 0; i < c.damage; ++i)
            bytes[size_t(data) + 200 + size_t(i)] = uint8_t(0x5A ^ i);
        writeFile(path, bytes);

        CxImage img;
        long grewMb = 0;
        bool loaded = true;
        grewMb = peakGrowthMb([&] { loaded = img.Load(path.string(), CXIMAGE_FORMAT_TIF); });
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(img.IsValid());
        const std::string text = img.GetLastError();
        EXPECT_EQ(text.rfind("Error reading TIFF file: ", 0), 0u) << text;
        EXPECT_GT(text.size(), std::strlen("Error reading TIFF file: ")) << text;
        if (c.reason)
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_LT(grewMb, 64) << "the declared picture was allocated";
    }
}

// Saving a picture read from a TIFF file keeps its compression when that is lossless and
// fits what is saved: a Group 4 page stays Group 4 (a few KB, not the whole bitmap).
TEST(CxImageTiffFiles, SavedCopiesKeepALosslessCompression)
{
    TempDir dir;
    struct Case
    {
        const char* name;
        TiffLayout layout;
        bool toGrey;       // turned into an 8-bit grey picture before saving
        uint16_t expected; // compression of the saved copy
    };
    const Case cases[] = {
        {"1-bit Group 4",
         {1728, 2200, 1, 1, PHOTOMETRIC_MINISWHITE, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX4, 0,
          64},
         false,
         COMPRESSION_CCITTFAX4},
        {"1-bit Group 3",
         {1728, 400, 1, 1, PHOTOMETRIC_MINISWHITE, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX3, 0,
          64},
         false,
         COMPRESSION_CCITTFAX3},
        {"8-bit grey LZW",
         {300, 200, 1, 8, PHOTOMETRIC_MINISBLACK, ORIENTATION_TOPLEFT, COMPRESSION_LZW, 0, 16},
         false,
         COMPRESSION_LZW},
        {"RGB deflate",
         {300, 200, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_TOPLEFT, COMPRESSION_ADOBE_DEFLATE, 0, 16},
         false,
         COMPRESSION_ADOBE_DEFLATE},
        {"RGB PackBits",
         {300, 200, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_TOPLEFT, COMPRESSION_PACKBITS, 0, 16},
         false,
         COMPRESSION_PACKBITS},
        {"RGB JPEG (lossy: not repeated)",
         {320, 208, 3, 8, PHOTOMETRIC_RGB, ORIENTATION_TOPLEFT, COMPRESSION_JPEG, 0, 16},
         false,
         COMPRESSION_NONE},
        {"Group 4 page turned grey (the fax code does not fit)",
         {1728, 400, 1, 1, PHOTOMETRIC_MINISWHITE, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX4, 0,
          64},
         true,
         COMPRESSION_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto in = dir.file("in.tif");
        const auto out = dir.file("out.tif");
        writeTiff(in, c.layout, nullptr, false);
        CxImage img(in.string(), CXIMAGE_FORMAT_TIF);
        ASSERT_TRUE(img.IsValid()) << img.GetLastError();
        if (c.toGrey)
            ASSERT_TRUE(img.ToGray());
        ASSERT_TRUE(img.Save(out.string(), CXIMAGE_FORMAT_TIF)) << img.GetLastError();
        EXPECT_EQ(compressionOf(out), c.expected);
        CxImage back(out.string(), CXIMAGE_FORMAT_TIF);
        ASSERT_TRUE(back.IsValid()) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), img.GetBpp());
        EXPECT_TRUE(sameColours(img, back));
        if (c.expected == COMPRESSION_CCITTFAX4 || c.expected == COMPRESSION_CCITTFAX3)
            EXPECT_LT(std::filesystem::file_size(out), 2 * std::filesystem::file_size(in) + 1024);
    }
    // A 1-bit picture that did not come from a TIFF file is stored uncompressed, as before.
    CxImage fresh = makeImage(64, 32, 1, true);
    ASSERT_TRUE(fresh.Save(dir.file("fresh.tif").string(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(compressionOf(dir.file("fresh.tif")), COMPRESSION_NONE);
}

// Grey pictures whose palette is the plain grey ramp are saved as grey PNG files (colour
// type 0, or 4 with alpha); other palettes stay palette files. Every pixel reads back.
TEST(CxImagePngFiles, GreyPicturesAreSavedAsGreyFiles)
{
    TempDir dir;
    struct Case
    {
        const char* name;
        uint32_t bpp;
        bool greyRamp;
        bool inverted; // white first: a grey palette, but not the ramp
        bool alpha;
        int transIndex;
        int colourType, depth;
    };
    const Case cases[] = {
        {"8-bit grey", 8, true, false, false, -1, 0, 8},
        {"4-bit grey", 4, true, false, false, -1, 0, 4},
        {"1-bit black and white", 1, true, false, false, -1, 0, 1},
        {"8-bit grey with a transparent level", 8, true, false, false, 7, 0, 8},
        {"8-bit grey with alpha", 8, true, false, true, -1, 4, 8},
        {"8-bit inverted grey", 8, true, true, false, -1, 3, 8},
        {"8-bit colour palette", 8, false, false, false, -1, 3, 8},
        {"24-bit colour", 24, false, false, false, -1, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage img = makeImage(37, 21, c.bpp, c.greyRamp);
        if (c.inverted)
            for (uint32_t i = 0; i < img.GetNumColors(); ++i) {
                const uint8_t v = uint8_t(255 - i * 255 / (img.GetNumColors() - 1));
                img.SetPaletteColor(uint8_t(i), v, v, v);
            }
        if (c.alpha) {
            ASSERT_TRUE(img.AlphaCreate());
            for (uint32_t y = 0; y < img.GetHeight(); ++y)
                for (uint32_t x = 0; x < img.GetWidth(); ++x)
                    img.AlphaSet(int32_t(x), int32_t(y), uint8_t(x * 6 + y));
        }
        if (c.transIndex >= 0)
            img.SetTransIndex(c.transIndex);
        const auto path = dir.file("grey.png");
        ASSERT_TRUE(img.Save(path.string(), CXIMAGE_FORMAT_PNG)) << img.GetLastError();
        const std::vector<uint8_t> bytes = readFile(path);
        ASSERT_GT(bytes.size(), 33u);
        ASSERT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
        EXPECT_EQ(int(bytes[24]), c.depth);
        EXPECT_EQ(int(bytes[25]), c.colourType);
        const std::string all(bytes.begin(), bytes.end());
        EXPECT_EQ(all.find("PLTE") != std::string::npos, c.colourType == 3);
        EXPECT_EQ(all.find("tRNS") != std::string::npos, c.transIndex >= 0);

        CxImage back(path.string(), CXIMAGE_FORMAT_PNG);
        ASSERT_TRUE(back.IsValid()) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), c.bpp);
        EXPECT_TRUE(sameColours(img, back));
        ASSERT_EQ(back.AlphaIsValid(), c.alpha || c.transIndex >= 0);
        for (uint32_t y = 0; y < img.GetHeight(); ++y)
            for (uint32_t x = 0; x < img.GetWidth(); ++x) {
                const int32_t xi = int32_t(x), yi = int32_t(y);
                if (c.alpha)
                    ASSERT_EQ(back.AlphaGet(xi, yi), img.AlphaGet(xi, yi)) << x << "," << y;
                else if (c.transIndex >= 0)
                    ASSERT_EQ(back.AlphaGet(xi, yi),
                              img.GetPixelIndex(xi, yi) == c.transIndex ? 0 : 255);
            }
    }
}
