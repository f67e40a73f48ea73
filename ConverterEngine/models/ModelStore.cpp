#include "models/ModelStore.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/EngineError.h"

namespace ce::ModelStore {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::filesystem::path homeFolder() {
    if (std::string home = environment("HOME"); !home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return std::filesystem::temp_directory_path();
}

std::filesystem::path expandingTilde(const std::string& path) {
    if (path == "~") return homeFolder();
    if (path.starts_with("~/")) return homeFolder() / path.substr(2);
    return path;
}

std::filesystem::path uniqueTemporaryFolder(const std::filesystem::path& cacheFolder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    return cacheFolder / ("." + name + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
                          std::to_string(random()) + ".tmp");
}

std::filesystem::path compileIntoCache(const std::string& name, const std::filesystem::path& package,
                                       const std::filesystem::path& cacheFolder,
                                       const std::filesystem::path& target, const ModelRuntime& runtime) {
    std::filesystem::create_directories(cacheFolder);
    const std::filesystem::path temporary = uniqueTemporaryFolder(cacheFolder, name);
    std::error_code ignored;
    try {
        runtime.compile(package, temporary);
    } catch (...) {
        std::filesystem::remove_all(temporary, ignored);
        throw;
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, target, renameError);
    if (renameError) {
        std::filesystem::remove_all(temporary, ignored);
        // Another process may have put its compilation of the same package in place first.
        if (!std::filesystem::exists(target, ignored)) {
            throw std::filesystem::filesystem_error("cannot move the compiled model into the cache", temporary,
                                                    target, renameError);
        }
    }
    return target;
}

// 64-bit FNV-1a, fed piece by piece: small, stable across builds and platforms.
class Fingerprint {
public:
    void add(std::string_view bytes) {
        for (const char c : bytes) {
            hash_ ^= static_cast<unsigned char>(c);
            hash_ *= 0x100000001b3ULL;
        }
        hash_ ^= 0xff;  // ends the piece, so "ab" + "c" and "a" + "bc" differ
        hash_ *= 0x100000001b3ULL;
    }
    void add(long long value) { add(std::to_string(value)); }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// Size and modification time in nanoseconds; zeros when the entry cannot be read.
std::pair<long long, long long> sizeAndTime(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {0, 0};
    return {static_cast<long long>(status.st_size),
            static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000LL + status.st_mtim.tv_nsec};
}

}  // namespace

std::string compiledName(const std::string& name, const std::filesystem::path& package) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(package, ignored);
    if (absolute.empty()) absolute = std::filesystem::absolute(package, ignored);
    Fingerprint fingerprint;
    fingerprint.add(absolute.string());
    std::vector<std::filesystem::path> entries{package};
    std::error_code walkError;
    for (std::filesystem::recursive_directory_iterator it(package, walkError), end; !walkError && it != end;
         it.increment(walkError)) {
        entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    for (const std::filesystem::path& entry : entries) {
        const auto [size, time] = sizeAndTime(entry);
        fingerprint.add(entry.lexically_relative(package).generic_string());
        fingerprint.add(size);
        fingerprint.add(time);
    }
    return name + "-" + std::to_string(modificationTime(package)) + "-" + fingerprint.hex() + ".mlmodelc";
}

std::filesystem::path defaultDirectory() {
    // Set, even to an empty value, the variable names the models folder as it stands.
    if (const char* models = std::getenv("CONVERTER_MODELS")) return expandingTilde(models);
    std::string base = environment("RODUZEZ_AZED");
    if (base.empty()) base = "~/roduzez-azed";
    return expandingTilde(base) / "models";
}

std::filesystem::path cacheDirectory() {
    std::filesystem::path base = environment("XDG_CACHE_HOME");
    if (base.empty() || !base.is_absolute()) base = homeFolder() / ".cache";
    return base / "ConverterEngine" / "models";
}

long long modificationTime(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 0;
    const double seconds = static_cast<double>(status.st_mtim.tv_sec) + status.st_mtim.tv_nsec / 1e9;
    return static_cast<long long>(std::trunc(seconds));
}

std::shared_ptr<const Model> load(const std::string& name, const std::filesystem::path& directory,
                                  ComputeUnits computeUnits, const ModelRuntime& runtime) {
    std::error_code ignored;
    const std::filesystem::path compiled = directory / (name + ".mlmodelc");
    if (std::filesystem::exists(compiled, ignored)) return runtime.load(name, compiled, computeUnits);

    const std::filesystem::path package = directory / (name + ".mlpackage");
    if (!std::filesystem::exists(package, ignored)) throw EngineError::modelMissing(package.string());

    const std::filesystem::path cacheFolder = cacheDirectory();
    const std::filesystem::path target = cacheFolder / compiledName(name, package);
    if (std::filesystem::exists(target, ignored)) {
        try {
            return runtime.load(name, target, computeUnits);
        } catch (const ModelRuntimeError&) {
            // A broken cached compilation: drop it and compile the package once more.
            std::filesystem::remove_all(target, ignored);
        }
    }
    return runtime.load(name, compileIntoCache(name, package, cacheFolder, target, runtime), computeUnits);
}

}  // namespace ce::ModelStore
