#include "FrameBitmap.h"

#include "JpegFrame.h"
#include "image/cximage/CxImage.h"

#include "base/CxSafeFile.h"

#include <QFile>
#include <QtEndian>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <vector>

namespace FrameBitmap {

namespace {

void Put16(uint8_t* p, uint16_t v)
{
    qToLittleEndian<quint16>(v, p);
}

void Put32(uint8_t* p, uint32_t v)
{
    qToLittleEndian<quint32>(v, p);
}

// File header and info header; everything not named stays 0.
void FillHeaders(uint8_t* h, int width, int height, uint32_t pixelBytes)
{
    std::memset(h, 0, kHeaderBytes);
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, pixelBytes + kHeaderBytes);
    Put32(h + 10, kHeaderBytes);
    Put32(h + 14, 40);
    Put32(h + 18, uint32_t(width));
    Put32(h + 22, uint32_t(height)); // positive: bottom-up rows
    Put16(h + 26, 1);
    Put16(h + 28, 24);
}

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool WriteRows(const GstVideoFrame& frame, CxSafeFile& out)
{
    const int w = GST_VIDEO_FRAME_WIDTH(&frame);
    const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const size_t rowBytes = size_t(w) * 3;
    std::vector<char> row((rowBytes + 3) & ~size_t(3), 0);
    for (int y = h - 1; y >= 0; --y) {
        std::memcpy(row.data(), data + size_t(y) * size_t(stride), rowBytes);
        if (!out.Write(row.data(), row.size()))
            return false;
    }
    return true;
}

// Maps a BGR sample whose sizes agree with its data; the caller unmaps it.
bool MapFrame(GstSample* sample, GstVideoFrame& frame, QString* error)
{
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    GstVideoInfo info;
    if (!caps || !buffer)
        return Fail(error, QStringLiteral("no frame has arrived yet"));
    if (!gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGR)
        return Fail(error, QStringLiteral("the frame is not 24-bit BGR"));
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return Fail(error, QStringLiteral("the frame's sizes disagree with its data"));
    const int w = GST_VIDEO_FRAME_WIDTH(&frame);
    const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const guint64 need =
        GST_VIDEO_FRAME_PLANE_OFFSET(&frame, 0) + guint64(stride) * guint64(h - 1) + guint64(w) * 3;
    if (!(w > 0 && h > 0 && stride >= w * 3 && need <= frame.map[0].size)) {
        gst_video_frame_unmap(&frame);
        return Fail(error, QStringLiteral("the frame's sizes disagree with its data"));
    }
    return true;
}

bool IsJpeg(GstSample* sample)
{
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    const GstStructure* s =
        caps && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    return s && gst_structure_has_name(s, "image/jpeg");
}

// A compressed frame decoded at full size.
bool DecodeJpeg(GstSample* sample, CxImage& image, QString* error)
{
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return Fail(error, QStringLiteral("no frame has arrived yet"));
    const bool ok = JpegFrame::DecodeFull(map.data, map.size, image, error);
    gst_buffer_unmap(buffer, &map);
    return ok;
}

bool Failed(const CxSafeFile& out, const QString& path, QString* error)
{
    const std::string why = out.Error().empty() ? std::strerror(EIO) : out.Error();
    return Fail(
        error,
        QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(why.c_str())));
}

// The image's rows are already the file's: bottom-up, padded to four bytes.
bool WriteImage(const CxImage& image, const QString& path, QString* error)
{
    const int w = int(image.GetWidth());
    const int h = int(image.GetHeight());
    const size_t stride = image.GetEffWidth();
    uint8_t header[kHeaderBytes];
    FillHeaders(header, w, h, uint32_t(stride * size_t(h)));
    CxSafeFile out;
    const bool ok = out.Open(QFile::encodeName(path).toStdString()) &&
                    out.Write(header, kHeaderBytes) &&
                    out.Write(image.GetBits(0), stride * size_t(h)) && out.Commit();
    return ok || Failed(out, path, error);
}

} // namespace

bool Write(GstSample* sample, const QString& path, QString* error)
{
    if (IsJpeg(sample)) {
        CxImage image;
        return DecodeJpeg(sample, image, error) && WriteImage(image, path, error);
    }
    GstVideoFrame frame;
    if (!MapFrame(sample, frame, error))
        return false;
    const int w = GST_VIDEO_FRAME_WIDTH(&frame);
    const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
    const uint32_t pixelBytes = uint32_t(((size_t(w) * 3 + 3) & ~size_t(3)) * size_t(h));
    uint8_t header[kHeaderBytes];
    FillHeaders(header, w, h, pixelBytes);
    CxSafeFile out;
    const bool ok = out.Open(QFile::encodeName(path).toStdString()) &&
                    out.Write(header, kHeaderBytes) && WriteRows(frame, out) && out.Commit();
    gst_video_frame_unmap(&frame);
    return ok || Failed(out, path, error);
}

bool ToImage(GstSample* sample, CxImage& image, QString* error)
{
    if (IsJpeg(sample))
        return DecodeJpeg(sample, image, error);
    GstVideoFrame frame;
    if (!MapFrame(sample, frame, error))
        return false;
    const int w = GST_VIDEO_FRAME_WIDTH(&frame);
    const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const bool ok = image.Create(uint32_t(w), uint32_t(h), 24, CXIMAGE_FORMAT_BMP) != nullptr;
    if (ok) {
        // The sample's first row is the picture's top; the image stores rows bottom-up.
        for (int y = 0; y < h; ++y)
            std::memcpy(image.GetBits(uint32_t(h - 1 - y)), data + size_t(y) * size_t(stride),
                        size_t(w) * 3);
    }
    gst_video_frame_unmap(&frame);
    if (!ok)
        return Fail(error, QString::fromUtf8(image.GetLastError()));
    return true;
}

bool WriteKeeping(GstSample* sample, const QString& path, CxImage& image, QString* error)
{
    if (ToImage(sample, image, error) && WriteImage(image, path, error))
        return true;
    image.Destroy();
    return false;
}

} // namespace FrameBitmap
