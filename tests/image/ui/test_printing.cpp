// Printing to a PDF file through the real print path: the page the printer gets
// in both print modes and both orientations, with the picture's place on it read
// back from the rendered page; and the preview's buttons.

#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "image/PrintLayout.h"
#include "image/cximage/CxImage.h"
#include "image/ui/ImagePrinter.h"
#include "image/ui/PrintPreviewDialog.h"
#include "tests/common/TestPrintMode.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace scriva;
using namespace scriva::image;

namespace {

constexpr int kDpi = 300;      // printer resolution of the tests
constexpr int kRenderDpi = 72; // the rendered page: one pixel per point

CxImage solidPicture(int w, int h)
{
    CxImage image(uint32_t(w), uint32_t(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelColor(x, y, RGBQUAD{40, 60, 160, 0});
    return image;
}

void pdfPrinter(QPrinter& printer, const QString& file, QPageLayout::Orientation orientation)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(kDpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
}

// The first page rendered at 72 dpi; null when poppler cannot render it.
QImage renderFirstPage(const QString& pdf)
{
    const QString prefix = pdf + QStringLiteral(".page");
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(kRenderDpi), QStringLiteral("-f"),
                       QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                       QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// Bounding box of everything that is not white.
QRect inkBox(const QImage& page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Pixels of the picture's colour (red 160, green 60, blue 40) in a grab.
int pictureInk(const QImage& shot)
{
    int ink = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            ink += std::abs(c.red() - 160) <= 3 && std::abs(c.green() - 60) <= 3 &&
                           std::abs(c.blue() - 40) <= 3
                       ? 1
                       : 0;
        }
    return ink;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT
private slots:
    void printsToPdfInBothModesAndOrientations()
    {
        QTemporaryDir dir;
        struct Case
        {
            const char* what;
            int mode;
            QPageLayout::Orientation orientation;
            QSize picture;
        };
        const Case cases[] = {
            {"fit, portrait", mode::kPrintFitToPage, QPageLayout::Portrait, {960, 480}},
            {"fit, landscape", mode::kPrintFitToPage, QPageLayout::Landscape, {960, 480}},
            {"screen size, portrait", mode::kPrintActualSize, QPageLayout::Portrait, {480, 240}},
            {"screen size, landscape", mode::kPrintActualSize, QPageLayout::Landscape, {480, 240}},
            {"screen size, larger than the page",
             mode::kPrintActualSize,
             QPageLayout::Portrait,
             {1200, 600}},
        };
        for (const Case& c : cases) {
            const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(int(&c - cases)));
            QPrinter printer(QPrinter::HighResolution);
            pdfPrinter(printer, pdf, c.orientation);
            ImagePrinter printing(printer, nullptr);
            TestPrintMode modes(c.mode);
            printing.modes = &modes;
            QVERIFY2(printing.Print(solidPicture(c.picture.width(), c.picture.height()), false),
                     c.what);

            const QImage page = renderFirstPage(pdf);
            QVERIFY2(!page.isNull(), c.what);
            const bool landscape = c.orientation == QPageLayout::Landscape;
            QCOMPARE(page.size(), landscape ? QSize(842, 595) : QSize(595, 842)); // A4 in points
            // Where the picture should be, in points.
            const QRect paint = printer.pageLayout().paintRectPixels(kDpi);
            const QRect target = PrintRect(c.picture, paint.size(), kDpi, kDpi, c.mode);
            const QRectF expected(double(paint.x() + target.x()) * kRenderDpi / kDpi,
                                  double(paint.y() + target.y()) * kRenderDpi / kDpi,
                                  double(target.width()) * kRenderDpi / kDpi,
                                  double(target.height()) * kRenderDpi / kDpi);
            const QRect ink = inkBox(page);
            // Nothing lands outside the printable area.
            const QRectF paintPoints(double(paint.x()) * kRenderDpi / kDpi,
                                     double(paint.y()) * kRenderDpi / kDpi,
                                     double(paint.width()) * kRenderDpi / kDpi,
                                     double(paint.height()) * kRenderDpi / kDpi);
            QVERIFY2(paintPoints.adjusted(-1, -1, 1, 1).contains(QRectF(ink)), c.what);
            if (!paintPoints.contains(expected)) {
                QVERIFY2(std::abs(ink.width() - paintPoints.width()) <= 1.0, c.what);
                continue;
            }
            QVERIFY2(std::abs(ink.left() - expected.left()) <= 1.0, c.what);
            QVERIFY2(std::abs(ink.top() - expected.top()) <= 1.0, c.what);
            QVERIFY2(std::abs(ink.width() - expected.width()) <= 1.0, c.what);
            QVERIFY2(std::abs(ink.height() - expected.height()) <= 1.0, c.what);
            if (c.mode == mode::kPrintActualSize) // 480 pixels at 96 dpi are five inches
                QVERIFY2(std::abs(ink.width() - 360) <= 1, c.what);
            else // fitted: the picture fills the width of the printable area in whole inches
                QVERIFY2(ink.width() > page.width() / 2, c.what);
        }
    }

    // The preview as the program opens it, the first time and again: its page
    // shows the picture as soon as it appears, in either print mode.
    void previewShowsThePictureAtOnce()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, dir.filePath(QStringLiteral("v.pdf")), QPageLayout::Portrait);
        const CxImage picture = solidPicture(960, 480);
        for (int mode : {mode::kPrintFitToPage, mode::kPrintFitToPage, mode::kPrintActualSize}) {
            ImagePrinter printing(printer, nullptr);
            TestPrintMode modes(mode);
            printing.modes = &modes;
            int ink = -1;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<PrintPreviewDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QVERIFY(scriva::test::processUntilIdle()); // nothing is pressed meanwhile
                ink = pictureInk(dialog->PreviewWidget()->grab().toImage());
                dialog->accept();
            });
            printing.Preview([&picture] { return &picture; });
            QVERIFY2(
                ink > 1000,
                qPrintable(QStringLiteral("mode %1: %2 pixels of the picture").arg(mode).arg(ink)));
        }
    }

    void previewTurnsThePageAndSwitchesTheMode()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, dir.filePath(QStringLiteral("p.pdf")), QPageLayout::Portrait);
        PrintPreviewDialog dialog(printer, {});
        QSignalSpy paints(&dialog, &PrintPreviewDialog::paintRequested);
        QSignalSpy modes(&dialog, &PrintPreviewDialog::modeChanged);
        dialog.show();
        QTRY_VERIFY(paints.count() > 0);
        const auto button = [&](int id) {
            return dialog.findChild<QPushButton*>(QStringLiteral("id_%1").arg(id));
        };
        QVERIFY(button(PrintPreviewDialog::PortraitId)->isChecked());
        QVERIFY(button(PrintPreviewDialog::FitId)->isChecked());

        paints.clear();
        button(PrintPreviewDialog::LandscapeId)->click();
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(button(PrintPreviewDialog::LandscapeId)->isChecked());
        QVERIFY(!button(PrintPreviewDialog::PortraitId)->isChecked());
        QTRY_VERIFY(paints.count() > 0);
        QCOMPARE(dialog.Mode(), mode::kPrintFitToPage); // turning the page keeps the mode

        paints.clear();
        button(PrintPreviewDialog::ActualId)->click();
        QCOMPARE(dialog.Mode(), mode::kPrintActualSize);
        QCOMPARE(modes.count(), 1);
        QCOMPARE(modes.at(0).at(0).toInt(), mode::kPrintActualSize);
        QTRY_VERIFY(paints.count() > 0);

        button(PrintPreviewDialog::PortraitId)->click();
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        button(PrintPreviewDialog::CloseId)->click();
        QVERIFY(!dialog.isVisible());
    }
};

SCRIVA_QTEST(TestPrinting)
#include "test_printing.moc"
