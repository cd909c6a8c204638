#include "OcrSettings.h"

#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

namespace scriva::ocr {

namespace {

const QString kConfigFileName = QStringLiteral("Quillet_pc.cfg");
const QString kShippedConfigPath = QStringLiteral("ocr/");

struct LatinModel
{
    const char* interfaceCode;
    const char* model;
};

// The interface languages with a Latin-script model of their own.
constexpr LatinModel kLatinModels[] = {
    {"pg", "por"}, {"fre", "fra"}, {"ger", "deu"}, {"spa", "spa"}, {"bas", "eus"}, {"cata", "cat"},
};

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
    return interfaceCode.compare(QLatin1String("cht"), Qt::CaseInsensitive) == 0
               ? kCodeModeTraditional
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
    for (const LatinModel& m : kLatinModels) {
        if (interfaceCode.compare(QLatin1String(m.interfaceCode), Qt::CaseInsensitive) == 0)
            return QStringLiteral("eng+") + QLatin1String(m.model);
    }
    return QStringLiteral("eng");
}

int DefaultLanguageFor(const QString& interfaceCode)
{
    const bool chinese = interfaceCode.compare(QLatin1String("ch"), Qt::CaseInsensitive) == 0 ||
                         interfaceCode.compare(QLatin1String("cht"), Qt::CaseInsensitive) == 0;
    return chinese ? kLanguageChinese : kLanguageLatin;
}

} // namespace scriva::ocr
