#include "OcrSettings.h"

#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

namespace scriva::ocr {

namespace {

const QString kConfigFileName = QStringLiteral("Quillet_pc.cfg");
const QString kShippedConfigPath = QStringLiteral("ocr/");

QString configFileIn(const QString& configPath)
{
    // The folder value and the file name are joined as they stand.
    return resolveDataPath(configPath) + kConfigFileName;
}

} // namespace

OcrSettings OcrSettings::Defaults()
{
    OcrSettings s;
    s.configFile = configFileIn(kShippedConfigPath);
    s.interfaceCode = QStringLiteral("en");
    return s;
}

OcrSettings OcrSettings::Read(const CConfigFile& config)
{
    OcrSettings s;
    const QString data = settings::ReadString(config, settings::kOcrDataPath).trimmed();
    s.dataPath = data.isEmpty() ? QString() : resolveDataPath(data);
    s.configFile = configFileIn(settings::ReadString(config, settings::kOcrConfigPath));
    s.language1 = settings::ReadString(config, settings::kOcrChineseModels).trimmed();
    s.language2 = settings::ReadString(config, settings::kOcrLatinModels).trimmed();
    s.interfaceCode = settings::ReadString(config, settings::kLanguage);
    return s;
}

int CodeModeFor(const QString& interfaceCode)
{
    return languages::InfoOfCode(interfaceCode).traditionalChinese ? kCodeModeTraditional
                                                                   : kCodeModeSimplified;
}

QString Language1Models(const QString& setting, int codeMode)
{
    if (!setting.isEmpty())
        return setting;
    return codeMode == kCodeModeTraditional ? QStringLiteral("chi_tra+eng")
                                            : QStringLiteral("chi_sim+eng");
}

QString Language2Models(const QString& setting, const QString& interfaceCode)
{
    if (!setting.isEmpty())
        return setting;
    return QLatin1String(languages::InfoOfCode(interfaceCode).latinModels);
}

int DefaultLanguageFor(const QString& interfaceCode)
{
    return languages::InfoOfCode(interfaceCode).chineseFirst ? kLanguageChinese : kLanguageLatin;
}

} // namespace scriva::ocr
