// Auto-capture soak: the capture view with the demo camera takes a photo at
// once and then on every tick of the auto-capture timer for the given number
// of minutes, into a temporary save folder with counter names. Afterwards it
// checks that every tick saved exactly one photo, that no photo was lost or
// overwritten (each file still has the size and time it had when saved), and
// that resident memory stayed flat after the first photos. Prints one JSON
// line and exits 0 when all holds.
//   soak_autocapture MINUTES [INTERVAL_SECONDS]

#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"
#include "image/ui/QtWindowServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <gst/gst.h>
#include <map>

namespace {

constexpr int kWarmUpPhotos = 5;            // memory is measured from here on
constexpr long kFlatRssLimitKb = 16 * 1024; // growth allowed after warm-up

long ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

struct Saved
{
    qint64 size = 0;
    QDateTime modified;
};

// Boxes are counted, not shown; Plain's own behaviour for everything else.
class ReportingWindow : public QtWindowServices
{
public:
    explicit ReportingWindow(QStringList& reports) : m_reports(reports) {}
    Button Ask(QWidget*, const QString& text, Buttons, Icon, Button, const QString&) override
    {
        m_reports << text;
        return No;
    }

private:
    QStringList& m_reports;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MINUTES [INTERVAL_SECONDS]\n", argv[0]);
        return 2;
    }
    const double minutes = QString::fromLocal8Bit(argv[1]).toDouble();
    const int interval = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    QTemporaryDir dir;
    const QString source = QStringLiteral(SCRIVA_SOAK_CONFIG);
    CConfigFile store;
    if (!store.Load(source)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(source));
        return 2;
    }
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    const QString folder = dir.filePath(QStringLiteral("photos"));
    store.SetString(QStringLiteral("savePath"), folder, S);
    store.SetInt(QStringLiteral("interval"), int32_t(interval), S);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));

    CScrivaDoc doc;
    CVideoView view(doc);
    view.SetSettings(&store);
    view.SetCaptureSource(CaptureSource::Demo());
    PhotoTaker::Hooks hooks;
    QStringList reports;
    ReportingWindow window(reports); // a question counts as No
    view.Photos().SetWindow(window);
    const QString storePath = dir.filePath(QStringLiteral("config.cfg"));
    hooks.storePath = [storePath] { return storePath; };
    view.Photos().SetHooks(hooks);
    view.resize(640, 480);
    view.show();
    if (!view.StartCapture()) {
        std::fprintf(stderr, "the demo camera did not start\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    while (view.Graph().Callback().FrameCount() == 0 && clock.elapsed() < 10000)
        app.processEvents(QEventLoop::AllEvents, 50);

    std::map<QString, Saved> saved;
    int duplicates = 0;
    long rssWarm = -1;
    long rssMax = 0;
    QObject::connect(&view, &CVideoView::photoSaved, [&](const QString& path) {
        const QFileInfo info(path);
        if (saved.count(path))
            ++duplicates;
        saved[path] = Saved{info.size(), info.lastModified()};
        const long rss = ResidentKb();
        if (int(saved.size()) == kWarmUpPhotos)
            rssWarm = rss;
        rssMax = std::max(rssMax, rss);
    });
    int ticks = 0;
    QTimer* autoTimer = view.Photos().findChild<QTimer*>(
        QStringLiteral("timer_%1").arg(PhotoTaker::kAutoCaptureTimer));
    if (!autoTimer) {
        std::fprintf(stderr, "no auto-capture timer\n");
        return 1;
    }
    QObject::connect(autoTimer, &QTimer::timeout, [&ticks] { ++ticks; });
    view.OnCommand(scriva::cmd::kStartAutoCapture);
    const bool commandOff = !view.OnUpdateCommand(scriva::cmd::kTakePhoto)->enabled;
    QTimer::singleShot(int(minutes * 60000), &app, &QApplication::quit);
    app.exec();
    view.OnCommand(scriva::cmd::kStopAutoCapture);
    app.processEvents();

    int changed = 0;
    for (const auto& [path, s] : saved) {
        const QFileInfo info(path);
        if (!info.isFile() || info.size() != s.size || info.lastModified() != s.modified)
            ++changed;
    }
    const int files = int(QDir(folder).entryList(QDir::Files).size());
    const int expected = ticks + 1; // one at once, then one per tick
    const long rssEnd = ResidentKb();
    const long growth = rssWarm < 0 ? -1 : rssMax - rssWarm;
    const bool ok = int(saved.size()) == expected && files == expected && duplicates == 0 &&
                    changed == 0 && reports.isEmpty() && commandOff && growth >= 0 &&
                    growth <= kFlatRssLimitKb;
    std::printf("{\"minutes\": %.2f, \"interval_s\": %d, \"ticks\": %d, \"photos\": %d, "
                "\"files\": %d, \"duplicates\": %d, \"changed\": %d, \"messages\": %d, "
                "\"rss_warm_kb\": %ld, \"rss_max_kb\": %ld, \"rss_end_kb\": %ld, "
                "\"ok\": %s}\n",
                minutes, interval, ticks, int(saved.size()), files, duplicates, changed,
                int(reports.size()), rssWarm, rssMax, rssEnd, ok ? "true" : "false");
    view.Graph().Shutdown();
    return ok ? 0 : 1;
}
