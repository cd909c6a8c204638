#include "CGrabberCallback.h"

#include "image/cximage/CxImage.h"

#include <algorithm>
#include <cstring>
#include <gst/gst.h>
#include <gst/video/video.h>

namespace {

constexpr int kScaledBytesPerPixel = 4;

// One red band of the scaled picture; x and y in its own pixels, rows counted
// from the bottom line as the page frame counts them, clipped to the picture.
void FillScaledBand(JpegFrame::ScaledFrame& f, int x0, int y0, int x1, int y1)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, f.width);
    y1 = std::min(y1, f.height);
    for (int y = y0; y < y1; ++y) {
        uint8_t* p = f.bits.data() + size_t(f.height - 1 - y) * size_t(f.stride) +
                     size_t(x0) * kScaledBytesPerPixel;
        for (int x = x0; x < x1; ++x, p += kScaledBytesPerPixel) {
            p[0] = 0;
            p[1] = 0;
            p[2] = 255;
        }
    }
}

// The page frame of the full-size frame, scaled to the decoded picture; the
// bands keep their share of the picture, at least one pixel.
void PaintScaledBorder(JpegFrame::ScaledFrame& f, const PageGeometry::Rect& r)
{
    if (r.IsEmpty() || !f.IsValid() || f.frameWidth <= 0 || f.frameHeight <= 0)
        return;
    const auto sx = [&](int x) { return int(int64_t(x) * f.width / f.frameWidth); };
    const auto sy = [&](int y) { return int(int64_t(y) * f.height / f.frameHeight); };
    const int t = std::max(1, PageGeometry::kBorderThickness / f.denominator);
    const int l = sx(r.left);
    const int rt = sx(r.right);
    const int top = sy(r.top);
    const int b = sy(r.bottom);
    FillScaledBand(f, l, top, rt, top + t);
    FillScaledBand(f, l, top, l + t, b);
    FillScaledBand(f, rt - t, top, rt, b);
    FillScaledBand(f, l, b - t, rt, b);
}

bool IsJpeg(GstCaps* caps)
{
    const GstStructure* s = gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    return s && gst_structure_has_name(s, "image/jpeg");
}

} // namespace

CGrabberCallback::CGrabberCallback() = default;

CGrabberCallback::~CGrabberCallback()
{
    Reset();
}

bool CGrabberCallback::BufferCB(GstSample* sample)
{
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    if (!caps || !buffer || m_paused.load() > 0)
        return false;
    return IsJpeg(caps) ? JpegCB(sample, buffer) : RawCB(sample, caps, buffer);
}

bool CGrabberCallback::RawCB(GstSample* sample, GstCaps* caps, GstBuffer* buffer)
{
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGR)
        return false;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return false;
    const int w = GST_VIDEO_FRAME_WIDTH(&frame);
    const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const gsize offset = GST_VIDEO_FRAME_PLANE_OFFSET(&frame, 0);
    const gsize mapped = frame.map[0].size;
    const bool fits = w > 0 && h > 0 && stride >= w * 3 &&
                      offset + guint64(stride) * guint64(h - 1) + guint64(w) * 3 <= mapped;
    // The frame image and the held sample change together under the lock; the
    // sample given up is released after it.
    GstSample* released = nullptr;
    const bool kept = fits && StoreRows(data, stride, w, h, sample, released);
    gst_video_frame_unmap(&frame);
    if (released)
        gst_sample_unref(released);
    if (kept)
        m_frameCount.fetch_add(1, std::memory_order_relaxed);
    return kept;
}

bool CGrabberCallback::JpegCB(GstSample* sample, GstBuffer* buffer)
{
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return false;
    int shownWidth = 0;
    int shownHeight = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        shownWidth = m_shownWidth;
        shownHeight = m_shownHeight;
    }
    int fw = 0;
    int fh = 0;
    const int denominator = JpegFrame::ReadSize(map.data, map.size, fw, fh)
                                ? JpegFrame::ChooseScale(fw, fh, shownWidth, shownHeight)
                                : 1;
    // Decoded outside the lock, so painting never waits for a decode.
    QString why;
    const bool decoded = JpegFrame::DecodeScaled(map.data, map.size, denominator, m_decoding, &why);
    gst_buffer_unmap(buffer, &map);
    if (!decoded) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_dropReason = why;
        }
        m_droppedCount.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    GstSample* released = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(m_scaled, m_decoding); // the old picture's buffer decodes the next frame
        if (m_rectWidth == m_scaled.frameWidth && m_rectHeight == m_scaled.frameHeight)
            PaintScaledBorder(m_scaled, m_pageRect);
        m_image.reset();
        m_compressed = true;
        released = m_held;
        m_held = gst_sample_ref(sample);
    }
    if (released)
        gst_sample_unref(released);
    m_frameCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

