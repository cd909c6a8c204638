// What the capture view tells the user: the demo camera standing in for a missing camera says
// so on the picture, a camera that cannot be opened leaves its reason, and Camera Settings is
// only enabled for a source with controls.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"

#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>
#include <gst/gst.h>

class TestVideoViewMessages : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;
    CConfigFile m_config;

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void demoStandingInForACameraSaysSo()
    {
        QImage shots[2];
        for (bool standIn : {false, true}) {
            CVideoView view(m_doc);
            view.SetSettings(&m_config);
            CaptureSource demo = CaptureSource::Demo();
            if (standIn)
                demo.note = QStringLiteral("no camera is connected");
            view.SetCaptureSource(demo);
            view.resize(400, 300);
            view.show();
            QVERIFY(view.StartCapture());
            QTRY_VERIFY_WITH_TIMEOUT(view.Graph().Callback().FrameCount() > 0, 20000);
            QCOMPARE(view.SourceNote(),
                     standIn ? QStringLiteral("Demo camera: no camera is connected") : QString());
            shots[standIn] = view.viewport()->grab().toImage();
            // The demo camera has no controls to set.
            QCOMPARE(*view.OnUpdateCommand(scriva::cmd::kDeviceProperties),
                     CommandState::Enabled(false));
        }
        // The same still picture both times: only the note's band at the top differs.
        const int band = QFontMetrics(QFont()).height() + 2 * CVideoView::kNoteMargin;
        QVERIFY(shots[0].copy(0, 0, 400, band) != shots[1].copy(0, 0, 400, band));
        QCOMPARE(shots[0].copy(0, band, 400, 300 - band), shots[1].copy(0, band, 400, 300 - band));
    }

    void cameraThatCannotOpenLeavesItsReason()
    {
        QTemporaryDir dir;
        CaptureSource missing;
        missing.kind = CaptureSource::Kind::Device;
        missing.devicePath = dir.path() + QStringLiteral("/video0");
        CVideoView view(m_doc);
        view.SetSettings(&m_config);
        view.SetCaptureSource(missing);
        QVERIFY(!view.StartCapture());
        QVERIFY(view.FailureReason().endsWith(QStringLiteral("No such file or directory")));
        CaptureSource unknown;
        unknown.problem = QStringLiteral("unknown camera source 'video0'");
        view.SetCaptureSource(unknown);
        QVERIFY(!view.StartCapture());
        QCOMPARE(view.FailureReason(), unknown.problem);
    }
};

SCRIVA_QTEST(TestVideoViewMessages)
#include "test_CVideoViewMessages.moc"
