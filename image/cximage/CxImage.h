#pragma once
// CxImage: the one in-memory image of the program. It owns a packed device-independent
// bitmap (40-byte header, BGR0 palette, bottom-up rows padded to 4 bytes) at 1, 4, 8 or
// 24 bits per pixel, an optional selection mask and alpha plane, and reads and writes BMP,
// JPEG, PNG and TIFF. Not locked: one thread at a time per object; only the progress value
// and the escape flag may be read/written from another thread (they are atomic).
// Failures return false/null and leave a fixed English text in GetLastError().

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CxStream;

// ---------------------------------------------------------------------------------------
// Plain platform-free types shared with the pixel operations and the drawing layer.
// ---------------------------------------------------------------------------------------

// One palette entry / one pixel colour, stored blue, green, red, reserved (alpha when read
// through GetPixelColor with alpha).
struct RGBQUAD
{
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4, "palette entries are 4 bytes");

// A colour as 0x00BBGGRR (red in the low byte).
using COLORREF = uint32_t;
constexpr COLORREF CxRGB(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t CxGetR(COLORREF c)
{
    return uint8_t(c & 0xFF);
}
constexpr uint8_t CxGetG(COLORREF c)
{
    return uint8_t((c >> 8) & 0xFF);
}
constexpr uint8_t CxGetB(COLORREF c)
{
    return uint8_t((c >> 16) & 0xFF);
}

struct CxPoint
{
    int32_t x = 0;
    int32_t y = 0;
};

// left/top/right/bottom; which way y runs is said where a rectangle is used.
struct CxRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The 40-byte header at the start of the pixel block, little-endian as in BMP files.
#pragma pack(push, 2)
struct CxBitmapInfoHeader
{
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: rows stored bottom-up
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0; // always uncompressed in memory
    uint32_t biSizeImage = 0;   // stride x height
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0; // palette entries: 2, 16, 256 or 0
    uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(CxBitmapInfoHeader) == 40, "the DIB header is 40 bytes");

// File format ids, shared with photo saving, the document and the file-type table.
enum CxImageFormat : uint32_t {
    CXIMAGE_FORMAT_UNKNOWN = 0, // on load: try BMP, JPEG, PNG, TIFF in this order
    CXIMAGE_FORMAT_BMP = 1,
    CXIMAGE_FORMAT_JPG = 3,
    CXIMAGE_FORMAT_PNG = 4,
    CXIMAGE_FORMAT_TIF = 6,
};

// Interpolation of RotateFree / ResampleTo (the program uses bilinear only).
enum CxInterpolation : int32_t {
    IM_NEAREST_NEIGHBOUR = 1,
    IM_BILINEAR = 2,
};

// What a back-mapped position outside the source gives (RotateFree / ResampleTo).
enum CxOverflow : int32_t {
    OM_COLOR = 1,      // the replacement colour
    OM_BACKGROUND = 2, // replacement colour if given, else the background (transparent) colour
    OM_TRANSPARENT = 3,
    OM_WRAP = 4,
    OM_REPEAT = 5, // nearest edge pixel
    OM_MIRROR = 6,
};

// Progress (0-100) and cancel flag of long operations. A worker may share one of these with
// an image (SetProgressSink) and read/write it from any thread while the operation runs.
struct CxProgress
{
    std::atomic<int32_t> progress{0};
    std::atomic<int32_t> escape{0}; // non-zero: stop at the next row, keep the partial result
};

// Receives intermediate images of the page detectors (for tests and the command line).
using CxDebugSink = std::function<void(const char* stage, const class CxImage& image)>;

class CxImage
{
public:
    // Limit on width x height x bits per pixel of any image (about 256 MB of pixels).
    static constexpr uint64_t kMaxBits = 0x80000008ull;
    static constexpr int32_t kDefaultDpi = 200;
    static constexpr size_t kErrorSize = 256;

    // ===== Construction, copy, life time (CxImage.cpp) =====================================
    explicit CxImage(uint32_t imagetype = CXIMAGE_FORMAT_UNKNOWN);
    CxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype = 0);
    CxImage(const CxImage& src, bool copypixels = true, bool copyselection = true,
            bool copyalpha = true);
    // Loads the file (path in the file system's encoding); check IsValid() afterwards.
    CxImage(const std::string& path, uint32_t imagetype);
    CxImage& operator=(const CxImage& src); // Copy with everything; self-assignment no-op
    ~CxImage();

    // Frees any previous content, maps bpp to 1/4/8/24 and allocates a zero-filled block
    // with a zeroed palette. Returns the block, or null with the last error set.
    void* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype = 0);
    bool Destroy(); // frees pixel block, selection and alpha; always true
    // Deep copy of header and info plus the chosen buffers (no pixels: allocated, zeroed).
    // When memory runs out the object is left invalid with the last error set.
    void Copy(const CxImage& src, bool copypixels = true, bool copyselection = true,
              bool copyalpha = true);
    // Header, palette, dpi, transparency and options of src without pixels; then Create.
    bool CopyInfo(const CxImage& src);
    // Takes over the buffers of from; from is left invalid.
    bool Transfer(CxImage& from, bool bTransferFrames = true);

    // ===== Attributes (CxImage.cpp) ========================================================
    bool IsValid() const { return m_pDib != nullptr; }
    bool IsEnabled() const { return m_info.bEnabled; }
    void Enable(bool enable = true) { m_info.bEnabled = enable; }
    uint32_t GetWidth() const { return uint32_t(m_head.biWidth); }
    uint32_t GetHeight() const { return uint32_t(m_head.biHeight); }
    uint32_t GetBpp() const { return m_head.biBitCount; }
    uint32_t GetEffWidth() const { return m_info.dwEffWidth; } // row stride in bytes
    uint32_t GetType() const { return m_info.dwType; }
    void SetType(uint32_t imagetype) { m_info.dwType = imagetype; }
    uint64_t GetSize() const; // header + palette + pixels, 0 when invalid
    const CxBitmapInfoHeader& GetHeader() const { return m_head; }
    uint8_t* GetDIB() const { return m_pDib; } // the whole packed block
    // Row `row` of the pixel area, 0 = first stored (bottom) row; no argument = row 0;
    // null when invalid or row >= height.
    uint8_t* GetBits(uint32_t row = 0) const;
    bool IsInside(int32_t x, int32_t y) const;

    int32_t GetXDPI() const { return m_info.xDPI; }
    int32_t GetYDPI() const { return m_info.yDPI; }
    // <= 0 sets 200, more than 1000000 sets 1000000; also sets the header's pixels per metre.
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);

    float GetJpegQuality() const { return m_info.fQuality; }
    void SetJpegQuality(float q);
    uint32_t GetCodecOption(uint32_t imagetype = 0) const;
    void SetCodecOption(uint32_t opt, uint32_t imagetype = 0);
    // JPEG only: decode with DCT scaling by 1/2, 1/4 or 1/8 as long as the result stays at
    // least minWidth x minHeight (thumbnails). 0 x 0 (default) decodes at full size.
    void SetDecodeSizeHint(uint32_t minWidth, uint32_t minHeight);

    const char* GetLastError() const { return m_info.szLastError; }
    void SetLastError(const char* text); // truncated to 255 characters

    // Progress and escape: own atomics, or the shared sink when one is set (not owned).
    void SetProgress(int32_t value);
    int32_t GetProgress() const;
    void SetEscape(int32_t value);
    int32_t GetEscape() const;
    void SetProgressSink(CxProgress* sink) { m_progressSink = sink; }
    CxProgress* GetProgressSink() const { return m_progressSink; }
    void SetDebugSink(CxDebugSink sink) { m_debugSink = std::move(sink); }

    // File name extensions, from their one home (base/ImageExtensions.h).
    // Format id from an extension without dot, by its first three characters in
    // any case: bmp; jpg, jpe, jfi; png; tif. 0 for any other and for null.
    static uint32_t FormatFromExtension(const char* ext);
    // Format id of a file name (UTF-8) by the extension it ends with, in any case
    // and with or without a dot: only bmp, jpg, jpeg, png, tif and tiff count,
    // whole (the names that file lists and dialogs go by). 0 for any other.
    static uint32_t FormatFromNameEnd(const char* name);
    // Slot 0..4 of the per-format option words for a format id (unknown ids: 0).
    static uint32_t GetTypeIndexFromId(uint32_t id);

    // ===== Palette and pixels (CxImagePixel.cpp) ================================================
    uint32_t GetNumColors() const { return m_head.biClrUsed; } // palette entries (0 for 24 bpp)
    uint32_t GetPaletteSize() const { return m_head.biClrUsed * 4; } // palette bytes
    RGBQUAD* GetPalette() const;                                     // null for 24 bpp
    RGBQUAD GetPaletteColor(uint8_t idx) const;
    bool GetPaletteColor(uint8_t idx, uint8_t* r, uint8_t* g, uint8_t* b) const;
    void SetPaletteColor(uint8_t idx, RGBQUAD c); // reserved byte cleared
    void SetPaletteColor(uint8_t idx, COLORREF c);
    void SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b);
    void SetPalette(const RGBQUAD* pal, uint32_t entries); // copies up to GetNumColors()
    void SetGrayPalette();    // entry i = (i, i, i) scaled to the palette size
    bool IsGrayScale() const; // palette image whose entries all have r = g = b
    bool IsGreyRamp() const;  // 2+ palette entries running evenly from black to white
    uint8_t GetNearestIndex(RGBQUAD c) const; // closest palette entry (0 for 24 bpp)
    static RGBQUAD RGBtoRGBQUAD(COLORREF c);
    static COLORREF RGBQUADtoRGB(RGBQUAD c);

    // Coordinates: x from the left, y from the bottom row (storage order). Outside the
    // image the getters return index 0 / the background colour and setters do nothing.
    uint8_t GetPixelIndex(int32_t x, int32_t y) const;
    void SetPixelIndex(int32_t x, int32_t y, uint8_t i);
    RGBQUAD GetPixelColor(int32_t x, int32_t y, bool bGetAlpha = true) const;
    void SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha = false);
    void SetPixelColor(int32_t x, int32_t y, COLORREF c); // palette: nearest entry
    // Unchecked reads for inner loops (caller keeps x, y inside).
    uint8_t BlindGetPixelIndex(int32_t x, int32_t y) const;
    RGBQUAD BlindGetPixelColor(int32_t x, int32_t y) const;

    // Transparent (background) palette index, -1 = none, and transparent colour.
    int32_t GetTransIndex() const { return m_info.nBkgndIndex; }
    void SetTransIndex(int32_t idx);
    RGBQUAD GetTransColor() const; // palette images with an index: that entry
    void SetTransColor(RGBQUAD rgb);
    bool IsTransparent() const;

    // ===== Alpha plane (CxImagePixel.cpp) =======================================================
    bool AlphaCreate(); // 255 everywhere
    void AlphaDelete();
    bool AlphaIsValid() const { return m_pAlpha != nullptr; }
    void AlphaClear(); // 0 everywhere
    void AlphaSet(uint8_t level);
    void AlphaSet(int32_t x, int32_t y, uint8_t level);
    uint8_t AlphaGet(int32_t x, int32_t y) const; // 255 when there is no plane
    uint8_t* AlphaGetPointer(int32_t x = 0, int32_t y = 0) const;
    uint8_t AlphaGetMax() const { return m_info.nAlphaMax; }
    // Blends the alpha plane onto the transparent colour and drops alpha and transparency.
    bool FlattenAlpha();
    // Lays the picture on a ground of that colour, as on paper: a transparent palette
    // entry takes the colour and the alpha plane is blended onto it. No transparency
    // is left afterwards; false only when memory runs out.
    bool FlattenOn(RGBQUAD ground);

    // ===== Files and streams (CxImageIO.cpp + CxImageBmp/Jpeg/Png/Tiff.cpp) ==================
    // Paths are in the file system's encoding (QFile::encodeName on the Qt side).
    bool Load(const std::string& path, uint32_t imagetype = 0);
    // Writes through a temporary file beside path and renames it over path on success:
    // an existing file survives any failure.
    bool Save(const std::string& path, uint32_t imagetype);
    bool Decode(CxStream* stream, uint32_t imagetype);
    bool Decode(const uint8_t* buffer, size_t size, uint32_t imagetype);
    bool Encode(CxStream* stream, uint32_t imagetype);
    bool Encode(std::vector<uint8_t>& buffer, uint32_t imagetype); // buffer replaced

    // ===== Selection (CxImageSelection.cpp) ================================================
    // Mask of width x height bytes, bottom-up like the pixels, 0 = not selected.
    bool SelectionIsValid() const { return m_pSelection != nullptr; }
    uint8_t* SelectionGetPointer(int32_t x = 0, int32_t y = 0) const;
    bool SelectionCreate();                 // all 0, box empty
    bool ClearSelection(uint8_t level = 0); // creates or resets the mask to level
    // Fills the polygon (bottom-up coordinates, at least 3 points) and widens the box.
    bool AddPolygonToSelection(const CxPoint* points, int32_t npoints, uint8_t level = 255);
    bool GetSelectionBox(CxRect& r) const; // y counted from the bottom row
    bool IsSelected(int32_t x, int32_t y) const;
    bool DeleteSelection(); // frees the mask, box = whole image

    // ===== Pixel operations (CxImageTransform/Tone/Resample.cpp) ===========================
    bool ToGray();
    bool FlipVertical(bool bFlipSelection = false, bool bFlipAlpha = true);
    bool MirrorHorizontal(bool bMirrorSelection = false, bool bMirrorAlpha = true);
    bool RotateLeft90(CxImage* iDst = nullptr);
    bool RotateRight90(CxImage* iDst = nullptr);
    bool Rotate180(CxImage* iDst = nullptr);
    bool Invert();
    // angle in degrees, positive turns clockwise.
    bool RotateFree(float angle, CxImage* iDst = nullptr, CxInterpolation inMethod = IM_BILINEAR,
                    CxOverflow ofMethod = OM_BACKGROUND, const RGBQUAD* replColor = nullptr,
                    bool optimizeRightAngles = true, bool bKeepOriginalSize = false);
    bool ResampleTo(int32_t newx, int32_t newy, CxInterpolation inMethod = IM_BILINEAR,
                    CxOverflow ofMethod = OM_REPEAT, CxImage* iDst = nullptr,
                    bool disableAveraging = false);
    bool QIShrink(int32_t newx, int32_t newy, CxImage* iDst = nullptr, bool bChangeBpp = false);
    // Top-down pixel coordinates; right and bottom exclusive.
    bool Crop(int32_t left, int32_t top, int32_t right, int32_t bottom, CxImage* iDst = nullptr);
    bool Crop(const CxRect& rect, CxImage* iDst = nullptr);
    bool AdjustLight(int32_t brightness, int32_t contrast = 0);
    bool Saturate(int32_t saturation, int32_t colorspace = 1); // colour space 1 HSL, 2 YUV
    bool AdaptiveThreshold(int32_t method = 0, int32_t nBoxSize = 64,
                           CxImage* pContrastMask = nullptr, int32_t nBias = 0,
                           float fGlobalLocalBalance = 0.5f);

    // ===== Page detectors (CxImageDeskew.cpp, CxImageBorders.cpp, CxImageFineSkew.cpp) ======
    // Finds the skew of the page and rotates the image straight: to a few hundredths of a
    // degree by the page's edges and lines of text, or (fine false) on the one-degree grid
    // of the page edges' Hough transform alone.
    bool AutoDeskew(bool fine = true);
    // Crops to the page: the one under the picture's centre, found by the edges around it,
    // or (fine false) the one found by counting light rows and columns.
    bool AutoCropBorder(bool fine = true);
    // Threshold of a 256-bin histogram shared by both detectors.
    static int32_t HistogramThreshold(const uint32_t histogram[256]);

