// "scriva-cli pdf OUT.pdf IN... [--ocr] [--lang CODES] [--dpi N] [--title TEXT]":
// writes the images into one PDF, one page per image in the order given, each
// page the size of its image at its resolution (--dpi gives every page one),
// through the same export as the program's Export to PDF. --ocr makes it
// searchable: every page's words are recognised (in parallel on all cores) and
// laid over the picture as invisible text; --lang takes model codes such as eng
// or chi_sim+eng, else the settings' interface language decides, as in the
// program. On a terminal a progress line counts the pages; Ctrl-C stops before
// the file is written. Any failure is one line on stderr, a non-zero exit, and
// no PDF (an older OUT stays as it was).

#include "CliCommand.h"
#include "CliOptions.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "export/PdfExport.h"
#include "ocr/COcrEngine.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace scriva::cli;
using namespace scriva::exporter;

namespace {

const QString kUsage =
    QStringLiteral("pdf OUT.pdf IN... [--ocr] [--lang CODES] [--dpi N] [--title TEXT]");
constexpr int kMaxDpi = 65535;

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

// The recognition of a searchable PDF: models from --lang or the settings; one start
// first, so that missing models are said once, before any page is read.
bool prepareRecognition(const CliOptions& line, CConfigFile& config, PageRecognition& r,
                        QString& error)
{
    const QString models = line.Value(QStringLiteral("--lang"));
    static const QRegularExpression modelsPattern(
        QStringLiteral("^[A-Za-z0-9_]+(\\+[A-Za-z0-9_]+)*$"));
    if (!models.isEmpty() && !modelsPattern.match(models).hasMatch()) {
        error = QStringLiteral("--lang %1: give model codes joined by '+', e.g. eng or chi_sim+eng")
                    .arg(models);
        return false;
    }
    QString reason;
    if (!scriva::loadSettings(config, nullptr, &reason)) {
        error = QStringLiteral("cannot load the settings: ") + reason;
        return false;
    }
    r.enabled = true;
    r.settings = [&config] { return scriva::ocr::OcrSettings::Read(config); };
    r.models = models;
    r.language = models.isEmpty() ? scriva::ocr::DefaultLanguageFor(r.settings().interfaceCode)
                                  : scriva::ocr::kLanguageLatin;
    COcrEngine probe;
    probe.SetSettingsReader(r.settings);
    probe.SetModelsOverride(r.models);
    probe.SetCodeMode(scriva::ocr::CodeModeFor(r.settings().interfaceCode));
    if (probe.Start(r.language))
        return true;
    int code = 0;
    probe.GetEngineError(error, code);
    return false;
}

int runPdf(const QStringList& args)
{
    CliOptions line(kUsage,
                    {{QStringLiteral("--ocr"), QString()},
                     {QStringLiteral("--lang"), QStringLiteral("CODES")},
                     {QStringLiteral("--dpi"), QStringLiteral("N")},
                     {QStringLiteral("--title"), QStringLiteral("TEXT")}},
                    2, -1);
    PdfExportOptions options;
    if (!line.Parse(args) || !line.IntValue(QStringLiteral("--dpi"), 1, kMaxDpi, 0, options.dpi))
        return failWith(line.Error());
    if (line.Has(QStringLiteral("--lang")) && !line.Has(QStringLiteral("--ocr")))
        return failWith(QStringLiteral("--lang chooses the recognition's models: give --ocr too"));
    const QString& out = line.Args().first();
    const QStringList inputs = line.Args().mid(1);
    const QString wrong = checkArguments(out, inputs);
    if (!wrong.isEmpty())
        return failWith(wrong);
    options.title = line.Value(QStringLiteral("--title"));
    CConfigFile config;
    QString error;
    if (line.Has(QStringLiteral("--ocr")) &&
        !prepareRecognition(line, config, options.recognition, error))
        return failWith(error);
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
