#include "CaptureSettingsModel.h"

#include "PhotoNaming.h"
#include "PhotoSettings.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace {

namespace settings = scriva::settings;

QStringList Tokens(const CConfigFile& config, const QString& key)
{
    CConfigEntry entry;
    return config.GetEntry(key, entry, PhotoSettingsReader::kSection) ? entry.Tokens()
                                                                      : QStringList();
}

QString IntText(const CConfigFile& config, settings::Key key)
{
    return QString::number(settings::ReadInt(config, key));
}

bool InRange(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= low && v <= high;
}

bool StorableText(const QString& text)
{
    return !text.contains(u';') && !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace

QStringList CaptureSettingsModel::Formats()
{
    return {QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("tif"),
            QStringLiteral("bmp")};
}

void CaptureSettingsModel::Load(const CConfigFile& config, const QString& languageCode,
                                bool hasPreset)
{
    const QString code = languageCode.trimmed().toLower();
    m_englishPages =
        Tokens(config, settings::LanguageKeyName(QStringLiteral("en"), settings::kPageNamesSuffix));
    const QStringList shown =
        Tokens(config, settings::LanguageKeyName(code, settings::kPageNamesSuffix));
    m_pageItems.clear();
    m_pageIndexes.clear();
    for (int i = 0; i < shown.size() && i < m_englishPages.size(); ++i) {
        if (i == kPresetItem && !hasPreset)
            continue;
        m_pageItems << shown[i];
        m_pageIndexes << i;
    }
    m_directionItems =
        Tokens(config, settings::LanguageKeyName(code, settings::kImageDirectionsSuffix));

    CaptureSettingsValues& v = m_values;
    v = CaptureSettingsValues{};
    v.fileName = settings::ReadString(config, settings::kPhotoStem);
    QString page = settings::ReadString(config, settings::kPageSizeName);
    if (page == PhotoSettingsReader::kPreset && !hasPreset)
        page = PhotoSettingsReader::kWholePicture;
    for (int i = 0; i < m_englishPages.size(); ++i)
        if (m_englishPages[i].compare(page, Qt::CaseInsensitive) == 0 &&
            m_pageIndexes.contains(i)) {
            v.pageIndex = i;
            break;
        }
    v.pictureFormat = settings::ReadString(config, settings::kPhotoFormat);
    const int32_t direction = settings::ReadInt(config, settings::kImageDirection);
    v.direction = direction >= 0 && direction < m_directionItems.size() ? direction : -1;
    v.savePath = PhotoNaming::SaveFolder(settings::ReadString(config, settings::kPhotoFolder));
    QDir().mkpath(v.savePath); // a folder that cannot be made shows when photos are saved
    v.thumbnailNum = IntText(config, settings::kThumbnailCount);
    v.increment = IntText(config, settings::kCounterStep);
    v.interval = IntText(config, settings::kAutoCaptureSeconds);
    v.byCounter = settings::ReadInt(config, settings::kNamingRule) != 0;
    v.look = int(PhotoSettingsReader::PageLook(config));
    v.autoMode = int(PhotoSettingsReader::AutoMode(config));
    v.settle = QString::number(PhotoSettingsReader::SettleMs(config) / 1000.0);
    v.sensitivity = PhotoSettingsReader::Sensitivity(config);
    m_thumbnailsAtOpen = v.thumbnailNum.toInt();
}

CaptureSettingsModel::Problem CaptureSettingsModel::Check(const CaptureSettingsValues& v)
{
    if (!StorableText(v.fileName) || !PhotoSettingsReader::IsSafeNamePart(v.fileName))
        return {FileNameEdit, scriva::str::kUnusableCharacters, 0, 0};
    if (!StorableText(v.savePath))
        return {SavePathEdit, scriva::str::kUnusableCharacters, 0, 0};
    if (!InRange(v.increment, kMinIncrement, kMaxIncrement))
        return {IncrementEdit, scriva::str::kIntegerOutOfRange, kMinIncrement, kMaxIncrement};
    if (!InRange(v.thumbnailNum, kMinThumbnails, kMaxThumbnails))
        return {ThumbnailEdit, scriva::str::kIntegerOutOfRange, kMinThumbnails, kMaxThumbnails};
    if (!InRange(v.interval, kMinIntervalSeconds, kMaxIntervalSeconds))
        return {IntervalEdit, scriva::str::kIntegerOutOfRange, kMinIntervalSeconds,
                kMaxIntervalSeconds};
    double settle = 0;
    if (!SettleSeconds(v.settle, settle) || settle < kMinSettleSeconds ||
        settle > kMaxSettleSeconds)
        return {SettleEdit, scriva::str::kNumberOutOfRange, kMinSettleSeconds, kMaxSettleSeconds};
    return {};
}

bool CaptureSettingsModel::SettleSeconds(const QString& text, double& seconds)
{
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    seconds = t.toDouble(&ok);
    return ok && std::isfinite(seconds);
}

bool CaptureSettingsModel::Store(CConfigFile& config, const CaptureSettingsValues& v) const
{
    if (!Check(v).IsNone())
        return false;
    const QString page = v.pageIndex >= 0 && v.pageIndex < m_englishPages.size()
                             ? m_englishPages[v.pageIndex]
                             : QString();
    settings::WriteString(config, settings::kPhotoStem, v.fileName);
    settings::WriteString(config, settings::kPageSizeName, page);
    settings::WriteString(config, settings::kPhotoFormat, v.pictureFormat);
    settings::WriteInt(config, settings::kImageDirection, v.direction);
    settings::WriteString(config, settings::kPhotoFolder, v.savePath);
    settings::WriteInt(config, settings::kThumbnailCount, v.thumbnailNum.trimmed().toInt());
    settings::WriteInt(config, settings::kCounterStep, v.increment.trimmed().toInt());
    settings::WriteInt(config, settings::kAutoCaptureSeconds, v.interval.trimmed().toInt());
    settings::WriteInt(config, settings::kNamingRule, v.byCounter ? 1 : 0);
    cxlook::Look look = cxlook::Look::Original;
    if (cxlook::LookFromIndex(v.look, look))
        settings::WriteInt(config, settings::kPageLook, int(look));
    if (v.autoMode >= int(AutoCaptureMode::Off) && v.autoMode <= int(AutoCaptureMode::PageChange))
        settings::WriteInt(config, settings::kAutoCaptureMode, v.autoMode);
    double settle = 0;
    SettleSeconds(v.settle, settle);
    settings::WriteInt(config, settings::kPageSettleMs, int32_t(std::lround(settle * 1000.0)));
    settings::WriteInt(config, settings::kPageSensitivity,
                       std::clamp(v.sensitivity, PhotoSettingsReader::kMinSensitivity,
                                  PhotoSettingsReader::kMaxSensitivity));
    return true;
}
