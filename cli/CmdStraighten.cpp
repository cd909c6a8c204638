// scriva-cli straighten: straightens a page photo and crops it to the page, as
// every photo the program takes is.
//   straighten IN OUT [--report]
// OUT's extension picks the format (bmp, jpg, png, tif). With --report one JSON
// object on stdout tells the turn undone, the crop and the output size.

#include "CliCommand.h"

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageDetect.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <new>

using namespace scriva::cli;

namespace {

const QString kUsage = QStringLiteral("straighten IN OUT [--report]");

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void PrintReport(int angle, const cxdetect::PageBox& crop, const CxImage& out)
{
    std::printf("{\"angle_deg\": %d, \"crop\": {\"left\": %d, \"top\": %d, \"right\": %d, "
                "\"bottom\": %d}, \"width\": %u, \"height\": %u}\n",
                angle, crop.left, crop.top, crop.right, crop.bottom, out.GetWidth(),
                out.GetHeight());
}

int RunStraighten(const QStringList& args)
{
    QStringList files;
    bool report = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--report"))
            report = true;
        else if (a.startsWith(QLatin1String("--")))
            return failWith(QStringLiteral("unknown option %1; usage: %2").arg(a, kUsage));
        else
            files << a;
    }
    if (files.size() != 2)
        return failWith(QStringLiteral("usage: ") + kUsage);
    const QString& in = files[0];
    const QString& out = files[1];
    const uint32_t format =
        CxImage::FormatFromExtension(QFileInfo(out).suffix().toUtf8().constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(
            QStringLiteral("%1: unknown output format (use bmp, jpg, png or tif)").arg(out));

    CxImage image;
    if (!image.Load(NativePath(in), CXIMAGE_FORMAT_UNKNOWN))
        return failWith(QStringLiteral("%1: %2").arg(in, QString::fromUtf8(image.GetLastError())));
    // The same phases AutoDeskew and AutoCropBorder chain, kept apart to report them.
    int angle = 0;
    cxdetect::PageBox crop;
    try {
        angle = cxdetect::DetectSkew(image);
        if (!cxdetect::ApplySkew(image, angle))
            return failWith(
                QStringLiteral("%1: %2").arg(in, QString::fromUtf8(image.GetLastError())));
        crop = cxdetect::DetectPageBox(image);
    } catch (const std::bad_alloc&) {
        return failWith(QStringLiteral("%1: out of memory").arg(in));
    }
    if (!image.Crop(crop.left, crop.top, crop.right, crop.bottom))
        return failWith(QStringLiteral("%1: %2").arg(in, QString::fromUtf8(image.GetLastError())));
    if (!image.Save(NativePath(out), format))
        return failWith(QStringLiteral("%1: %2").arg(out, QString::fromUtf8(image.GetLastError())));
    if (report)
        PrintReport(angle, crop, image);
    return 0;
}

const CliRegistrar kStraighten(QStringLiteral("straighten"), kUsage, RunStraighten);

} // namespace