bool CGrabberCallback::StoreRows(const uint8_t* data, int stride, int w, int h, GstSample* sample,
                                 GstSample*& released)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_image || int(m_image->GetWidth()) != w || int(m_image->GetHeight()) != h) {
        auto image = std::make_unique<CxImage>();
        if (!image->Create(uint32_t(w), uint32_t(h), 24, CXIMAGE_FORMAT_BMP))
            return false;
        m_image = std::move(image);
    }
    uint8_t* bits = m_image->GetBits(0);
    const size_t dstStride = m_image->GetEffWidth();
    const size_t rowBytes = size_t(w) * 3;
    // The picture's top line arrives first; the image keeps it as its last row.
    for (int y = 0; y < h; ++y)
        std::memcpy(bits + size_t(h - 1 - y) * dstStride, data + size_t(y) * size_t(stride),
                    rowBytes);
    if (m_rectWidth == w && m_rectHeight == h)
        PageGeometry::PaintBorder(bits, int(dstStride), w, h, m_pageRect);
    m_scaled.width = m_scaled.height = 0;
    m_compressed = false;
    released = m_held;
    m_held = gst_sample_ref(sample);
    return true;
}

void CGrabberCallback::PublishPageFrame(int frameWidth, int frameHeight,
                                        const PageGeometry::Rect& rect)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rectWidth = frameWidth;
    m_rectHeight = frameHeight;
    m_pageRect = rect;
}

void CGrabberCallback::PublishShownSize(int width, int height)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shownWidth = std::max(width, 0);
    m_shownHeight = std::max(height, 0);
}

bool CGrabberCallback::FrameSize(int& width, int& height) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_image) {
        width = int(m_image->GetWidth());
        height = int(m_image->GetHeight());
        return true;
    }
    if (m_scaled.IsValid()) {
        width = m_scaled.frameWidth;
        height = m_scaled.frameHeight;
        return true;
    }
    return false;
}

QString CGrabberCallback::LastDropReason() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropReason;
}

bool CGrabberCallback::IsCompressed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_compressed;
}

bool CGrabberCallback::CopyFrameImage(CxImage& image) const
{
    GstSample* sample = nullptr;
    PageGeometry::Rect rect;
    int rectWidth = 0;
    int rectHeight = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_image) {
            image.Copy(*m_image);
            return image.IsValid();
        }
        if (!m_compressed || !m_held)
            return false;
        sample = gst_sample_ref(m_held);
        rect = m_pageRect;
        rectWidth = m_rectWidth;
        rectHeight = m_rectHeight;
    }
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    bool ok = buffer && gst_buffer_map(buffer, &map, GST_MAP_READ);
    if (ok) {
        ok = JpegFrame::DecodeFull(map.data, map.size, image);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    const int w = ok ? int(image.GetWidth()) : 0;
    const int h = ok ? int(image.GetHeight()) : 0;
    if (ok && rectWidth == w && rectHeight == h)
        PageGeometry::PaintBorder(image.GetBits(0), int(image.GetEffWidth()), w, h, rect);
    return ok;
}

GstSample* CGrabberCallback::HeldSample() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_held ? gst_sample_ref(m_held) : nullptr;
}

void CGrabberCallback::Reset()
{
    GstSample* held = nullptr;
    std::unique_ptr<CxImage> image;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(held, m_held);
        image = std::move(m_image);
        m_scaled = JpegFrame::ScaledFrame();
        m_compressed = false;
        m_dropReason.clear();
    }
    m_decoding = JpegFrame::ScaledFrame();
    m_droppedCount = 0;
    if (held)
        gst_sample_unref(held);
}
