#include "PhotoSettings.h"

#include "PageStraightening.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <algorithm>

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
    s.autoMode = AutoMode(config);
    s.watch = WatchSettingsOf(config);
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

AutoCaptureMode AutoMode(const CConfigFile& config)
{
    switch (settings::ReadInt(config, settings::kAutoCaptureMode)) {
    case int(AutoCaptureMode::Off):
        // A missing key reads as 0 too: only a written 0 turns auto capture off.
        return settings::ReadString(config, settings::kAutoCaptureMode).trimmed().isEmpty()
                   ? AutoCaptureMode::Timer
                   : AutoCaptureMode::Off;
    case int(AutoCaptureMode::PageChange):
        return AutoCaptureMode::PageChange;
    default:
        return AutoCaptureMode::Timer;
    }
}

int SettleMs(const CConfigFile& config)
{
    const int32_t ms = settings::ReadInt(config, settings::kPageSettleMs);
    return ms <= 0 ? kDefaultSettleMs : std::clamp<int32_t>(ms, kMinSettleMs, kMaxSettleMs);
}

int Sensitivity(const CConfigFile& config)
{
    const int32_t s = settings::ReadInt(config, settings::kPageSensitivity);
    return s <= 0 ? kDefaultSensitivity : std::clamp<int32_t>(s, kMinSensitivity, kMaxSensitivity);
}

scriva::watch::WatchSettings WatchSettingsOf(const CConfigFile& config)
{
    scriva::watch::WatchSettings w;
    w.settleSeconds = SettleMs(config) / 1000.0;
    w.sensitivity = Sensitivity(config);
    return w;
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
