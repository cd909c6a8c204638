#include "PhotoTestSupport.h"

#include "capture/DemoCamera.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace phototest {

namespace {

const char* const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                   "XDG_DOCUMENTS_DIR"};
constexpr int kInkLevel = 100; // darker than this (0-255 green) is printing

bool IsInk(const CxImage& img, int x, int yTop)
{
    // Any depth: a look may have made the photo grey or one bit.
    return img.GetPixelColor(x, int(img.GetHeight()) - 1 - yTop, false).rgbGreen < kInkLevel;
}

// Dark pixels deeper inside than this margin count as printing (the page's
// own edges and the desk stay out).
constexpr int kEdgeSkip = 12;

} // namespace

CxImage demoFrame()
{
    return CxImage(DemoCamera::Picture());
}

CxImage plainPage(int width, int height, int pageW, int pageH)
{
    CxImage img(uint32_t(width), uint32_t(height), 24, CXIMAGE_FORMAT_BMP);
    const int x0 = (width - pageW) / 2;
    const int y0 = (height - pageH) / 2;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = img.GetBits(uint32_t(y));
        for (int x = 0; x < width; ++x) {
            const bool page = x >= x0 && x < x0 + pageW && y >= y0 && y < y0 + pageH;
            const uint8_t v = page ? 245 : 50;
            row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
        }
    }
    return img;
}

InkMargins inkMargins(const CxImage& photo)
{
    InkMargins m;
    const int w = int(photo.GetWidth());
    const int h = int(photo.GetHeight());
    int minX = w, maxX = -1, minY = h, maxY = -1;
    for (int y = kEdgeSkip; y < h - kEdgeSkip; ++y)
        for (int x = kEdgeSkip; x < w - kEdgeSkip; ++x)
            if (IsInk(photo, x, y)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    if (maxX < 0)
        return m;
    m.left = minX;
    m.top = minY;
    m.right = w - 1 - maxX;
    m.bottom = h - 1 - maxY;
    return m;
}

bool readsUpright(const CxImage& photo)
{
    const InkMargins m = inkMargins(photo);
    return m.left >= 0 && m.top < m.bottom && m.left < m.right;
}

PhotoSandbox::PhotoSandbox()
{
    for (int i = 0; i < 4; ++i)
        m_old[i] = qgetenv(kVariables[i]);
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
    qputenv("XDG_DOCUMENTS_DIR", QFile::encodeName(m_dir.filePath("Documents")));
    QDir().mkpath(m_dir.filePath("Documents"));
    QDir().mkpath(m_dir.filePath("config"));
    writeFile(m_dir.filePath("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
}

PhotoSandbox::~PhotoSandbox()
{
    for (int i = 0; i < 4; ++i) {
        if (m_old[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_old[i]);
    }
}

QString PhotoSandbox::documents() const
{
    return m_dir.filePath("Documents");
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace phototest
