// TIFF codec of the image object on libtiff: reads the first page (common layouts row by
// row, anything else through libtiff's RGBA reader after the size check; a cut-off or
// damaged file fails) and writes one page, keeping a lossless compression the picture was
// read with. Library messages go to a per-file handler, never to stderr.
#include "CxImage.h"
#include "CxStream.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

namespace {

constexpr tmsize_t kMaxSingleAlloc = tmsize_t(512) << 20;

struct TiffHandle
{
    CxStream* stream = nullptr;
    char message[200] = {};
    char ioWarning[200] = {}; // a tag libtiff dropped because its data lies past the end
};

tmsize_t tiffRead(thandle_t h, void* buf, tmsize_t size)
{
    return tmsize_t(static_cast<TiffHandle*>(h)->stream->Read(buf, size_t(size)));
}

tmsize_t tiffWrite(thandle_t h, void* buf, tmsize_t size)
{
    return tmsize_t(static_cast<TiffHandle*>(h)->stream->Write(buf, size_t(size)));
}

toff_t tiffSeek(thandle_t h, toff_t off, int whence)
{
    CxStream* s = static_cast<TiffHandle*>(h)->stream;
    if (off > toff_t(INT64_MAX) && whence == SEEK_SET)
        return toff_t(-1);
    if (!s->Seek(int64_t(off), whence))
        return toff_t(-1);
    return toff_t(s->Tell());
}

int tiffClose(thandle_t)
{
    return 0;
}

toff_t tiffSize(thandle_t h)
{
    return toff_t(static_cast<TiffHandle*>(h)->stream->Size());
}

int tiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}
void tiffUnmap(thandle_t, void*, toff_t) {}

int tiffError(TIFF*, void* user, const char* module, const char* fmt, va_list ap)
{
    auto* h = static_cast<TiffHandle*>(user);
    if (!h->message[0])
        std::vsnprintf(h->message, sizeof h->message, fmt, ap);
    return 1;
}

int tiffWarning(TIFF*, void* user, const char*, const char* fmt, va_list ap)
{
    auto* h = static_cast<TiffHandle*>(user);
    char text[200];
    std::vsnprintf(text, sizeof text, fmt, ap);
    if (!h->ioWarning[0] && std::strstr(text, "IO error"))
        std::snprintf(h->ioWarning, sizeof h->ioWarning, "%s", text);
    return 1;
}

TIFF* openTiff(TiffHandle& handle, const char* mode)
{
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxSingleAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(opts, tiffError, &handle);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, tiffWarning, &handle);
    TIFF* tif = TIFFClientOpenExt("image", mode, &handle, tiffRead, tiffWrite, tiffSeek, tiffClose,
                                  tiffSize, tiffMap, tiffUnmap, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

struct TiffCloser
{
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

int32_t resolutionToDpi(float res, uint16_t unit)
{
    // Without a unit the values only give the pixels' aspect, not a resolution.
    if (!(res > 0.0f) || !std::isfinite(res) || res > 1e6f || unit == RESUNIT_NONE)
        return 0;
    if (unit == RESUNIT_CENTIMETER)
        return int32_t(std::floor(res * 2.54 + 0.5));
    return int32_t(std::floor(res + 0.5));
}

struct TiffLayout
{
    uint32_t width = 0, height = 0;
    uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT;
    uint16_t extraCount = 0;
    bool hasColormap = false;
};

TiffLayout readLayout(TIFF* tif)
{
    TiffLayout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &l.extraCount, &extra);
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    l.hasColormap = TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) != 0;
    return l;
}

// Depth the picture of a row-by-row layout gets: 16-bit grey keeps its high bytes as 8-bit grey.
uint32_t directDepth(const TiffLayout& l)
{
    if (l.spp != 1)
        return 24;
    return l.bps == 16 ? 8 : l.bps;
}

// Layouts read row by row straight into the pixel block; others go through RGBA.
bool isDirectLayout(TIFF* tif, const TiffLayout& l)
{
    if (TIFFIsTiled(tif) || l.planar != PLANARCONFIG_CONTIG || l.orientation != ORIENTATION_TOPLEFT)
        return false;
    const bool grey =
        l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    const bool greyOrPal =
        l.spp == 1 && (((l.bps == 1 || l.bps == 4 || l.bps == 8) &&
                        (grey || (l.photometric == PHOTOMETRIC_PALETTE && l.hasColormap))) ||
                       (l.bps == 16 && grey));
    const bool rgb = l.photometric == PHOTOMETRIC_RGB && l.bps == 8 && (l.spp == 3 || l.spp == 4);
    return greyOrPal || rgb;
}

