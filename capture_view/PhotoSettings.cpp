#include "PhotoSettings.h"

#include "PageStraightening.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

namespace PhotoSettingsReader {

const QString kSection = QLatin1String(scriva::settings::section::kPhotos);
const QString kPreset = QLatin1String(scriva::settings::kPresetPageName);
const QString kWholePicture = QStringLiteral("All");

namespace {
namespace settings = scriva::settings;
} // namespace

PhotoSettings Read(const CConfigFile& config)
{
    PhotoSettings s;
    s.stem = settings::ReadString(config, settings::kPhotoStem);
    s.pageName = settings::ReadString(config, settings::kPageSizeName);
    s.format = settings::ReadString(config, settings::kPhotoFormat);
    s.direction = settings::ReadInt(config, settings::kImageDirection);
    s.savePath = settings::ReadString(config, settings::kPhotoFolder);
    s.nomenclature = settings::ReadInt(config, settings::kNamingRule);
    s.counter = settings::ReadInt(config, settings::kCounterNext);
    s.increment = settings::ReadInt(config, settings::kCounterStep);
    s.tempName = settings::ReadString(config, settings::kScanTempImage);
    s.tempPath = settings::ReadString(config, settings::kTempPath);
    s.intervalSeconds = settings::ReadInt(config, settings::kAutoCaptureSeconds);
    s.fineStraighten = FineStraightenSetting(config);
    s.look = PageLook(config);
    return s;
}

cxlook::Look PageLook(const CConfigFile& config)
{
    cxlook::Look look = cxlook::Look::Original;
    if (!cxlook::LookFromIndex(settings::ReadInt(config, settings::kPageLook), look))
        return cxlook::Look::Original;
    return look;
}

void PageSizeMm(const CConfigFile& config, const QString& name, int& heightMm, int& widthMm)
{
    scriva::settings::ReadPageSize(config, name, heightMm, widthMm);
}

bool IsSafeNamePart(const QString& part)
{
    return !part.contains(u'/') && !part.contains(u'\\') && !part.contains(QChar(0)) &&
           part != QLatin1String("..");
}

} // namespace PhotoSettingsReader
