// scriva-cli ocr: reads the text of image files with the program's engine.
//   ocr IN... [--lang CODES] [--out FILE|DIR] [--threads N]
// One input prints its text (or writes FILE, or DIR/<name>.txt when OUT is a
// folder); several inputs write DIR/<name>.txt each, recognised in parallel on
// all cores. --lang takes model codes such as eng, deu or chi_sim+eng; without
// it the interface language of the settings decides, as in the program.
// Text files hold UTF-8 with "\r\n" line breaks, as the program saves them, and
// each is written as soon as its file is read; an output that is one of the inputs
// (under any name or link) is refused before anything is read.

#include "CliCommand.h"
#include "CliOptions.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/NativePath.h"
#include "ocr/COcrEngine.h"
#include "ocr/FileRecognition.h"
#include "ocr/RecognizedTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <cstdio>
#include <mutex>
#include <unistd.h>

using namespace scriva::cli;
using namespace scriva::ocr;

namespace {

const QString kUsage = QStringLiteral("ocr IN... [--lang CODES] [--out FILE|DIR] [--threads N]");
constexpr int kMaxThreads = 256;

struct OcrArgs
{
    QStringList inputs;
    QString models;
    QString out;
    int threads = 0;
};

bool parseArgs(const QStringList& args, OcrArgs& a, QString& error)
{
    CliOptions options(kUsage,
                       {{QStringLiteral("--lang"), QStringLiteral("CODES")},
                        {QStringLiteral("--out"), QStringLiteral("FILE|DIR")},
                        {QStringLiteral("--threads"), QStringLiteral("N")}},
                       1, -1);
    if (!options.Parse(args) ||
        !options.IntValue(QStringLiteral("--threads"), 0, kMaxThreads, 0, a.threads)) {
        error = options.Error();
        return false;
    }
    a.inputs = options.Args();
    a.models = options.Value(QStringLiteral("--lang"));
    a.out = options.Value(QStringLiteral("--out"));
    static const QRegularExpression modelsPattern(
        QStringLiteral("^[A-Za-z0-9_]+(\\+[A-Za-z0-9_]+)*$"));
    if (!a.models.isEmpty() && !modelsPattern.match(a.models).hasMatch()) {
        error = QStringLiteral("--lang %1: give model codes joined by '+', e.g. eng or chi_sim+eng")
                    .arg(a.models);
        return false;
    }
    return true;
}

// Output file of each input: empty for standard output.
bool planOutputs(const OcrArgs& a, QStringList& outputs, QString& error)
{
    const bool single = a.inputs.size() == 1;
    if (!single && a.out.isEmpty()) {
        error = QStringLiteral("several inputs need --out DIR");
        return false;
    }
    const bool toFolder = !single || scriva::IsFolderPath(a.out);
    QString why;
    if (!a.out.isEmpty() && toFolder && !makeFolder(a.out, &why)) {
        error = QStringLiteral("cannot create the folder '%1': %2").arg(a.out, why);
        return false;
    }
    FileIdentities inputs;
    for (const QString& in : a.inputs)
        inputs.Add(in);
    QSet<QString> taken;
    for (const QString& in : a.inputs) {
        QString out = a.out;
        if (toFolder && !a.out.isEmpty())
            out = QDir(a.out).filePath(QFileInfo(in).completeBaseName() + QStringLiteral(".txt"));
        if (!out.isEmpty() && taken.contains(out)) {
            error = QStringLiteral("%1: two inputs would write the same file").arg(out);
            return false;
        }
        if (!out.isEmpty() && inputs.Contains(out)) {
            error = QStringLiteral("'%1' is both input and output").arg(out);
            return false;
        }
        taken.insert(out);
        outputs << out;
    }
    return true;
}

// "recognising 3/10" rewritten in place on a terminal; nothing otherwise.
std::function<void(int, int)> progressLine(int total)
{
    if (total < 2 || !isatty(fileno(stderr)))
        return {};
    auto lock = std::make_shared<std::mutex>();
    return [lock](int done, int all) {
        std::lock_guard<std::mutex> guard(*lock);
        std::fprintf(stderr, "\rrecognising %d/%d", done, all);
        if (done == all)
            std::fprintf(stderr, "\n");
        std::fflush(stderr);
    };
}

// Keeps one file's result (its text file, or its text on standard output); an error
// message for the end when it fails, so that errors come in the order of the inputs.
QString keepResult(const FileResult& r, const QString& out)
{
    if (!r.ok)
        return QStringLiteral("%1: %2").arg(r.path, r.reason);
    if (out.isEmpty()) {
        const QByteArray bytes = ToPaneText(r.text).toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return {};
    }
    QString error;
    if (!WriteTextFile(out, r.text, &error))
        return QStringLiteral("cannot write '%1': %2").arg(out, error);
    return {};
}

// One start first, so that missing models are said once, not once per file.
// The engine closes again at once: the workers take it over, models loaded.
bool canStart(const RecognitionOptions& options, QString& error)
{
    COcrEngine probe;
    probe.SetSettingsReader(options.settings);
    probe.SetModelsOverride(options.modelsOverride);
    probe.SetCodeMode(CodeModeFor(options.settings().interfaceCode));
    if (probe.Start(options.language))
        return true;
    int code = 0;
    probe.GetEngineError(error, code);
    return false;
}

int RunOcr(const QStringList& args)
{
    OcrArgs a;
    QString error;
    QStringList outputs;
    if (!parseArgs(args, a, error) || !planOutputs(a, outputs, error))
        return failWith(error);
    CConfigFile config;
    QString reason;
    if (!scriva::loadSettings(config, nullptr, &reason))
        return failWith(QStringLiteral("cannot load the settings: ") + reason);

    RecognitionOptions options;
    options.settings = [&config] { return OcrSettings::Read(config); };
    options.modelsOverride = a.models;
    options.language =
        a.models.isEmpty() ? DefaultLanguageFor(options.settings().interfaceCode) : kLanguageLatin;
    options.threads = a.threads;

    if (!canStart(options, error))
        return failWith(error);
    // Each text is written as soon as it is read: a kill later loses none of them.
    std::vector<QString> errors(size_t(a.inputs.size()));
    std::mutex outputLock;
    options.fileDone = [&](const FileResult& r, int i) {
        const QString error = keepResult(r, outputs[i]);
        std::lock_guard<std::mutex> hold(outputLock);
        errors[size_t(i)] = error;
    };
    const auto results = RecognizeFiles(a.inputs, options, nullptr, progressLine(a.inputs.size()));
    int failed = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        if (results[i].ok && results[i].text.isEmpty())
            std::fprintf(stderr, "scriva-cli: %s: no text found\n",
                         scriva::NativePath(results[i].path).constData());
        if (!errors[i].isEmpty()) {
            failWith(errors[i]);
            ++failed;
        }
    }
    return failed ? 1 : 0;
}

const CliRegistrar reg(QStringLiteral("ocr"), kUsage, RunOcr);

} // namespace
