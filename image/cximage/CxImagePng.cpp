// PNG codec of the image object on libpng. Library errors longjmp back into the codec,
// which frees the library state; transparency (tRNS or an alpha channel) becomes the alpha
// plane, 16-bit samples are reduced to 8 bits, and the resolution travels in pHYs.
#include "CxImage.h"
#include "CxStream.h"

#include <cmath>
#include <cstring>
#include <vector>

#include <png.h>

namespace {

struct PngIo
{
    CxStream* stream = nullptr;
    char message[200] = {};
};

void pngError(png_structp png, png_const_charp msg)
{
    auto* io = static_cast<PngIo*>(png_get_error_ptr(png));
    std::snprintf(io->message, sizeof io->message, "%s", msg ? msg : "PNG error");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep data, size_t length)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (io->stream->Read(data, length) != length)
        png_error(png, "Read Error: file is truncated");
}

void pngWrite(png_structp png, png_bytep data, size_t length)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (io->stream->Write(data, length) != length)
        png_error(png, "Write Error");
}

void pngFlush(png_structp) {}

int32_t ppmToDpi(png_uint_32 ppm)
{
    return ppm ? int32_t(std::floor(ppm * 0.0254 + 0.5)) : 0;
}

// How the file's pixels are laid into the image.
enum class PngLayout { Palette, Grey, GreyAlpha, Bgr, Bgra };

// How the image's pixels are written: grey images whose palette is the plain grey ramp
// as grey (with alpha at 8 bits), other palette images with their palette unless they
// have an alpha plane, colour as RGB(A).
PngLayout writeLayout(const CxImage& img)
{
    const bool alpha = img.AlphaIsValid();
    if (img.GetNumColors() && img.IsGreyRamp() && (!alpha || img.GetBpp() == 8))
        return alpha ? PngLayout::GreyAlpha : PngLayout::Grey;
    if (alpha)
        return PngLayout::Bgra;
    return img.GetNumColors() ? PngLayout::Palette : PngLayout::Bgr;
}

} // namespace

bool CxImage::DecodePng(CxStream& s)
{
    png_byte sig[8];
    const int64_t start = s.Tell();
    if (s.Read(sig, 8) != 8 || png_sig_cmp(sig, 0, 8) != 0 || !s.Seek(start + 8, SEEK_SET)) {
        SetLastError("Not a PNG file");
        return false;
    }
    PngIo io;
    io.stream = &s;
    std::vector<uint8_t> wire; // pixels with an alpha channel, before splitting
    std::vector<png_bytep> rowPointers;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        SetLastError("Failed to create PNG structure");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        Destroy();
        SetLastError(io.message);
        return false;
    }
    png_set_read_fn(png, &io, pngRead);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzz builds only: mutated chunks almost never carry a right checksum, so checking them
    // would stop every input at its first changed chunk. Ordinary builds keep checking.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    // The image object applies its own size limit once the header is known.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    const bool ok = ReadPngPixels(png, info, wire, rowPointers);
    if (ok)
        png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        Destroy();
    return ok;
}

