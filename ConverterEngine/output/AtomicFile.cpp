#include "output/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace ce::AtomicFile {

namespace {

[[noreturn]] void fail(const char* what, const std::filesystem::path& target, int error) {
    throw std::filesystem::filesystem_error(what, target, std::error_code(error, std::generic_category()));
}

// Opens a new hidden file beside the target; the mode honours the process's umask.
int openTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%08x%08x", random(), random());
        temporary = target.parent_path() / ("." + target.filename().string() + suffix);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) fail("cannot create file", target, errno);
    }
    fail("cannot create file", target, EEXIST);
}

}  // namespace

void write(const std::filesystem::path& target, std::string_view bytes) {
    std::filesystem::path temporary;
    const int fd = openTemporary(target, temporary);
    int error = 0;
    const char* what = nullptr;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            what = "cannot write file";
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (!what && ::fsync(fd) != 0) {
        error = errno;
        what = "cannot write file";
    }
    if (::close(fd) != 0 && !what) {
        error = errno;
        what = "cannot write file";
    }
    if (!what && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        what = "cannot replace file";
    }
    if (what) {
        ::unlink(temporary.c_str());
        fail(what, target, error);
    }
}

}  // namespace ce::AtomicFile
