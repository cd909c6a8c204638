#pragma once
// Helpers of the photo tests: the demo camera's frame as an image object, a
// plain page photo, where the printing on a photo lies, and a sandbox of
// temporary settings, cache and documents folders. The test thread only.

#include "image/cximage/CxImage.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace phototest {

// The demo camera's 2592 x 1944 picture as the capture graph would hold it.
CxImage demoFrame();

// A light page of pageW x pageH, axis-aligned and centred on a dark desk.
CxImage plainPage(int width, int height, int pageW, int pageH);

// Margins of the dark printing inside a page photo, in pixels from each edge
// (rows from the top).
struct InkMargins
{
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
};
InkMargins inkMargins(const CxImage& photo);
// Printed text reads upright: it starts nearer the top than it ends before
// the bottom, and nearer the left (aligned) than the right (ragged).
bool readsUpright(const CxImage& photo);

// Temporary HOME, XDG config, cache and documents folders for one test; the
// variables are put back afterwards.
class PhotoSandbox
{
public:
    PhotoSandbox();
    ~PhotoSandbox();
    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString documents() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_old[4];
};

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace phototest
