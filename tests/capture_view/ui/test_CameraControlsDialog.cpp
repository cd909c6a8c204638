// The camera settings dialog: one editor per kind of V4L2 control, changes
// reported at once; sources without controls show nothing; the view that owns
// it may go away while it is open (the camera was unplugged, the camera button
// switched views): the dialog goes with it.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/CameraControlsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gst/gst.h>
#include <linux/videodev2.h>

class TestCameraControlsDialog : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;

    static V4l2::Control Brightness()
    {
        V4l2::Control c;
        c.id = V4L2_CID_BRIGHTNESS;
        c.type = V4L2_CTRL_TYPE_INTEGER;
        c.name = QStringLiteral("Brightness");
        c.minimum = 0;
        c.maximum = 255;
        c.value = 128;
        return c;
    }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void editorsFollowTheControlTypes()
    {
        V4l2::Control brightness;
        brightness.id = V4L2_CID_BRIGHTNESS;
        brightness.type = V4L2_CTRL_TYPE_INTEGER;
        brightness.name = QStringLiteral("Brightness");
        brightness.minimum = -64;
        brightness.maximum = 64;
        brightness.value = 10;
        V4l2::Control autoWhite{V4L2_CID_AUTO_WHITE_BALANCE,
                                V4L2_CTRL_TYPE_BOOLEAN,
                                QStringLiteral("Auto white"),
                                0,
                                1,
                                1,
                                1,
                                1,
                                0,
                                {}};
        V4l2::Control mains{V4L2_CID_POWER_LINE_FREQUENCY,
                            V4L2_CTRL_TYPE_MENU,
                            QStringLiteral("Power line"),
                            0,
                            2,
                            1,
                            1,
                            2,
                            0,
                            {{0, "Off"}, {1, "50 Hz"}, {2, "60 Hz"}}};
        V4l2::Control reset{V4L2_CID_PAN_RESET,
                            V4L2_CTRL_TYPE_BUTTON,
                            QStringLiteral("Pan reset"),
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            {}};
        V4l2::Control readOnly = brightness;
        readOnly.id = V4L2_CID_CONTRAST;
        readOnly.flags = V4L2_CTRL_FLAG_READ_ONLY;
        V4l2::Control text{
            V4L2_CID_CAMERA_CLASS_BASE + 100, V4L2_CTRL_TYPE_STRING, "Text", 0, 0, 0, 0, 0, 0, {}};

        CameraControlsDialog dialog(-1, {brightness, autoWhite, mains, reset, readOnly, text});
        QSignalSpy applied(&dialog, &CameraControlsDialog::controlApplied);

        auto* editor =
            dialog.findChild<QWidget*>(QStringLiteral("ctrl_%1").arg(V4L2_CID_BRIGHTNESS));
        QVERIFY(editor);
        auto* spin = editor->findChild<QSpinBox*>();
        auto* slider = editor->findChild<QSlider*>();
        QVERIFY(spin && slider);
        QCOMPARE(spin->value(), 10);
        QCOMPARE(slider->minimum(), -64);
        slider->setValue(-20); // the slider drives the spin box and the camera
        QCOMPARE(spin->value(), -20);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied.last().at(0).toUInt(), quint32(V4L2_CID_BRIGHTNESS));
        QCOMPARE(applied.last().at(1).toInt(), -20);
        QCOMPARE(applied.last().at(2).toBool(), false); // no device behind it

        auto* check = dialog.findChild<QCheckBox*>(
            QStringLiteral("ctrl_%1").arg(V4L2_CID_AUTO_WHITE_BALANCE));
        QVERIFY(check && check->isChecked());
        check->setChecked(false);
        QCOMPARE(applied.last().at(1).toInt(), 0);

        auto* combo = dialog.findChild<QComboBox*>(
            QStringLiteral("ctrl_%1").arg(V4L2_CID_POWER_LINE_FREQUENCY));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QStringLiteral("60 Hz"));

        auto* button =
            dialog.findChild<QPushButton*>(QStringLiteral("ctrl_%1").arg(V4L2_CID_PAN_RESET));
        QVERIFY(button);
        button->click();
        QCOMPARE(applied.last().at(0).toUInt(), quint32(V4L2_CID_PAN_RESET));

        QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("ctrl_%1").arg(V4L2_CID_CONTRAST))
                     ->isEnabled());
        QVERIFY(!dialog.findChild<QWidget*>(
            QStringLiteral("ctrl_%1").arg(V4L2_CID_CAMERA_CLASS_BASE + 100)));
    }

    void sourcesWithoutControlsShowNothing()
    {
        QVERIFY(!CameraControlsDialog::ShowFor(QString(), nullptr));
        QVERIFY(!CameraControlsDialog::ShowFor(QStringLiteral("/nonexistent/video0"), nullptr));
        QVERIFY(!CameraControlsDialog::ShowFor(QStringLiteral("/dev/null"), nullptr));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The view that owns the dialog is replaced (deleteLater) while the
    // dialog's own loop runs: the dialog goes with it and nothing crashes.
    void ownerReplacedWhileTheSettingsDialogIsOpen()
    {
        QObject guard; // keeps the timers from outliving this test
        auto* owner = new QWidget;
        owner->resize(300, 200);
        owner->show();
        QPointer<QWidget> ownerAlive(owner);
        bool dialogWasUp = false;
        QTimer::singleShot(100, &guard, [&] {
            dialogWasUp = qobject_cast<CameraControlsDialog*>(QApplication::activeModalWidget());
            ownerAlive->deleteLater();
        });
        // Should the dialog outlive its owner, close it rather than hang.
        QTimer::singleShot(5000, &guard, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        CameraControlsDialog::RunModal(-1, {Brightness()}, owner);
        QVERIFY(dialogWasUp);
        QVERIFY(ownerAlive.isNull());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The same with a capture view as the owner, the way the view opens it.
    void captureViewReplacedWhileTheSettingsDialogIsOpen()
    {
        QObject guard;
        auto* view = new CVideoView(m_doc);
        view->resize(320, 240);
        view->show();
        view->SetCaptureSource(CaptureSource::Test());
        QVERIFY(view->StartCapture());
        QPointer<CVideoView> viewAlive(view);
        QTimer::singleShot(100, &guard, [&] { viewAlive->deleteLater(); });
        QTimer::singleShot(5000, &guard, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        CameraControlsDialog::RunModal(-1, {Brightness()}, view);
        QVERIFY(viewAlive.isNull());
        QVERIFY(!QApplication::activeModalWidget());
    }
};

SCRIVA_QTEST(TestCameraControlsDialog)
#include "test_CameraControlsDialog.moc"
