// "scriva-cli straighten" on synthesised page photos: the turn reported and
// undone matches the one drawn, the crop finds the page, --report is valid
// JSON, and bad input fails with one line and no output.

#include "CliTestSupport.h"
#include "image/cximage/CxPageDetect.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace clitest;

namespace {

constexpr int kDeskW = 1600;
constexpr int kDeskH = 1200;
constexpr int kPageW = 760;
constexpr int kPageH = 1040;

class CmdStraighten : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable())
            << "build the scriva-cli target: " << qPrintable(CliSandbox::cliPath());
    }
    // Writes a page photo turned clockwise by angle as PNG; returns its path.
    QString pagePhoto(double angle, const QString& name)
    {
        CxImage photo = makePagePhoto(kDeskW, kDeskH, kPageW, kPageH, angle);
        const QString path = m_box.path(name);
        EXPECT_TRUE(photo.Save(native(path), CXIMAGE_FORMAT_PNG)) << photo.GetLastError();
        return path;
    }
    CliSandbox m_box;
};

QJsonObject parseReport(const QByteArray& out)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << qPrintable(error.errorString()) << ": " << out.constData();
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

} // namespace

TEST_F(CmdStraighten, UndoesTheTurnAndCutsToThePage)
{
    for (const double angle : {5.0, -4.0, 0.0}) {
        SCOPED_TRACE(angle);
        const QString in = pagePhoto(angle, QStringLiteral("page.png"));
        const QString out = m_box.path(QStringLiteral("straight.bmp"));
        QFile::remove(out);
        const CliRun r = m_box.run({"straighten", in, out, "--report"});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const QJsonObject report = parseReport(r.out);
        for (const char* key : {"angle_deg", "confidence", "refined", "crop", "width", "height"})
            ASSERT_TRUE(report.contains(QLatin1String(key))) << key;
        // The reported angle is the clockwise turn that straightens the page, refined
        // below a degree by default.
        EXPECT_TRUE(report.value("refined").toBool());
        EXPECT_NEAR(report.value("angle_deg").toDouble(), -angle, 0.1);
        const double confidence = report.value("confidence").toDouble(-1);
        EXPECT_GE(confidence, 0.0);
        EXPECT_LE(confidence, 1.0);

        const QJsonObject crop = report.value("crop").toObject();
        const int left = crop.value("left").toInt(-1);
        const int top = crop.value("top").toInt(-1);
        const int right = crop.value("right").toInt(-1);
        const int bottom = crop.value("bottom").toInt(-1);
        const double a = std::abs(angle) * M_PI / 180.0;
        const double canvasW = kDeskW * std::cos(a) + kDeskH * std::sin(a) + 2;
        const double canvasH = kDeskW * std::sin(a) + kDeskH * std::cos(a) + 2;
        EXPECT_GE(left, 0);
        EXPECT_GE(top, 0);
        EXPECT_LE(right, canvasW);
        EXPECT_LE(bottom, canvasH);
        EXPECT_NEAR(right - left, kPageW, kPageW * 0.04);
        EXPECT_NEAR(bottom - top, kPageH, kPageH * 0.04);

        CxImage result;
        ASSERT_TRUE(result.Load(native(out), 0)) << result.GetLastError();
        EXPECT_EQ(int(result.GetWidth()), report.value("width").toInt());
        EXPECT_EQ(int(result.GetHeight()), report.value("height").toInt());
        EXPECT_EQ(int(result.GetWidth()), right - left);
        EXPECT_EQ(int(result.GetHeight()), bottom - top);
        // The result is the page: its left margin is paper.
        const RGBQUAD margin =
            pixelAt(result, int(result.GetWidth()) / 20, int(result.GetHeight()) / 2);
        EXPECT_GT(margin.rgbGreen, 200);
    }
}

TEST_F(CmdStraighten, FineTurnsAreReportedAsDecimalsAndCoarseKeepsWholeDegrees)
{
    const QString in = pagePhoto(-2.6, QStringLiteral("fraction.png"));
    const QString out = m_box.path(QStringLiteral("fraction.png"));
    CliRun r = m_box.run({"straighten", in, out, "--report"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QJsonObject report = parseReport(r.out);
    EXPECT_NEAR(report.value("angle_deg").toDouble(), 2.6, 0.1);
    EXPECT_GT(report.value("confidence").toDouble(), 0.3);

    r = m_box.run({"straighten", in, out, "--report", "--coarse"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    report = parseReport(r.out);
    EXPECT_FALSE(report.value("refined").toBool());
    // Exactly the one-degree finder's answer (which may miss this page by more).
    CxImage photo;
    ASSERT_TRUE(photo.Load(native(in), CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(report.value("angle_deg").toDouble(), double(cxdetect::DetectSkew(photo)));
    EXPECT_EQ(report.value("confidence").toDouble(-1), 0.0);
}

TEST_F(CmdStraighten, WithoutReportPrintsNothing)
{
    const QString out = m_box.path(QStringLiteral("quiet.jpg"));
    const CliRun r = m_box.run({"straighten", pagePhoto(3.0, "quiet.png"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    CxImage result;
    EXPECT_TRUE(result.Load(native(out), CXIMAGE_FORMAT_JPG)) << result.GetLastError();
}

TEST_F(CmdStraighten, DebugFolderReceivesTheDetectorsImages)
{
    const QString dir = m_box.path(QStringLiteral("stages"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const CliRun r = m_box.run({"straighten", pagePhoto(2.0, "dbg.png"),
                                m_box.path(QStringLiteral("dbg-out.png")), "--debug", dir});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QStringList stages = QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files);
    ASSERT_FALSE(stages.isEmpty());
    for (const QString& name : stages) {
        CxImage stage;
        EXPECT_TRUE(stage.Load(native(dir + u'/' + name), CXIMAGE_FORMAT_PNG)) << qPrintable(name);
        EXPECT_GT(stage.GetWidth(), 0u) << qPrintable(name);
    }
}

TEST_F(CmdStraighten, BadInputFailsWithOneLineAndNoOutput)
{
    const QString good = pagePhoto(0.0, QStringLiteral("good.png"));
    ASSERT_TRUE(writeFile(m_box.path("garbage.jpg"), QByteArray(4096, '\x33')));
    ASSERT_TRUE(writeFile(m_box.path("a-file"), "not a folder"));
    const std::vector<QStringList> cases = {
        {m_box.path("missing.png"), m_box.path("s1.png")},
        {m_box.path("garbage.jpg"), m_box.path("s2.png")},
        {good, m_box.path("s3.gif")},
        {good, m_box.path("s4")},
        {good, m_box.path("no-such-folder/s5.png")},
        {good, m_box.path("a-file/s6.png")},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const CliRun r = m_box.run(QStringList{"straighten"} + args + QStringList{"--report"});
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
        EXPECT_FALSE(QFileInfo::exists(args[1]));
    }
    EXPECT_ONE_ERROR_LINE(m_box.run({"straighten", good}));
    EXPECT_ONE_ERROR_LINE(m_box.run({"straighten", good, m_box.path("s7.png"), "--tilt"}));
    EXPECT_FALSE(QFileInfo::exists(m_box.path("s7.png")));
}
