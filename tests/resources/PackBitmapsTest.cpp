// Bitmaps, cursor and skins every pack carries: 24-bit strips one image per
// toolbar button, the mask colour present around the icons.
#include "PackFixture.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct BmpInfo
{
    bool ok = false;
    int32_t width = 0, height = 0;
    int bits = 0;
    QByteArray data;
    uint32_t offset = 0;
};

uint32_t le32(const QByteArray& b, int at)
{
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

BmpInfo readBmp(const QByteArray& bytes)
{
    BmpInfo info;
    if (bytes.size() < 54 || !bytes.startsWith("BM"))
        return info;
    info.offset = le32(bytes, 10);
    info.width = int32_t(le32(bytes, 18));
    info.height = int32_t(le32(bytes, 22));
    info.bits = uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8;
    info.data = bytes;
    const qint64 stride = ((qint64(info.width) * info.bits + 31) / 32) * 4;
    info.ok = info.width > 0 && info.height != 0 && info.offset >= 54 &&
              info.offset + stride * qAbs(info.height) <= bytes.size();
    return info;
}

int buttonCount(const QString& stem, const QString& file)
{
    int n = 0;
    for (const QJsonValue& v : packJson(openPack(stem), file).toArray())
        n += v.toInt() != 0;
    return n;
}

// Share of pixels with exactly the toolbar mask colour RGB(77, 176, 236).
double maskShare(const BmpInfo& bmp)
{
    const qint64 stride = ((qint64(bmp.width) * 24 + 31) / 32) * 4;
    qint64 mask = 0;
    for (int y = 0; y < qAbs(bmp.height); ++y)
        for (int x = 0; x < bmp.width; ++x) {
            const char* p = bmp.data.constData() + bmp.offset + y * stride + x * 3;
            mask += uint8_t(p[0]) == 236 && uint8_t(p[1]) == 176 && uint8_t(p[2]) == 77;
        }
    return double(mask) / (qint64(bmp.width) * qAbs(bmp.height));
}

class PackBitmaps : public ::testing::TestWithParam<QString>
{
};

TEST_P(PackBitmaps, ToolbarStripsHoldOneImagePerButton)
{
    const PackInfo& pack = openPack(GetParam());
    const int main = buttonCount(GetParam(), QStringLiteral("toolbar128.json"));
    ASSERT_GT(main, 0);
    for (const char* file : {"bitmap161.bmp", "bitmap162.bmp", "bitmap163.bmp"}) {
        const BmpInfo bmp = readBmp(packFile(pack, QLatin1String(file)));
        ASSERT_TRUE(bmp.ok) << file;
        EXPECT_EQ(bmp.bits, 24) << file;
        EXPECT_EQ(bmp.width, 28 * main) << file;
        EXPECT_EQ(qAbs(bmp.height), 28) << file;
        const double share = maskShare(bmp);
        EXPECT_GT(share, 0.2) << file << ": too little background";
        EXPECT_LT(share, 0.9) << file << ": icons missing";
    }
    const int menu = buttonCount(GetParam(), QStringLiteral("toolbar168.json"));
    const BmpInfo icons = readBmp(packFile(pack, QStringLiteral("bitmap170.bmp")));
    ASSERT_TRUE(icons.ok);
    EXPECT_EQ(icons.bits, 24);
    EXPECT_EQ(icons.width, 16 * menu);
    EXPECT_EQ(qAbs(icons.height), 16);
}

TEST_P(PackBitmaps, CursorAndSkinsArePresent)
{
    const PackInfo& pack = openPack(GetParam());
    const QByteArray cursor = packFile(pack, QStringLiteral("cursor175.png"));
    ASSERT_TRUE(cursor.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(le32(cursor, 16), 0x20000000u) << "width 32";
    for (const char* name :
         {"btnNormal", "btnHover", "btnSelected", "btnDisabled", "leftFormBack", "toolBarBack"}) {
        const BmpInfo bmp =
            readBmp(packFile(pack, QStringLiteral("skin/%1.bmp").arg(QLatin1String(name))));
        EXPECT_TRUE(bmp.ok) << name;
        EXPECT_EQ(bmp.bits, 24) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllPacks, PackBitmaps,
                         ::testing::ValuesIn(packStems().begin(), packStems().end()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
