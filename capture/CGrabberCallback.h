#pragma once
// Receives every frame of the capture pipeline on GStreamer's streaming thread:
// keeps it, rows flipped bottom-up, in the 24-bit frame image with the red page
// frame painted in, and holds the sample itself (without border) for saving.
// The frame image, held sample and page rectangle are guarded by one mutex;
// the user-interface thread reads them through FrameAccess and the accessors.

#include "PageGeometry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class CxImage;
typedef struct _GstSample GstSample;

class CGrabberCallback
{
public:
    CGrabberCallback();
    ~CGrabberCallback();
    CGrabberCallback(const CGrabberCallback&) = delete;
    CGrabberCallback& operator=(const CGrabberCallback&) = delete;

    // Streaming thread: takes one BGR sample. False when it is dropped (caps
    // not BGR, sizes that do not fit the mapped buffer, no memory).
    bool BufferCB(GstSample* sample);

    // User-interface thread: the page rectangle for frames of width x height;
    // frames of another size get no border.
    void PublishPageFrame(int frameWidth, int frameHeight, const PageGeometry::Rect& rect);

    // Size of the last frame kept; false before the first.
    bool FrameSize(int& width, int& height) const;
    uint64_t FrameCount() const { return m_frameCount.load(std::memory_order_relaxed); }

    // A new reference to the last sample, or null; the caller unrefs it.
    GstSample* HeldSample() const;

    // Drops the held sample and the frame image (pipeline stopped).
    void Reset();

    // Locks the frame for reading; image() is null before the first frame.
    class FrameAccess
    {
    public:
        explicit FrameAccess(const CGrabberCallback& cb)
            : m_lock(cb.m_mutex), m_image(cb.m_image.get())
        {
        }
        const CxImage* image() const { return m_image; }

    private:
        std::unique_lock<std::mutex> m_lock;
        const CxImage* m_image;
    };

private:
    bool StoreRows(const uint8_t* data, int stride, int width, int height, GstSample* sample,
                   GstSample*& released);

    mutable std::mutex m_mutex;
    std::unique_ptr<CxImage> m_image;
    GstSample* m_held = nullptr;
    PageGeometry::Rect m_pageRect;
    int m_rectWidth = 0;
    int m_rectHeight = 0;
    std::atomic<uint64_t> m_frameCount{0};
};
