#include "ImagePrinter.h"

#include "PrintPreviewDialog.h"
#include "image/PrintLayout.h"
#include "image/cximage/CxImage.h"

#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

using scriva::mode::kPrintFitToPage;

ImagePrinter::ImagePrinter(QPrinter& printer, QWidget* parent, PackText text)
    : m_printer(printer), m_parent(parent), m_text(std::move(text))
{
}

int ImagePrinter::Mode() const
{
    return modes ? modes->PrintMode() : kPrintFitToPage;
}

void ImagePrinter::showMessage(int id) const
{
    if (window)
        window->Tell(m_parent, id);
    else
        QMessageBox::warning(m_parent, QString(), PackString(m_text, id));
}

bool ImagePrinter::PrintPage(QPrinter& printer, const CxImage& image, int mode)
{
    if (!image.IsValid())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter's origin is the printable area's corner.
    const QSize printable = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const int dpi = printer.resolution();
    // A picture larger than the page stays inside the printable area, as on a
    // printer that cannot print its margins.
    painter.setClipRect(QRect(QPoint(0, 0), printable));
    const QRect target = scriva::image::PrintRect(
        QSize(int(image.GetWidth()), int(image.GetHeight())), printable, dpi, dpi, mode);
    scriva::image::PrintImage(painter, image, target);
    return painter.end();
}

bool ImagePrinter::Print(const CxImage& image, bool askFirst)
{
    if (askFirst) {
        QPrintDialog dialog(&m_printer, m_parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    return PrintPage(m_printer, image, Mode());
}

void ImagePrinter::Preview(std::function<const CxImage*()> source)
{
    if (!m_printer.isValid()) {
        showMessage(PrinterMissing);
        return;
    }
    PrintPreviewDialog dialog(m_printer, m_text, m_parent);
    QObject::connect(&dialog, &PrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* printer) {
        if (const CxImage* image = source())
            PrintPage(*printer, *image, dialog.Mode());
    });
    QObject::connect(&dialog, &PrintPreviewDialog::modeChanged, &dialog, [this](int mode) {
        if (modes)
            modes->SetPrintMode(mode);
    });
    QObject::connect(&dialog, &PrintPreviewDialog::printRequested, &dialog, [&] {
        if (const CxImage* image = source())
            Print(*image, true);
    });
    // Once the painting is connected.
    dialog.SetMode(Mode());
    dialog.exec();
}