// Before the picture is allocated: every strip or tile must lie inside the file, and
// uncompressed strips must hold all the rows they declare. A cut-off file then fails at
// once instead of allocating the whole picture and decoding nothing into it.
bool dataIsPresent(TIFF* tif, const TiffLayout& l, uint64_t fileSize, char* why, size_t whySize)
{
    const bool tiled = TIFFIsTiled(tif) != 0;
    const char* piece = tiled ? "tile" : "strip";
    const uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    uint64_t stored = 0;
    for (uint32_t i = 0; i < count; ++i) {
        int err = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
        const uint64_t bytes = err ? 0 : TIFFGetStrileByteCountWithErr(tif, i, &err);
        if (err) {
            std::snprintf(why, whySize, "cannot read the position of %s %u", piece, i);
            return false;
        }
        if (offset > fileSize || bytes > fileSize - offset) {
            std::snprintf(why, whySize,
                          "file is truncated: %s %u of %u ends at byte %llu, the file has %llu",
                          piece, i + 1, count, static_cast<unsigned long long>(offset + bytes),
                          static_cast<unsigned long long>(fileSize));
            return false;
        }
        stored += bytes;
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (tiled || compression != COMPRESSION_NONE)
        return true;
    const uint64_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.spp : 1;
    const uint64_t need = uint64_t(TIFFVStripSize64(tif, l.height)) * planes;
    if (stored < need) {
        std::snprintf(
            why, whySize, "file is truncated: the pixels need %llu bytes, the file holds %llu",
            static_cast<unsigned long long>(need), static_cast<unsigned long long>(stored));
        return false;
    }
    return true;
}

} // namespace

bool CxImage::DecodeTiff(CxStream& s)
{
    uint8_t magic[4] = {};
    const int64_t start = s.Tell();
    const bool ok =
        s.Read(magic, 4) == 4 && ((magic[0] == 'I' && magic[1] == 'I' &&
                                   (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
                                  (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 &&
                                   (magic[3] == 42 || magic[3] == 43)));
    if (!ok || !s.Seek(start, SEEK_SET)) {
        SetLastError("Not a TIFF file");
        return false;
    }
    TiffHandle handle;
    handle.stream = &s;
    TiffPtr tif(openTiff(handle, "rm"));
    if (!tif) {
        SetTiffReadError(handle.message);
        return false;
    }
    if (handle.ioWarning[0]) { // a cut-off file: do not guess the missing tags
        SetTiffReadError(handle.ioWarning);
        return false;
    }
    const TiffLayout l = readLayout(tif.get());
    if (l.photometric == PHOTOMETRIC_PALETTE && !l.hasColormap) {
        SetTiffReadError("palette image without a colour map");
        return false;
    }
    const bool direct = isDirectLayout(tif.get(), l);
    const uint32_t bpp = direct ? directDepth(l) : 24;
    if (!CheckDimensions(l.width, l.height, bpp))
        return false;
    char why[200] = {};
    handle.message[0] = '\0';          // from here on, every error libtiff reports is a read error
    const int64_t fileSize = s.Size(); // not known for every stream
    if (fileSize > 0 && !dataIsPresent(tif.get(), l, uint64_t(fileSize), why, sizeof why)) {
        SetTiffReadError(why);
        return false;
    }
    if (!(direct ? ReadTiffRows(tif.get(), &l) : ReadTiffRgba(tif.get(), l.extraCount > 0)) ||
        handle.message[0]) { // any read error libtiff reported fails the load
        const bool sizeRefused = std::strcmp(GetLastError(), "Image Memory exceeded") == 0;
        Destroy();
        if (!sizeRefused)
            SetTiffReadError(handle.message[0] ? handle.message : GetLastError());
        return false;
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    m_info.tiffCompression = compression;
    float xres = 0, yres = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres))
        SetXDPI(resolutionToDpi(xres, unit));
    if (TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres))
        SetYDPI(resolutionToDpi(yres, unit));
    return true;
}

