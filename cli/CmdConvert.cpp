// "scriva-cli convert IN OUT [--format bmp|jpg|png|tif]": reads an image in any of the four
// formats and writes it in another. The output format comes from OUT's extension unless
// given; a failed conversion leaves no output file and says why on one line.

#include "CliCommand.h"
#include "CliOptions.h"
#include "config/NativePath.h"
#include "image/cximage/CxImage.h"

#include <QFile>
#include <QFileInfo>

using namespace scriva::cli;

namespace {

uint32_t formatOf(const QString& nameOrExtension)
{
    return CxImage::FormatFromExtension(nameOrExtension.toLatin1().constData());
}

int runConvert(const QStringList& args)
{
    CliOptions options(QStringLiteral("convert IN OUT [--format bmp|jpg|png|tif]"),
                       {{QStringLiteral("--format"), QStringLiteral("bmp, jpg, png or tif")}}, 2,
                       2);
    if (!options.Parse(args))
        return failWith(options.Error());
    const QStringList& paths = options.Args();
    const QString format = options.Value(QStringLiteral("--format"));
    const QString& in = paths[0];
    const QString& out = paths[1];
    const uint32_t outType = formatOf(format.isEmpty() ? QFileInfo(out).suffix() : format);
    if (outType == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(QStringLiteral("cannot tell the output format of '%1' (use bmp, jpg, "
                                       "png or tif)")
                            .arg(format.isEmpty() ? out : format));
    CxImage image;
    QString error;
    if (!loadPicture(in, image, &error))
        return failWith(QStringLiteral("cannot read '%1': %2").arg(in, error));
    if (!image.Save(scriva::NativePathString(out), outType))
        return failWith(QStringLiteral("cannot write '%1': %2")
                            .arg(out, QString::fromUtf8(image.GetLastError())));
    return 0;
}

const CliRegistrar registrar(QStringLiteral("convert"),
                             QStringLiteral("convert IN OUT [--format bmp|jpg|png|tif]"),
                             runConvert);

} // namespace
