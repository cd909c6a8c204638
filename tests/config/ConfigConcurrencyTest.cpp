// The store is shared by the user-interface thread and workers: concurrent
// readers, writers, loads and saves must keep every entry whole.

#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using configtest::utf16;
using configtest::writeBytes;

TEST(ConfigConcurrency, ThreadsReadWriteLoadAndSaveTogether)
{
    QTemporaryDir dir;
    const QString extra = dir.path() + QStringLiteral("/extra.cfg");
    ASSERT_TRUE(
        writeBytes(extra, utf16(QStringLiteral("[EXTRA]\r\ne = 1\r\n[W0]\r\nk0 = from file\r\n"))));

    CConfigFile config;
    constexpr int writers = 4;
    constexpr int rounds = 400;
    std::atomic<int> torn{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&config, w] {
            const QString section = QStringLiteral("W%1").arg(w);
            for (int i = 0; i < rounds; ++i) {
                // Value and its two tokens always agree: "i,i".
                config.SetString(QStringLiteral("k%1").arg(i % 16), QStringLiteral("%1,%1").arg(i),
                                 section);
            }
        });
    }
    threads.emplace_back([&] {
        do {
            for (int w = 0; w < writers; ++w) {
                CConfigEntry entry;
                if (config.GetEntry(QStringLiteral("k3"), entry, QStringLiteral("W%1").arg(w)) &&
                    entry.Tokens().size() == 2 && entry.GetToken(0) != entry.GetToken(1))
                    ++torn;
            }
        } while (!stop);
    });
    threads.emplace_back([&] {
        int i = 0;
        do {
            const QString path = dir.path() + QStringLiteral("/save%1.cfg").arg(i++ % 3);
            if (config.Save(path)) {
                CConfigFile copy;
                copy.Load(path);
                if (copy.ToBytes().isEmpty())
                    ++torn;
            }
            config.Load(extra);
        } while (!stop);
    });
    for (int w = 0; w < writers; ++w)
        threads[w].join();
    stop = true;
    for (size_t t = writers; t < threads.size(); ++t)
        threads[t].join();

    EXPECT_EQ(torn.load(), 0);
    for (int w = 0; w < writers; ++w) {
        for (int k = 0; k < 16; ++k) {
            const int last = rounds - 16 + k;
            EXPECT_EQ(config.GetString(QStringLiteral("k%1").arg(k), QStringLiteral("W%1").arg(w)),
                      QStringLiteral("%1,%1").arg(last));
        }
    }
    EXPECT_EQ(config.GetString(QStringLiteral("e"), QStringLiteral("EXTRA")), QStringLiteral("1"));
    // A final save reads back with the same values.
    const QString final = dir.path() + QStringLiteral("/final.cfg");
    ASSERT_TRUE(config.Save(final));
    CConfigFile back;
    ASSERT_TRUE(back.Load(final));
    const auto expected = config.Sections();
    const auto actual = back.Sections();
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [section, table] : expected) {
        ASSERT_EQ(actual.at(section).size(), table.size());
        for (const auto& [key, entry] : table)
            EXPECT_EQ(actual.at(section).at(key).Value(), entry.Value());
    }
}
