// Every scriva-cli command reads its command line the same way: the same mistake gets the
// same words, "--" ends the options everywhere, and options that exclude each other are
// refused together.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace clitest;

namespace {

class CliOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(
            makeColourPattern(40, 30).Save(native(m_box.path("in.png")), CXIMAGE_FORMAT_PNG));
    }
    CliSandbox m_box;
};

} // namespace

TEST_F(CliOptionsTest, TheSameMistakeGetsTheSameWordsInEveryCommand)
{
    const QString in = m_box.path("in.png");
    const QString out = m_box.path("out.png");
    struct Case
    {
        QStringList args;
        QByteArray said;
    };
    const std::vector<Case> cases = {
        {{"convert", in, out, "--bogus"}, "unknown option '--bogus'; usage: convert IN OUT"},
        {{"straighten", in, out, "--bogus"}, "unknown option '--bogus'; usage: straighten"},
        {{"process", in, out, "--bogus"}, "unknown option '--bogus'; usage: process"},
        {{"pdf", m_box.path("o.pdf"), in, "--bogus"}, "unknown option '--bogus'; usage: pdf"},
        {{"thumbs", in, m_box.path("t"), "--bogus"}, "unknown option '--bogus'; usage: thumbs"},
        {{"ocr", in, "--bogus"}, "unknown option '--bogus'; usage: ocr"},
        {{"capture", "--bogus"}, "unknown option '--bogus'; usage: capture"},
        {{"demo", "--bogus"}, "unknown option '--bogus'; usage: demo"},
        {{"config", "get", "--bogus", "A", "B"}, "unknown option '--bogus'; usage: config get"},
        {{"convert", in, out, "--format"}, "--format needs a value"},
        {{"ocr", in, "--out"}, "--out needs a value"},
        {{"process", in, out, "--page"}, "--page needs a value"},
        {{"config", "set", "--file"}, "--file needs a value"},
        {{"convert", in, out, "--format", "png", "--format", "jpg"}, "--format is given twice"},
        {{"straighten", in, out, "--report=yes"}, "--report takes no value"},
        {{"straighten", in, out, "--fine", "--coarse"},
         "--fine and --coarse cannot be given together"},
        {{"thumbs", in, m_box.path("t"), "--size", "0"},
         "--size takes a whole number from 1 to 4096, not '0'"},
        {{"process", in, out, "--direction=7"},
         "--direction takes a whole number from 0 to 2, not '7'"},
        {{"ocr", in, "--threads", "many"}, "--threads takes a whole number"},
        {{"convert", in}, "usage: convert IN OUT"},
        {{"pdf", m_box.path("o.pdf")}, "usage: pdf OUT.pdf IN..."},
        {{"config", "dump", "a", "b"}, "usage: config dump FILE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = m_box.run(c.args);
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(CliOptionsTest, DoubleDashEndsTheOptionsInEveryCommand)
{
    // A file whose name starts with "--" is an argument after "--".
    const QString in = m_box.path("in.png");
    const CliRun convert = m_box.run({"convert", "--format=png", "--", in, "--x.png"});
    EXPECT_EQ(convert.exitCode, 0) << convert.err.constData();
    EXPECT_TRUE(QFileInfo(m_box.path("--x.png")).isFile()); // scriva-cli runs in that folder

    const QString pdf = m_box.path("o.pdf");
    const CliRun r = m_box.run({"pdf", "--", pdf, in});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(QFileInfo(pdf).isFile());

    const QString settings = m_box.path("s.cfg");
    const CliRun set = m_box.run({"config", "set", "--file", settings, "--", "NORMAL", "x", "-5"});
    EXPECT_EQ(set.exitCode, 0) << set.err.constData();
    const CliRun negative = m_box.run({"config", "get", "--file=" + settings, "NORMAL", "x"});
    EXPECT_EQ(negative.exitCode, 0) << negative.err.constData();
    EXPECT_EQ(negative.out.trimmed(), "-5");
}
