// The settings file the program ships: every section and key the program
// reads, page and direction lists for all eleven languages, and the exact
// form the store writes, so the first save changes nothing.

#include "ConfigTestUtil.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using configtest::readBytes;

namespace {

namespace settings = scriva::settings;
constexpr int kPresetIndex = 11;

class ShippedConfig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bytes = readBytes(scriva::shippedConfigFile());
        ASSERT_FALSE(m_bytes.isEmpty()) << qPrintable(scriva::shippedConfigFile());
        ASSERT_TRUE(m_config.Load(scriva::shippedConfigFile()));
    }
    QStringList list(const QString& key, const QString& section) const
    {
        CConfigEntry entry;
        EXPECT_TRUE(m_config.GetEntry(key, entry, section)) << qPrintable(section + '/' + key);
        return entry.Tokens();
    }
    QByteArray m_bytes;
    CConfigFile m_config;
};

} // namespace

TEST_F(ShippedConfig, IsExactlyInTheStoresWrittenForm)
{
    EXPECT_TRUE(m_bytes.startsWith("\xff\xfe"));
    EXPECT_EQ(m_config.ToBytes(), m_bytes);
}

TEST_F(ShippedConfig, MatchesItsReadableSource)
{
    QFile source(QStringLiteral(SCRIVA_TEST_SOURCE_DIR "/resources/config/config.cfg.src"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(source.readAll());
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(configtest::utf16(text), m_bytes) << "run scripts/make-shipped-config";
}

TEST_F(ShippedConfig, HoldsEveryKeyTheProgramReads)
{
    const auto sections = m_config.Sections();
    for (const settings::Key& key : settings::kAllKeys) {
        const QString section = QLatin1String(key.section);
        ASSERT_TRUE(sections.count(section)) << key.section;
        EXPECT_TRUE(sections.at(section).count(QLatin1String(key.name)))
            << key.section << '/' << key.name;
    }
    ASSERT_TRUE(sections.count(QLatin1String(settings::section::kPageSize)));
    EXPECT_NE(scriva::languages::IndexOfCode(settings::ReadString(m_config, settings::kLanguage)),
              0);
    EXPECT_EQ(settings::CameraIds(m_config).size(), 4);
    for (const QString& id : settings::CameraIds(m_config))
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^usb\\\\vid_[0-9a-f]{4}&pid_[0-9a-f]{4}$"))
                        .match(id)
                        .hasMatch())
            << qPrintable(id);
    EXPECT_TRUE(m_config.GetString("DataPath", "OCR_INDENTIFY").isEmpty());
    EXPECT_EQ(m_config.GetString("ConfigPath", "OCR_INDENTIFY"), QStringLiteral("ocr/"));
}

TEST_F(ShippedConfig, PhotoSettingsAreUsable)
{
    int32_t n = 0;
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    EXPECT_GE(m_config.GetInt("thumbnailNum", n, S), 1);
    EXPECT_LE(n, 6);
    EXPECT_GE(m_config.GetInt("interval", n, S), 3);
    EXPECT_LE(n, 10);
    EXPECT_GE(m_config.GetInt("increment", n, S), 1);
    // Pages lie sideways under the camera, their top to the left: a quarter
    // turn clockwise stands them upright.
    EXPECT_EQ(m_config.GetInt("imageDirection", n, S), 1);
    EXPECT_NE(m_config.GetInt("nomenclature", n, S), 0);
    EXPECT_EQ(m_config.GetString("pictureFormat", S), QStringLiteral("jpg"));
    EXPECT_TRUE(list("enPage", S).contains(m_config.GetString("sizePicture", S)));
    EXPECT_FALSE(m_config.GetString("savePath", S).contains(u'/'));
    EXPECT_FALSE(m_config.GetString("fileName", S).isEmpty());
}

TEST_F(ShippedConfig, EveryLanguageListsPagesAndDirectionsInEnglishOrder)
{
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    const QStringList english = list("enPage", S);
    ASSERT_EQ(english.size(), kPresetIndex + 1);
    EXPECT_EQ(english.at(kPresetIndex), QStringLiteral("Preinstall"));
    EXPECT_TRUE(english.contains(QStringLiteral("All")));
    for (int index = 1; index <= scriva::languages::kCount; ++index) {
        const QString code = scriva::languages::CodeOfIndex(index);
        const QStringList pages = list(code + "Page", S);
        EXPECT_EQ(pages.size(), english.size()) << qPrintable(code);
        QStringList unique = pages;
        EXPECT_EQ(unique.removeDuplicates(), 0) << qPrintable(code);
        const QStringList dirs = list(code + "ImgDir", S);
        EXPECT_EQ(dirs.size(), 3) << qPrintable(code);
        for (const QString& name : pages + dirs)
            EXPECT_EQ(name, name.trimmed()) << qPrintable(code) << ": '" << qPrintable(name) << "'";
    }
}

TEST_F(ShippedConfig, EveryPageNameHasASizeInMillimetres)
{
    const QStringList english = list("enPage", "TAKE_PHOTOS_SET");
    for (const QString& name : english) {
        if (name == QLatin1String("Preinstall"))
            continue; // the user's own area, not a size
        CConfigEntry entry;
        ASSERT_TRUE(m_config.GetEntry(name, entry, "PAGE_SIZE")) << qPrintable(name);
        ASSERT_EQ(entry.Tokens().size(), 2) << qPrintable(name);
        int32_t height = -1;
        int32_t width = -1;
        entry.GetTokenInt(0, height);
        entry.GetTokenInt(1, width);
        if (name == QLatin1String("All")) {
            EXPECT_EQ(height, 0);
            EXPECT_EQ(width, 0);
        } else {
            EXPECT_GT(height, 0) << qPrintable(name);
            EXPECT_GT(width, 0) << qPrintable(name);
        }
    }
    int32_t h = 0;
    int32_t w = 0;
    CConfigEntry a4;
    ASSERT_TRUE(m_config.GetEntry("A4", a4, "PAGE_SIZE"));
    EXPECT_EQ(a4.GetTokenInt(0, h) * a4.GetTokenInt(1, w), 210 * 297);
}
