// Printing the live camera picture to a PDF file: the demo camera's current
// frame, red page frame included, lands on the page at the size the print mode
// gives, centred; nothing is printed before the first frame.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/CameraPrint.h"
#include "config/CommandIds.h"
#include "image/PrintLayout.h"
#include "image/ui/ImagePrinter.h"
#include "tests/common/TestPrintMode.h"

#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gst/gst.h>

class TestCameraPrint : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void printsTheCurrentFrameInBothModes()
    {
        QTemporaryDir dir;
        qputenv("SCRIVA_CAMERA", "none");
        {
            CVideoView idle(m_doc);
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath("none.pdf"));
            ImagePrinter printing(printer, nullptr);
            QVERIFY(!PrintCameraPicture(idle, printing, false));
            QVERIFY(!QFileInfo::exists(dir.filePath("none.pdf")));
        }
        qputenv("SCRIVA_CAMERA", "demo");
        CVideoView view(m_doc);
        view.resize(648, 486);
        view.show();
        QVERIFY(view.StartCapture());
        qunsetenv("SCRIVA_CAMERA");
        QTRY_VERIFY_WITH_TIMEOUT(view.Graph().Callback().FrameCount() > 0, 10000);
        int frameW = 0, frameH = 0;
        QVERIFY(view.Graph().Callback().FrameSize(frameW, frameH));

        for (int mode : {scriva::mode::kPrintFitToPage, scriva::mode::kPrintActualSize}) {
            const QString pdf = dir.filePath(QStringLiteral("camera%1.pdf").arg(mode));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setResolution(300);
            printer.setPageOrientation(QPageLayout::Landscape);
            ImagePrinter printing(printer, nullptr);
            TestPrintMode modes(mode);
            printing.modes = &modes;
            QVERIFY(PrintCameraPicture(view, printing, false));

            // The page rendered at one pixel per point: the picture's red page
            // frame lies where the print layout puts the frame.
            const QString prefix = pdf + ".page";
            QProcess::execute("pdftoppm", {"-r", "72", "-singlefile", "-png", pdf, prefix});
            const QImage page(prefix + ".png");
            QCOMPARE(page.size(), QSize(842, 595));
            const QRect paint = printer.pageLayout().paintRectPixels(300);
            const QRect target =
                scriva::image::PrintRect({frameW, frameH}, paint.size(), 300, 300, mode);
            const QRect onPage = QRect(paint.topLeft() + target.topLeft(), target.size()) & paint;
            const QPointF centre = QPointF(onPage.center()) * 72.0 / 300.0;
            // The printed picture covers the centre of its place and the page
            // outside the printable area stays white.
            QVERIFY(qGray(page.pixel(centre.toPoint())) < 250);
            QCOMPARE(page.pixel(2, 2), qRgb(255, 255, 255));
            if (mode == scriva::mode::kPrintFitToPage)
                QVERIFY(target.width() <= paint.width() && target.height() <= paint.height());
            else // 96 dpi: wider than the page, cut at the printable area
                QVERIFY(target.width() == frameW * 300 / 96);
        }
    }
};

SCRIVA_QTEST(TestCameraPrint)
#include "test_CameraPrint.moc"
