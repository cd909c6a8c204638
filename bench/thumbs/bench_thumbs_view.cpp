// bench_thumbs_view FOLDER [PANE_HEIGHT]: opens the thumbnail column on a folder
// the way the program does (offscreen, 300 px wide, thumbnailNum 4) and reports
//   cells    time until the labelled blank cells are on screen
//   visible  time until every visible cell shows its picture
//   all      time until every cell does, and the photos per second that makes
//   peak     the process's peak resident memory
// Repeat: see README ("Thumbnail column").

#include "config/CConfigFile.h"
#include "image/CScrivaDoc.h"
#include "thumbs/ThumbListModel.h"
#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_thumbs_view FOLDER [PANE_HEIGHT]\n");
        return 2;
    }
    const int paneHeight = argc > 2 ? std::atoi(argv[2]) : 900;
    CScrivaDoc doc;
    CConfigFile settings;
    settings.SetInt(QStringLiteral("thumbnailNum"), 4, QStringLiteral("TAKE_PHOTOS_SET"));
    CThumbView view(doc);
    view.SetSettings(&settings);
    view.resize(300, paneHeight);
    view.show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    view.ScanFolder(QString::fromLocal8Bit(argv[1]));
    view.viewport()->repaint(); // the labelled cells, drawn
    const double cellsMs = clock.nsecsElapsed() / 1e6;
    while (!visiblePainted(view))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double visibleMs = clock.nsecsElapsed() / 1e6;
    while (!allPainted(view))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double allMs = clock.nsecsElapsed() / 1e6;
    const int n = view.ItemCount();
    std::printf("photos   %d\n", n);
    std::printf("cells    %.0f ms\n", cellsMs);
    std::printf("visible  %.0f ms\n", visibleMs);
    std::printf("all      %.0f ms (%.0f photos/s)\n", allMs, n / (allMs / 1000.0));
    std::printf("peak     %.0f MB\n", peakResidentKb() / 1024.0);
    return n > 0 ? 0 : 1;
}
