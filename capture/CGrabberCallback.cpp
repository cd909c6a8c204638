#include "CGrabberCallback.h"

#include "image/cximage/CxImage.h"

#include <cstring>
#include <gst/gst.h>
#include <gst/video/video.h>

CGrabberCallback::CGrabberCallback() = default;

CGrabberCallback::~CGrabberCallback()
{
    Reset();
}

bool CGrabberCallback::BufferCB(GstSample* sample)
{
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    GstVideoInfo info;
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) ||
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

bool CGrabberCallback::FrameSize(int& width, int& height) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_image)
        return false;
    width = int(m_image->GetWidth());
    height = int(m_image->GetHeight());
    return true;
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
    }
    if (held)
        gst_sample_unref(held);
}
