// Writing whole files so that readers see either the old file or the complete new one:
// the bytes go to a temporary file in the same folder, which then replaces the target.
#pragma once

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace ce::AtomicFile {

// Replaces `target` with `bytes`. Throws std::filesystem::filesystem_error (naming the
// target) when the folder cannot take the file; the temporary file is removed then and
// an existing target stays as it was.
void write(const std::filesystem::path& target, std::string_view bytes);

// Files written as one, such as the files of one document: each is staged as a hidden
// temporary beside its target, and only once every one is staged are they moved into
// place. A failed stage or move throws std::filesystem::filesystem_error; the set then
// removes its temporaries and undoes the moves it had made: a target name that held a
// file before holds that same file again, unchanged, and a new name is removed. Destroying
// the set without commit() discards the temporaries. State: the staged files, used by one
// thread.
class FileSet {
public:
    FileSet() = default;
    ~FileSet();
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    void stage(const std::filesystem::path& target, std::string_view bytes);
    void commit();
    // Removes the staged temporaries now.
    void discard();

private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> staged_;  // temporary, target
};

}  // namespace ce::AtomicFile
