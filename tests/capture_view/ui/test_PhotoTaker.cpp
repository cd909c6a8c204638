// Photos taken by the capture view with the demo camera: counter names and the
// counter saved at once, the replace question (No keeps, Yes replaces), no
// second photo from a command or an auto-capture tick while the question is
// open, the print path touching nothing, failures reported and nothing lost.
// A photo from a camera's JPEG stream is developed from the full-size frame.

#include "EventIdle.h"
#include "PhotoTestSupport.h"
#include "QtTestRegistry.h"
#include "TestWindowServices.h"
#include "capture/DemoCamera.h"
#include "capture_view/InkDrawing.h"
#include "capture_view/PhotoNaming.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <gst/gst.h>
#include <memory>
#include <vector>

using namespace phototest;

class TestPhotoTaker : public QObject
{
    Q_OBJECT
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    std::unique_ptr<PhotoSandbox> m_box;
    std::unique_ptr<CConfigFile> m_store;
    CScrivaDoc m_doc;
    QString m_storePath;
    QString m_folder;
    QStringList m_boxTexts;
    // What the next question box answers, and what runs while it is open.
    TestWindowServices m_window;
    std::function<void()> m_whileAsking;

    std::unique_ptr<CVideoView> startView(const CaptureSource& source = CaptureSource::Demo())
    {
        auto view = std::make_unique<CVideoView>(m_doc);
        view->SetSettings(m_store.get());
        view->SetCaptureSource(source);
        PhotoTaker::Hooks hooks;
        m_window.texts = [](int id) { return QStringLiteral("<%1>").arg(id); };
        m_window.onBox = [this](const TestWindowServices::Box& box) {
            m_boxTexts << box.text;
            if ((box.buttons & IWindowServices::Yes) && m_whileAsking)
                m_whileAsking();
        };
        hooks.storePath = [this] { return m_storePath; };
        view->Photos().SetHooks(hooks);
        view->Photos().SetWindow(m_window);
        view->resize(320, 240);
        if (!view->StartCapture())
            return nullptr;
        if (!QTest::qWaitFor([&] { return view->Graph().Callback().FrameCount() > 0; }, 10000))
            return nullptr;
        return view;
    }
    int32_t savedCounter() const
    {
        CConfigFile saved;
        int32_t v = 0;
        if (saved.Load(m_storePath))
            saved.GetInt(QStringLiteral("initialValue"), v, S);
        return v;
    }
    QStringList photos() const { return QDir(m_folder).entryList(QDir::Files, QDir::Name); }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void cleanup()
    {
        m_store.reset();
        m_box.reset(); // puts the environment back
    }

    void init()
    {
        m_box = std::make_unique<PhotoSandbox>();
        m_store = std::make_unique<CConfigFile>();
        QVERIFY(
            m_store->Load(QStringLiteral(SCRIVA_TEST_SOURCE_DIR) + "/resources/config/config.cfg"));
        m_storePath = m_box->path("config.cfg");
        m_folder = m_box->documents() + "/Scriva";
        m_boxTexts.clear();
        m_window.answer = IWindowServices::No;
        m_whileAsking = nullptr;
    }

    void counterNamesAreSavedAtOnceAndPhotosAreUpright()
    {
        m_store->SetInt(QStringLiteral("initialValue"), 7, S);
        m_store->SetInt(QStringLiteral("increment"), 2, S);
        auto view = startView();
        QVERIFY(view);
        QSignalSpy saved(view.get(), &CVideoView::photoSaved);
        for (int expected : {9, 11, 13}) {
            QVERIFY(view->OnCommand(scriva::cmd::kTakePhoto));
            QCOMPARE(savedCounter(), expected);
        }
        QCOMPARE(photos(), (QStringList{"IMG_11.jpg", "IMG_7.jpg", "IMG_9.jpg"}));
        QCOMPARE(saved.count(), 3);
        QCOMPARE(saved.last().at(0).toString(), m_folder + "/IMG_11.jpg");
        CxImage photo;
        QVERIFY(photo.Load(QFile::encodeName(m_folder + "/IMG_9.jpg").toStdString(), 0));
        QVERIFY(qAbs(double(photo.GetHeight()) / photo.GetWidth() - 297.0 / 210.0) < 0.03);
        QVERIFY(readsUpright(photo));
        QVERIFY(m_boxTexts.isEmpty());
    }