void CxImage::SetTiffReadError(const char* detail)
{
    char text[kErrorSize];
    std::snprintf(text, sizeof text, "Error reading TIFF file%s%s", detail && detail[0] ? ": " : "",
                  detail ? detail : "");
    SetLastError(text);
}

void CxImage::SetTiffPalette(void* tiff, const void* layout)
{
    TIFF* tif = static_cast<TIFF*>(tiff);
    const TiffLayout& l = *static_cast<const TiffLayout*>(layout);
    const uint32_t n = GetNumColors();
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b);
        bool eightBit = true; // some writers store 8-bit values in the 16-bit map
        for (uint32_t i = 0; i < n; ++i)
            eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
        const int shift = eightBit ? 0 : 8;
        for (uint32_t i = 0; i < n; ++i)
            SetPaletteColor(uint8_t(i), uint8_t(r[i] >> shift), uint8_t(g[i] >> shift),
                            uint8_t(b[i] >> shift));
        return;
    }
    SetGrayPalette();
    if (l.photometric == PHOTOMETRIC_MINISWHITE)
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t v = uint8_t(255 - i * 255 / (n - 1));
            SetPaletteColor(uint8_t(i), v, v, v);
        }
}

bool CxImage::ReadTiffRows(void* tiff, const void* layout)
{
    TIFF* tif = static_cast<TIFF*>(tiff);
    const TiffLayout& l = *static_cast<const TiffLayout*>(layout);
    const bool rgb = l.spp >= 3;
    if (!Create(l.width, l.height, directDepth(l), CXIMAGE_FORMAT_TIF))
        return false;
    SetTiffPalette(tif, &l);
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    const uint64_t need = rgb ? uint64_t(l.width) * l.spp : (uint64_t(l.width) * l.bps + 7) / 8;
    if (lineSize <= 0 || uint64_t(lineSize) < need)
        return false;
    std::vector<uint8_t> line(size_t(std::max<uint64_t>(uint64_t(lineSize), need)));
    const bool alpha = rgb && l.spp == 4 && AlphaCreate();
    for (uint32_t r = 0; r < l.height; ++r) {
        if (TIFFReadScanline(tif, line.data(), r, 0) < 0)
            return false;
        const int32_t y = int32_t(l.height - 1 - r);
        uint8_t* dst = GetBits(uint32_t(y));
        if (l.bps == 16) { // samples come in the host's byte order
            for (uint32_t x = 0; x < l.width; ++x) {
                uint16_t sample;
                std::memcpy(&sample, line.data() + 2 * size_t(x), sizeof sample);
                dst[x] = uint8_t(sample >> 8);
            }
            continue;
        }
        if (!rgb) {
            std::memcpy(dst, line.data(), std::min<size_t>(size_t(lineSize), GetEffWidth()));
            continue;
        }
        const uint8_t* src = line.data();
        uint8_t* a = alpha ? AlphaGetPointer(0, y) : nullptr;
        for (uint32_t x = 0; x < l.width; ++x, src += l.spp, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (a)
                a[x] = src[3];
        }
    }
    return true;
}

bool CxImage::ReadTiffRgba(void* tiff, bool withAlpha)
{
    TIFF* tif = static_cast<TIFF*>(tiff);
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) {
        SetLastError(message[0] ? message : "unsupported layout");
        return false;
    }
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster;
    try {
        raster.resize(size_t(w) * h);
    } catch (const std::bad_alloc&) {
        SetLastError("CxImage::Create can't allocate memory");
        return false;
    }
    // Stop at the first read error: the rest of the picture would be left black.
    if (!TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_BOTLEFT, 1)) {
        SetLastError("");
        return false;
    }
    if (!Create(w, h, 24, CXIMAGE_FORMAT_TIF))
        return false;
    if (withAlpha && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* src = raster.data() + size_t(y) * w;
        uint8_t* dst = GetBits(y);
        uint8_t* a = withAlpha ? AlphaGetPointer(0, int32_t(y)) : nullptr;
        for (uint32_t x = 0; x < w; ++x, dst += 3) {
            dst[0] = uint8_t(TIFFGetB(src[x]));
            dst[1] = uint8_t(TIFFGetG(src[x]));
            dst[2] = uint8_t(TIFFGetR(src[x]));
            if (a)
                a[x] = uint8_t(TIFFGetA(src[x]));
        }
    }
    return true;
}