protected:
    struct CxImageInfo
    {
        uint32_t dwEffWidth = 0;   // row stride
        uint8_t* pImage = nullptr; // first pixel row inside the block
        uint32_t dwType = 0;
        char szLastError[kErrorSize] = {};
        int32_t nBkgndIndex = -1; // transparent palette index, -1 = none
        RGBQUAD nBkgndColor{};    // transparent colour (reserved byte 0 = unused)
        float fQuality = 90.0f;
        int32_t xDPI = kDefaultDpi;
        int32_t yDPI = kDefaultDpi;
        CxRect rSelectionBox{}; // y from the bottom row
        uint8_t nAlphaMax = 255;
        bool bEnabled = true;
        bool bLittleEndianHost = true;
        uint32_t dwCodecOpt[5] = {};
        uint16_t tiffCompression = 0; // of the TIFF file the picture was read from (0 = none)
        uint32_t decodeMinWidth = 0;  // DCT scaling hint for JPEG thumbnails
        uint32_t decodeMinHeight = 0;
    };

    // ----- codecs (each in its own CxImage<Format>.cpp); decode into *this, which the
    // caller has cleared; encode the valid *this. On failure the last error is set.
    bool DecodeBmp(CxStream& s);
    bool DecodeJpeg(CxStream& s);
    bool DecodePng(CxStream& s);
    bool DecodeTiff(CxStream& s);
    bool EncodeBmp(CxStream& s);
    bool EncodeJpeg(CxStream& s);
    bool EncodePng(CxStream& s);
    bool EncodeTiff(CxStream& s);
    bool DecodeKnown(CxStream& s, uint32_t imagetype);
    bool ReadBmpPixels(CxStream& s, const void* header, int64_t available);
    bool ReadJpegPixels(void* decompressor, std::vector<uint8_t>& rowBuffer,
                        bool* endMarkerOptional);
    bool ReadPngPixels(void* png, void* info, std::vector<uint8_t>& wire,
                       std::vector<uint8_t*>& rows);
    void SetPngPalette(void* png, void* info, bool fromFile);
    void SplitPngAlpha(const std::vector<uint8_t>& wire, size_t channels);
    void ApplyPngTransparency(void* png, void* info, bool palette);
    void WritePngHeader(void* png, void* info, int layout); // layout: the codec's own enum
    void SetTiffReadError(const char* detail);
    void SetTiffPalette(void* tiff, const void* layout);
    bool ReadTiffRows(void* tiff, const void* layout);
    bool ReadTiffRgba(void* tiff, bool withAlpha);
    bool WriteTiffPage(void* tiff);
    uint16_t TiffSaveCompression() const;
    bool EncodeKnown(CxStream& s, uint32_t imagetype);
    bool TakeDecoded(CxImage& decoded);
    bool CanEncode(uint32_t imagetype); // refuses what the encoder would refuse
    // Checks a size read from a file before anything is allocated (sets the last error).
    bool CheckDimensions(uint64_t width, uint64_t height, uint32_t bpp);
    void RecomputeLayout(); // stride, pImage, biSizeImage from the header
    void ClearBuffers();

    uint8_t* m_pDib = nullptr; // header + palette + rows, one calloc'ed block
    CxBitmapInfoHeader m_head{};
    CxImageInfo m_info;
    uint8_t* m_pSelection = nullptr;
    uint8_t* m_pAlpha = nullptr;
    CxProgress m_progress;
    CxProgress* m_progressSink = nullptr;
    CxDebugSink m_debugSink;

    // ===== Private helpers of the pixel operations and detectors go below this line =====
    // (owned by CxImageTransform/Tone/Resample/Selection/Deskew/Borders.cpp)
    // Quarter or half turn (0 right, 1 left, 2 half) into iDst or in place.
    bool TurnImage(int turnKind, CxImage* iDst);
    bool AutoDeskewCoarse();     // the one-degree skew finder alone
    bool AutoCropBorderCoarse(); // the light-count page finder
    // This 8-bit grey image becomes 1-bit: white where it is above `levels`.
    bool Binarise(const CxImage& levels);
};
