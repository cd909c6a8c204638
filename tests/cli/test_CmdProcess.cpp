// "scriva-cli process": the program's photo pipeline on a file, with the photo
// settings of the user's settings unless overridden: the page cut of a camera
// model, straightening, the turn and the resolution by frame width; --report
// prints the straighten report; bad arguments fail with one line and no file.

#include "CliTestSupport.h"

#include "image/cximage/CxPageDetect.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

using namespace clitest;

namespace {

class CmdProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable())
            << "build the scriva-cli target: " << qPrintable(CliSandbox::cliPath());
        m_frame = m_box.path(QStringLiteral("frame.bmp"));
        const CliRun r = m_box.run({"capture", "--camera", "demo", m_frame});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    }
    CxImage load(const QString& path)
    {
        CxImage image;
        EXPECT_TRUE(image.Load(native(path), CXIMAGE_FORMAT_UNKNOWN)) << image.GetLastError();
        return image;
    }
    CliSandbox m_box;
    QString m_frame;
};

} // namespace

TEST_F(CmdProcess, DemoFrameBecomesAnUprightA4PageWithTheShippedSettings)
{
    const QString out = m_box.path(QStringLiteral("page.png"));
    const CliRun r = m_box.run({"process", m_frame, out, "--camera-model", "4", "--report"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    EXPECT_NEAR(std::fabs(report["angle_deg"].toDouble()), 3.0, 0.1) << r.out.constData();
    EXPECT_TRUE(report["refined"].toBool()); // the shipped setting
    const CxImage page = load(out);
    EXPECT_EQ(report["width"].toInt(), int(page.GetWidth()));
    EXPECT_EQ(report["height"].toInt(), int(page.GetHeight()));
    EXPECT_TRUE(readFile(out).startsWith("\x89PNG"));
    // Shipped settings: A4 cut out, a quarter turn clockwise: portrait.
    EXPECT_NEAR(double(page.GetHeight()) / page.GetWidth(), 297.0 / 210.0, 0.03);
    EXPECT_EQ(page.GetXDPI(), 400); // a 2592-pixel frame
}

TEST_F(CmdProcess, ACutHoldingOnlyTextIsNotTurnedOnUntrustedEvidence)
{
    // The card-sized cut of the demo frame holds a few lines of print and no page
    // edge: the one-degree finder's peak there is no evidence to turn the page by.
    const QString out = m_box.path(QStringLiteral("card.png"));
    const CliRun r =
        m_box.run({"process", m_frame, out, "--camera-model", "4", "--page", "Card", "--report"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    ASSERT_TRUE(report.contains("confidence")) << r.out.constData();
    const double confidence = report["confidence"].toDouble();
    const double angle = report["angle_deg"].toDouble();
    if (confidence < cxdetect::kMinTurnConfidence)
        EXPECT_EQ(angle, 0.0) << r.out.constData();
    else
        EXPECT_LT(std::fabs(angle), 4.0) << r.out.constData(); // the demo page's own turn is 3
    const CxImage page = load(out);
    EXPECT_EQ(report["width"].toInt(), int(page.GetWidth()));
    EXPECT_EQ(report["height"].toInt(), int(page.GetHeight()));
}

TEST_F(CmdProcess, OverridesAndSettingsChangeTheResult)
{
    struct Case
    {
        QStringList args;
        bool portrait;
    };
    const Case cases[] = {
        {{"--camera-model", "4", "--direction", "0"}, false},
        {{"--camera-model", "4", "--direction", "2"}, true},
        // Without a camera model nothing is cut by geometry; the page is still found.
        {{}, true},
        {{"--camera-model", "4", "--page", "All"}, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString out = m_box.path(QStringLiteral("out%1.jpg").arg(n++));
        const CliRun r = m_box.run(QStringList{"process", m_frame, out} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const CxImage page = load(out);
        const double ratio = double(page.GetHeight()) / page.GetWidth();
        EXPECT_NEAR(c.portrait ? ratio : 1.0 / ratio, 297.0 / 210.0, 0.03)
            << c.args.join(' ').toStdString();
    }
    // The settings' direction applies when none is given.
    ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", "imageDirection", "0"}).exitCode, 0);
    const QString out = m_box.path(QStringLiteral("settings.jpg"));
    ASSERT_EQ(m_box.run({"process", m_frame, out, "--camera-model", "4"}).exitCode, 0);
    const CxImage page = load(out);
    EXPECT_GT(page.GetWidth(), page.GetHeight());
}

TEST_F(CmdProcess, BadArgumentsFailWithOneLineAndNoFile)
{
    const QString out = m_box.path(QStringLiteral("never.jpg"));
    const QStringList bad[] = {{"process", m_frame},
                               {"process", m_frame, out, "--camera-model", "5"},
                               {"process", m_frame, out, "--direction", "3"},
                               {"process", m_frame, out, "--direction", "x"},
                               {"process", m_frame, out, "--page", "Napkin"},
                               {"process", m_frame, out, "--frobnicate"},
                               {"process", m_frame, m_box.path("never.gif")},
                               {"process", m_box.path("missing.bmp"), out}};
    for (const QStringList& args : bad) {
        const CliRun r = m_box.run(args);
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_FALSE(QFileInfo::exists(out)) << args.join(' ').toStdString();
    }
}
