#pragma once
// Printing of the live camera picture: a copy of the capture view's current
// frame (with its red page frame, as the view shows it) goes to the printer
// sized by the print mode, like a printed image. User-interface thread only.

class CVideoView;
class ImagePrinter;

// False when no frame has arrived yet or nothing was printed (Cancel).
bool PrintCameraPicture(const CVideoView& view, ImagePrinter& printer, bool askFirst);
