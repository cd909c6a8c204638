// Taking photos in the running program with the demo camera: the take-photo
// command (first bringing the camera, then taking), the camera button 0x40
// sent by "scriva --button", and auto-capture all save straight, upright A4
// pages with counter names into the save folder and show them selected in the
// thumbnail column; the counter is saved at once. A file is replaced only
// after Yes, and a button or an auto-capture tick during the question is
// ignored. The capture settings dialog opens from its left-column button.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "PhotoTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CLeftFormView.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/CScrivaApp.h"
#include "app/widgets/CSkinButton.h"
#include "capture_view/ui/CCaptureSettingsDlg.h"
#include "capture_view/ui/CVideoView.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "thumbs/ui/CThumbView.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace settings = scriva::settings;

class TestPhotoTaking : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME",
                               "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome() { m_home = apptest::freshDesktopHome("demo"); }
    QString folder() const { return m_home->path() + "/Documents/Scriva"; }
    QStringList photos() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }
    static int32_t savedCounter()
    {
        CConfigFile saved;
        return saved.Load(scriva::userConfigFile())
                   ? settings::ReadInt(saved, settings::kCounterNext)
                   : -1;
    }
    // "scriva --button CODE" from another process, as a camera tool sends it.
    static bool sendButton(const QString& code)
    {
        QProcess sender;
        sender.start(QCoreApplication::applicationDirPath() + "/scriva", {"--button", code});
        return QTest::qWaitFor([&] { return sender.state() == QProcess::NotRunning; }, 20000) &&
               sender.exitStatus() == QProcess::NormalExit && sender.exitCode() == 0;
    }
    static void checkPhoto(const QString& path)
    {
        CxImage photo;
        QVERIFY2(photo.Load(QFile::encodeName(path).toStdString(), 0), qPrintable(path));
        QVERIFY(qAbs(double(photo.GetHeight()) / photo.GetWidth() - 297.0 / 210.0) < 0.03);
        QVERIFY(photo.GetWidth() < 1300 && photo.GetWidth() > 1100); // the page, not the desk
        QVERIFY2(phototest::readsUpright(photo), qPrintable(path));
    }
    static void checkSelected(CMainFrame* frame, const QString& path)
    {
        CThumbView* thumbs = frame->thumbView();
        QCOMPARE(thumbs->SelectedPath(), path);
        int listed = 0;
        for (int i = 0; i < thumbs->ItemCount(); ++i)
            listed += thumbs->PathAt(i) == path;
        QCOMPARE(listed, 1);
    }
    CMainFrame* start(CScrivaApp& app)
    {
        if (!app.init({QStringLiteral("scriva")}))
            return nullptr;
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        settings::WriteInt(app.settings(), settings::kCounterNext, 7);
        settings::WriteInt(app.settings(), settings::kCounterStep, 2);
        return frame;
    }
    static bool toCamera(CMainFrame* frame)
    {
        // The take-photo command in the image view brings the camera only.
        if (!frame->router().dispatch(scriva::cmd::kTakePhoto) ||
            frame->RightAreaMode() != scriva::mode::kCapture || !frame->videoView())
            return false;
        CVideoView* view = frame->videoView();
        return QTest::qWaitFor([view] { return view->Graph().Callback().FrameCount() > 0; }, 10000);
    }

