#include "platform/ZipArchive.h"

#include <algorithm>
#include <memory>

#include <zip.h>

#include "core/PackagingError.h"

namespace ce::ZipArchive {

namespace {

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

// `owned` errors are ours to release; a source's own error is not.
[[noreturn]] void fail(zip_error_t* error, bool owned) {
    const std::string reason = zip_error_strerror(error);
    if (owned) zip_error_fini(error);
    throw PackagingError(reason);
}

[[noreturn]] void fail(zip_t* archive) {
    const std::string reason = zip_strerror(archive);
    zip_discard(archive);
    throw PackagingError(reason);
}

// Every entry is added to the open archive, which then writes itself into `source`.
void addEntries(zip_t* archive, const std::vector<Entry>& entries, const Options& options) {
    const auto [dosDate, dosTime] = dosDateTime(options.modified);
    for (const Entry& entry : entries) {
        zip_source_t* data = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        if (data == nullptr) fail(archive);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            fail(archive);
        }
        const auto at = static_cast<zip_uint64_t>(index);
        const zip_int32_t method = entry.compression == Compression::store ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
        if (zip_set_file_compression(archive, at, method, 0) != 0 ||
            zip_file_set_dostime(archive, at, dosTime, dosDate, 0) != 0) {
            fail(archive);
        }
    }
}

std::vector<std::uint8_t> readAll(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        fail(zip_source_error(source), false);
    }
    std::vector<std::uint8_t> bytes(stat.size);
    if (zip_source_open(source) != 0) fail(zip_source_error(source), false);
    const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) fail(zip_source_error(source), false);
    return bytes;
}

}  // namespace

std::pair<std::uint16_t, std::uint16_t> dosDateTime(std::chrono::sys_seconds time) {
    using namespace std::chrono;
    const sys_seconds first = sys_days{year{1980} / January / 1};
    const sys_seconds last = sys_days{year{2107} / December / 31} + hours{23} + minutes{59} + seconds{58};
    const sys_seconds clamped = std::clamp(time, first, last);
    const sys_days day = floor<days>(clamped);
    const year_month_day date{day};
    const hh_mm_ss clock{clamped - day};
    const auto dosDate = static_cast<std::uint16_t>(((int(date.year()) - 1980) << 9) |
                                                    (unsigned(date.month()) << 5) | unsigned(date.day()));
    const auto dosTime = static_cast<std::uint16_t>((clock.hours().count() << 11) |
                                                    (clock.minutes().count() << 5) |
                                                    (clock.seconds().count() / 2));
    return {dosDate, dosTime};
}

std::vector<std::uint8_t> build(const std::vector<Entry>& entries, const Options& options) {
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr source(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!source) fail(&error, true);
    zip_t* archive = zip_open_from_source(source.get(), ZIP_TRUNCATE, &error);
    if (archive == nullptr) fail(&error, true);
    // The archive frees its source when closed; keep ours to read the bytes afterwards.
    zip_source_keep(source.get());
    addEntries(archive, entries, options);
    if (zip_close(archive) != 0) fail(archive);
    zip_error_fini(&error);
    std::vector<std::uint8_t> bytes = readAll(source.get());
    // libzip writes nothing at all for an archive without entries.
    if (bytes.empty()) throw PackagingError("the archive holds no data");
    return bytes;
}

}  // namespace ce::ZipArchive