static uint32_t luminance(RGBQUAD c)
{
    return c.rgbRed * 299u + c.rgbGreen * 587u + c.rgbBlue * 114u;
}

bool CxImage::EncodeTiff(CxStream& s)
{
    TiffHandle handle;
    handle.stream = &s;
    TiffPtr tif(openTiff(handle, "w"));
    if (!tif) {
        SetLastError("Error saving TIFF file");
        return false;
    }
    if (!WriteTiffPage(tif.get()))
        return false;
    if (!TIFFWriteDirectory(tif.get())) {
        SetLastError("Error saving TIFF directory");
        return false;
    }
    TIFF* raw = tif.release();
    TIFFClose(raw);
    if (handle.message[0] || s.HasError()) {
        SetLastError("Error saving TIFF file");
        return false;
    }
    return true;
}

// A saved page keeps the compression the picture was read with (or the one the TIFF
// option word asks for) when it is lossless and fits the depth: the fax codes only for
// 1 bit, where the one-dimensional ones become Group 4. Anything else is stored as is.
uint16_t CxImage::TiffSaveCompression() const
{
    const uint32_t asked = GetCodecOption(CXIMAGE_FORMAT_TIF);
    uint16_t c = asked && asked <= 0xFFFF ? uint16_t(asked) : m_info.tiffCompression;
    switch (c) {
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
        c = COMPRESSION_CCITTFAX4;
        [[fallthrough]];
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        if (GetBpp() != 1 || AlphaIsValid())
            return COMPRESSION_NONE;
        break;
    case COMPRESSION_DEFLATE:
        c = COMPRESSION_ADOBE_DEFLATE;
        break;
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_LZMA:
    case COMPRESSION_ZSTD:
        break;
    default: // none, and every lossy or unusual code
        return COMPRESSION_NONE;
    }
    return TIFFIsCODECConfigured(c) ? c : uint16_t(COMPRESSION_NONE);
}

bool CxImage::WriteTiffPage(void* tiff)
{
    TIFF* tif = static_cast<TIFF*>(tiff);
    const uint32_t w = GetWidth(), h = GetHeight(), bpp = GetBpp();
    const bool rgb = bpp == 24, alpha = rgb && AlphaIsValid();
    const bool grey = !rgb && bpp != 1 && IsGreyRamp();
    const uint16_t spp = rgb ? (alpha ? 4 : 3) : 1;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(rgb ? 8 : bpp));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, TiffSaveCompression());
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(GetYDPI()));
    uint16_t photometric = PHOTOMETRIC_RGB;
    if (bpp == 1)
        photometric = PHOTOMETRIC_MINISWHITE;
    else if (grey)
        photometric = PHOTOMETRIC_MINISBLACK;
    else if (!rgb)
        photometric = PHOTOMETRIC_PALETTE;
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    if (alpha) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), extra);
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> r(size_t(1) << bpp), g(r.size()), b(r.size());
        for (uint32_t i = 0; i < GetNumColors(); ++i) {
            const RGBQUAD c = GetPaletteColor(uint8_t(i));
            r[i] = uint16_t(c.rgbRed * 257);
            g[i] = uint16_t(c.rgbGreen * 257);
            b[i] = uint16_t(c.rgbBlue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    // White-is-zero: the pixels are inverted when entry 0 is the darker one.
    const bool invert = bpp == 1 && luminance(GetPaletteColor(0)) < luminance(GetPaletteColor(1));
    std::vector<uint8_t> line(rgb ? size_t(w) * spp : GetEffWidth());
    for (uint32_t r = 0; r < h; ++r) {
        const int32_t y = int32_t(h - 1 - r);
        const uint8_t* src = GetBits(uint32_t(y));
        if (rgb) {
            uint8_t* d = line.data();
            for (uint32_t x = 0; x < w; ++x, src += 3, d += spp) {
                d[0] = src[2];
                d[1] = src[1];
                d[2] = src[0];
                if (alpha)
                    d[3] = AlphaGet(int32_t(x), y);
            }
        } else {
            for (size_t i = 0; i < line.size(); ++i)
                line[i] = invert ? uint8_t(~src[i]) : src[i];
        }
        if (TIFFWriteScanline(tif, line.data(), r, 0) < 0) {
            SetLastError("Error saving TIFF file");
            return false;
        }
    }
    return true;
}
