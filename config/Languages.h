#pragma once
// The program's eleven interface languages, in language-index order (1 to 11):
// the code the settings store under NORMAL/language, the English name, the
// language pack, Qt's own translation, the help folder, the menu command that
// switches to it, the video recorder shipped for it and how text recognition
// follows it. One table for the program and the command-line tool.
// Constant data and free functions; any thread.

#include <QString>

namespace scriva::languages {

struct Language
{
    int index;              // 1 to 11
    const char* code;       // as the settings file names it, lower case
    const char* name;       // in English
    const char* packFile;   // relative to the data folder
    const char* qtLocale;   // for Qt's own dialog texts; empty for English
    const char* helpFolder; // relative to the data folder's help/
    int command;            // the menu command that switches to it
    const char* recorder;   // the video recorder shipped for it (both Chinese share one)
    // Text recognition: the models of language code 2 (English and the
    // language's own Latin-script model), whether code 1 reads traditional
    // rather than simplified Chinese, and whether a recognition without a
    // chosen language reads Chinese (code 1) rather than code 2.
    const char* latinModels;
    bool traditionalChinese;
    bool chineseFirst;
};

constexpr int kCount = 11;
constexpr int kEnglish = 1;

// The language of an index; English for an index outside 1 to 11.
const Language& Info(int index);
bool IsValidIndex(int index);
int IndexOfCode(const QString& code);            // ignores case; 0 when unknown
const Language& InfoOfCode(const QString& code); // ignores case; English when unknown
QString CodeOfIndex(int index);                  // empty outside 1 to 11
QString PackFile(int index);                     // "resDll/xxResDll.rcc"; empty outside 1 to 11
int IndexOfCommand(int command);                 // 0 for a command that switches no language

} // namespace scriva::languages
