// Hands-free capture in the real live view: generated page sequences (pages
// laid down, turned with motion blur, a hand resting on a page, a page lifted
// and put back) are played as JPEG frames in real time through a launch
// description; the photos written must be one of each new page, none of a
// moving page or a hand, taken as a command takes them (counter names, the
// photo signal the thumbnails follow), with the live view saying what it
// waits for and flashing on each photo. The auto-capture commands start and
// stop the mode the settings choose.
//
// The sequence test plays about seven seconds of frames: the watcher works
// on real time (settle time, stillness), which cannot be hurried.

#include "PageSequence.h"
#include "PhotoTestSupport.h"
#include "QtTestRegistry.h"
#include "TestWindowServices.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <gst/gst.h>
#include <memory>

using namespace phototest;
namespace settings = scriva::settings;

class TestPhotoTakerHandsFree : public QObject
{
    Q_OBJECT
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    std::unique_ptr<PhotoSandbox> m_box;
    std::unique_ptr<CConfigFile> m_store;
    CScrivaDoc m_doc;
    TestWindowServices m_window;
    QStringList m_boxTexts;
    QString m_folder;

    std::unique_ptr<CVideoView> makeView(const CaptureSource& source)
    {
        auto view = std::make_unique<CVideoView>(m_doc);
        view->SetSettings(m_store.get());
        view->SetCaptureSource(source);
        m_window.texts = [](int id) { return QStringLiteral("<%1>").arg(id); };
        m_window.onBox = [this](const TestWindowServices::Box& box) { m_boxTexts << box.text; };
        PhotoTaker::Hooks hooks;
        const QString storePath = m_box->path("config.cfg");
        hooks.storePath = [storePath] { return storePath; };
        view->Photos().SetHooks(hooks);
        view->Photos().SetWindow(m_window);
        view->resize(320, 240);
        view->show();
        return view;
    }

    // The script's frames as JPEG files, and the launch description playing
    // them at the script's rate.
    QString record(const pageseq::Script& script)
    {
        const QString folder = m_box->path("frames");
        QDir().mkpath(folder);
        CxImage image;
        image.Create(kWidth, kHeight, 24, CXIMAGE_FORMAT_BMP);
        image.SetJpegQuality(85);
        for (size_t i = 0; i < script.frames.size(); ++i) {
            const std::vector<uint8_t> bgr = pageseq::Draw(script.frames[i].shot, kWidth, kHeight);
            for (int y = 0; y < kHeight; ++y)
                std::memcpy(image.GetBits(kHeight - 1 - y),
                            &bgr[static_cast<size_t>(y) * kWidth * 3], kWidth * 3);
            const QString name =
                QStringLiteral("%1/f%2.jpg").arg(folder).arg(i, 4, 10, QChar(u'0'));
            if (!image.Save(QFile::encodeName(name).toStdString(), CXIMAGE_FORMAT_JPG))
                return {};
        }
        return QStringLiteral("imagesequencesrc location=%1/f%04d.jpg start-index=0 "
                              "framerate=%2/1")
            .arg(folder)
            .arg(static_cast<int>(script.fps));
    }

    static int pageOf(const QString& path, const std::vector<int>& pages)
    {
        CxImage photo;
        if (!photo.Load(QFile::encodeName(path).toStdString(), CXIMAGE_FORMAT_UNKNOWN))
            return -2;
        const int w = static_cast<int>(photo.GetWidth());
        const int h = static_cast<int>(photo.GetHeight());
        std::vector<double> grey(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const RGBQUAD p = photo.GetPixelColor(x, h - 1 - y, false);
                grey[static_cast<size_t>(y) * w + x] =
                    0.299 * p.rgbRed + 0.587 * p.rgbGreen + 0.114 * p.rgbBlue;
            }
        return pageseq::PageShown(grey, w, h, pages);
    }

    QStringList photos() const { return QDir(m_folder).entryList(QDir::Files, QDir::Name); }

    void setMode(AutoCaptureMode mode, int settleMs)
    {
        settings::WriteInt(*m_store, settings::kAutoCaptureMode, int(mode));
        settings::WriteInt(*m_store, settings::kPageSettleMs, settleMs);
    }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void init()
    {
        m_box = std::make_unique<PhotoSandbox>();
        m_store = std::make_unique<CConfigFile>();
        QVERIFY(
            m_store->Load(QStringLiteral(SCRIVA_TEST_SOURCE_DIR) + "/resources/config/config.cfg"));
        // Photos as the page lies (not turned), to compare with the pages drawn.
        settings::WriteInt(*m_store, settings::kImageDirection, 0);
        m_folder = m_box->documents() + "/Scriva";
        m_boxTexts.clear();
    }

    void cleanup()
    {
        m_store.reset();
        m_box.reset();
    }

