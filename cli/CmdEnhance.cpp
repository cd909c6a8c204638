// scriva-cli enhance: makes a page photo look scanned (see CxPageLook.h).
//   enhance IN OUT [--look document|grey|bw]
// The look defaults to document. OUT's extension picks the format; a black and
// white page is stored at one bit (PNG, BMP, TIFF with Group 4; JPEG in grey). A failed run leaves
// no output file and says why on one line.

#include "CliCommand.h"
#include "CliOptions.h"

#include "config/NativePath.h"
#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageLook.h"

#include <QFileInfo>

using namespace scriva::cli;

namespace {

const QString kUsage = QStringLiteral("enhance IN OUT [--look document|grey|bw]");

int RunEnhance(const QStringList& args)
{
    CliOptions options(kUsage, {{QStringLiteral("--look"), QStringLiteral("document|grey|bw")}}, 2,
                       2);
    if (!options.Parse(args))
        return failWith(options.Error());
    const QString& in = options.Args()[0];
    const QString& out = options.Args()[1];
    cxlook::Look look = cxlook::Look::Document;
    const QString name = options.Value(QStringLiteral("--look"), QStringLiteral("document"));
    if (!cxlook::LookFromName(name.toStdString(), look) || look == cxlook::Look::Original)
        return failWith(QStringLiteral("'%1' is not a look (use document, grey or bw)\nusage: %2")
                            .arg(name, kUsage));
    const uint32_t format =
        CxImage::FormatFromExtension(QFileInfo(out).suffix().toLatin1().constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(
            QStringLiteral("%1: unknown output format (use bmp, jpg, png or tif)").arg(out));
    CxImage image;
    QString error;
    if (!loadPicture(in, image, &error))
        return failWith(QStringLiteral("cannot read '%1': %2").arg(in, error));
    if (!cxlook::ApplyLook(image, look))
        return failWith(QStringLiteral("%1: %2").arg(in, QString::fromUtf8(image.GetLastError())));
    if (!image.Save(scriva::NativePathString(out), format))
        return failWith(QStringLiteral("cannot write '%1': %2")
                            .arg(out, QString::fromUtf8(image.GetLastError())));
    return 0;
}

const CliRegistrar kEnhance(QStringLiteral("enhance"), kUsage, RunEnhance);

} // namespace