// Sets the transformations, allocates the picture and reads all rows (interlaced or not).
bool CxImage::ReadPngPixels(void* pngPtr, void* infoPtr, std::vector<uint8_t>& wire,
                            std::vector<uint8_t*>& rows)
{
    auto png = static_cast<png_structp>(pngPtr);
    auto info = static_cast<png_infop>(infoPtr);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    PngLayout layout = PngLayout::Bgr;
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        layout = PngLayout::Palette;
    else if (colorType == PNG_COLOR_TYPE_GRAY)
        layout = PngLayout::Grey;
    else if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        layout = PngLayout::GreyAlpha;
    else if (colorType == PNG_COLOR_TYPE_RGB_ALPHA || hasTrns)
        layout = PngLayout::Bgra;
    if (depth == 16)
        png_set_strip_16(png);
    if (depth == 2) {
        if (layout == PngLayout::Grey)
            png_set_expand_gray_1_2_4_to_8(png);
        else
            png_set_packing(png);
        depth = 8;
    }
    if (depth == 16)
        depth = 8;
    if (layout == PngLayout::Bgr || layout == PngLayout::Bgra)
        png_set_bgr(png);
    if (layout == PngLayout::Bgra && colorType == PNG_COLOR_TYPE_RGB)
        png_set_tRNS_to_alpha(png);
    const uint32_t bpp = (layout == PngLayout::Bgr || layout == PngLayout::Bgra) ? 24
                         : layout == PngLayout::GreyAlpha                        ? 8
                                                                                 : uint32_t(depth);
    if (!CheckDimensions(w, h, bpp))
        return false;
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (!Create(w, h, bpp, CXIMAGE_FORMAT_PNG))
        return false;
    SetPngPalette(png, info, layout == PngLayout::Palette);
    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
        SetXDPI(ppmToDpi(xppm));
        SetYDPI(ppmToDpi(yppm));
    }
    const size_t channels = layout == PngLayout::GreyAlpha ? 2 : layout == PngLayout::Bgra ? 4 : 0;
    rows.resize(h);
    if (channels) {
        wire.resize(size_t(w) * channels * h);
        for (png_uint_32 y = 0; y < h; ++y)
            rows[y] = wire.data() + size_t(y) * w * channels;
    } else {
        for (png_uint_32 y = 0; y < h; ++y)
            rows[y] = GetBits(h - 1 - y);
    }
    png_read_image(png, rows.data());
    if (channels)
        SplitPngAlpha(wire, channels);
    else if (hasTrns)
        ApplyPngTransparency(png, info, layout == PngLayout::Palette);
    return true;
}

void CxImage::SetPngPalette(void* pngPtr, void* infoPtr, bool fromFile)
{
    if (!GetNumColors())
        return;
    if (!fromFile) {
        SetGrayPalette();
        return;
    }
    png_colorp pal = nullptr;
    int n = 0;
    if (png_get_PLTE(static_cast<png_structp>(pngPtr), static_cast<png_infop>(infoPtr), &pal, &n)) {
        for (int i = 0; i < n && uint32_t(i) < GetNumColors(); ++i)
            SetPaletteColor(uint8_t(i), pal[i].red, pal[i].green, pal[i].blue);
    }
}

// Pixels read with an alpha channel: colours into the rows, alpha into the alpha plane.
void CxImage::SplitPngAlpha(const std::vector<uint8_t>& wire, size_t channels)
{
    if (!AlphaCreate())
        return;
    const uint32_t w = GetWidth(), h = GetHeight();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* src = wire.data() + size_t(y) * w * channels;
        uint8_t* dst = GetBits(h - 1 - y);
        uint8_t* a = AlphaGetPointer(0, int32_t(h - 1 - y));
        for (uint32_t x = 0; x < w; ++x, src += channels) {
            if (channels == 2) {
                dst[x] = src[0];
                a[x] = src[1];
            } else {
                std::memcpy(dst + 3 * x, src, 3);
                a[x] = src[3];
            }
        }
    }
}

// tRNS of palette and grey images: pixels of a transparent index or grey level get alpha.
void CxImage::ApplyPngTransparency(void* pngPtr, void* infoPtr, bool palette)
{
    png_bytep trans = nullptr;
    int count = 0;
    png_color_16p grey = nullptr;
    if (!png_get_tRNS(static_cast<png_structp>(pngPtr), static_cast<png_infop>(infoPtr), &trans,
                      &count, &grey))
        return;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = 255;
    if (palette) {
        for (int i = 0; i < count && i < 256; ++i)
            table[i] = trans[i];
    } else if (grey) {
        // The transparent level in the stored depth (levels 2 and 16 bit were rescaled).
        const int depth =
            png_get_bit_depth(static_cast<png_structp>(pngPtr), static_cast<png_infop>(infoPtr));
        const unsigned v = depth == 16  ? grey->gray >> 8
                           : depth == 2 ? grey->gray * 85u
                                        : grey->gray;
        table[v & 0xFF] = 0;
    }
    if (!AlphaCreate())
        return;
    for (uint32_t y = 0; y < GetHeight(); ++y)
        for (uint32_t x = 0; x < GetWidth(); ++x)
            AlphaSet(int32_t(x), int32_t(y), table[BlindGetPixelIndex(int32_t(x), int32_t(y))]);
}

