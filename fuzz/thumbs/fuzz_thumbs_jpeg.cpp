// Fuzz target: the thumbnail column's reduced-size JPEG decoder on arbitrary
// bytes. A picture that comes out must have the size the cell asks for.
#include "thumbs/ThumbDecoder.h"

#include <QByteArray>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QSize box(125, 100);
    const scriva::thumbs::ThumbPicture picture = scriva::thumbs::DecodeJpegThumbnail(bytes, box);
    if (!picture.image.isNull() &&
        (picture.image.width() > box.width() || picture.image.height() > box.height()))
        std::abort();
    if (picture.image.isNull() && picture.error.isEmpty())
        std::abort(); // every failure says why
    return 0;
}
