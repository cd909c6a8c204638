// "scriva-cli pdf OUT.pdf IN...": writes the images into one PDF, one page per
// image in the order given, each page the size of its image, through the same
// export as the program's Export to PDF. On a terminal a progress line counts the
// pages; Ctrl-C stops before the file is written. Any failure is one line on
// stderr, a non-zero exit, and no PDF (an older OUT stays as it was).

#include "CliCommand.h"
#include "CliOptions.h"
#include "export/PdfExport.h"

#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace scriva::cli;
using namespace scriva::exporter;

namespace {

const QString kUsage = QStringLiteral("pdf OUT.pdf IN...");

std::atomic<bool> g_interrupted{false};

void onInterrupt(int)
{
    g_interrupted = true;
}

void showProgress(int done, int total)
{
    std::fprintf(stderr, "\rpage %d of %d", done, total);
    if (done == total)
        std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
}

QString checkArguments(const QString& out, const QStringList& inputs)
{
    if (QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("the output must be a .pdf file; usage: %1").arg(kUsage);
    // By name, and by identity for an existing output (a link or another name of an input).
    const QString outPath = QFileInfo(out).absoluteFilePath();
    FileIdentities files;
    for (const QString& in : inputs) {
        if (QFileInfo(in).absoluteFilePath() == outPath)
            return QStringLiteral("'%1' is both input and output").arg(in);
        files.Add(in);
    }
    if (files.Contains(out))
        return QStringLiteral("'%1' is both input and output").arg(out);
    return {};
}

int runPdf(const QStringList& args)
{
    CliOptions line(kUsage, {}, 2, -1);
    if (!line.Parse(args))
        return failWith(line.Error());
    const QString& out = line.Args().first();
    const QStringList inputs = line.Args().mid(1);
    const QString wrong = checkArguments(out, inputs);
    if (!wrong.isEmpty())
        return failWith(wrong);
    PdfExportOptions options;
    options.cancel = &g_interrupted;
    if (isatty(STDERR_FILENO))
        options.progress = showProgress;
    std::signal(SIGINT, onInterrupt);
    const PdfExportResult result = ExportPdf(out, inputs, options);
    std::signal(SIGINT, SIG_DFL);
    if (!result.ok()) {
        if (options.progress)
            std::fprintf(stderr, "\r\033[K");
        return failWith(result.Message());
    }
    return 0;
}

const CliRegistrar registrar(QStringLiteral("pdf"), kUsage, runPdf);

} // namespace
