#include "platform/ZipArchive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <vector>

#include "core/PackagingError.h"
#include "support/Unzip.h"

namespace {

using namespace std::chrono;
using ce::ZipArchive::Compression;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(ZipArchive, KeepsOrderCompressionContentAndDate) {
    const std::string xml(5000, 'x');
    const std::string png = "\x89PNG\r\n\x1a\n not really compressed";
    const std::string tiny = "a";
    const std::vector<ce::ZipArchive::Entry> entries{
        {"b/first.xml", bytesOf(xml), Compression::deflate},
        {"a/picture.png", bytesOf(png), Compression::store},
        {"z.txt", bytesOf(tiny), Compression::deflate},
        {"empty.xml", {}, Compression::deflate},
    };
    const auto modified = sys_days{year{2000} / January / 1};
    const auto bytes = ce::ZipArchive::build(entries, {modified});

    const auto read = testsupport::unzip(bytes);
    ASSERT_EQ(read.size(), entries.size());
    const std::string contents[] = {xml, png, tiny, ""};
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        EXPECT_EQ(read[i].name, entries[i].name);
        EXPECT_EQ(read[i].method, entries[i].compression == Compression::store ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
        EXPECT_EQ(read[i].content, contents[i]);
        EXPECT_EQ(read[i].dosDate, 0x2821u);  // 2000-01-01
        EXPECT_EQ(read[i].dosTime, 0u);
    }
    EXPECT_EQ(ce::ZipArchive::build(entries, {modified}), bytes) << "same entries, same bytes";
}

TEST(ZipArchive, FailuresAreTypedPackagingErrors) {
    const std::string text = "text";
    const std::vector<std::vector<ce::ZipArchive::Entry>> cases{
        {},
        {{"same.xml", bytesOf(text)}, {"same.xml", bytesOf(text)}},
    };
    for (const auto& entries : cases) {
        try {
            ce::ZipArchive::build(entries, {});
            ADD_FAILURE() << "no error for " << entries.size() << " entries";
        } catch (const ce::PackagingError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("the document could not be packaged"))
                << error.what();
        }
    }
}

TEST(ZipArchive, DosDateTimeOfUtcTimes) {
    struct Case {
        sys_seconds time;
        std::uint16_t date, clock;
    };
    const Case cases[] = {
        {sys_days{year{2000} / January / 1}, 0x2821, 0},
        {sys_days{year{2026} / December / 10} + hours{10} + minutes{58} + seconds{47},
         (46 << 9) | (12 << 5) | 10, (10 << 11) | (58 << 5) | 23},
        {sys_seconds{}, (0 << 9) | (1 << 5) | 1, 0},  // before 1980: the first DOS date
        {sys_days{year{2300} / June / 1}, (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
    };
    for (const Case& c : cases) {
        const auto [date, clock] = ce::ZipArchive::dosDateTime(c.time);
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(clock, c.clock);
    }
}

}  // namespace