bool CxImage::EncodePng(CxStream& s)
{
    PngIo io;
    io.stream = &s;
    std::vector<uint8_t> row(size_t(GetWidth()) * 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, pngError, pngWarning);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        SetLastError("Error saving PNG file");
        return false;
    }
    png_set_write_fn(png, &io, pngWrite, pngFlush);
    const PngLayout layout = writeLayout(*this);
    WritePngHeader(png, info, int(layout));
    for (uint32_t r = 0; r < GetHeight(); ++r) {
        const int32_t y = int32_t(GetHeight() - 1 - r);
        png_bytep out = GetBits(uint32_t(y));
        if (layout == PngLayout::GreyAlpha) {
            for (uint32_t x = 0; x < GetWidth(); ++x) {
                row[2 * x] = out[x];
                row[2 * x + 1] = AlphaGet(int32_t(x), y);
            }
            out = row.data();
        } else if (layout == PngLayout::Bgra) {
            for (uint32_t x = 0; x < GetWidth(); ++x) {
                const RGBQUAD c = BlindGetPixelColor(int32_t(x), y);
                row[4 * x] = c.rgbBlue;
                row[4 * x + 1] = c.rgbGreen;
                row[4 * x + 2] = c.rgbRed;
                row[4 * x + 3] = AlphaGet(int32_t(x), y);
            }
            out = row.data();
        }
        png_write_row(png, out);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

void CxImage::WritePngHeader(void* pngPtr, void* infoPtr, int pngLayout)
{
    auto png = static_cast<png_structp>(pngPtr);
    auto info = static_cast<png_infop>(infoPtr);
    const auto layout = PngLayout(pngLayout);
    const bool palette = layout == PngLayout::Palette;
    const bool grey = layout == PngLayout::Grey;
    const int colorType = palette                          ? PNG_COLOR_TYPE_PALETTE
                          : grey                           ? PNG_COLOR_TYPE_GRAY
                          : layout == PngLayout::GreyAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA
                          : layout == PngLayout::Bgra      ? PNG_COLOR_TYPE_RGB_ALPHA
                                                           : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, GetWidth(), GetHeight(), palette || grey ? int(GetBpp()) : 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, png_uint_32(std::lround(GetXDPI() / 0.0254)),
                 png_uint_32(std::lround(GetYDPI() / 0.0254)), PNG_RESOLUTION_METER);
    if (palette) {
        png_color pal[256];
        for (uint32_t i = 0; i < GetNumColors(); ++i) {
            const RGBQUAD c = GetPaletteColor(uint8_t(i));
            pal[i] = png_color{c.rgbRed, c.rgbGreen, c.rgbBlue};
        }
        png_set_PLTE(png, info, pal, int(GetNumColors()));
        if (GetTransIndex() >= 0) {
            png_byte trans[256];
            std::memset(trans, 255, sizeof trans);
            trans[GetTransIndex()] = 0;
            png_set_tRNS(png, info, trans, GetTransIndex() + 1, nullptr);
        }
    }
    if (grey && GetTransIndex() >= 0) { // the index is the grey level
        png_color_16 level{};
        level.gray = png_uint_16(GetTransIndex());
        png_set_tRNS(png, info, nullptr, 0, &level);
    }
    png_write_info(png, info);
    if (layout == PngLayout::Bgr || layout == PngLayout::Bgra)
        png_set_bgr(png);
}
