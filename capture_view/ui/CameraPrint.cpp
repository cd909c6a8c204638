#include "CameraPrint.h"

#include "CVideoView.h"
#include "capture/CGrabberCallback.h"
#include "image/cximage/CxImage.h"
#include "image/ui/ImagePrinter.h"

bool PrintCameraPicture(const CVideoView& view, ImagePrinter& printer, bool askFirst)
{
    CxImage frame;
    {
        // The streaming thread replaces the frame: copy it under its lock, print outside.
        CGrabberCallback::FrameAccess access(view.Graph().Callback());
        if (!access.image() || !access.image()->IsValid())
            return false;
        frame.Copy(*access.image());
    }
    return frame.IsValid() && printer.Print(frame, askFirst);
}
