#include "FileStampReading.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace FileStampReading {

namespace {
constexpr double referenceDateUnixSeconds = 978307200.0;  // 2001-01-01 00:00:00 UTC
}

Stamp read(const QString& path) {
    Stamp stamp;
    const std::filesystem::path file = path.toStdString();
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (!error) stamp.size = static_cast<qint64>(size);
    const auto time = std::filesystem::last_write_time(file, error);
    if (!error) {
        const auto system = std::chrono::file_clock::to_sys(time);
        const double unixSeconds = std::chrono::duration<double>(system.time_since_epoch()).count();
        stamp.modified = unixSeconds - referenceDateUnixSeconds;
    }
    return stamp;
}

}  // namespace FileStampReading
