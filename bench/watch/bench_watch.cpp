// Hands-free capture on generated camera sequences.
//   bench_watch --table     the scenarios' photos against their pages, the time
//                           from still to the photo on disk, the watcher's
//                           processor time per 5 MP frame
//   bench_watch --frames DIR [SCENARIO]
//                           writes the scenario's frames (default "different
//                           pages") into DIR as f0000.jpg ... and prints the
//                           camera source that plays them in the program
//   bench_watch             Google Benchmark: the watcher on one 5 MP frame
// The sequences are drawn at 640x480 and passed through JPEG at quality 85 as
// a camera delivers them; a photo counts as unclean when its frame shows a
// hand or a moving page.

#include "capture_view/PageSequence.h"

#include "capture_view/PageWatcher.h"
#include "capture_view/PhotoJob.h"
#include "config/CConfigFile.h"
#include "image/cximage/CxImage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace scriva::watch;

namespace {

constexpr int kSeqWidth = 640;
constexpr int kSeqHeight = 480;
constexpr int kBigWidth = 2592; // 5 MP
constexpr int kBigHeight = 1944;

CxImage ToImage(const std::vector<uint8_t>& bgr, int width, int height)
{
    CxImage image;
    image.Create(width, height, 24, CXIMAGE_FORMAT_BMP);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.GetBits(height - 1 - y), &bgr[static_cast<size_t>(y) * width * 3],
                    static_cast<size_t>(width) * 3);
    return image;
}

CxImage ThroughJpeg(const CxImage& image)
{
    CxImage copy(image);
    copy.SetJpegQuality(85);
    std::vector<uint8_t> bytes;
    copy.Encode(bytes, CXIMAGE_FORMAT_JPG);
    CxImage back;
    back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_JPG);
    return back;
}

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

struct Row
{
    int pages = 0;
    int photos = 0;
    int missed = 0;
    int duplicates = 0;
    int unclean = 0;
    double worstDelay = 0; // from the first still frame to the decision, seconds of stream
};

Row RunScenario(const std::string& name, double settle)
{
    const pageseq::Script script = pageseq::Scenario(name);
    WatchSettings settings;
    settings.settleSeconds = settle;
    PageWatcher watcher(settings);
    Row row;
    row.pages = static_cast<int>(script.expected.size());
    std::vector<int> taken;
    size_t stillStart = 0;
    SmallFrame small;
    for (size_t i = 0; i < script.frames.size(); ++i) {
        const pageseq::Frame& frame = script.frames[i];
        if (!frame.clean || i == 0 || !script.frames[i - 1].clean ||
            script.frames[i - 1].shot.page != frame.shot.page)
            stillStart = i;
        const CxImage image = ThroughJpeg(
            ToImage(pageseq::Draw(frame.shot, kSeqWidth, kSeqHeight), kSeqWidth, kSeqHeight));
        ShrinkGrey(image.GetBits(0), kSeqWidth, kSeqHeight, static_cast<int>(image.GetEffWidth()),
                   3, true, small);
        if (!watcher.Feed(small, static_cast<double>(i) / script.fps))
            continue;
        watcher.Taken();
        ++row.photos;
        if (!frame.clean)
            ++row.unclean;
        if (!taken.empty() && taken.back() == frame.shot.page)
            ++row.duplicates;
        taken.push_back(frame.shot.page);
        row.worstDelay = std::max(row.worstDelay, static_cast<double>(i - stillStart) / script.fps);
    }
    for (const int page : script.expected)
        if (std::find(taken.begin(), taken.end(), page) == taken.end())
            ++row.missed;
    return row;
}