private slots:
    void cleanup() { m_home.reset(); }

    void photosByCommandButtonAndTimer()
    {
        freshHome();
        CScrivaApp app;
        CMainFrame* frame = start(app);
        QVERIFY(frame);
        QVERIFY(toCamera(frame));
        QVERIFY(photos().isEmpty());

        QVERIFY(frame->router().dispatch(scriva::cmd::kTakePhoto));
        QCOMPARE(photos(), QStringList{"IMG_7.jpg"});
        QCOMPARE(savedCounter(), 9);
        checkSelected(frame, folder() + "/IMG_7.jpg");

        QVERIFY(sendButton("0x40"));
        QTRY_COMPARE_WITH_TIMEOUT(photos(), (QStringList{"IMG_7.jpg", "IMG_9.jpg"}), 10000);
        QCOMPARE(savedCounter(), 11);
        QTRY_COMPARE(frame->thumbView()->SelectedPath(), folder() + "/IMG_9.jpg");

        // Auto-capture: one at once; the command is off while it runs.
        QVERIFY(frame->router().dispatch(scriva::cmd::kStartAutoCapture));
        QCOMPARE(photos(), (QStringList{"IMG_11.jpg", "IMG_7.jpg", "IMG_9.jpg"}));
        QVERIFY(!frame->router().state(scriva::cmd::kTakePhoto).enabled);
        QVERIFY(!frame->router().state(scriva::cmd::kStartAutoCapture).enabled);
        QVERIFY(frame->router().dispatch(scriva::cmd::kStopAutoCapture));
        QVERIFY(frame->router().state(scriva::cmd::kTakePhoto).enabled);
        QCOMPARE(savedCounter(), 13);
        checkSelected(frame, folder() + "/IMG_11.jpg");
        for (const QString& name : photos())
            checkPhoto(folder() + "/" + name);
        app.shutdown();
    }

    void replacingAsksAndIgnoresPhotosMeanwhile()
    {
        freshHome();
        CScrivaApp app;
        CMainFrame* frame = start(app);
        QVERIFY(frame);
        settings::WriteInt(app.settings(), settings::kAutoCaptureSeconds, 1);
        QVERIFY(toCamera(frame));
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(phototest::writeFile(folder() + "/IMG_7.jpg", "earlier"));
        QVERIFY(phototest::writeFile(folder() + "/IMG_11.jpg", "earlier too"));

        // The command's question: No keeps the file; a button meanwhile is dropped.
        int questions = 0;
        QMessageBox::StandardButton answer = QMessageBox::No;
        std::function<void()> whileAsking;
        QTimer watch;
        QPointer<QMessageBox> last;
        connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == last)
                return;
            last = box;
            if (box->button(QMessageBox::Yes)) {
                ++questions;
                QVERIFY(box->text().startsWith("IMG_"));
                if (whileAsking)
                    whileAsking();
                box->button(answer)->click();
            } else {
                box->button(QMessageBox::Ok)->click(); // "will be replaced"
            }
        });
        watch.start(10);
        whileAsking = [&] {
            QVERIFY(sendButton("0x40"));
            QVERIFY(scriva::test::processUntilIdle());
            QVERIFY(app.isBusy());
        };
        QVERIFY(frame->router().dispatch(scriva::cmd::kTakePhoto));
        QCOMPARE(questions, 1);
        QCOMPARE(phototest::readFile(folder() + "/IMG_7.jpg"), QByteArray("earlier"));
        QCOMPARE(photos(), (QStringList{"IMG_11.jpg", "IMG_7.jpg"}));
        QCOMPARE(savedCounter(), 9);
        QVERIFY(scriva::test::processUntilIdle()); // the dropped button stays dropped
        QCOMPARE(photos(), (QStringList{"IMG_11.jpg", "IMG_7.jpg"}));

        // Auto-capture: IMG_9 at once, IMG_11 on the first tick asks; the next
        // tick and a button during the question take nothing.
        whileAsking = [&] {
            QVERIFY(sendButton("0x40"));
            // The button is handled while the question is open (the timer itself
            // does not fire again inside its own tick's question).
            QVERIFY(scriva::test::processUntilIdle());
            // Commands are off while a photo asks; the test stops the timer itself.
            QVERIFY(!frame->router().dispatch(scriva::cmd::kStopAutoCapture));
            frame->videoView()->Photos().StopAuto();
        };
        QVERIFY(frame->router().dispatch(scriva::cmd::kStartAutoCapture));
        QTRY_COMPARE_WITH_TIMEOUT(questions, 2, 5000);
        QTRY_VERIFY(!app.isBusy());
        QVERIFY(!frame->videoView()->Photos().IsAuto());
        QCOMPARE(photos(), (QStringList{"IMG_11.jpg", "IMG_7.jpg", "IMG_9.jpg"}));
        QCOMPARE(phototest::readFile(folder() + "/IMG_11.jpg"), QByteArray("earlier too"));
        QCOMPARE(savedCounter(), 13);

        // Yes replaces, and the photo is listed once.
        settings::WriteInt(app.settings(), settings::kCounterNext, 7);
        answer = QMessageBox::Yes;
        whileAsking = nullptr;
        QVERIFY(frame->router().dispatch(scriva::cmd::kTakePhoto));
        QCOMPARE(questions, 3);
        checkPhoto(folder() + "/IMG_7.jpg");
        checkSelected(frame, folder() + "/IMG_7.jpg");
        QVERIFY(frame->router().dispatch(scriva::cmd::kTakePhoto)); // IMG_9 exists: Yes again
        checkSelected(frame, folder() + "/IMG_9.jpg");
        app.shutdown();
    }

    void settingsFromTheLeftButton()
    {
        freshHome();
        CScrivaApp app;
        CMainFrame* frame = start(app);
        QVERIFY(frame);
        CSkinButton* button = frame->leftForm()->button(scriva::cmd::kCaptureSettings);
        frame->actions().refresh();
        QVERIFY(button->isEnabled());
        QString title;
        apptest::ModalHandler<CCaptureSettingsDlg> handler([&](CCaptureSettingsDlg* dialog) {
            title = dialog->windowTitle();
            dialog->findChild<QLineEdit*>("id_1001")->setText("Scan");
            dialog->findChild<QLineEdit*>("id_1008")->setText("2");
            dialog->accept();
        });
        QVERIFY(frame->router().dispatch(scriva::cmd::kCaptureSettings));
        QVERIFY(handler.seen());
        QCOMPARE(title, app.pack().String(scriva::str::DialogText(scriva::form::kCaptureSettings)));
        QCOMPARE(settings::ReadString(app.settings(), settings::kPhotoStem),
                 QStringLiteral("Scan"));
        QCOMPARE(settings::ReadInt(app.settings(), settings::kThumbnailCount), 2);
        app.shutdown();
    }
};

SCRIVA_QTEST(TestPhotoTaking)
#include "test_photo_taking.moc"
