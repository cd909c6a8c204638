// JPEG codec of the image object on libjpeg. Library errors longjmp back into the codec,
// which frees the library state and reports the library's message; a file that ends early
// is an error, not a grey-filled picture. A file that lacks only its end marker (an
// interrupted transfer after the last picture data) loads. A picture stored turned or
// mirrored with an EXIF orientation is decoded the way it is meant to be seen.
#include "CxExif.h"
#include "CxImage.h"
#include "CxStream.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kMaxScans = 500;               // progressive files with more are hostile
constexpr long kMaxLibraryMemory = 1L << 30; // coefficient buffers of progressive files

struct ErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {} // warnings are not printed

struct SourceManager;
bool sourceReachedEnd(j_common_ptr cinfo);

// Warnings are ignored, except one after the file has ended: the decoder met the end while
// it still wanted picture data, so the file was cut inside the picture.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && sourceReachedEnd(cinfo)) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        cinfo->err->msg_code = JERR_INPUT_EOF;
        (*cinfo->err->format_message)(cinfo, err->message);
        std::longjmp(err->jump, 1);
    }
}

void setupErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = outputMessage;
    err.pub.emit_message = emitMessage;
    err.message[0] = '\0';
}

// ---- reading from a CxStream
struct SourceManager
{
    jpeg_source_mgr pub;
    CxStream* stream;
    // Set once the rows are being read: the end of the file then stands for the end marker,
    // and the file is complete unless the decoder still wanted picture data.
    bool endMarkerOptional = false;
    bool reachedEnd = false;
    JOCTET buffer[kBufferSize];
};

const JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    const size_t n = src->stream->Read(src->buffer, kBufferSize);
    if (n == 0 && src->endMarkerOptional) {
        src->reachedEnd = true;
        src->pub.next_input_byte = kEndMarker;
        src->pub.bytes_in_buffer = sizeof kEndMarker;
        return TRUE;
    }
    if (n == 0)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

bool sourceReachedEnd(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return false;
    const auto* src =
        reinterpret_cast<SourceManager*>(reinterpret_cast<j_decompress_ptr>(cinfo)->src);
    return src && src->reachedEnd;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    while (count > long(src->pub.bytes_in_buffer)) {
        count -= long(src->pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    if (count > 0) {
        src->pub.next_input_byte += count;
        src->pub.bytes_in_buffer -= size_t(count);
    }
}

void termSource(j_decompress_ptr) {}

void limitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "JPEG: too many scans");
        std::longjmp(err->jump, 1);
    }
}

// ---- writing to a CxStream
struct DestManager
{
    jpeg_destination_mgr pub;
    CxStream* stream;
    JOCTET buffer[kBufferSize];
};

void initDestination(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<DestManager*>(cinfo->dest);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kBufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<DestManager*>(cinfo->dest);
    if (dst->stream->Write(dst->buffer, kBufferSize) != kBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    initDestination(cinfo);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<DestManager*>(cinfo->dest);
    const size_t n = kBufferSize - dst->pub.free_in_buffer;
    if (n && dst->stream->Write(dst->buffer, n) != n)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

int32_t densityToDpi(int unit, int density)
{
    if (density <= 0)
        return 0;
    if (unit == 1)
        return density;
    if (unit == 2)
        return int32_t(std::floor(density * 2.54 + 0.5));
    return 0;
}

// Adobe writes CMYK inverted; turn a row of it into blue, green, red.
void cmykRowToBgr(const uint8_t* src, uint32_t width, uint8_t* dst)
{
    for (uint32_t x = 0; x < width; ++x, src += 4, dst += 3) {
        const uint32_t k = src[3];
        dst[0] = uint8_t(src[2] * k / 255);
        dst[1] = uint8_t(src[1] * k / 255);
        dst[2] = uint8_t(src[0] * k / 255);
    }
}

// The EXIF orientation of the file (1 = as stored); the APP1 segments must have been saved.
int exifOrientation(const jpeg_decompress_struct& cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1)
            continue;
        const int orientation = cxexif::ExifOrientation(m->data, m->data_length);
        if (orientation != 1)
            return orientation; // else another APP1 (XMP) may come before the EXIF one
    }
    return 1;
}

// Turns a picture decoded as stored into the way its orientation says it is seen.
bool turnUpright(CxImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.MirrorHorizontal();
    case 3:
        return image.Rotate180();
    case 4:
        return image.FlipVertical();
    case 5:
        return image.FlipVertical() && image.RotateRight90();
    case 6:
        return image.RotateRight90();
    case 7:
        return image.MirrorHorizontal() && image.RotateRight90();
    case 8:
        return image.RotateLeft90();
    default:
        return true;
    }
}

