// Every shared library the built application and the engine's command-line tool link
// directly is covered by an entry of the shipped acknowledgements manifest. The libraries
// come from the programs' NEEDED entries, resolved to files by ldd and to Debian packages
// by dpkg -S; a package missing from the table below, or whose entry the manifest lacks,
// fails the test, so a new dependency cannot ship unacknowledged.
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include <QStringList>
#include <gtest/gtest.h>

#include "shell/Acknowledgement.h"

namespace shell {
namespace {

std::optional<std::string> run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
    if (pclose(pipe.release()) != 0) return std::nullopt;
    return out;
}

std::set<std::string> neededLibraries(const std::string& program) {
    std::set<std::string> names;
    const auto dynamic = run("readelf -d '" + program + "'");
    if (!dynamic) return names;
    std::istringstream lines(*dynamic);
    for (std::string line; std::getline(lines, line);) {
        const auto open = line.find("(NEEDED)");
        const auto start = line.find('[');
        const auto end = line.rfind(']');
        if (open != std::string::npos && start != std::string::npos && end > start)
            names.insert(line.substr(start + 1, end - start - 1));
    }
    return names;
}

// The file ldd loads for each library name of the program.
std::map<std::string, std::string> resolvedPaths(const std::string& program) {
    std::map<std::string, std::string> paths;
    const auto listing = run("ldd '" + program + "'");
    if (!listing) return paths;
    std::istringstream lines(*listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, arrow, path;
        if (words >> name >> arrow >> path && arrow == "=>") paths[name] = path;
    }
    return paths;
}

// The Debian package owning the file; dpkg records some libraries under /lib rather
// than /usr/lib, so both spellings are asked.
std::optional<std::string> owningPackage(const std::string& path) {
    std::set<std::string> candidates{path};
    if (const auto real = run("readlink -f '" + path + "'")) candidates.insert(real->substr(0, real->find('\n')));
    for (std::string candidate : std::set<std::string>(candidates))
        if (candidate.rfind("/usr/", 0) == 0) candidates.insert(candidate.substr(4));
    for (const std::string& candidate : candidates) {
        if (const auto owner = run("dpkg -S '" + candidate + "' 2>/dev/null")) return owner->substr(0, owner->find(':'));
    }
    return std::nullopt;
}

// Package name prefix -> the manifest entry that acknowledges it. An empty title marks
// the operating system's C library, which every program on the system links.
const std::map<std::string, std::string> packageEntries = {
    {"libc6", ""},
    {"libexttextcat", "libexttextcat"},
    {"libfontconfig", "Fontconfig"},
    {"libfreetype", "FreeType"},
    {"libgcc-s", "GCC runtime libraries"},
    {"libglib2.0", "GLib and GObject"},
    {"libgomp", "GCC runtime libraries"},
    {"libgumbo", "Gumbo"},
    {"libicu", "ICU"},
    {"libjbig2dec", "jbig2dec"},
    {"libjpeg", "libjpeg-turbo"},
    {"liblept", "Leptonica"},
    {"libmujs", "MuJS"},
    {"libopenblas", "OpenBLAS"},
    {"libopenjp2", "OpenJPEG"},
    {"libpng", "libpng"},
    {"libqt6", "Qt"},
    {"libstb", "stb"},
    {"libstdc++", "GCC runtime libraries"},
    {"libsystemd", "libsystemd"},
    {"libtesseract", "Tesseract"},
    {"libtorch", "libtorch"},
    {"libvips", "libvips"},
    {"libzip", "libzip"},
    {"zlib1g", "zlib"},
};

std::optional<std::string> entryFor(const std::string& package) {
    std::optional<std::string> best;
    std::size_t bestLength = 0;
    for (const auto& [prefix, title] : packageEntries)
        if (package.rfind(prefix, 0) == 0 && prefix.size() > bestLength) {
            best = title;
            bestLength = prefix.size();
        }
    return best;
}

TEST(LinkedLibraries, EveryDirectDependencyHasAManifestEntry) {
    if (!run("command -v readelf && command -v ldd && command -v dpkg")) GTEST_SKIP() << "needs readelf, ldd and dpkg";
    const ResourceBundle bundle = ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    QStringList titles;
    for (const Acknowledgement& entry : Acknowledgement::loadAll(bundle)) titles << entry.title;
    ASSERT_FALSE(titles.isEmpty());
    for (const std::string program : {CE_APP_PROGRAM, CE_ENGINE_PROGRAM}) {
        SCOPED_TRACE(program);
        const auto needed = neededLibraries(program);
        ASSERT_FALSE(needed.empty()) << "no NEEDED entries read";
        const auto paths = resolvedPaths(program);
        for (const std::string& library : needed) {
            const auto path = paths.find(library);
            ASSERT_NE(path, paths.end()) << library << " is not resolved by ldd";
            const auto package = owningPackage(path->second);
            ASSERT_TRUE(package) << library << " (" << path->second << ") belongs to no Debian package";
            const auto title = entryFor(*package);
            ASSERT_TRUE(title) << library << " from " << *package << " has no acknowledgements entry";
            if (!title->empty()) {
                EXPECT_TRUE(titles.contains(QString::fromStdString(*title))) << *title << " for " << library;
            }
        }
    }
}

}  // namespace
}  // namespace shell