// Wall time of one photo of a 5 MP frame, from the held frame to the file on
// disk (naming, counter, page cut, straightening, JPEG save); the median of 5.
double PhotoSeconds(double& cpuSeconds)
{
    QTemporaryDir dir;
    CConfigFile store;
    if (!store.Load(QStringLiteral(SCRIVA_BENCH_CONFIG)))
        return -1;
    store.SetString(QStringLiteral("savePath"), dir.filePath(QStringLiteral("photos")),
                    QStringLiteral("TAKE_PHOTOS_SET"));
    pageseq::Shot shot;
    shot.page = 3;
    shot.noise = 2.0;
    const CxImage frame =
        ToImage(pageseq::Draw(shot, kBigWidth, kBigHeight), kBigWidth, kBigHeight);
    PhotoMemory memory;
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < 5; ++i) {
        CxImage copy(frame);
        QElapsedTimer t;
        t.start();
        const double cpuStart = CpuSeconds();
        PhotoJob job(store, dir.filePath(QStringLiteral("config.cfg")), memory);
        if (!job.Prepare(QDateTime::currentDateTime().addSecs(i)) ||
            !job.Develop(copy, 0, kBigWidth))
            return -1;
        times.push_back(t.nsecsElapsed() / 1e9);
        cpu.push_back(CpuSeconds() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    cpuSeconds = cpu[cpu.size() / 2];
    return times[times.size() / 2];
}

// Processor time of shrinking one 5 MP frame (24-bit, rows bottom-up as the
// frame image holds it) and feeding the watcher, per frame.
double WatchCpuPerFrame(int frames)
{
    pageseq::Shot shot;
    shot.page = 2;
    shot.noise = 2.0;
    const CxImage a = ToImage(pageseq::Draw(shot, kBigWidth, kBigHeight), kBigWidth, kBigHeight);
    shot.seed = 9;
    const CxImage b = ToImage(pageseq::Draw(shot, kBigWidth, kBigHeight), kBigWidth, kBigHeight);
    PageWatcher watcher;
    SmallFrame small;
    const double start = CpuSeconds();
    for (int i = 0; i < frames; ++i) {
        const CxImage& image = (i % 2) ? a : b;
        ShrinkGrey(image.GetBits(0), kBigWidth, kBigHeight, static_cast<int>(image.GetEffWidth()),
                   3, true, small);
        watcher.Feed(small, i / 15.0);
    }
    return (CpuSeconds() - start) / frames;
}

int Table()
{
    const double settle = WatchSettings{}.settleSeconds;
    std::printf("| sequence | new pages | photos | missed | duplicates | hand or blur | "
                "still to decision (s) |\n|---|---|---|---|---|---|---|\n");
    double worst = 0;
    for (const std::string& name : pageseq::ScenarioNames()) {
        const Row r = RunScenario(name, settle);
        worst = std::max(worst, r.worstDelay);
        std::printf("| %s | %d | %d | %d | %d | %d | %.2f |\n", name.c_str(), r.pages, r.photos,
                    r.missed, r.duplicates, r.unclean, r.worstDelay);
    }
    double photoCpu = 0;
    const double photo = PhotoSeconds(photoCpu);
    std::printf("\nsettle %.1f s; worst still to decision %.2f s (frames of 1/15 s); one 5 MP "
                "photo to disk %.3f s wall, %.3f s processor (medians of 5); still to photo on "
                "disk <= %.2f s\n",
                settle, worst, photo, photoCpu, worst + photo);
    const double cpu = WatchCpuPerFrame(300);
    std::printf("watcher per 5 MP frame: %.3f ms processor time = %.2f %% of one core at 15 "
                "frames/s\n",
                cpu * 1e3, cpu * 15 * 100);
    return 0;
}

void BM_Watch5MPFrame(benchmark::State& state)
{
    pageseq::Shot shot;
    shot.page = 2;
    shot.noise = 2.0;
    const CxImage image =
        ToImage(pageseq::Draw(shot, kBigWidth, kBigHeight), kBigWidth, kBigHeight);
    PageWatcher watcher;
    SmallFrame small;
    double t = 0;
    for (auto _ : state) {
        ShrinkGrey(image.GetBits(0), kBigWidth, kBigHeight, static_cast<int>(image.GetEffWidth()),
                   3, true, small);
        benchmark::DoNotOptimize(watcher.Feed(small, t += 1.0 / 15));
    }
}
BENCHMARK(BM_Watch5MPFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int WriteFrames(const char* folder, const std::string& name)
{
    const std::vector<std::string> names = pageseq::ScenarioNames();
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        std::fprintf(stderr, "no scenario '%s'\n", name.c_str());
        return 1;
    }
    if (!QDir().mkpath(QString::fromLocal8Bit(folder))) {
        std::fprintf(stderr, "%s: the folder cannot be made\n", folder);
        return 1;
    }
    const pageseq::Script script = pageseq::Scenario(name);
    for (size_t i = 0; i < script.frames.size(); ++i) {
        CxImage image = ToImage(pageseq::Draw(script.frames[i].shot, kSeqWidth, kSeqHeight),
                                kSeqWidth, kSeqHeight);
        image.SetJpegQuality(85);
        char path[4096];
        std::snprintf(path, sizeof path, "%s/f%04zu.jpg", folder, i);
        if (!image.Save(std::string(path), CXIMAGE_FORMAT_JPG)) {
            std::fprintf(stderr, "%s: %s\n", path, image.GetLastError());
            return 1;
        }
    }
    std::printf("gst:imagesequencesrc location=%s/f%%04d.jpg start-index=0 framerate=%d/1\n",
                folder, static_cast<int>(script.fps));
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--table") == 0)
        return Table();
    if (argc > 2 && std::strcmp(argv[1], "--frames") == 0)
        return WriteFrames(argv[2], argc > 3 ? argv[3] : "different pages");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
