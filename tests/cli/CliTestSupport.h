#pragma once
// Helpers of the scriva-cli tests: a sandbox that runs the built scriva-cli
// with its own temporary settings, cache, home and documents folders, and
// synthesised pictures (a colour pattern, a page photo on a dark desk) with
// pixel comparisons. The test thread only.

#include "image/cximage/CxImage.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>

namespace clitest {

struct CliRun
{
    int exitCode = -1; // -1: did not finish normally
    QByteArray out;
    QByteArray err;
};

class CliSandbox
{
public:
    CliSandbox();

    bool isValid() const { return m_dir.isValid(); }
    // A path inside the sandbox's own scratch folder.
    QString path(const QString& name) const;
    QString documentsFolder() const { return m_documents; }
    QString configHome() const { return m_configHome; }
    static QString cliPath();
    // The variables every run gets (for runs started side by side).
    QProcessEnvironment environment() const { return m_env; }

    // Runs scriva-cli with args; extra variables are added to the environment.
    CliRun run(const QStringList& args, const std::map<QString, QString>& extraEnv = {}) const;
    // Runs scriva-cli with arguments as raw bytes (names that are not UTF-8); no size limit.
    CliRun runBytes(const QList<QByteArray>& args) const;
    // Later runs may write files of at most `bytes` (a full disk for the files they write:
    // a longer write fails with EFBIG); negative: no limit.
    void setFileSizeLimit(long long bytes) { m_fileSizeLimit = bytes; }

private:
    QTemporaryDir m_dir;
    QString m_configHome;
    QString m_documents;
    QProcessEnvironment m_env;
    long long m_fileSizeLimit = -1;
};

// Folder of the running test executable, ending in "/".
QString binFolder();

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
std::string native(const QString& path);

// A 24-bit picture with colour ramps and sharp edges in every channel.
CxImage makeColourPattern(int width, int height);
// A white page of pageW x pageH with dark text-like bars, turned clockwise by
// angleDeg about the picture's centre, on a dark desk of width x height.
CxImage makePagePhoto(int width, int height, int pageW, int pageH, double angleDeg);

// Top-down pixel access (CxImage counts rows from the bottom).
RGBQUAD pixelAt(const CxImage& image, int x, int y);
bool samePixels(const CxImage& a, const CxImage& b);
// Mean absolute difference of the brightness (Rec. 601 luma) per pixel.
double meanLumaDifference(const CxImage& a, const CxImage& b);
// Largest difference between the two pictures' mean red, green and blue.
double channelMeanDifference(const CxImage& a, const CxImage& b);

} // namespace clitest

// The one stderr line a failed command prints.
#define EXPECT_ONE_ERROR_LINE(run)                                                                 \
    do {                                                                                           \
        EXPECT_NE((run).exitCode, 0);                                                              \
        EXPECT_NE((run).exitCode, -1) << "scriva-cli did not finish";                              \
        EXPECT_TRUE((run).err.startsWith("scriva-cli: ")) << (run).err.constData();                \
        EXPECT_EQ((run).err.count('\n'), 1) << (run).err.constData();                              \
    } while (0)
