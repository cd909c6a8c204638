#pragma once
// The page watcher's small pictures of the camera's frames: the live picture
// the grabber holds (its frame image or its decoded compressed frame), or a
// frame image at full size (the one a photo is made of).

#include "PageWatcher.h"

class CGrabberCallback;
class CxImage;

namespace scriva::watch {

// The last frame the grabber kept, shrunk; false before the first frame.
// Takes the grabber's frame lock for the shrinking only.
bool ShrinkLiveFrame(const CGrabberCallback& grabber, SmallFrame& out);
// A 24- or 32-bit image (rows bottom-up), shrunk; false for other depths.
bool ShrinkImage(const CxImage& image, SmallFrame& out);

} // namespace scriva::watch
