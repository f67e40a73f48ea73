// Building a ZIP archive in memory (over libzip and zlib). Entries keep the given
// order; each is stored or deflated as asked and carries the given modification
// time, so the same entries always give the same bytes. Nothing touches the disk.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ce::ZipArchive {

enum class Compression { store, deflate };

struct Entry {
    std::string name;                   // path inside the archive, "/"-separated
    std::span<const std::uint8_t> bytes;  // must stay alive during `build`
    Compression compression = Compression::deflate;
};

struct Options {
    // Written as the DOS date and time of every entry, read as UTC; times before
    // 1980 (the first DOS date) are written as 1 January 1980.
    std::chrono::sys_seconds modified{};
};

// The archive's bytes. Throws PackagingError when an entry cannot be added, the
// archive cannot be finished (for example a duplicate entry name) or it has no entries.
std::vector<std::uint8_t> build(const std::vector<Entry>& entries, const Options& options);

// The DOS (date, time) fields of a UTC time, clamped to 1980-01-01 ... 2107-12-31.
std::pair<std::uint16_t, std::uint16_t> dosDateTime(std::chrono::sys_seconds time);

}  // namespace ce::ZipArchive
