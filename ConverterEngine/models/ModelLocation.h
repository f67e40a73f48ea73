// Where the model files are: the "Models" folder of the application's resources
// (the bundle), or a folder of their own. automatic() prefers the bundle when it
// has anything named "Models" and otherwise uses ModelStore::defaultDirectory().
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace ce {

// The installed application as a folder: the folder of the executable, with its
// resources in the sub-folder "Resources" when that exists.
struct Bundle {
    std::filesystem::path bundleURL;
    std::optional<std::filesystem::path> resourceURL;

    // The running executable's bundle.
    static Bundle main();
};

class ModelLocation {
public:
    enum class Kind { bundle, directory };

    static constexpr std::string_view bundleSubdirectory = "Models";

    static ModelLocation bundle(Bundle bundle);
    static ModelLocation directory(std::filesystem::path folder);
    static ModelLocation automatic();
    // The choice automatic() makes for a given main bundle.
    static ModelLocation automatic(Bundle main);

    Kind kind() const { return kind_; }
    // The folder that holds the model files.
    std::filesystem::path url() const;

private:
    ModelLocation(Kind kind, Bundle bundle, std::filesystem::path folder);
    Kind kind_;
    Bundle bundle_;                 // for Kind::bundle
    std::filesystem::path folder_;  // for Kind::directory
};

}  // namespace ce
