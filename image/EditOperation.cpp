#include "EditOperation.h"

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageLook.h"

#include <algorithm>
#include <new>

namespace scriva::image {

namespace {

constexpr int32_t kLightStep = 10;       // brightness and contrast per command
constexpr int32_t kMoreSaturation = 25;  // in hue/saturation/lightness
constexpr int32_t kLessSaturation = -20; // in Y/U/V
constexpr int32_t kHslSpace = 1;
constexpr int32_t kYuvSpace = 2;
constexpr int32_t kThresholdBox = 64;     // pixels per side of the local window
constexpr float kThresholdBalance = 0.5f; // global against local threshold

bool resize(CxImage& image, int32_t w, int32_t h)
{
    if (w < 1 || h < 1) {
        image.SetLastError("CxImage::Create : width and height must be greater than zero");
        return false;
    }
    // Shrinking both sides takes the fast box average; anything else interpolates.
    if (w < int32_t(image.GetWidth()) && h < int32_t(image.GetHeight()))
        return image.QIShrink(w, h);
    return image.ResampleTo(w, h, IM_BILINEAR, OM_REPEAT);
}

bool simpleEdit(CxImage& image, int command)
{
    switch (command) {
    case cmd::kMirrorHorizontal:
        return image.MirrorHorizontal(false, true);
    case cmd::kFlipVertical:
        return image.FlipVertical(false, true);
    case cmd::kRotateLeft90:
        return image.RotateLeft90();
    case cmd::kRotateRight90:
        return image.RotateRight90();
    case cmd::kBrighter:
        return image.AdjustLight(kLightStep, 0);
    case cmd::kDarker:
        return image.AdjustLight(-kLightStep, 0);
    case cmd::kMoreContrast:
        return image.AdjustLight(0, kLightStep);
    case cmd::kLessContrast:
        return image.AdjustLight(0, -kLightStep);
    case cmd::kSaturate:
        return image.Saturate(kMoreSaturation, kHslSpace);
    case cmd::kDesaturate:
        return image.Saturate(kLessSaturation, kYuvSpace);
    case cmd::kInvert:
        return image.Invert();
    case cmd::kToGray:
        return image.ToGray();
    case cmd::kBlackAndWhite:
        return image.AdaptiveThreshold(0, kThresholdBox, nullptr, 0, kThresholdBalance);
    case cmd::kLookDocument:
        return cxlook::ApplyLook(image, cxlook::Look::Document);
    case cmd::kLookGrey:
        return cxlook::ApplyLook(image, cxlook::Look::Grey);
    case cmd::kLookBlackWhite:
        return cxlook::ApplyLook(image, cxlook::Look::BlackWhite);
    default:
        image.SetLastError("unknown editing command");
        return false;
    }
}

} // namespace

bool IsEditCommand(int id)
{
    return std::find(std::begin(kEditCommands), std::end(kEditCommands), id) !=
           std::end(kEditCommands);
}

bool ResizeTooLarge(int64_t width, int64_t height)
{
    return uint64_t(width) * uint64_t(height) >= kMaxResizePixels;
}

EditResult ApplyEdit(CxImage& image, const EditRequest& request)
{
    if (!image.IsValid()) {
        image.SetLastError("null image!!!");
        return EditResult::Failed;
    }
    bool ok = false;
    if (request.command == cmd::kRotateFree) {
        try {
            ok = image.RotateFree(request.angle, nullptr, IM_BILINEAR, OM_BACKGROUND, nullptr, true,
                                  request.keepSize);
        } catch (const std::bad_alloc&) {
            return EditResult::OutOfMemory;
        }
    } else if (request.command == cmd::kResize) {
        ok = resize(image, request.newWidth, request.newHeight);
    } else {
        ok = simpleEdit(image, request.command);
    }
    return ok ? EditResult::Done : EditResult::Failed;
}

} // namespace scriva::image
