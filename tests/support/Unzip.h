// Reading a ZIP archive back in tests: every entry with its compression method, the
// DOS date and time of its local header, and its bytes, in archive order.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

struct UnzippedEntry {
    std::string name;
    unsigned method = 0;
    unsigned dosTime = 0;
    unsigned dosDate = 0;
    std::string content;
};

inline unsigned little16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

inline std::vector<UnzippedEntry> unzip(const std::vector<std::uint8_t>& archiveBytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archiveBytes.data(), archiveBytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    EXPECT_NE(archive, nullptr) << zip_error_strerror(&error);
    std::vector<UnzippedEntry> entries;
    if (archive == nullptr) {
        if (source) zip_source_free(source);
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        UnzippedEntry entry{stat.name, stat.comp_method};
        entry.content.resize(stat.size);
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(zip_fread(file, entry.content.data(), stat.size), static_cast<zip_int64_t>(stat.size));
        zip_fclose(file);
        entries.push_back(entry);
    }
    zip_close(archive);
    // The local headers follow each other in entry order.
    std::size_t at = 0;
    for (UnzippedEntry& entry : entries) {
        EXPECT_EQ(std::memcmp(archiveBytes.data() + at, "PK\x03\x04", 4), 0) << entry.name;
        entry.dosTime = little16(archiveBytes, at + 10);
        entry.dosDate = little16(archiveBytes, at + 12);
        const std::size_t compressed = little16(archiveBytes, at + 18) | (std::size_t{little16(archiveBytes, at + 20)} << 16);
        at += 30 + little16(archiveBytes, at + 26) + little16(archiveBytes, at + 28) + compressed;
    }
    return entries;
}

}  // namespace testsupport
