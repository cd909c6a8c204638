#pragma once
// Turns a camera frame into the finished photo: the page cut out by the camera
// model's geometry, straightened and cropped to the page, turned as set, cut
// to the preset area, given the page look (even light, grey, black and white)
// and the resolution that the frame width implies.
// One pure function over an image and its parameters, shared by the capture
// view, the print path and the command-line tool. Any one thread per image.

#include "PageStraightening.h"

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageLook.h"

#include <QString>

// A user-drawn area of the image view: its rectangle in client coordinates,
// the view's scroll position and zoom when it was drawn.
struct PresetArea
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int scrollX = 0;
    int scrollY = 0;
    double zoom = 0.0; // <= 0: no preset area

    bool IsSet() const { return zoom > 0.0 && (left || top || right || bottom); }
};

struct PhotoParams
{
    int cameraModel = 0;  // 1 to 4; 0: no page geometry, no page cut
    int pageHeightMm = 0; // 0 in either: no page cut
    int pageWidthMm = 0;
    int direction = 0;      // 1 a quarter turn clockwise, 2 counter-clockwise, else none
    bool usePreset = false; // the page size is the preset area
    PresetArea preset;
    int frameWidth = 0; // camera frame width: picks the resolution
    bool fineStraighten = true;
    cxlook::Look look = cxlook::Look::Original; // applied last, to the finished page
};

// Where the page was cut from the frame: top-down pixels, right and bottom
// exclusive; `cut` false when the page was not cut out.
struct PageCut
{
    bool cut = false;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PhotoReport
{
    PageCut page;
    StraightenResult straighten;
    // The page look could not be given (too little memory for a huge frame,
    // a picture it cannot work on): the photo is kept as taken, and lookError
    // says why. Callers tell the user; the photo is never lost for it.
    bool lookFailed = false;
    QString lookError;
};

namespace PhotoProcessor {

constexpr int kDpiAt2592 = 400;
constexpr int kDpiAt1600 = 200;
constexpr int kDpiOtherwise = 300;

// The page cut for a camera model, frame W x H and page size: nothing when
// there is no geometry, a dimension is 0, or the page is not strictly smaller
// than the frame in both directions.
PageCut PageCutFor(int cameraModel, int frameWidth, int frameHeight, int pageHeightMm,
                   int pageWidthMm);

// Dots per inch of a photo from a frame of this width.
int ResolutionForFrameWidth(int frameWidth);

// Runs every step on `image` in place. False with the reason in *error (the
// image is then partly processed). A look that fails is not a failure: the
// page stays as it was before the look and the report says so.
bool Process(CxImage& image, const PhotoParams& params, PhotoReport* report = nullptr,
             QString* error = nullptr);

} // namespace PhotoProcessor
