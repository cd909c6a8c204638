#pragma once
// The whole-image edits of the image menu and toolbar, by command id, applied to
// an image object: mirror, flip, quarter turns, light and contrast steps,
// saturation steps, negative, grey, black and white, free rotation and resize.
// Pure: the editing worker calls it on a copy of the document's image, on its own
// thread; nothing here touches the document or a window.

#include <cstdint>

class CxImage;

namespace scriva::image {

namespace EditCommand {
constexpr int Mirror = 32778;
constexpr int Flip = 32779;
constexpr int RotateLeft = 32780;
constexpr int RotateRight = 32781;
constexpr int Brighter = 32782;
constexpr int Darker = 32783;
constexpr int MoreContrast = 32784;
constexpr int LessContrast = 32785;
constexpr int MoreSaturation = 32786;
constexpr int LessSaturation = 32787;
constexpr int Negative = 32788;
constexpr int Grey = 32789;
constexpr int BlackAndWhite = 32790;
constexpr int FreeRotation = 32791;
constexpr int Resize = 32796;
} // namespace EditCommand

// Every command this file knows, in menu order.
constexpr int kEditCommands[] = {32778, 32779, 32780, 32781, 32782, 32783, 32784, 32785,
                                 32786, 32787, 32788, 32789, 32790, 32791, 32796};

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
