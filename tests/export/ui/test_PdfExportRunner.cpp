// Export to PDF behind its progress box: a written PDF, the report of an empty
// list and of a failure (with the path and what failed), and Cancel, which
// leaves no file and says nothing.

#include "QtTestRegistry.h"
#include "export/ui/PdfExportRunner.h"
#include "image/cximage/CxImage.h"
#include "tests/common/PdfProbe.h"
#include "tests/common/TestWindowServices.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace scriva::exporter;

namespace {

QString writePicture(const QString& path, int w, int h, uint32_t format)
{
    CxImage image(uint32_t(w), uint32_t(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelColor(x, y, RGBQUAD{uint8_t(x), uint8_t(y), uint8_t(x ^ y), 0});
    image.Save(QFile::encodeName(path).toStdString(), format);
    return path;
}

// The boxes the export shows, over pack texts "<id>".
struct Reports : TestWindowServices
{
    Reports()
    {
        texts = [](int id) { return QStringLiteral("<%1>").arg(id); };
    }
    PdfExportUi ui()
    {
        PdfExportUi ui;
        ui.window = this;
        return ui;
    }
};

} // namespace

class TestPdfExportRunner : public QObject
{
    Q_OBJECT
private slots:
    void writesAndReports()
    {
        QTemporaryDir dir;
        const QString a = writePicture(dir.filePath("a.jpg"), 64, 48, CXIMAGE_FORMAT_JPG);
        const QString b = writePicture(dir.filePath("b.png"), 48, 64, CXIMAGE_FORMAT_PNG);
        const QString pdf = dir.filePath("out.pdf");
        Reports reports;
        QVERIFY(RunPdfExport(pdf, {a, b}, reports.ui()));
        QCOMPARE(pdftest::PageCount(pdf), 2);
        QVERIFY(reports.boxes.isEmpty());
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        QVERIFY(!RunPdfExport(dir.filePath("none.pdf"), {}, reports.ui()));
        QCOMPARE(reports.BoxTexts(), QStringList{"<62004>"});
        QVERIFY(!QFileInfo::exists(dir.filePath("none.pdf")));

        reports.boxes.clear();
        QVERIFY(
            !RunPdfExport(dir.filePath("bad.pdf"), {a, dir.filePath("gone.png")}, reports.ui()));
        QCOMPARE(reports.boxes.size(), 1);
        const QString report = reports.boxes[0].text;
        QVERIFY2(report.startsWith("<62005>\n" + dir.filePath("bad.pdf") + "\n"),
                 qPrintable(report));
        QVERIFY2(report.contains("gone.png"), qPrintable(report));
        QVERIFY(!QFileInfo::exists(dir.filePath("bad.pdf")));
    }

    void cancelWritesNothing()
    {
        QTemporaryDir dir;
        QStringList images;
        // Pages that take a while (each is decoded and encoded); the same file repeated.
        const QString page = writePicture(dir.filePath("p.bmp"), 2000, 1500, CXIMAGE_FORMAT_BMP);
        for (int i = 0; i < 10; ++i)
            images << page;
        bool sawBox = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (box && box->isVisible() && !sawBox) {
                sawBox = true;
                box->findChild<QPushButton*>()->click(); // as the user does
            }
        });
        poll.start(5);
        Reports reports;
        PdfExportUi ui = reports.ui();
        ui.threads = 1;
        QVERIFY(!RunPdfExport(dir.filePath("c.pdf"), images, ui));
        QVERIFY(sawBox);
        QVERIFY(reports.boxes.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath("c.pdf")));
    }

    // The searchable PDF's question: the pack's texts, both recognition languages,
    // starting on the one given; OK gives the chosen code, Cancel leaves it.
    void languageQuestionOffersBothLanguages()
    {
        const auto string = [](int id) { return QStringLiteral("text %1").arg(id); };
        std::unique_ptr<QDialog> dialog(MakeLanguageDialog(nullptr, string, 2));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("text 62240"));
        auto* choice = dialog->findChild<QComboBox*>(QStringLiteral("language"));
        QVERIFY(choice);
        QCOMPARE(choice->count(), 2);
        QCOMPARE(choice->itemText(0), QStringLiteral("text 62242"));
        QCOMPARE(choice->itemData(0).toInt(), 1);
        QCOMPARE(choice->itemText(1), QStringLiteral("text 62243"));
        QCOMPARE(choice->currentData().toInt(), 2);

        for (const bool accept : {true, false}) {
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible())
                    return;
                box->findChild<QComboBox*>(QStringLiteral("language"))->setCurrentIndex(0);
                accept ? box->accept() : box->reject();
            });
            poll.start(5);
            int language = 2;
            QCOMPARE(AskRecognitionLanguage(nullptr, string, language), accept);
            QCOMPARE(language, accept ? 1 : 2);
        }
    }
};

SCRIVA_QTEST(TestPdfExportRunner)
#include "test_PdfExportRunner.moc"
