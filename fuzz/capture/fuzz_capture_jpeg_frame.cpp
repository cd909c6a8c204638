// Fuzz target: a camera's compressed frame decoded as the live picture does
// (at every DCT scale) and as a photo does (at full size). A frame that
// decodes has the size its header gives, scaled; one that fails says why.
#include "capture/JpegFrame.h"
#include "image/cximage/CxImage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int width = 0;
    int height = 0;
    const bool sized = JpegFrame::ReadSize(data, size, width, height);
    JpegFrame::ScaledFrame frame;
    for (const int denominator : JpegFrame::kScales) {
        QString error;
        if (JpegFrame::DecodeScaled(data, size, denominator, frame, &error)) {
            if (!sized || frame.width != JpegFrame::ScaledSide(width, denominator) ||
                frame.height != JpegFrame::ScaledSide(height, denominator) ||
                frame.bits.size() != size_t(frame.stride) * size_t(frame.height))
                std::abort();
        } else if (error.isEmpty() || frame.IsValid()) {
            std::abort(); // every failure says why and leaves nothing to show
        }
    }
    CxImage full;
    QString error;
    if (JpegFrame::DecodeFull(data, size, full, &error)) {
        if (int(full.GetWidth()) != width || int(full.GetHeight()) != height)
            std::abort();
    } else if (error.isEmpty() || full.IsValid()) {
        std::abort();
    }
    return 0;
}
