// "scriva-cli thumbs INDIR OUTDIR [--size N]": writes a JPEG thumbnail (longest
// side N, default 200) of every image file of INDIR into OUTDIR, named after
// the photo, through the thumbnail column's own builder on all cores. A progress
// line is kept on stderr when it is a terminal. Files that cannot be read are
// listed on stderr and make the exit code 1; the others are still written.

#include "CliCommand.h"
#include "CliOptions.h"
#include "config/NativePath.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbJpegWriter.h"
#include "thumbs/ThumbScan.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <unistd.h>

using namespace scriva::cli;
using namespace scriva::thumbs;

namespace {

constexpr int kDefaultSize = 200;
constexpr int kMaxSize = 4096;
constexpr int kProgressIntervalMs = 100;

struct ThumbsArgs
{
    QString in;
    QString out;
    int size = kDefaultSize;
};

// Empty on success, else what is wrong with the arguments.
QString parseArgs(const QStringList& args, ThumbsArgs& parsed)
{
    CliOptions options(QStringLiteral("thumbs INDIR OUTDIR [--size N]"),
                       {{QStringLiteral("--size"), QStringLiteral("N")}}, 2, 2);
    if (!options.Parse(args) ||
        !options.IntValue(QStringLiteral("--size"), 1, kMaxSize, kDefaultSize, parsed.size))
        return options.Error();
    const QStringList& paths = options.Args();
    parsed.in = paths[0];
    parsed.out = paths[1];
    return QString();
}

// OUTDIR/<photo name>.jpg; photos that would share a name keep their extension.
std::vector<QString> outputNames(const std::vector<ThumbItem>& items, const QString& outDir)
{
    QMap<QString, int> uses;
    for (const ThumbItem& item : items)
        ++uses[QFileInfo(item.path).completeBaseName()];
    std::vector<QString> names;
    for (const ThumbItem& item : items) {
        const QFileInfo info(item.path);
        const QString base =
            uses[info.completeBaseName()] > 1 ? info.fileName() : info.completeBaseName();
        names.push_back(QDir(outDir).filePath(base + QStringLiteral(".jpg")));
    }
    return names;
}

void showProgress(int done, int total)
{
    std::fprintf(stderr, "\rthumbs: %d/%d", done, total);
    std::fflush(stderr);
}

int runThumbs(const QStringList& args)
{
    ThumbsArgs a;
    const QString problem = parseArgs(args, a);
    if (!problem.isEmpty())
        return failWith(problem);
    if (!scriva::IsFolderPath(a.in))
        return failWith(QStringLiteral("'%1' is not a folder").arg(a.in));
    QString why;
    if (!makeFolder(a.out, &why))
        return failWith(QStringLiteral("cannot create the folder '%1': %2").arg(a.out, why));
    FileIdentities inFolder;
    inFolder.Add(a.in);
    if (inFolder.Contains(a.out))
        return failWith(QStringLiteral("OUTDIR is INDIR: the thumbnails would replace the photos"));

    const std::vector<ThumbItem> items = ScanImageFolder(a.in);
    const std::vector<QString> outputs = outputNames(items, a.out);
    // A thumbnail's name may already be a photo's (a link into INDIR, a hard link).
    FileIdentities photos;
    for (const ThumbItem& item : items)
        photos.Add(item.path);
    for (const QString& output : outputs)
        if (photos.Contains(output))
            return failWith(QStringLiteral("'%1' is one of the photos: the thumbnail would "
                                           "replace it")
                                .arg(output));
    std::vector<ThumbJob> jobs;
    for (size_t i = 0; i < items.size(); ++i)
        jobs.push_back(ThumbJob{quint64(i), items[i].path});

    std::atomic<int> done{0};
    std::mutex failuresLock;
    QStringList failures;
    ThumbBuilder builder;
    builder.Start(jobs, ThumbStyle{QSize(a.size, a.size), false},
                  [&](const ThumbJob& job, const ThumbPicture& picture) {
                      QString error;
                      if (!picture.error.isEmpty())
                          error = QStringLiteral("cannot make a thumbnail of ") + picture.error;
                      else if (!WriteThumbJpeg(picture.image, outputs[size_t(job.id)], &error))
                          error = QStringLiteral("cannot write ") + error;
                      if (!error.isEmpty()) {
                          std::lock_guard<std::mutex> hold(failuresLock);
                          failures << error;
                      }
                      ++done;
                  });
    const bool terminal = isatty(STDERR_FILENO);
    const int total = int(items.size());
    while (!builder.WaitForDone(kProgressIntervalMs))
        if (terminal)
            showProgress(done.load(), total);
    if (terminal) {
        showProgress(done.load(), total);
        std::fprintf(stderr, "\n");
    }
    failures.sort();
    for (const QString& failure : failures)
        failWith(failure);
    std::printf("%d thumbnails written to %s\n", total - int(failures.size()),
                scriva::NativePath(a.out).constData());
    return failures.isEmpty() ? 0 : 1;
}

const CliRegistrar registrar(QStringLiteral("thumbs"),
                             QStringLiteral("thumbs INDIR OUTDIR [--size N]"), runThumbs);

} // namespace
