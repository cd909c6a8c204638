#pragma once
// One recognition engine: starts the engine library with the models of a
// language code, hands it a CxImage (whole or a region) as grey bytes, turns
// its result lines into one text (each line ends in "\r\n") and reports its
// last error. Not thread-safe: one thread at a time uses an engine; several
// engines may work on several threads at once.

#include "OcrSettings.h"
#include "PageWords.h"

#include <QString>
#include <functional>

class CxImage;
struct OcrImage;
struct BField;

namespace scriva::ocr {
class QxLibrary;
}

class COcrEngine
{
public:
    using SettingsReader = std::function<scriva::ocr::OcrSettings()>;

    explicit COcrEngine(const scriva::ocr::QxLibrary* library = nullptr);
    ~COcrEngine();
    COcrEngine(const COcrEngine&) = delete;
    COcrEngine& operator=(const COcrEngine&) = delete;

    // Where Start reads its settings from, afresh each time (default: the shipped values).
    void SetSettingsReader(SettingsReader reader) { m_settings = std::move(reader); }
    // Models to use for both language codes instead of the settings' (e.g. "deu",
    // "chi_sim+eng"); empty restores the settings' choice.
    void SetModelsOverride(const QString& models) { m_modelsOverride = models; }

    void SetCodeMode(int mode);
    int CodeMode() const { return m_codeMode; }
    int CodePage() const { return m_codePage; }
    bool IsStarted() const { return m_handle != nullptr; }

    // (Re)starts the engine with the models of language code 1 or 2.
    bool Start(int language);
    // Whole-image recognition. Images other than 8-bit grey are made grey in place,
    // transparent parts laid on white first (as for the region below).
    bool RecognizeImage(CxImage& image);
    // Recognition of [left, right) x [top, bottom) in image pixels, rows counted
    // from the top; the rectangle is cut to the image, an empty one fails.
    bool RecognizeRegion(CxImage& image, int left, int top, int right, int bottom, QString& text);
    // Whole-image recognition that gives the words with their boxes, in reading
    // order (the image is made grey in place as for RecognizeImage). Leaves no
    // lines for AssembleText: PageWordsText gives the same text.
    bool RecognizeWords(CxImage& image, scriva::ocr::PageWords& words);
    // The text of the last recognition's lines.
    QString AssembleText() const;
    void GetEngineError(QString& message, int& code) const;

    // Version text of the engine library; empty when it cannot be loaded.
    static QString EngineVersion();

private:
    bool prepareGrey(CxImage& image) const;
    bool allocate(int width, int height);
    bool copyWholeImage(CxImage& image);
    void freeFields();
    void freeImage();
    void close();

    const scriva::ocr::QxLibrary& m_lib;
    SettingsReader m_settings;
    QString m_modelsOverride;
    void* m_handle = nullptr;
    OcrImage* m_image = nullptr;
    BField* m_fields = nullptr;
    int m_codeMode = scriva::ocr::kCodeModeSimplified;
    int m_codePage = 936;
};
