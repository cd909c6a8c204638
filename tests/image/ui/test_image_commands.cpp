// The editing and print commands through the document, as the menu runs them:
// every edit behind the wait box for at least half a second, its result in the
// document and one undo step that brings the picture back; refusals that leave
// no undo step; commands refused while an edit runs; and the print commands to
// a PDF file.

#include "QtTestRegistry.h"
#include "image/CScrivaDoc.h"
#include "image/EditOperation.h"
#include "image/ui/FreeRotationDialog.h"
#include "image/ui/ImageCommands.h"
#include "image/ui/ResizeDialog.h"
#include "image/ui/WaitDialog.h"
#include "tests/common/TestWindowServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>

using namespace scriva;

namespace {

CxImage ramp(uint32_t w, uint32_t h)
{
    CxImage img(w, h, 24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img.SetPixelColor(
                int32_t(x), int32_t(y),
                RGBQUAD{uint8_t(40 + x * 3), uint8_t(30 + y * 4), uint8_t(90 + x + y), 0});
    return img;
}

bool samePicture(const CxImage& a, const CxImage& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           a.GetBpp() == b.GetBpp() &&
           std::memcmp(a.GetBits(), b.GetBits(), size_t(a.GetEffWidth()) * a.GetHeight()) == 0;
}

struct Fixture : ImageCommands::Host
{
    TestWindowServices window;
    CScrivaDoc doc;
    QPrinter printer{QPrinter::HighResolution};
    ImageCommands commands{doc, nullptr, printer, *this};
    QList<int> done;
    int mode = mode::kPrintFitToPage;
    // The test's answers to the dialogs; unset: a person's.
    std::function<void(FreeRotationDialog&)> aboutToAskRotation;
    std::function<void(ResizeDialog&)> aboutToAskSize;

    Fixture()
    {
        window.texts = [](int id) { return QStringLiteral("string %1").arg(id); };
        doc.SetHost(plainHost, window);
        doc.SetImage(std::make_unique<CxImage>(ramp(60, 40)));
        commands.Install();
    }
    ~Fixture() override { doc.ClearHost(); }

    // The reports shown (critical boxes).
    QStringList texts() const
    {
        QStringList all;
        for (const TestWindowServices::Box& box : window.boxes)
            if (box.icon == IWindowServices::Icon::Critical)
                all << box.text;
        return all;
    }

    int PrintMode() const override { return mode; }
    void SetPrintMode(int m) override { mode = m; }
    void EditDone(int id) override { done << id; }
    void BusyChanged(bool) override {}
    bool AnswerRotation(FreeRotationDialog& d) override
    {
        if (aboutToAskRotation)
            aboutToAskRotation(d);
        return bool(aboutToAskRotation);
    }
    bool AnswerSize(ResizeDialog& d) override
    {
        if (aboutToAskSize)
            aboutToAskSize(d);
        return bool(aboutToAskSize);
    }

    DocumentHost plainHost; // the image view fills the right area
};

} // namespace

class TestImageCommands : public QObject
{
    Q_OBJECT
private slots:
    void everyEditRunsBehindTheWaitBoxAndUndoes()
    {
        Fixture f;
        f.aboutToAskRotation = [](FreeRotationDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("id_1024"))->setText(QStringLiteral("90"));
            d.findChild<QCheckBox*>(QStringLiteral("id_1030"))->setChecked(false);
            d.accept();
        };
        f.aboutToAskSize = [](ResizeDialog& d) {
            auto* scale = d.findChild<QLineEdit*>(QStringLiteral("id_1054"));
            scale->selectAll();
            QTest::keyClicks(scale, QStringLiteral("1.5"));
            d.accept(); // 90 x 60
        };
        for (int id : image::kEditCommands) {
            const CxImage before(*f.doc.GetImage());
            bool sawWait = false;
            bool refusedWhileBusy = true;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (qobject_cast<WaitDialog*>(QApplication::activeModalWidget())) {
                    sawWait = true;
                    const auto state = f.doc.OnUpdateCommand(id);
                    refusedWhileBusy = refusedWhileBusy && state && !state->enabled;
                }
            });
            watch.start(20);
            QElapsedTimer clock;
            clock.start();
            QVERIFY(f.doc.OnCommand(id));
            watch.stop();
            QVERIFY2(clock.elapsed() >= image::EditJob::kMinimumMs,
                     qPrintable(QString::number(id)));
            QVERIFY2(sawWait, qPrintable(QString::number(id)));
            QVERIFY2(refusedWhileBusy, qPrintable(QString::number(id)));
            QCOMPARE(f.done.last(), id);
            QVERIFY2(f.texts().isEmpty(), qPrintable(f.texts().join('|')));
            QVERIFY2(!samePicture(*f.doc.GetImage(), before), qPrintable(QString::number(id)));
            if (id == cmd::kRotateFree)
                QCOMPARE(f.doc.GetImage()->GetWidth(), 40u);
            if (id == cmd::kResize)
                QCOMPARE(f.doc.GetImage()->GetWidth(), 90u);
            QVERIFY(f.doc.OnUndo());
            QVERIFY2(samePicture(*f.doc.GetImage(), before), qPrintable(QString::number(id)));
            QVERIFY(f.doc.OnRedo());
            QVERIFY(f.doc.OnUndo());
        }
    }

    void refusedResizeLeavesNoUndoStep()
    {
        Fixture f;
        const int position = f.doc.Undo().Position();
        f.aboutToAskSize = [](ResizeDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("id_1054"))->setText(QStringLiteral("10"));
            d.findChild<QLineEdit*>(QStringLiteral("id_1058"))->setText(QStringLiteral("65536"));
            d.findChild<QLineEdit*>(QStringLiteral("id_1060"))->setText(QStringLiteral("65537"));
            d.accept();
        };
        QVERIFY(f.doc.OnCommand(cmd::kResize));
        QCOMPARE(f.texts(), QStringList{QStringLiteral("Size of image is exceeding!")});
        QCOMPARE(f.doc.Undo().Position(), position);
        QVERIFY(f.done.isEmpty());
        f.aboutToAskRotation = [](FreeRotationDialog& d) { d.reject(); };
        f.aboutToAskSize = [](ResizeDialog& d) { d.reject(); };
        QVERIFY(f.doc.OnCommand(cmd::kRotateFree));
        QVERIFY(f.doc.OnCommand(cmd::kResize));
        QCOMPARE(f.doc.Undo().Position(), position);
    }

    void printCommandsReachThePrinter()
    {
        Fixture f;
        QTemporaryDir dir;
        f.printer.setOutputFormat(QPrinter::PdfFormat);
        f.printer.setOutputFileName(dir.filePath(QStringLiteral("direct.pdf")));
        QVERIFY(f.doc.OnCommand(cmd::kPrintDirect));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("direct.pdf"))).size() > 0);
        QCOMPARE(f.mode, mode::kPrintFitToPage);
        const auto state = f.doc.OnUpdateCommand(cmd::kPrintPreview);
        QVERIFY(state && state->enabled);
    }
};

SCRIVA_QTEST(TestImageCommands)
#include "test_image_commands.moc"
