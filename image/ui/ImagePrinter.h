#pragma once
// Prints a picture, one page, centred on the printable area, fitted to the page
// or at its 96-dpi screen size (the print mode the main frame keeps), with or
// without the print dialog, and shows the print preview. The image view prints
// the document's image through it and the capture view the camera's current
// frame. User-interface thread only.

#include "image/PackText.h"

#include <functional>

class CxImage;
class QPrinter;
class QWidget;

class ImagePrinter
{
public:
    static constexpr int PrinterMissing = scriva::str::kPreviewFailed;

    ImagePrinter(QPrinter& printer, QWidget* parent, PackText text = {});

    // Where the print mode lives (94 fit, 96 screen size); fit without these.
    std::function<int()> printMode;
    std::function<void(int)> setPrintMode;
    // Shows a numbered string of the pack (a message box by default).
    std::function<void(int)> showMessage;

    // One page with the picture on an active printer; false when the printer
    // cannot be painted on.
    static bool PrintPage(QPrinter& printer, const CxImage& image, int mode);

    // Prints the picture; with askFirst the print dialog comes first (Cancel
    // prints nothing). False when nothing was printed.
    bool Print(const CxImage& image, bool askFirst);
    // The preview of the picture a source gives (asked again at every repaint).
    void Preview(std::function<const CxImage*()> source);

    int Mode() const;

private:
    QPrinter& m_printer;
    QWidget* m_parent;
    PackText m_text;
};