    void takesOnePhotoOfEachNewPageLaidStill()
    {
        pageseq::Script script;
        script.Still(1, 1.2, true);
        script.Turn(1, 2, 0.6);
        script.Still(2, 1.2, true);
        script.Hand(2, 0.3, 0.8, 0.3); // a hand rests on the page and leaves: no photo
        script.Still(2, 0.8, false);
        script.Turn(2, 3, 0.6);
        script.Still(3, 1.2, true);
        const QString launch = record(script);
        QVERIFY(!launch.isEmpty());
        setMode(AutoCaptureMode::PageChange, 500);

        QStringList notes; // outlives the view, which says its last state as it goes
        int flashing = 0;
        auto view = makeView(CaptureSource::Launch(launch));
        QSignalSpy saved(view.get(), &CVideoView::photoSaved);
        QSignalSpy taken(&view->Photos(), &PhotoTaker::watchPhotoTaken);
        QSignalSpy ended(view.get(), &CVideoView::captureFailed);
        connect(&view->Photos(), &PhotoTaker::watchStateChanged, view.get(), [&] {
            const QString note = view->WatchNote();
            if (notes.isEmpty() || notes.last() != note)
                notes << note;
        });
        connect(view.get(), &CVideoView::photoSaved, view.get(), [&] {
            flashing += view->IsFlashing() ? 1 : 0;
            notes << view->WatchNote();
        });
        QVERIFY2(view->StartCapture(), qPrintable(view->FailureReason()));
        QVERIFY(view->OnCommand(scriva::cmd::kStartAutoCapture));
        QVERIFY(view->Photos().IsWatching());
        // Played to its end: the camera then stops as an unplugged one does.
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);

        std::vector<int> shown;
        for (const QString& name : photos())
            shown.push_back(pageOf(m_folder + u'/' + name, {1, 2, 3}));
        QCOMPARE(shown, script.expected);
        QCOMPARE(photos(), (QStringList{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"}));
        // Taken as a command takes them: the photo signal for the thumbnails,
        // the counter saved at once.
        QCOMPARE(saved.count(), 3);
        QCOMPARE(taken.count(), 3);
        QCOMPARE(saved.last().at(0).toString(), m_folder + "/IMG_3.jpg");
        CConfigFile stored;
        QVERIFY(stored.Load(m_box->path("config.cfg")));
        QCOMPARE(settings::ReadInt(stored, settings::kCounterNext), 4);
        QVERIFY(m_boxTexts.isEmpty());
        // What the picture said: waiting, hold still, taken; it flashed each time.
        QCOMPARE(flashing, 3);
        QVERIFY2(notes.contains(QStringLiteral("<62303>")), qPrintable(notes.join(u'|')));
        QVERIFY2(notes.contains(QStringLiteral("<62304>")), qPrintable(notes.join(u'|')));
        QVERIFY2(notes.contains(QStringLiteral("<62306> IMG_2.jpg")), qPrintable(notes.join(u'|')));
    }

    // The auto-capture commands start and stop the chosen mode: the watcher
    // (which photographs the still page once and then waits), the timer (a
    // photo at once), or nothing when the settings turn it off.
    void autoCaptureCommandsStartTheChosenMode()
    {
        setMode(AutoCaptureMode::PageChange, 200);
        auto view = makeView(CaptureSource::Demo());
        QVERIFY2(view->StartCapture(), qPrintable(view->FailureReason()));
        QVERIFY(QTest::qWaitFor([&] { return view->Graph().Callback().FrameCount() > 0; }, 10000));
        QVERIFY(view->WatchNote().isEmpty());
        QVERIFY(view->OnUpdateCommand(scriva::cmd::kStartAutoCapture)->enabled);
        QVERIFY(!view->OnUpdateCommand(scriva::cmd::kStopAutoCapture)->enabled);
        QVERIFY(view->OnCommand(scriva::cmd::kStartAutoCapture));
        QVERIFY(view->Photos().IsWatching());
        QVERIFY(photos().isEmpty()); // none at once: the page must lie still first
        QVERIFY(!view->OnUpdateCommand(scriva::cmd::kStartAutoCapture)->enabled);
        QVERIFY(!view->OnUpdateCommand(scriva::cmd::kTakePhoto)->enabled);
        QVERIFY(view->OnUpdateCommand(scriva::cmd::kStopAutoCapture)->enabled);
        QVERIFY(!view->WatchNote().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(photos().size(), 1, 20000);
        QTest::qWait(1000); // the same page: no second photo
        QCOMPARE(photos(), QStringList{"IMG_1.jpg"});
        QVERIFY(view->OnCommand(scriva::cmd::kStopAutoCapture));
        QVERIFY(!view->Photos().IsAuto());
        QVERIFY(view->WatchNote().isEmpty());

        // Off: the start command is disabled and starts nothing.
        setMode(AutoCaptureMode::Off, 200);
        QVERIFY(!view->OnUpdateCommand(scriva::cmd::kStartAutoCapture)->enabled);
        view->OnCommand(scriva::cmd::kStartAutoCapture);
        QVERIFY(!view->Photos().IsAuto());
        QCOMPARE(photos().size(), 1);

        // At an interval: a photo at once, then one per interval.
        setMode(AutoCaptureMode::Timer, 200);
        QVERIFY(view->OnUpdateCommand(scriva::cmd::kStartAutoCapture)->enabled);
        QVERIFY(view->OnCommand(scriva::cmd::kStartAutoCapture));
        QVERIFY(view->Photos().IsAuto());
        QVERIFY(!view->Photos().IsWatching());
        QCOMPARE(photos().size(), 2);
        QVERIFY(view->WatchNote().isEmpty());
        QVERIFY(view->OnCommand(scriva::cmd::kStopAutoCapture));
        QVERIFY(!view->Photos().IsAuto());
        QVERIFY(m_boxTexts.isEmpty());
    }
};

SCRIVA_QTEST(TestPhotoTakerHandsFree)
#include "test_PhotoTakerHandsFree.moc"
