#pragma once
// The whole-image edits of the image menu and toolbar, by command id, applied to
// an image object: mirror, flip, quarter turns, light and contrast steps,
// saturation steps, negative, grey, black and white, free rotation, resize and
// the page looks (document, grey page, black and white page).
// Pure: the editing worker calls it on a copy of the document's image, on its own
// thread; nothing here touches the document or a window.

#include "config/CommandIds.h"

#include <cstdint>

class CxImage;

namespace scriva::image {

// Every command this file knows, in menu order.
constexpr int kEditCommands[] = {cmd::kMirrorHorizontal, cmd::kFlipVertical, cmd::kRotateLeft90,
                                 cmd::kRotateRight90,    cmd::kBrighter,     cmd::kDarker,
                                 cmd::kMoreContrast,     cmd::kLessContrast, cmd::kSaturate,
                                 cmd::kDesaturate,       cmd::kInvert,       cmd::kToGray,
                                 cmd::kBlackAndWhite,    cmd::kRotateFree,   cmd::kResize,
                                 cmd::kLookDocument,     cmd::kLookGrey,     cmd::kLookBlackWhite};

bool IsEditCommand(int id);

struct EditRequest
{
    int command = 0;
    float angle = 30.0f;   // free rotation, degrees clockwise
    bool keepSize = true;  // free rotation keeps the canvas
    int32_t newWidth = 0;  // resize
    int32_t newHeight = 0; // resize
};

enum class EditResult {
    Done,
    Failed,      // the image's last error says why
    OutOfMemory, // the free rotation ran out of memory: the program must end
};

// Runs the request on image. On failure the image may be left partly changed
// (the caller works on a copy and keeps the original).
EditResult ApplyEdit(CxImage& image, const EditRequest& request);

// The resize a dialog proposes: both sides at least 1, fewer than 2^28 pixels.
constexpr uint64_t kMaxResizePixels = uint64_t(1) << 28;
bool ResizeTooLarge(int64_t width, int64_t height);

} // namespace scriva::image