    void replacingAsksFirstAndIgnoresPhotosMeanwhile()
    {
        m_store->SetInt(QStringLiteral("interval"), 0, S); // clamped to a second
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(writeFile(m_folder + "/IMG_2.jpg", "earlier"));
        auto view = startView();
        QVERIFY(view);
        QSignalSpy saved(view.get(), &CVideoView::photoSaved);
        int questions = 0;
        m_whileAsking = [&] {
            ++questions;
            // A command arrives while the box is open.
            QVERIFY(!view->OnUpdateCommand(scriva::cmd::kTakePhoto)->enabled);
            QVERIFY(!view->TakePhoto());
            // What was queued meanwhile is handled (the timer itself does not
            // fire again inside its own tick's question).
            QVERIFY(scriva::test::processUntilIdle());
            view->Photos().StopAuto();
        };
        // Auto-capture: IMG_1 at once, IMG_2 on the first tick asks; No keeps it.
        m_window.answer = IWindowServices::No;
        QVERIFY(view->OnCommand(scriva::cmd::kStartAutoCapture));
        QCOMPARE(view->Photos().IntervalMs(), 1000);
        QVERIFY(!view->OnUpdateCommand(scriva::cmd::kTakePhoto)->enabled);
        QTRY_COMPARE_WITH_TIMEOUT(questions, 1, 5000);
        QTRY_VERIFY(!view->Photos().InProgress());
        QVERIFY(!view->Photos().IsAuto());
        QCOMPARE(questions, 1);
        QCOMPARE(readFile(m_folder + "/IMG_2.jpg"), QByteArray("earlier"));
        QCOMPARE(photos(), (QStringList{"IMG_1.jpg", "IMG_2.jpg"}));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(savedCounter(), 3);
        QCOMPARE(m_boxTexts, QStringList{"IMG_2.jpg <61830>"});

        // Yes: told, then replaced by the photo.
        m_store->SetInt(QStringLiteral("initialValue"), 2, S);
        m_window.answer = IWindowServices::Yes;
        m_whileAsking = [&] { ++questions; };
        m_boxTexts.clear();
        QVERIFY(view->TakePhoto());
        QCOMPARE(questions, 2);
        QCOMPARE(m_boxTexts, (QStringList{"IMG_2.jpg <61830>", "<61829>"}));
        QVERIFY(readFile(m_folder + "/IMG_2.jpg").startsWith("\xff\xd8"));
        QCOMPARE(saved.count(), 2);
        QCOMPARE(photos(), (QStringList{"IMG_1.jpg", "IMG_2.jpg"}));
    }

    void printPathTouchesNothing()
    {
        auto view = startView();
        QVERIFY(view);
        QVERIFY(view->TakePhoto(true));
        QVERIFY(view->Photos().LastPhoto().IsValid());
        QVERIFY(readsUpright(view->Photos().LastPhoto()));
        QVERIFY(!QFileInfo::exists(m_storePath));
        QVERIFY(!QFileInfo::exists(m_folder));
        QVERIFY(m_boxTexts.isEmpty());
    }

    void failuresAreReportedAndNothingIsLost()
    {
        // A save folder that cannot be made: a file stands in its way.
        QVERIFY(writeFile(m_box->documents() + "/Scriva", "a file"));
        auto view = startView();
        QVERIFY(view);
        QSignalSpy saved(view.get(), &CVideoView::photoSaved);
        QVERIFY(!view->TakePhoto());
        QCOMPARE(m_boxTexts.size(), 1);
        QVERIFY(m_boxTexts.first().startsWith("<62005>\n" + m_folder + "/IMG_1.jpg"));
        QCOMPARE(readFile(m_box->documents() + "/Scriva"), QByteArray("a file"));

        // A stem that would leave the folder: refused before the counter moves.
        m_boxTexts.clear();
        m_store->SetString(QStringLiteral("fileName"), QStringLiteral("../x"), S);
        QVERIFY(!view->TakePhoto());
        QCOMPARE(m_boxTexts.size(), 1);
        QVERIFY(m_boxTexts.first().startsWith("<62003>"));
        QCOMPARE(savedCounter(), 2);

        // An unknown format saves nothing and says nothing.
        m_boxTexts.clear();
        m_store->SetString(QStringLiteral("fileName"), QStringLiteral("IMG"), S);
        m_store->SetString(QStringLiteral("pictureFormat"), QStringLiteral("gif"), S);
        QVERIFY(QFile::remove(m_box->documents() + "/Scriva"));
        QVERIFY(!view->TakePhoto());
        QVERIFY(m_boxTexts.isEmpty());
        QVERIFY(photos().isEmpty());
        QCOMPARE(saved.count(), 0);
    }

