#include "Languages.h"

namespace scriva::languages {

namespace {
// clang-format off
const Language kLanguages[kCount] = {
    {1,  "en",   "English",             "resDll/enResDll.rcc",   "",      "enHelp",   32809, "enMovrec",   "eng",     false, false},
    {2,  "ch",   "Simplified Chinese",  "resDll/chResDll.rcc",   "zh_CN", "ChHelp",   32808, "chMovrec",   "eng",     false, true},
    {3,  "cht",  "Traditional Chinese", "resDll/chtResDll.rcc",  "zh_TW", "ChtHelp",  32866, "chMovrec",   "eng",     true,  true},
    {4,  "pg",   "Portuguese",          "resDll/pgResDll.rcc",   "pt_BR", "PgHelp",   32880, "pgMovrec",   "eng+por", false, false},
    {5,  "jp",   "Japanese",            "resDll/jpResDll.rcc",   "ja",    "JpHelp",   32881, "jpMovrec",   "eng",     false, false},
    {6,  "fre",  "French",              "resDll/FreResDll.rcc",  "fr",    "FREHelp",  32882, "freMovrec",  "eng+fra", false, false},
    {7,  "ger",  "German",              "resDll/GerResDll.rcc",  "de",    "GERHelp",  32883, "gerMovrec",  "eng+deu", false, false},
    {8,  "ko",   "Korean",              "resDll/KoResDll.rcc",   "ko",    "KoHelp",   32884, "koMovrec",   "eng",     false, false},
    {9,  "spa",  "Spanish",             "resDll/SpaResDll.rcc",  "es",    "SpaHelp",  32885, "spaMovrec",  "eng+spa", false, false},
    {10, "bas",  "Basque",              "resDll/BasResDll.rcc",  "eu",    "BasHelp",  32886, "basMovrec",  "eng+eus", false, false},
    {11, "cata", "Catalan",             "resDll/CataResDll.rcc", "ca",    "CataHelp", 32887, "cataMovrec", "eng+cat", false, false},
};
// clang-format on
} // namespace

bool IsValidIndex(int index)
{
    return index >= 1 && index <= kCount;
}

const Language& Info(int index)
{
    return kLanguages[IsValidIndex(index) ? index - 1 : kEnglish - 1];
}

int IndexOfCode(const QString& code)
{
    for (const Language& language : kLanguages) {
        if (code.compare(QLatin1String(language.code), Qt::CaseInsensitive) == 0)
            return language.index;
    }
    return 0;
}

QString CodeOfIndex(int index)
{
    return IsValidIndex(index) ? QLatin1String(Info(index).code) : QString();
}

QString PackFile(int index)
{
    return IsValidIndex(index) ? QLatin1String(Info(index).packFile) : QString();
}

const Language& InfoOfCode(const QString& code)
{
    return Info(IndexOfCode(code));
}

int IndexOfCommand(int command)
{
    for (const Language& language : kLanguages) {
        if (language.command == command)
            return language.index;
    }
    return 0;
}

} // namespace scriva::languages
