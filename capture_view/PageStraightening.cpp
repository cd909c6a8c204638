#include "PageStraightening.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <new>

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool StraightenPage(CxImage& image, StraightenResult& result, QString* error, bool fine,
                    const CxDebugSink* debug)
{
    if (!image.IsValid())
        return Fail(error, QStringLiteral("no picture to straighten"));
    try {
        if (fine) {
            const cxdetect::SkewEstimate skew = cxdetect::DetectFineSkew(image, debug);
            result.angle = skew.degrees;
            result.confidence = skew.confidence;
            if (!cxdetect::ApplyFineSkew(image, skew.degrees))
                return Fail(error, QString::fromUtf8(image.GetLastError()));
            result.crop = cxdetect::DetectPageCrop(image, debug);
        } else {
            const int skew = cxdetect::DetectSkew(image, debug);
            result.angle = skew;
            result.confidence = 0;
            if (!cxdetect::ApplySkew(image, skew))
                return Fail(error, QString::fromUtf8(image.GetLastError()));
            result.crop = cxdetect::DetectPageBox(image, debug);
        }
    } catch (const std::bad_alloc&) {
        return Fail(error, QStringLiteral("out of memory"));
    }
    const cxdetect::PageBox& box = result.crop;
    if (!image.Crop(box.left, box.top, box.right, box.bottom))
        return Fail(error, QString::fromUtf8(image.GetLastError()));
    return true;
}

bool FineStraightenSetting(const CConfigFile& config)
{
    const scriva::settings::Key key = scriva::settings::kFineStraighten;
    CConfigEntry entry;
    if (!config.GetEntry(QString::fromLatin1(key.name), entry, QString::fromLatin1(key.section)))
        return true;
    return scriva::settings::ReadInt(config, key) != 0;
}
