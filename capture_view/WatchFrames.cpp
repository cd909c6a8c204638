#include "WatchFrames.h"

#include "capture/CGrabberCallback.h"
#include "image/cximage/CxImage.h"

namespace scriva::watch {

bool ShrinkImage(const CxImage& image, SmallFrame& out)
{
    if (!image.IsValid() || (image.GetBpp() != 24 && image.GetBpp() != 32))
        return false;
    return ShrinkGrey(image.GetBits(0), static_cast<int>(image.GetWidth()),
                      static_cast<int>(image.GetHeight()), static_cast<int>(image.GetEffWidth()),
                      static_cast<int>(image.GetBpp() / 8), true, out);
}

bool ShrinkLiveFrame(const CGrabberCallback& grabber, SmallFrame& out)
{
    const CGrabberCallback::FrameAccess frame(grabber);
    if (frame.image())
        return ShrinkImage(*frame.image(), out);
    if (const JpegFrame::ScaledFrame* scaled = frame.scaled())
        return ShrinkGrey(scaled->bits.data(), scaled->width, scaled->height, scaled->stride, 4,
                          false, out);
    return false;
}

} // namespace scriva::watch
