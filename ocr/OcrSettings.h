#pragma once
// What recognition reads from the settings (section OCR_INDENTIFY and the
// interface language), and the rules that turn the two recognition language
// codes into model strings: code 1 reads Chinese (simplified, or traditional
// for the traditional-Chinese interface) with English, code 2 English plus the
// interface language's own Latin-script model. What each interface language
// asks for is in the language table (config/Languages). Pure functions; any
// thread.

#include <QString>

class CConfigFile;

namespace scriva::ocr {

constexpr int kLanguageChinese = 1; // recognition language code 1
constexpr int kLanguageLatin = 2;   // recognition language code 2
constexpr int kCodeModeSimplified = 1;
constexpr int kCodeModeTraditional = 2;

struct OcrSettings
{
    QString dataPath;      // the model folder; empty: Tesseract's own
    QString configFile;    // the engine's parameter file
    QString language1;     // OCR_INDENTIFY/Lang1 as written (may be empty)
    QString language2;     // OCR_INDENTIFY/Lang2 as written (may be empty)
    QString interfaceCode; // NORMAL/language: en, ch, cht, pg, ...

    // The shipped defaults: system models, <data folder>/ocr/Quillet_pc.cfg, English.
    static OcrSettings Defaults();
    // Read afresh from the store; relative folders lie in the data folder.
    static OcrSettings Read(const CConfigFile& config);
};

// 2 for the traditional-Chinese interface, else 1.
int CodeModeFor(const QString& interfaceCode);
// Model strings of language codes 1 and 2.
QString Language1Models(const QString& setting, int codeMode);
QString Language2Models(const QString& setting, const QString& interfaceCode);
// The code a recognition without an explicit choice uses: 1 for the Chinese
// interfaces, 2 for the others.
int DefaultLanguageFor(const QString& interfaceCode);

} // namespace scriva::ocr
