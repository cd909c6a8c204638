#include "CliTestSupport.h"
#include "tests/common/RawProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace clitest {

QString binFolder()
{
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(exe).absolutePath() + u'/';
}

CliSandbox::CliSandbox()
{
    const QString root = m_dir.path() + u'/';
    m_configHome = root + QStringLiteral("config");
    m_documents = root + QStringLiteral("home/My Documents");
    for (const char* sub : {"config", "cache", "runtime", "home/My Documents", "scratch"})
        QDir().mkpath(root + QString::fromLatin1(sub));
    QFile::setPermissions(root + QStringLiteral("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The documents folder comes from the user's folder list, as on a desktop.
    writeFile(m_configHome + QStringLiteral("/user-dirs.dirs"),
              "XDG_DOCUMENTS_DIR=\"$HOME/My Documents\"\n");
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome);
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("cache"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("runtime"));
    m_env.insert(QStringLiteral("HOME"), root + QStringLiteral("home"));
    m_env.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), m_documents);
    m_env.insert(QStringLiteral("SCRIVA_CAMERA"), QStringLiteral("none"));
    m_env.remove(QStringLiteral("SCRIVA_CAMERA_MODEL"));
}

QString CliSandbox::path(const QString& name) const
{
    return m_dir.path() + QStringLiteral("/scratch/") + name;
}

QString CliSandbox::cliPath()
{
    const QByteArray dataDir = qgetenv("SCRIVA_DATA_DIR");
    const QString besideUs = binFolder() + QStringLiteral("scriva-cli");
    if (QFileInfo(besideUs).isExecutable() || dataDir.isEmpty())
        return besideUs;
    return QFile::decodeName(dataDir) + QStringLiteral("/scriva-cli");
}

CliRun CliSandbox::run(const QStringList& args, const std::map<QString, QString>& extraEnv) const
{
    QProcessEnvironment env = m_env;
    for (const auto& [name, value] : extraEnv)
        env.insert(name, value);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.path() + QStringLiteral("/scratch"));
    if (m_fileSizeLimit >= 0) {
        const rlim_t limit = rlim_t(m_fileSizeLimit);
        process.setChildProcessModifier([limit] {
            // Past the limit a write fails with EFBIG instead of killing the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fileSize = {limit, limit};
            setrlimit(RLIMIT_FSIZE, &fileSize);
        });
    }
    process.start(cliPath(), args);
    CliRun result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(1000);
        result.err = process.readAllStandardError();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

CliRun CliSandbox::runBytes(const QList<QByteArray>& args) const
{
    const rawtest::RawRun raw = rawtest::runRaw(
        cliPath(), args, m_env, m_dir.path() + QStringLiteral("/scratch"), m_dir.path());
    return CliRun{raw.exitCode, raw.out, raw.err};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

namespace {

void setPixelTopDown(CxImage& image, int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    RGBQUAD c;
    c.rgbRed = r;
    c.rgbGreen = g;
    c.rgbBlue = b;
    image.SetPixelColor(x, int(image.GetHeight()) - 1 - y, c);
}

// Text-like ink on the page: bars of lines with gaps between words.
bool isInk(double px, double py, int pageW, int pageH)
{
    const double margin = pageW * 0.12;
    if (px < margin || px > pageW - margin || py < pageH * 0.1 || py > pageH * 0.9)
        return false;
    const int line = int(py / 28.0);
    if (std::fmod(py, 28.0) > 12.0)
        return false;
    const int word = int((px - margin) / 60.0) + line * 7;
    return std::fmod(px - margin, 60.0) < 48.0 && word % 11 != 5;
}

} // namespace

CxImage makeColourPattern(int width, int height)
{
    CxImage image(uint32_t(width), uint32_t(height), 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool checker = ((x / 8) + (y / 8)) % 2 == 0;
            setPixelTopDown(image, x, y, uint8_t(x * 255 / (width - 1)),
                            uint8_t(y * 255 / (height - 1)), checker ? 230 : uint8_t(x ^ y));
        }
    return image;
}

CxImage makePagePhoto(int width, int height, int pageW, int pageH, double angleDeg)
{
    CxImage image(uint32_t(width), uint32_t(height), 24);
    const double a = angleDeg * M_PI / 180.0;
    const double cosA = std::cos(a);
    const double sinA = std::sin(a);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Back to the unturned page: turn (x, y) counter-clockwise about the centre.
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double px = dx * cosA + dy * sinA + pageW / 2.0;
            const double py = -dx * sinA + dy * cosA + pageH / 2.0;
            const bool onPage = px >= 0 && py >= 0 && px < pageW && py < pageH;
            if (!onPage)
                setPixelTopDown(image, x, y, 38, 34, 30); // dark desk
            else if (isInk(px, py, pageW, pageH))
                setPixelTopDown(image, x, y, 25, 25, 35);
            else
                setPixelTopDown(image, x, y, 245, 243, 238);
        }
    return image;
}

RGBQUAD pixelAt(const CxImage& image, int x, int y)
{
    return image.GetPixelColor(x, int(image.GetHeight()) - 1 - y, false);
}

bool samePixels(const CxImage& a, const CxImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (int y = 0; y < int(a.GetHeight()); ++y)
        for (int x = 0; x < int(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false);
            const RGBQUAD q = b.GetPixelColor(x, y, false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
                return false;
        }
    return true;
}

namespace {

double luma(const RGBQUAD& p)
{
    return 0.299 * p.rgbRed + 0.587 * p.rgbGreen + 0.114 * p.rgbBlue;
}

bool sameSize(const CxImage& a, const CxImage& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() && a.GetWidth() > 0;
}

} // namespace

double meanLumaDifference(const CxImage& a, const CxImage& b)
{
    if (!sameSize(a, b))
        return 255.0;
    double sum = 0;
    for (int y = 0; y < int(a.GetHeight()); ++y)
        for (int x = 0; x < int(a.GetWidth()); ++x)
            sum +=
                std::abs(luma(a.GetPixelColor(x, y, false)) - luma(b.GetPixelColor(x, y, false)));
    return sum / (double(a.GetWidth()) * a.GetHeight());
}

double channelMeanDifference(const CxImage& a, const CxImage& b)
{
    if (!sameSize(a, b))
        return 255.0;
    double diff[3] = {0, 0, 0};
    for (int y = 0; y < int(a.GetHeight()); ++y)
        for (int x = 0; x < int(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false);
            const RGBQUAD q = b.GetPixelColor(x, y, false);
            diff[0] += p.rgbRed - q.rgbRed;
            diff[1] += p.rgbGreen - q.rgbGreen;
            diff[2] += p.rgbBlue - q.rgbBlue;
        }
    const double n = double(a.GetWidth()) * a.GetHeight();
    return std::max({std::abs(diff[0]), std::abs(diff[1]), std::abs(diff[2])}) / n;
}

} // namespace clitest
