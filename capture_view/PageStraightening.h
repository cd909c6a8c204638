#pragma once
// Straightens one page photo the way the program treats every photo it takes:
// the page's turn is found and undone, then the picture is cut to the page.
// Any one thread at a time per image.

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageDetect.h"

#include <QString>

class CConfigFile;

struct StraightenResult
{
    double angle = 0;       // clockwise turn undone (the page's counter-clockwise turn), degrees
    double confidence = 0;  // 0 (the one-degree answer, unconfirmed) ... 1
    cxdetect::PageBox crop; // page area cut out of the turned picture
};

// Straightens `image` in place (the turn found and undone, then the cut to the
// page), phase by phase so the turn and the crop can be told. `fine` false
// keeps the one-degree skew finder and the light-count page finder alone.
// False with the reason in *error; the image may then be turned but not cropped.
bool StraightenPage(CxImage& image, StraightenResult& result, QString* error, bool fine = true,
                    const CxDebugSink* debug = nullptr);

// The photo setting TAKE_PHOTOS_SET/fineStraighten: true (the default, also when
// the key is missing) refines the turn and finds the centre page; 0 keeps the
// one-degree straightening.
bool FineStraightenSetting(const CConfigFile& config);
