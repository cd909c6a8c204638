#pragma once
// Straightens one page photo the way the program treats every photo it takes:
// the page's turn is found and undone, then the picture is cut to the page.
// Shared by the "straighten" and "demo" commands. Any one thread at a time.

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageDetect.h"

#include <QString>

namespace scriva::cli {

struct StraightenResult
{
    int angle = 0;          // clockwise turn undone, in degrees
    cxdetect::PageBox crop; // page area cut out of the turned picture
};

// Straightens `image` in place (AutoDeskew then AutoCropBorder, phase by phase
// so the turn and the crop can be told). False with the reason in *error; the
// image may then be turned but not cropped.
bool StraightenPage(CxImage& image, StraightenResult& result, QString* error,
                    const CxDebugSink* debug = nullptr);

} // namespace scriva::cli
