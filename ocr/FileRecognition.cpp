#include "FileRecognition.h"

#include "COcrEngine.h"
#include "config/NativePath.h"
#include "image/cximage/CxImage.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <sys/stat.h>
#include <thread>

namespace scriva::ocr {

namespace {

const QString kFailureFormat = QStringLiteral("%1\r\nOcr error infomation: %2\r\nError code: %3");

void takeEngineError(COcrEngine& engine, FileResult& result)
{
    engine.GetEngineError(result.engineError, result.engineCode);
}

bool loadImage(const QString& path, CxImage& image, FileResult& result)
{
    // The name's own bytes reach the system: a name that is not UTF-8 is found too.
    struct stat st;
    const bool found = StatPath(path, &st);
    if (found && S_ISDIR(st.st_mode)) {
        result.reason = QStringLiteral("it is a folder, not an image file");
        return false;
    }
    if (found && S_ISREG(st.st_mode) && st.st_size == 0) {
        result.reason = QStringLiteral("the file is empty");
        return false;
    }
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext.isEmpty()) {
        result.reason = QStringLiteral("the file name has no extension");
        return false;
    }
    const uint32_t format = CxImage::FormatFromExtension(ext.toUtf8().constData());
    if (format == 0) {
        result.reason = QStringLiteral("not an image type that can be read (.%1)").arg(ext);
        return false;
    }
    if (!image.Load(NativePathString(path), format)) {
        result.reason =
            QStringLiteral("cannot read the image: ") + QString::fromUtf8(image.GetLastError());
        return false;
    }
    return true;
}

} // namespace

FileResult RecognizeFile(COcrEngine& engine, int language, const QString& path)
{
    FileResult result;
    result.path = path;
    result.done = true;
    CxImage image;
    if (!loadImage(path, image, result))
        return result;
    if (!engine.Start(language)) {
        takeEngineError(engine, result);
        result.reason = result.engineError;
        return result;
    }
    if (!engine.RecognizeImage(image)) {
        takeEngineError(engine, result);
        result.reason = result.engineCode != 0 ? result.engineError
                                               : QStringLiteral("the image cannot be recognised");
        return result;
    }
    result.text = engine.AssembleText();
    result.ok = true;
    return result;
}

QString StoredTextFor(const FileResult& result, const QString& failureText)
{
    if (result.ok)
        return result.text.trimmed().isEmpty() ? failureText : result.text;
    if (result.engineCode != 0)
        return kFailureFormat.arg(failureText, result.engineError).arg(result.engineCode);
    return failureText;
}

std::vector<FileResult> RecognizeFiles(const QStringList& paths, const RecognitionOptions& options,
                                       const std::atomic<bool>* cancel,
                                       const std::function<void(int, int)>& progress)
{
    const int total = int(paths.size());
    std::vector<FileResult> results(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i)
        results[size_t(i)].path = paths[i];
    const int cores = options.threads > 0 ? options.threads : QThread::idealThreadCount();
    const int workers = std::clamp(cores, 1, std::max(total, 1));
    std::atomic<int> next{0};
    std::atomic<int> finished{0};
    auto work = [&] {
        COcrEngine engine;
        engine.SetSettingsReader(options.settings);
        engine.SetModelsOverride(options.modelsOverride);
        engine.SetCodeMode(CodeModeFor(options.settings().interfaceCode));
        for (int i = next++; i < total; i = next++) {
            if (cancel && cancel->load())
                return;
            results[size_t(i)] = RecognizeFile(engine, options.language, paths[i]);
            if (options.fileDone)
                options.fileDone(results[size_t(i)], i);
            const int done = ++finished;
            if (progress)
                progress(done, total);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < workers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return results;
}

} // namespace scriva::ocr
