#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Log.h"

using namespace ce;

namespace {

TEST(Log, CaptureSeesCategoryLevelAndRedaction) {
    Log::Capture capture;
    Log::error(Log::Category::engine, {"Page ", 3, " failed: ", Log::privateValue("secret.pdf is broken")});
    Log::info(Log::Category::session, {"Converted in ", 1.5, " s"});
    Log::debug(Log::Category::engine, {std::string("plain")});

    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].category, Log::Category::engine);
    EXPECT_EQ(entries[0].level, Log::Level::error);
    EXPECT_EQ(entries[0].redacted(), "Page 3 failed: <private>");
    EXPECT_EQ(entries[0].revealed(), "Page 3 failed: secret.pdf is broken");
    EXPECT_EQ(entries[1].category, Log::Category::session);
    EXPECT_EQ(entries[1].level, Log::Level::info);
    EXPECT_EQ(entries[1].redacted(), "Converted in 1.5 s");
    EXPECT_EQ(entries[2].level, Log::Level::debug);
}

TEST(Log, CapturesNestAndRestore) {
    Log::Capture outer;
    {
        Log::Capture inner;
        Log::info(Log::Category::engine, {"inner"});
        EXPECT_EQ(inner.entries().size(), 1u);
    }
    Log::info(Log::Category::engine, {"outer"});
    const auto entries = outer.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].redacted(), "outer");
}

TEST(Log, ConcurrentWritersLoseNothing) {
    Log::Capture capture;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([t] {
                for (int k = 0; k < 100; ++k) Log::info(Log::Category::engine, {"thread ", t, " entry ", k});
            });
        }
    }
    EXPECT_EQ(capture.entries().size(), 400u);
}

}  // namespace
