#include "output/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "output/FileNameLength.h"

namespace ce::AtomicFile {

namespace {

[[noreturn]] void fail(const char* what, const std::filesystem::path& target, int error) {
    throw std::filesystem::filesystem_error(what, target, std::error_code(error, std::generic_category()));
}

// Opens a new hidden file beside the target, named after it with `kind` and a random
// suffix; the mode honours the process's umask.
int openTemporary(const std::filesystem::path& target, std::filesystem::path& temporary,
                  const char* kind = "tmp") {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%s-%08x%08x", kind, random(), random());
        // The target's name is cut where needed so that the temporary's name stays
        // within the file-name limit too.
        const std::string name = target.filename().string();
        const std::size_t room = FileNameLength::maximumBytes - 1 - std::strlen(suffix);
        temporary = target.parent_path() / ("." + std::string(FileNameLength::prefix(name, room)) + suffix);
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

// Keeps the file now at `target` under a hidden name beside it, as a second link to the
// same file (or as a copy where the file system has no hard links), and returns that
// name; an empty path when there is no file to keep (nothing there, or a folder, which
// the move over it refuses anyway).
std::filesystem::path keepEarlier(const std::filesystem::path& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) return {};
        fail("cannot replace file", target, errno);
    }
    if (S_ISDIR(info.st_mode)) return {};
    std::filesystem::path kept;
    ::close(openTemporary(target, kept, "old"));
    ::unlink(kept.c_str());
    if (::link(target.c_str(), kept.c_str()) == 0) return kept;
    std::error_code error;
    std::filesystem::copy_file(target, kept, error);
    if (!error) return kept;
    ::unlink(kept.c_str());
    throw std::filesystem::filesystem_error("cannot replace file", target, error);
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
    // Every file a target name held before is kept aside until all files are in place, so
    // that a failed move can put each earlier file back as it was.
    std::vector<std::filesystem::path> kept;
    auto dropKept = [&kept] {
        for (const auto& path : kept)
            if (!path.empty()) ::unlink(path.c_str());
        kept.clear();
    };
    try {
        for (const auto& entry : staged_) kept.push_back(keepEarlier(entry.second));
    } catch (...) {
        dropKept();
        discard();
        throw;
    }
    for (std::size_t k = 0; k < staged_.size(); ++k) {
        if (::rename(staged_[k].first.c_str(), staged_[k].second.c_str()) == 0) continue;
        const int error = errno;
        for (std::size_t done = 0; done < k; ++done) {
            const std::filesystem::path& target = staged_[done].second;
            if (kept[done].empty()) ::unlink(target.c_str());
            // Should the earlier file not go back, its hidden copy stays rather than be lost.
            else ::rename(kept[done].c_str(), target.c_str());
            kept[done].clear();
        }
        dropKept();
        const std::filesystem::path failed = staged_[k].second;
        staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(k));
        discard();
        fail("cannot replace file", failed, error);
    }
    dropKept();
    staged_.clear();
}

}  // namespace ce::AtomicFile