    void aPictureDrawnOnIsSavedAsANewPhoto()
    {
        m_store->SetString(QStringLiteral("pictureFormat"), QStringLiteral("png"), S);
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(writeFile(m_folder + "/IMG_1.png", "earlier"));
        auto view = startView();
        QVERIFY(view);
        QSignalSpy saved(view.get(), &CVideoView::photoSaved);
        CxImage frame;
        QVERIFY(view->Graph().CopyHeldFrame(frame));
        const int width = int(frame.GetWidth());
        const int height = int(frame.GetHeight());
        // A blue pen line across the middle of the frame, drawn at actual size.
        InkDrawing ink;
        ink.SetColour(InkDrawing::Colour::Blue);
        QVERIFY(ink.BeginStroke(QPointF(width / 4.0, height / 2.0), QTransform()));
        QVERIFY(ink.ExtendStroke(QPointF(width * 3 / 4.0, height / 2.0), QTransform()));
        ink.EndStroke();
        QVERIFY(ink.DrawInto(frame));
        QVERIFY(view->Photos().SaveShown(frame, width));
        // The counter's name was taken by another file: the first free one.
        QCOMPARE(photos(), (QStringList{"IMG_1.png", "IMG_1_2.png"}));
        QCOMPARE(readFile(m_folder + "/IMG_1.png"), QByteArray("earlier"));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.last().at(0).toString(), m_folder + "/IMG_1_2.png");
        QCOMPARE(savedCounter(), 2);
        CxImage photo;
        QVERIFY(photo.Load(QFile::encodeName(m_folder + "/IMG_1_2.png").toStdString(), 0));
        QCOMPARE(int(photo.GetWidth()), width);
        QCOMPARE(int(photo.GetHeight()), height);
        const QColor blue = InkDrawing::Shade(InkDrawing::Tool::Pen, InkDrawing::Colour::Blue);
        const RGBQUAD at = photo.GetPixelColor(width / 2, height - 1 - height / 2);
        QCOMPARE(QColor(at.rgbRed, at.rgbGreen, at.rgbBlue), blue);
        QVERIFY(m_boxTexts.isEmpty());
        // Nothing to save: reported, no file, no signal.
        CxImage none;
        QVERIFY(!view->Photos().SaveShown(none, width));
        QCOMPARE(m_boxTexts.size(), 1);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(photos().size(), 2);
    }

    // The live view shows a JPEG stream decoded at an eighth of its size; the
    // photo is the full 2592 x 1944 frame developed: the temporary bitmap
    // holds the frame's full decode and the saved photo is, pixel for pixel,
    // what the photo steps make of that decode.
    void photoFromJpegStreamIsTheFullFrameDeveloped()
    {
        CxImage page;
        page.Copy(DemoCamera::Picture());
        page.SetJpegQuality(90.0f);
        std::vector<uint8_t> bytes;
        QVERIFY(page.Encode(bytes, CXIMAGE_FORMAT_JPG));
        const QString jpeg = m_box->path("frame.jpg");
        QVERIFY(writeFile(jpeg, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           qsizetype(bytes.size()))));
        CxImage decoded;
        QVERIFY(decoded.Load(QFile::encodeName(jpeg).toStdString(), CXIMAGE_FORMAT_JPG));
        QCOMPARE(int(decoded.GetWidth()), DemoCamera::kWidth);

        m_store->SetString(QStringLiteral("pictureFormat"), QStringLiteral("bmp"), S);
        auto view = startView(CaptureSource::Launch(
            QStringLiteral("multifilesrc location=%1 loop=true caps=image/jpeg,framerate=15/1")
                .arg(jpeg),
            4));
        QVERIFY(view);
        view->show();
        const auto shownScale = [&view] {
            CGrabberCallback::FrameAccess frame(view->Graph().Callback());
            return frame.scaled() ? frame.scaled()->denominator : 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(shownScale(), 8, 20000);
        QVERIFY(view->OnCommand(scriva::cmd::kTakePhoto));
        QCOMPARE(photos(), QStringList{"IMG_1.bmp"});

        // The temporary bitmap: the frame's full decode.
        const PhotoSettings settings = PhotoSettingsReader::Read(*m_store);
        CxImage temp;
        QVERIFY(temp.Load(
            QFile::encodeName(PhotoNaming::TempBitmapPath(settings.tempPath, settings.tempName))
                .toStdString(),
            CXIMAGE_FORMAT_BMP));
        QCOMPARE(int(temp.GetWidth()), DemoCamera::kWidth);
        QCOMPARE(int(temp.GetHeight()), DemoCamera::kHeight);
        QCOMPARE(temp.GetEffWidth(), decoded.GetEffWidth());
        QVERIFY(std::memcmp(temp.GetBits(0), decoded.GetBits(0),
                            size_t(decoded.GetEffWidth()) * decoded.GetHeight()) == 0);

        // The photo: that decode developed with the same settings.
        PhotoMemory memory;
        PhotoJob expected(*m_store, QString(), memory);
        QVERIFY(expected.Prepare(QDateTime::currentDateTime(), true));
        QVERIFY(expected.Develop(decoded, 4, DemoCamera::kWidth));
        const CxImage& want = expected.Photo();
        // The upright A4 page cut from 5 MP: an eighth of the frame is 243 high.
        QVERIFY(want.GetHeight() > uint32_t(DemoCamera::kHeight) * 3 / 4);
        CxImage photo;
        QVERIFY(photo.Load(QFile::encodeName(m_folder + "/IMG_1.bmp").toStdString(),
                           CXIMAGE_FORMAT_BMP));
        QCOMPARE(photo.GetWidth(), want.GetWidth());
        QCOMPARE(photo.GetHeight(), want.GetHeight());
        QCOMPARE(photo.GetXDPI(), int32_t(PhotoProcessor::ResolutionForFrameWidth(2592)));
        QVERIFY(std::memcmp(photo.GetBits(0), want.GetBits(0),
                            size_t(want.GetEffWidth()) * want.GetHeight()) == 0);
        QVERIFY(readsUpright(photo));
        QVERIFY(m_boxTexts.isEmpty());
    }
};

SCRIVA_QTEST(TestPhotoTaker)
#include "test_PhotoTaker.moc"
