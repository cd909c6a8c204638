#include "CameraPrint.h"

#include "CVideoView.h"
#include "capture/CGrabberCallback.h"
#include "image/cximage/CxImage.h"
#include "image/ui/ImagePrinter.h"

bool PrintCameraPicture(const CVideoView& view, ImagePrinter& printer, bool askFirst)
{
    // The streaming thread replaces the frame: a copy at full size (a
    // compressed frame decoded whole) is taken under its lock, printed outside.
    CxImage frame;
    return view.Graph().Callback().CopyFrameImage(frame) && frame.IsValid() &&
           printer.Print(frame, askFirst);
}
