// The two ways the hook library reaches a device: installed into a device
// root, and packaged as the ecosystem's .deb.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> controlFields(const std::string& control) {
    std::map<std::string, std::string> fields;
    std::istringstream in(control);
    for (std::string line; std::getline(in, line);) {
        auto colon = line.find(": ");
        if (!line.empty() && line[0] != ' ' && colon != std::string::npos)
            fields[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return fields;
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = testsupport::processDeviceRoot().string() + "-package";
        fs::remove_all(scratch);
        fs::create_directories(scratch);
    }
    void TearDown() override { fs::remove_all(scratch); }

    fs::path scratch;
    const fs::path source = SNAPFOLD_SOURCE_DIR;
    const fs::path built = testsupport::buildDirectory();
};

// Every file of the tweak below a device root, by device path.
std::vector<std::string> tweakFiles(const fs::path& device) {
    std::vector<std::string> files;
    for (const char* folder : {"Library/MobileSubstrate", "Library/PreferenceBundles", "Library/PreferenceLoader"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(device / folder, ec); !ec && it != fs::end(it); ++it)
            if (!it->is_directory()) files.push_back((fs::path("/") / fs::relative(it->path(), device)).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What a deliverable carries that it must not: the build tree's search path,
// or the symbol table that --strip removes.
void expectShippable(const fs::path& binary) {
    auto dynamic = testsupport::runProgram("/usr/bin/readelf", {"-d", "-S", "-W", binary.string()});
    ASSERT_EQ(dynamic.exitCode, 0) << dynamic.errors;
    EXPECT_EQ(dynamic.output.find("PATH"), std::string::npos) << binary << " carries a search path";
    EXPECT_EQ(dynamic.output.find(".symtab"), std::string::npos) << binary << " is not stripped";
}

TEST_F(PackageTest, InstallingPutsTheWholeTweakAndUninstallingRemovesOnlyIt) {
    fs::path device = scratch / "device";
    auto install = [&](std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{"--device-root", device.string(), "--build-dir", built.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return testsupport::runProgram(source / "scripts/install-device", arguments);
    };
    // Installing again replaces the files in place and drops what the build no longer has.
    ASSERT_EQ(install().exitCode, 0);
    fs::path stale = device / "Library/PreferenceBundles/Snapfold.bundle/old.png";
    std::ofstream(stale) << "x";
    std::ofstream(device / "private/var/lib/dpkg/info/com.veltrona.snapfold.list", std::ios::app)
        << "/Library/PreferenceBundles/Snapfold.bundle/old.png\n";
    auto again = install();
    ASSERT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_FALSE(fs::exists(stale));

    auto files = tweakFiles(device);
    for (const char* expected : {"/Library/MobileSubstrate/DynamicLibraries/Snapfold.dylib",
                                 "/Library/MobileSubstrate/DynamicLibraries/Snapfold.plist",
                                 "/Library/PreferenceBundles/Snapfold.bundle/Snapfold",
                                 "/Library/PreferenceBundles/Snapfold.bundle/Info.plist",
                                 "/Library/PreferenceBundles/Snapfold.bundle/footerLogo@3x.png",
                                 "/Library/PreferenceLoader/Preferences/Snapfold.plist"})
        EXPECT_TRUE(std::binary_search(files.begin(), files.end(), expected)) << expected;
    for (const auto& file : files) EXPECT_EQ(file.find(".installing"), std::string::npos) << file;
    expectShippable(device / "Library/MobileSubstrate/DynamicLibraries/Snapfold.dylib");
    expectShippable(device / "Library/PreferenceBundles/Snapfold.bundle/Snapfold");
    auto entries = testsupport::runProgram(built / "bin/snapfold-settings-app",
                                           {"entries", "--device-root", device.string()});
    EXPECT_NE(entries.output.find("/Library/PreferenceBundles/Snapfold.bundle"), std::string::npos) << entries.errors;

    // Another package's file and the user's settings survive the uninstall.
    fs::path other = device / "Library/MobileSubstrate/DynamicLibraries/Other.dylib";
    std::ofstream(other) << "x";
    fs::path settings = device / "private/var/mobile/Library/Preferences/com.veltrona.snapfold.plist";
    fs::create_directories(settings.parent_path());
    std::ofstream(settings) << "kept";
    ASSERT_EQ(install({"--uninstall"}).exitCode, 0);
    EXPECT_EQ(tweakFiles(device), std::vector<std::string>{"/Library/MobileSubstrate/DynamicLibraries/Other.dylib"});
    EXPECT_EQ(contentsOf(settings), "kept");
    EXPECT_FALSE(fs::exists(device / "Library/PreferenceBundles"));
}

TEST_F(PackageTest, TheDebHoldsWhatInstallingPutsThereWithItsControlFields) {
    auto build = testsupport::runProgram(source / "scripts/build-deb",
                                         {"--build-dir", built.string(), "--output", scratch.string()});
    ASSERT_EQ(build.exitCode, 0) << build.errors;
    auto architecture = testsupport::runProgram("/usr/bin/dpkg", {"--print-architecture"}).output;
    architecture.erase(architecture.find_last_not_of('\n') + 1);
    fs::path package = scratch / ("com.veltrona.snapfold_" SNAPFOLD_PROJECT_VERSION "_" + architecture + ".deb");
    ASSERT_TRUE(fs::exists(package)) << build.output;

    auto control = testsupport::runProgram("/usr/bin/dpkg-deb", {"-f", package.string()});
    ASSERT_EQ(control.exitCode, 0) << control.errors;
    auto fields = controlFields(control.output);
    EXPECT_EQ(fields["Package"], "com.veltrona.snapfold");
    EXPECT_EQ(fields["Version"], SNAPFOLD_PROJECT_VERSION);
    EXPECT_EQ(fields["Architecture"], architecture);
    EXPECT_GT(std::atoi(fields["Installed-Size"].c_str()), 0);
    EXPECT_EQ(fields["Depends"].rfind("mobilesubstrate, preferenceloader", 0), 0u) << fields["Depends"];
    auto listing = testsupport::runProgram("/usr/bin/dpkg-deb", {"-c", package.string()});
    EXPECT_NE(listing.output.find("root/root"), std::string::npos);

    // Unpacked into a device root, the package is the tweak that install-device installs.
    fs::path unpacked = scratch / "unpacked", installed = scratch / "installed";
    ASSERT_EQ(testsupport::runProgram("/usr/bin/dpkg-deb", {"-x", package.string(), unpacked.string()}).exitCode, 0);
    ASSERT_EQ(testsupport::runProgram(source / "scripts/install-device",
                                      {"--device-root", installed.string(), "--build-dir", built.string()})
                  .exitCode,
              0);
    auto files = tweakFiles(unpacked);
    ASSERT_EQ(files, tweakFiles(installed));
    for (const auto& file : files)
        EXPECT_EQ(contentsOf(unpacked / file.substr(1)), contentsOf(installed / file.substr(1))) << file;
}

}  // namespace
