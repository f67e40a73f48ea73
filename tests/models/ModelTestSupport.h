// A scratch folder per test with its own models folder, cache folder and home,
// pointed to by the environment so that nothing outside it is read or written.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace ce::testing {

class ScratchModelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "ce-models-XXXXXX").string();
        root = mkdtemp(pattern.data());
        models = root / "models";
        cache = root / "cache";
        std::filesystem::create_directories(models);
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        setenv("HOME", (root / "home").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::filesystem::path cacheFolder() const { return cache / "ConverterEngine" / "models"; }

    std::filesystem::path root, models, cache;
};

}  // namespace ce::testing
