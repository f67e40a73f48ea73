#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/SystemLog.h"

using namespace ce;

namespace {

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

TEST(SystemLog, FallbackLineIsRedacted) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const Log::Entry entry{Log::Category::engine, Log::Level::error,
                           {"Page 2 failed: ", Log::privateValue("text of the page")}};
    platform::SystemLog::write(entry, {.useJournal = false, .fallback = file});
    EXPECT_EQ(contents(file), "ziv.uzerov.irevora[engine] error: Page 2 failed: <private>\n");
    std::fclose(file);
}

TEST(SystemLog, JournalOrFallbackNeverFails) {
    // With a journal the entry goes there; without one it falls back to the file.
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const Log::Entry entry{Log::Category::session, Log::Level::debug, {"50% done, \"quoted\" %s"}};
    platform::SystemLog::write(entry, {.useJournal = true, .fallback = file});
    const std::string written = contents(file);
    EXPECT_TRUE(written.empty() || written == "ziv.uzerov.irevora[session] debug: 50% done, \"quoted\" %s\n");
    std::fclose(file);
}

}  // namespace
