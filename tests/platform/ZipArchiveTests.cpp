#include "platform/ZipArchive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/PackagingError.h"

namespace {

using namespace std::chrono;
using ce::ZipArchive::Compression;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

unsigned read16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// What a reader sees of one entry: its local header fields and its decompressed bytes.
struct ReadEntry {
    std::string name;
    unsigned method = 0;
    unsigned dosTime = 0;
    unsigned dosDate = 0;
    std::string content;
};

std::vector<ReadEntry> readBack(const std::vector<std::uint8_t>& archiveBytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archiveBytes.data(), archiveBytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_NE(archive, nullptr) << zip_error_strerror(&error);
    std::vector<ReadEntry> entries;
    if (archive == nullptr) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        ReadEntry entry{stat.name, stat.comp_method};
        // The local header: DOS time and date at offsets 10 and 12.
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        entry.content.resize(stat.size);
        EXPECT_EQ(zip_fread(file, entry.content.data(), stat.size), static_cast<zip_int64_t>(stat.size));
        zip_fclose(file);
        entries.push_back(entry);
    }
    zip_close(archive);
    // Walk the local headers in file order, which is the entry order.
    std::size_t at = 0;
    for (ReadEntry& entry : entries) {
        EXPECT_EQ(std::memcmp(archiveBytes.data() + at, "PK\x03\x04", 4), 0);
        entry.dosTime = read16(archiveBytes, at + 10);
        entry.dosDate = read16(archiveBytes, at + 12);
        const std::size_t compressed = archiveBytes[at + 18] | (archiveBytes[at + 19] << 8) |
                                       (archiveBytes[at + 20] << 16) | (std::size_t(archiveBytes[at + 21]) << 24);
        at += 30 + read16(archiveBytes, at + 26) + read16(archiveBytes, at + 28) + compressed;
    }
    return entries;
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

    const auto read = readBack(bytes);
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
