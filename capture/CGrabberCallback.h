#pragma once
// Receives every frame of the capture pipeline on GStreamer's streaming thread
// and holds the sample itself (without border) for saving. A raw BGR frame is
// kept, rows flipped bottom-up, in the 24-bit frame image with the red page
// frame painted in. A JPEG frame is decoded at the smallest DCT scale that
// covers the size the view shows the picture at, into 32-bit top-down rows
// with the page frame scaled along; a frame that fails to decode is dropped
// and counted, and the picture before it stays. Whoever wants the full frame
// (photos, printing) decodes the held sample at full size.
// The pictures, held sample, page rectangle and shown size are guarded by one
// mutex; the user-interface thread reads them through FrameAccess and the
// accessors.

#include "JpegFrame.h"
#include "PageGeometry.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class CxImage;
typedef struct _GstSample GstSample;
typedef struct _GstCaps GstCaps;
typedef struct _GstBuffer GstBuffer;

class CGrabberCallback
{
public:
    CGrabberCallback();
    ~CGrabberCallback();
    CGrabberCallback(const CGrabberCallback&) = delete;
    CGrabberCallback& operator=(const CGrabberCallback&) = delete;

    // Streaming thread: takes one BGR or JPEG sample. False when it is
    // dropped (caps neither, sizes that do not fit the mapped buffer, a JPEG
    // frame that does not decode, no memory).
    bool BufferCB(GstSample* sample);

    // User-interface thread: the page rectangle for frames of width x height;
    // frames of another size get no border.
    void PublishPageFrame(int frameWidth, int frameHeight, const PageGeometry::Rect& rect);

    // User-interface thread: the size the view shows the whole picture at
    // (0 x 0: unknown, compressed frames are then decoded at full size).
    void PublishShownSize(int width, int height);

    // Full size of the last frame kept; false before the first.
    bool FrameSize(int& width, int& height) const;
    uint64_t FrameCount() const { return m_frameCount.load(std::memory_order_relaxed); }
    // Compressed frames that failed to decode since the last Reset, and why the last one did.
    uint64_t DroppedCount() const { return m_droppedCount.load(std::memory_order_relaxed); }
    QString LastDropReason() const;
    // The last frame kept came compressed.
    bool IsCompressed() const;

    // The last frame at full size with its page frame (what printing takes):
    // a copy of the frame image, or the held JPEG frame decoded. False before
    // the first frame or when it cannot be decoded.
    bool CopyFrameImage(CxImage& image) const;

    // A new reference to the last sample, or null; the caller unrefs it.
    GstSample* HeldSample() const;

    // While a photo is developed from the held frame nothing is painted:
    // frames arriving meanwhile are let go unread, leaving the machine to the
    // photo. Nests; any thread.
    void PauseLive(bool pause) { m_paused.fetch_add(pause ? 1 : -1); }

    // Drops the held sample and the frame image (pipeline stopped).
    void Reset();

    // Locks the frame for reading. image() is the raw frame image, scaled()
    // the decoded compressed frame; at most one is set, neither before the
    // first frame.
    class FrameAccess
    {
    public:
        explicit FrameAccess(const CGrabberCallback& cb)
            : m_lock(cb.m_mutex), m_image(cb.m_image.get()),
              m_scaled(cb.m_scaled.IsValid() ? &cb.m_scaled : nullptr)
        {
        }
        const CxImage* image() const { return m_image; }
        const JpegFrame::ScaledFrame* scaled() const { return m_scaled; }

    private:
        std::unique_lock<std::mutex> m_lock;
        const CxImage* m_image;
        const JpegFrame::ScaledFrame* m_scaled;
    };

private:
    bool RawCB(GstSample* sample, GstCaps* caps, GstBuffer* buffer);
    bool JpegCB(GstSample* sample, GstBuffer* buffer);
    bool StoreRows(const uint8_t* data, int stride, int width, int height, GstSample* sample,
                   GstSample*& released);

    mutable std::mutex m_mutex;
    std::unique_ptr<CxImage> m_image;
    JpegFrame::ScaledFrame m_scaled;   // shown; guarded by the mutex
    JpegFrame::ScaledFrame m_decoding; // streaming thread only: the next one
    GstSample* m_held = nullptr;
    bool m_compressed = false;
    PageGeometry::Rect m_pageRect;
    int m_rectWidth = 0;
    int m_rectHeight = 0;
    int m_shownWidth = 0;
    int m_shownHeight = 0;
    QString m_dropReason;
    std::atomic<uint64_t> m_frameCount{0};
    std::atomic<uint64_t> m_droppedCount{0};
    std::atomic<int> m_paused{0};
};
