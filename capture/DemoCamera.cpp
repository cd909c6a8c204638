#include "DemoCamera.h"

#include <QFile>

// The picture is compiled into this static library; make sure its resource
// is registered even when nothing else pulls the object in.
static void InitDemoResource()
{
    Q_INIT_RESOURCE(scriva_capture_demo);
}

namespace DemoCamera {

namespace {
constexpr uint32_t kBitsPerPixel = 24;

CxImage Decode()
{
    InitDemoResource();
    QFile file(QStringLiteral(":/scriva/capture/demo_page.png"));
    if (!file.open(QIODevice::ReadOnly))
        return CxImage();
    const QByteArray png = file.readAll();
    CxImage picture;
    if (!picture.Decode(reinterpret_cast<const uint8_t*>(png.constData()), size_t(png.size()),
                        CXIMAGE_FORMAT_PNG) ||
        picture.GetBpp() != kBitsPerPixel)
        return CxImage();
    return picture;
}
} // namespace

const CxImage& Picture()
{
    static const CxImage picture = Decode();
    return picture;
}

} // namespace DemoCamera
