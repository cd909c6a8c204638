#include "JpegFrame.h"

#include "image/cximage/CxImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace JpegFrame {

namespace {

// No camera sends more; a header claiming more is damaged or hostile.
constexpr long long kMaxPixels = 120LL * 1000 * 1000;
constexpr int kMaxScans = 100;               // camera frames have one; many scans are hostile
constexpr long kMaxLibraryMemory = 1L << 28; // coefficient buffers of progressive data
constexpr int kRowBatch = 16;                // rows handed to the library per call
constexpr int kBytesPerPixel = 4;

struct Errors
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void Abort(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<Errors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Any warning about the data (corrupt entropy data, a frame cut short, a
// marker where data belongs) means parts of the picture would be grey or
// garbled: the frame fails whole. Stray bytes before a marker harm nothing.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA)
        Abort(cinfo);
}

void LimitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && d->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_NOT_COMPILED);
}

// Where decoded rows go: the caller prepares the buffers between the header
// and the pixels (no C++ object lives in the frame the library jumps out of).
struct Target
{
    int denominator = 1;
    bool preview = false; // fast upsampling and DCT, 32-bit rows
    // Called once the output size is known; returns false to refuse it.
    bool (*prepare)(void* self, int width, int height, int frameWidth, int frameHeight) = nullptr;
    // Start of output row y (top-down).
    unsigned char* (*row)(void* self, int y) = nullptr;
    void* self = nullptr;
};

bool Decode(const uint8_t* data, size_t size, Target& target, char* message, size_t messageSize)
{
    jpeg_decompress_struct cinfo;
    Errors err;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = Abort;
    err.pub.emit_message = OnMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::snprintf(message, messageSize, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    progress.progress_monitor = LimitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        static_cast<long long>(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        std::snprintf(message, messageSize, "the frame claims %ux%u pixels", cinfo.image_width,
                      cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(target.denominator);
    cinfo.out_color_space = target.preview ? JCS_EXT_BGRA : JCS_EXT_BGR;
    if (target.preview) {
        // The picture is sampled again to the screen: the cheaper paths
        // cannot be told apart there.
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    if (!target.prepare(target.self, w, h, static_cast<int>(cinfo.image_width),
                        static_cast<int>(cinfo.image_height))) {
        std::snprintf(message, messageSize, "no memory for a %dx%d picture", w, h);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPROW rows[kRowBatch];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = static_cast<int>(cinfo.output_scanline);
        const int count = std::min(kRowBatch, h - first);
        for (int i = 0; i < count; ++i)
            rows[i] = target.row(target.self, first + i);
        jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool PrepareScaled(void* self, int w, int h, int fw, int fh)
{
    auto& out = *static_cast<ScaledFrame*>(self);
    out.width = w;
    out.height = h;
    out.stride = w * kBytesPerPixel;
    out.frameWidth = fw;
    out.frameHeight = fh;
    const size_t bytes = size_t(out.stride) * size_t(h);
    if (out.bits.size() != bytes)
        out.bits.resize(bytes); // the same size frame after frame: allocated once
    return true;
}

unsigned char* ScaledRow(void* self, int y)
{
    auto& out = *static_cast<ScaledFrame*>(self);
    return out.bits.data() + size_t(y) * size_t(out.stride);
}

bool PrepareFull(void* self, int w, int h, int, int)
{
    return static_cast<CxImage*>(self)->Create(uint32_t(w), uint32_t(h), 24, CXIMAGE_FORMAT_BMP) !=
           nullptr;
}

unsigned char* FullRow(void* self, int y)
{
    auto* image = static_cast<CxImage*>(self);
    // The picture's top line is the image's last stored row.
    return image->GetBits(image->GetHeight() - 1 - uint32_t(y));
}

QString Reason(const char* message)
{
    return QStringLiteral("the frame is damaged: %1").arg(QString::fromLocal8Bit(message));
}

} // namespace

int ScaledSide(int side, int denominator)
{
    return denominator > 0 ? (side + denominator - 1) / denominator : side;
}

int ChooseScale(int fw, int fh, int sw, int sh)
{
    if (fw <= 0 || fh <= 0 || sw <= 0 || sh <= 0)
        return 1;
    for (const int d : kScales) {
        if (ScaledSide(fw, d) >= sw && ScaledSide(fh, d) >= sh)
            return d;
    }
    return 1;
}

bool ReadSize(const uint8_t* data, size_t size, int& width, int& height)
{
    if (!data || size == 0)
        return false;
    jpeg_decompress_struct cinfo;
    Errors err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = Abort;
    err.pub.emit_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    width = static_cast<int>(cinfo.image_width);
    height = static_cast<int>(cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return width > 0 && height > 0;
}

bool DecodeScaled(const uint8_t* data, size_t size, int denominator, ScaledFrame& out,
                  QString* error)
{
    out.width = out.height = 0;
    if (std::find(std::begin(kScales), std::end(kScales), denominator) == std::end(kScales))
        denominator = 1;
    out.denominator = denominator;
    char message[JMSG_LENGTH_MAX] = {};
    Target target;
    target.denominator = denominator;
    target.preview = true;
    target.prepare = &PrepareScaled;
    target.row = &ScaledRow;
    target.self = &out;
    if (!data || size == 0 || !Decode(data, size, target, message, sizeof message)) {
        out.width = out.height = 0;
        if (error)
            *error = Reason(data && size ? message : "no data");
        return false;
    }
    return true;
}

bool DecodeFull(const uint8_t* data, size_t size, CxImage& image, QString* error)
{
    char message[JMSG_LENGTH_MAX] = {};
    Target target;
    target.prepare = &PrepareFull;
    target.row = &FullRow;
    target.self = &image;
    if (!data || size == 0 || !Decode(data, size, target, message, sizeof message)) {
        image.Destroy();
        if (error)
            *error = Reason(data && size ? message : "no data");
        return false;
    }
    return true;
}

} // namespace JpegFrame
