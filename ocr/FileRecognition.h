#pragma once
// Recognition of whole image files: one file with a given engine, or many
// files in parallel on worker threads with one engine each (the engine is not
// thread-safe, Tesseract itself runs one thread per page). Progress is reported
// from the worker threads; a cancel flag is checked between files.

#include "OcrSettings.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

class COcrEngine;

namespace scriva::ocr {

// The outcome of one file: its text, or why it has none.
struct FileResult
{
    QString path;
    QString text;        // the recognised lines, each ending in "\r\n"
    bool ok = false;     // recognised (the text may still be empty)
    bool done = false;   // false: cancelled before its turn
    QString reason;      // why it failed, for the command line
    QString engineError; // the engine's message when it failed
    int engineCode = 0;  // the engine's error code (0 = none)
};

// Loads the image file (format from its extension), starts the engine with
// the language code and recognises the whole image.
FileResult RecognizeFile(COcrEngine& engine, int language, const QString& path);

// The text stored for a file: the recognised text, or, when it failed or read
// nothing but white space, the failure text (with the engine's message and code when the
// engine gave a code).
QString StoredTextFor(const FileResult& result, const QString& failureText);

struct RecognitionOptions
{
    int language = kLanguageLatin;
    std::function<OcrSettings()> settings = &OcrSettings::Defaults;
    QString modelsOverride; // e.g. "deu" from the command line; empty: the settings decide
    int threads = 0;        // 0: one per core
    // Called on the worker thread as soon as a file is done (result, its index in paths),
    // so that a caller can keep each result at once; calls may come from several workers
    // at the same time.
    std::function<void(const FileResult&, int)> fileDone;
};

// Recognises the files on up to `threads` workers; results in input order.
// progress(done, total) is called from the workers after each file.
std::vector<FileResult> RecognizeFiles(const QStringList& paths, const RecognitionOptions& options,
                                       const std::atomic<bool>* cancel = nullptr,
                                       const std::function<void(int, int)>& progress = {});

} // namespace scriva::ocr
