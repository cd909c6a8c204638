// Switching the right area between image and capture view: the views change on
// the same document, a camera that does not start brings the image view back
// with a message, and requests during a switch or while busy are refused.

#include "EventIdle.h"
#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/widgets/CSplitterWndEx.h"
#include "config/CommandIds.h"
#include "image/ui/CScrivaView.h"
#include "ocr/ui/CRecognizeView.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace frametest;

// A camera that starts and can then be made to fail.
class FailingLaterVideoView : public StartingVideoView
{
    Q_OBJECT
public:
    using StartingVideoView::StartingVideoView;
};

namespace {
bool documentHasView(CScrivaDoc& doc, IDocumentView* view)
{
    const auto& views = doc.Views();
    return std::find(views.begin(), views.end(), view) != views.end();
}
} // namespace

class FrameSwitchTest : public QObject
{
    Q_OBJECT
private slots:
    void captureThatCannotStartBringsTheImageViewBack();
    void switchingTwiceKeepsTheDocument();
    void requestDuringTheFailureBoxIsIgnored();
    void refusedWhileBusy();
    void queuedSwitchRunsFromTheEventLoop();
    void printCommandsActivateThePrintingView();
    void cameraFailingLaterBringsTheImageViewBack();
};

void FrameSwitchTest::captureThatCannotStartBringsTheImageViewBack()
{
    NoCamera none;
    Fixture f;
    QPointer<CScrivaView> oldImage = f.frame->imageView();
    QVERIFY(oldImage);
    QSignalSpy modes(&f.frame->switcher(), &PaneSwitcher::modeChanged);

    QVERIFY(f.frame->router().dispatch(scriva::cmd::kSwitchRightArea));
    QCOMPARE(f.rec.messages, std::vector<int>{scriva::str::kCaptureFailed});
    QCOMPARE(f.rec.reasons, QStringList{QStringLiteral("no camera is chosen")});
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kImage);
    QVERIFY(!f.frame->videoView());
    CScrivaView* image = f.frame->imageView();
    QVERIFY(image && image != oldImage);
    QCOMPARE(&image->GetDocument(), &f.doc);
    QVERIFY(documentHasView(f.doc, image));
    QVERIFY(!f.frame->IsSwitching());
    QCOMPARE(modes.count(), 1);
    QCOMPARE(f.frame->panes().rightSplitter()->sizes().value(1), 0);
    QTRY_VERIFY(!oldImage);                    // deleted from the event loop, not under its caller
    QCOMPARE(f.doc.Views().size(), size_t(3)); // thumbnails, text pane, image view
}

void FrameSwitchTest::switchingTwiceKeepsTheDocument()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory(
        [](CScrivaDoc& d) { return new StartingVideoView(d); });
    f.frame->ShowResultPane(true);

    QVERIFY(f.frame->SwitchRightPane());
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kCapture);
    QPointer<CVideoView> video = f.frame->videoView();
    QVERIFY(video && video->IsCapturing() && video->isVisible());
    QVERIFY(!f.frame->imageView());
    QCOMPARE(&video->GetDocument(), &f.doc);
    QCOMPARE(f.frame->activeView(), static_cast<QWidget*>(video.data()));
    QCOMPARE(f.frame->panes().rightSplitter()->sizes().value(1), 0); // text row collapsed again
    QVERIFY(f.rec.messages.empty());

    QVERIFY(f.frame->SwitchRightPane());
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kImage);
    QVERIFY(f.frame->imageView());
    QCOMPARE(&f.frame->imageView()->GetDocument(), &f.doc);
    QCOMPARE(f.frame->activeView(), static_cast<QWidget*>(f.frame->imageView()));
    QVERIFY(!documentHasView(f.doc, video.data()));
    QTRY_VERIFY(!video);
}

void FrameSwitchTest::requestDuringTheFailureBoxIsIgnored()
{
    NoCamera none;
    Fixture f;
    int refused = 0;
    f.rec.onMessage = [&](int) {
        // A request arriving through the box's own event loop.
        if (!f.frame->SwitchRightPane())
            ++refused;
        QVERIFY(f.frame->IsSwitching());
        QVERIFY(!f.frame->router().state(scriva::cmd::kSwitchRightArea).enabled);
    };
    QVERIFY(f.frame->SwitchRightPane());
    QCOMPARE(refused, 1);
    QCOMPARE(f.rec.messages.size(), size_t(1));
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kImage);
    QVERIFY(f.frame->router().state(scriva::cmd::kSwitchRightArea).enabled);
}

void FrameSwitchTest::refusedWhileBusy()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory(
        [](CScrivaDoc& d) { return new StartingVideoView(d); });
    CScrivaView* image = f.frame->imageView();
    f.rec.busy = true;
    QVERIFY(!f.frame->SwitchRightPane());
    QVERIFY(!f.frame->router().dispatch(scriva::cmd::kSwitchRightArea));
    QCOMPARE(f.frame->imageView(), image);
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kImage);
    f.rec.busy = false;
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kSwitchRightArea));
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kCapture);
}

void FrameSwitchTest::queuedSwitchRunsFromTheEventLoop()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory(
        [](CScrivaDoc& d) { return new StartingVideoView(d); });
    QPointer<CScrivaView> image = f.frame->imageView();
    f.frame->PostSwitchRightPane();
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kImage); // the caller's view still stands
    QVERIFY(image);
    QTRY_COMPARE(f.frame->RightAreaMode(), scriva::mode::kCapture);
}

void FrameSwitchTest::printCommandsActivateThePrintingView()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory(
        [](CScrivaDoc& d) { return new StartingVideoView(d); });
    f.frame->setActiveView(f.frame->recognizeView());
    f.frame->router().dispatch(scriva::cmd::kPrint);
    QCOMPARE(f.frame->activeView(), static_cast<QWidget*>(f.frame->imageView()));

    f.frame->SwitchRightPane();
    QVERIFY(!f.frame->imageView());
    f.frame->setActiveView(f.frame->recognizeView());
    f.frame->router().dispatch(
        scriva::cmd::kPrintPreview); // print preview with only the capture view
    QCOMPARE(f.frame->activeView(), static_cast<QWidget*>(f.frame->videoView()));
}

void FrameSwitchTest::cameraFailingLaterBringsTheImageViewBack()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory(
        [](CScrivaDoc& d) { return new FailingLaterVideoView(d); });
    QVERIFY(f.frame->SwitchRightPane());
    QPointer<CVideoView> video = f.frame->videoView();
    QVERIFY(video);
    f.rec.busy = true; // a photo is being taken: the view stays until it is done
    emit video->captureFailed("end of stream");
    QVERIFY(scriva::test::processUntilIdle()); // the failure is queued
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kCapture);
    QVERIFY(f.rec.messages.empty());
    f.rec.busy = false;
    QTRY_COMPARE(f.frame->RightAreaMode(), scriva::mode::kImage);
    QCOMPARE(f.rec.messages, std::vector<int>{scriva::str::kCaptureFailed});
    QVERIFY(f.frame->imageView());
    QTRY_VERIFY(!video);
}

SCRIVA_QTEST(FrameSwitchTest)
#include "test_frame_switch.moc"