// Largest DCT reduction (1/8, 1/4, 1/2) that keeps the picture at least min x min.
unsigned scaleDenominator(uint32_t w, uint32_t h, uint32_t minW, uint32_t minH)
{
    if (minW == 0 && minH == 0)
        return 1;
    for (unsigned d : {8u, 4u, 2u})
        if ((w + d - 1) / d >= minW && (h + d - 1) / d >= minH)
            return d;
    return 1;
}

} // namespace

bool CxImage::DecodeJpeg(CxStream& s)
{
    uint8_t magic[3] = {};
    const int64_t start = s.Tell();
    if (s.Read(magic, 3) != 3 || magic[0] != 0xFF || magic[1] != 0xD8 || magic[2] != 0xFF ||
        !s.Seek(start, SEEK_SET)) {
        SetLastError("Not a JPEG file");
        return false;
    }
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::vector<uint8_t> rowBuffer;
    auto src = std::make_unique<SourceManager>();
    setupErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        Destroy();
        SetLastError(err.message);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInputBuffer;
    src->pub.skip_input_data = skipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->stream = &s;
    cinfo.src = &src->pub;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    const int orientation = exifOrientation(cinfo);
    if (!ReadJpegPixels(&cinfo, rowBuffer, &src->endMarkerOptional)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (!turnUpright(*this, orientation)) {
        Destroy();
        SetLastError("Image Memory exceeded");
        return false;
    }
    return true;
}

// Checks the size, allocates the picture and reads every row (bottom-up storage).
bool CxImage::ReadJpegPixels(void* decompressor, std::vector<uint8_t>& rowBuffer,
                             bool* endMarkerOptional)
{
    auto& cinfo = *static_cast<jpeg_decompress_struct*>(decompressor);
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE || cinfo.num_components == 1;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
    // The size hint is for the picture as seen: swapped for one stored a quarter turned.
    const bool swapHint = cxexif::OrientationSwapsSides(exifOrientation(cinfo));
    cinfo.scale_num = 1;
    cinfo.scale_denom = scaleDenominator(cinfo.image_width, cinfo.image_height,
                                         swapHint ? m_info.decodeMinHeight : m_info.decodeMinWidth,
                                         swapHint ? m_info.decodeMinWidth : m_info.decodeMinHeight);
    jpeg_calc_output_dimensions(&cinfo);
    if (!CheckDimensions(cinfo.output_width, cinfo.output_height, grey ? 8 : 24))
        return false;
    jpeg_start_decompress(&cinfo);
    *endMarkerOptional = true;
    if (!Create(cinfo.output_width, cinfo.output_height, grey ? 8 : 24, CXIMAGE_FORMAT_JPG))
        return false;
    if (grey)
        SetGrayPalette();
    SetXDPI(densityToDpi(cinfo.density_unit, cinfo.X_density));
    SetYDPI(densityToDpi(cinfo.density_unit, cinfo.Y_density));
    if (cmyk)
        rowBuffer.resize(size_t(cinfo.output_width) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* dst = GetBits(GetHeight() - 1 - cinfo.output_scanline);
        JSAMPROW row = cmyk ? rowBuffer.data() : dst;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk)
            cmykRowToBgr(rowBuffer.data(), GetWidth(), dst);
    }
    return true;
}

bool CxImage::EncodeJpeg(CxStream& s)
{
    if (!CanEncode(CXIMAGE_FORMAT_JPG))
        return false;
    const bool grey = GetBpp() != 24;
    jpeg_compress_struct cinfo;
    ErrorManager err;
    std::vector<uint8_t> rowBuffer(grey ? GetWidth() : 0);
    auto dst = std::make_unique<DestManager>();
    setupErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        SetLastError(err.message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dst->pub.init_destination = initDestination;
    dst->pub.empty_output_buffer = emptyOutputBuffer;
    dst->pub.term_destination = termDestination;
    dst->stream = &s;
    cinfo.dest = &dst->pub;
    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, int(std::lround(m_info.fQuality)), TRUE);
    if (!grey) {
        cinfo.comp_info[0].h_samp_factor = 2;
        cinfo.comp_info[0].v_samp_factor = 2;
        for (int c = 1; c < 3; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.optimize_coding = FALSE;
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = uint16_t(std::clamp(GetXDPI(), 1, 65535));
    cinfo.Y_density = uint16_t(std::clamp(GetYDPI(), 1, 65535));
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t y = GetHeight() - 1 - cinfo.next_scanline;
        JSAMPROW row = GetBits(y);
        if (grey) {
            const RGBQUAD* pal = GetPalette();
            for (uint32_t x = 0; x < GetWidth(); ++x)
                rowBuffer[x] = pal[BlindGetPixelIndex(int32_t(x), int32_t(y))].rgbRed;
            row = rowBuffer.data();
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
