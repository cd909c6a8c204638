#include "DemoCamera.h"

#include <QResource>

// The picture is compiled into this static library; make sure its resource
// is registered even when nothing else pulls the object in.
static void InitDemoResource()
{
    Q_INIT_RESOURCE(scriva_capture_demo);
}

namespace DemoCamera {

const QImage& Picture()
{
    static const QImage picture = [] {
        InitDemoResource();
        QImage img(QStringLiteral(":/scriva/capture/demo_page.png"));
        if (img.isNull())
            return QImage();
        return img.convertToFormat(QImage::Format_BGR888);
    }();
    return picture;
}

} // namespace DemoCamera
