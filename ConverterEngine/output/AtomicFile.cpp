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

// Writes `bytes` to a new temporary beside `target` and returns its path; on failure
// the temporary is removed and the error thrown.
std::filesystem::path writeTemporary(const std::filesystem::path& target, std::string_view bytes) {
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
    if (what) {
        ::unlink(temporary.c_str());
        fail(what, target, error);
    }
    return temporary;
}

}  // namespace

void write(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path temporary = writeTemporary(target, bytes);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail("cannot replace file", target, error);
    }
}

FileSet::~FileSet() { discard(); }

void FileSet::discard() {
    for (const auto& [temporary, target] : staged_) ::unlink(temporary.c_str());
    staged_.clear();
}

void FileSet::stage(const std::filesystem::path& target, std::string_view bytes) {
    staged_.emplace_back(writeTemporary(target, bytes), target);
}

void FileSet::commit() {
    for (std::size_t k = 0; k < staged_.size(); ++k) {
        if (::rename(staged_[k].first.c_str(), staged_[k].second.c_str()) == 0) continue;
        const int error = errno;
        for (std::size_t done = 0; done < k; ++done) ::unlink(staged_[done].second.c_str());
        const std::filesystem::path failed = staged_[k].second;
        staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(k));
        discard();
        fail("cannot replace file", failed, error);
    }
    staged_.clear();
}

}  // namespace ce::AtomicFile
