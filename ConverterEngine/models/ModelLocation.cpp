#include "models/ModelLocation.h"

#include <system_error>

#include "models/ModelStore.h"

namespace ce {

Bundle Bundle::main() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    Bundle bundle;
    bundle.bundleURL = error ? std::filesystem::current_path(error) : executable.parent_path();
    const std::filesystem::path resources = bundle.bundleURL / "Resources";
    if (std::filesystem::is_directory(resources, error)) bundle.resourceURL = resources;
    return bundle;
}

ModelLocation::ModelLocation(Kind kind, Bundle bundle, std::filesystem::path folder)
    : kind_(kind), bundle_(std::move(bundle)), folder_(std::move(folder)) {}

ModelLocation ModelLocation::bundle(Bundle bundle) { return {Kind::bundle, std::move(bundle), {}}; }

ModelLocation ModelLocation::directory(std::filesystem::path folder) {
    return {Kind::directory, {}, std::move(folder)};
}

ModelLocation ModelLocation::automatic() { return automatic(Bundle::main()); }

ModelLocation ModelLocation::automatic(Bundle main) {
    if (!main.resourceURL) return directory(ModelStore::defaultDirectory());
    std::error_code error;
    // A file or a folder of that name both count.
    if (std::filesystem::exists(*main.resourceURL / bundleSubdirectory, error)) return bundle(std::move(main));
    return directory(ModelStore::defaultDirectory());
}

std::filesystem::path ModelLocation::url() const {
    if (kind_ == Kind::directory) return folder_;
    return bundle_.resourceURL.value_or(bundle_.bundleURL) / bundleSubdirectory;
}

}  // namespace ce
