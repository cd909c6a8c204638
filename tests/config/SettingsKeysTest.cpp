// The key table's typed readers and writers over a real store, and the
// values read in more than one place: camera ids, photo folder, page sizes.

#include "config/SettingsKeys.h"
#include "ConfigTestUtil.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <set>
#include <string>

namespace settings = scriva::settings;

namespace {

// A store holding the settings text, as a file would hold it.
std::unique_ptr<CConfigFile> StoreOf(const char* text)
{
    auto config = std::make_unique<CConfigFile>();
    config->LoadFromBytes(configtest::utf16(QString::fromUtf8(text)));
    return config;
}

} // namespace

TEST(SettingsKeys, EveryKeyIsNamedOnce)
{
    std::set<std::string> seen;
    for (const settings::Key& key : settings::kAllKeys)
        EXPECT_TRUE(seen.insert(std::string(key.section) + '/' + key.name).second) << key.name;
}

TEST(SettingsKeys, TypedValuesRoundTripThroughTheStore)
{
    CConfigFile config;
    EXPECT_EQ(settings::ReadString(config, settings::kPhotoStem), QString());
    EXPECT_EQ(settings::ReadInt(config, settings::kCounterStep), 0);
    ASSERT_TRUE(settings::WriteString(config, settings::kPhotoStem, QStringLiteral("IMG")));
    ASSERT_TRUE(settings::WriteInt(config, settings::kCounterStep, -3));
    EXPECT_EQ(config.GetString(QStringLiteral("fileName"), QStringLiteral("TAKE_PHOTOS_SET")),
              QStringLiteral("IMG"));
    EXPECT_EQ(settings::ReadInt(config, settings::kCounterStep), -3);
    // What the store refuses, the writer refuses, and the old value stays.
    EXPECT_FALSE(settings::WriteString(config, settings::kPhotoStem, QStringLiteral("a;b")));
    EXPECT_EQ(settings::ReadString(config, settings::kPhotoStem), QStringLiteral("IMG"));
}

TEST(SettingsKeys, CameraIdsAreTheListInItsOrder)
{
    EXPECT_TRUE(settings::CameraIds(CConfigFile()).isEmpty());
    const auto config =
        StoreOf("[NORMAL]\r\npidVid = usb\\vid_2e1a&pid_0c02,,usb\\vid_2e1a&pid_0c01\t; two\r\n");
    EXPECT_EQ(settings::CameraIds(*config),
              (QStringList{"usb\\vid_2e1a&pid_0c02", "usb\\vid_2e1a&pid_0c01"}));
}

TEST(SettingsKeys, PageSizesByName)
{
    const auto config = StoreOf("[PAGE_SIZE]\r\nA4 = 210, 297\r\nAll = 0, 0\r\n"
                                "Odd = 120\r\nWide = 1, 2, 3\r\n");
    struct Case
    {
        const char* name;
        bool twoNumbers;
        int height;
        int width;
    };
    const Case cases[] = {{"A4", true, 210, 297}, {"All", true, 0, 0}, {"Odd", false, 120, 0},
                          {"Wide", false, 1, 2},  {"A5", false, 0, 0}, {"", false, 0, 0}};
    for (const Case& c : cases) {
        int height = -1;
        int width = -1;
        EXPECT_EQ(settings::ReadPageSize(*config, QLatin1String(c.name), height, width),
                  c.twoNumbers)
            << c.name;
        EXPECT_EQ(height, c.height) << c.name;
        EXPECT_EQ(width, c.width) << c.name;
    }
}

TEST(SettingsKeys, PhotoFolderLiesUnderTheDocumentsFolderUnlessAbsolute)
{
    EXPECT_EQ(settings::PhotoFolder(*StoreOf("[TAKE_PHOTOS_SET]\r\nsavePath = /tmp/shots\r\n")),
              QStringLiteral("/tmp/shots"));
    const QString relative =
        settings::PhotoFolder(*StoreOf("[TAKE_PHOTOS_SET]\r\nsavePath = Scriva\\Pages\r\n"));
    EXPECT_TRUE(relative.startsWith(scriva::documentsFolder())) << qPrintable(relative);
    EXPECT_TRUE(relative.endsWith(QStringLiteral("Scriva/Pages"))) << qPrintable(relative);
}
