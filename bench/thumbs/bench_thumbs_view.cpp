// bench_thumbs_view FOLDER [PANE_HEIGHT] [--first-paint]: opens the thumbnail
// column on a folder the way the program does (offscreen, 300 px wide,
// thumbnailNum 4) and reports
//   cells    time until the labelled blank cells are on screen
//   visible  time until every visible cell shows its picture, and the
//            processor time all threads took until then (less swayed by load)
//   all      time until every cell does, and the photos per second that makes
//   cpu      processor time of the whole process (all threads), and the rate
//            that gives on two cores of their own (the machine may be shared)
//   resident what the column holds once every cell is painted: resident
//            memory then less resident memory before the scan, and per photo
//   peak     the process's peak resident memory
// With --first-paint it stops once the visible cells show their pictures and
// reports cells and visible only (bench/thumbs/first_paint.sh repeats it).
// Repeat: see README ("Thumbnail column").

#include "config/CConfigFile.h"
#include "image/CScrivaDoc.h"
#include "thumbs/ThumbListModel.h"
#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name(field);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

long peakResidentKb()
{
    return statusKb("VmHWM:");
}

long residentKb()
{
    return statusKb("VmRSS:");
}

bool visiblePainted(const CThumbView& view)
{
    for (int row = 0; row < view.ItemCount(); ++row) {
        const QRect r = view.visualRect(view.model()->index(row, 0));
        if (!r.intersects(view.viewport()->rect()))
            return true; // the rest lies below the pane
        if (!view.listModel()->IsPainted(row))
            return false;
    }
    return true;
}

bool allPainted(const CThumbView& view)
{
    for (int row = 0; row < view.ItemCount(); ++row)
        if (!view.listModel()->IsPainted(row))
            return false;
    return true;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_thumbs_view FOLDER [PANE_HEIGHT] [--first-paint]\n");
        return 2;
    }
    const int paneHeight = argc > 2 ? std::atoi(argv[2]) : 900;
    const bool firstPaintOnly = argc > 3 && std::strcmp(argv[3], "--first-paint") == 0;
    CScrivaDoc doc;
    CConfigFile settings;
    settings.SetInt(QStringLiteral("thumbnailNum"), 4, QStringLiteral("TAKE_PHOTOS_SET"));
    CThumbView view(doc);
    view.SetSettings(&settings);
    view.resize(300, paneHeight);
    view.show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    const long residentBefore = residentKb();
    QElapsedTimer clock;
    const double cpuBefore = processCpuSeconds();
    clock.start();
    view.ScanFolder(QString::fromLocal8Bit(argv[1]));
    view.viewport()->repaint(); // the labelled cells, drawn
    const double cellsMs = clock.nsecsElapsed() / 1e6;
    // Wait in the event loop (no polling, which would cost processor time)
    // and look again whenever a picture arrives.
    QEventLoop loop;
    double visibleMs = -1;
    double visibleCpuMs = -1; // processor time of the whole process until then
    auto check = [&] {
        if (visibleMs < 0 && visiblePainted(view)) {
            visibleMs = clock.nsecsElapsed() / 1e6;
            visibleCpuMs = 1000 * (processCpuSeconds() - cpuBefore);
        }
        if (visibleMs >= 0 && (firstPaintOnly || allPainted(view)))
            loop.quit();
    };
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged, &loop, check);
    QTimer::singleShot(0, &loop, check);
    loop.exec();
    if (firstPaintOnly) {
        std::printf("photos   %d\ncells    %.0f ms\nvisible  %.0f ms (%.0f ms processor time)\n",
                    view.ItemCount(), cellsMs, visibleMs, visibleCpuMs);
        return view.ItemCount() > 0 ? 0 : 1;
    }
    const double allMs = clock.nsecsElapsed() / 1e6;
    const double cpu = processCpuSeconds() - cpuBefore;
    // Scroll through the whole column once, as a user would, then measure.
    for (int row = 0; row < view.ItemCount(); row += 4) {
        view.scrollTo(view.model()->index(row, 0));
        view.viewport()->repaint();
    }
    view.scrollToTop();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
    const long residentAfter = residentKb();
    const int n = view.ItemCount();
    std::printf("photos   %d\n", n);
    std::printf("cells    %.0f ms\n", cellsMs);
    std::printf("visible  %.0f ms (%.0f ms processor time)\n", visibleMs, visibleCpuMs);
    std::printf("all      %.0f ms (%.0f photos/s)\n", allMs, n / (allMs / 1000.0));
    std::printf("cpu      %.1f s (%.1f ms a photo; %.0f photos/s on two free cores)\n", cpu,
                1000 * cpu / n, 2 * n / cpu);
    std::printf("resident %.0f MB (%.1f KB a photo)\n", (residentAfter - residentBefore) / 1024.0,
                double(residentAfter - residentBefore) / std::max(1, n));
    std::printf("peak     %.0f MB\n", peakResidentKb() / 1024.0);
    return n > 0 ? 0 : 1;
}
