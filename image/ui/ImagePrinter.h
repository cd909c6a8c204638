#pragma once
// Prints a picture, one page, centred on the printable area, fitted to the page
// or at its 96-dpi screen size (the print mode the main frame keeps), with or
// without the print dialog, and shows the print preview. The image view prints
// the document's image through it and the capture view the camera's current
// frame. User-interface thread only.

#include "image/IWindowServices.h"
#include "image/PackText.h"

#include <functional>

class CxImage;
class QPrinter;
class QWidget;

// Where the print mode lives (the main frame keeps it): 94 fit to the page,
// 96 its screen size.
class IPrintMode
{
public:
    virtual ~IPrintMode() = default;
    virtual int PrintMode() const = 0;
    virtual void SetPrintMode(int mode) = 0;
};

class ImagePrinter
{
public:
    static constexpr int PrinterMissing = scriva::str::kPreviewFailed;

    ImagePrinter(QPrinter& printer, QWidget* parent, PackText text = {});

    // Where the print mode lives; fit to the page without one. Never owned.
    IPrintMode* modes = nullptr;
    // The window that shows the numbered messages; without one, Qt's warning
    // box with the pack's text. Never owned.
    IWindowServices* window = nullptr;

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
    void showMessage(int id) const;

    QPrinter& m_printer;
    QWidget* m_parent;
    PackText m_text;
};
