#include "StraightenJob.h"

#include <new>

namespace scriva::cli {

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool StraightenPage(CxImage& image, StraightenResult& result, QString* error,
                    const CxDebugSink* debug)
{
    if (!image.IsValid())
        return Fail(error, QStringLiteral("no picture to straighten"));
    try {
        result.angle = cxdetect::DetectSkew(image, debug);
        if (!cxdetect::ApplySkew(image, result.angle))
            return Fail(error, QString::fromUtf8(image.GetLastError()));
        result.crop = cxdetect::DetectPageBox(image, debug);
    } catch (const std::bad_alloc&) {
        return Fail(error, QStringLiteral("out of memory"));
    }
    const cxdetect::PageBox& box = result.crop;
    if (!image.Crop(box.left, box.top, box.right, box.bottom))
        return Fail(error, QString::fromUtf8(image.GetLastError()));
    return true;
}

} // namespace scriva::cli
