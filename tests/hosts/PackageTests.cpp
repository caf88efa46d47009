// The two ways the hook library reaches a device: installed into a device
// root, and packaged as the ecosystem's .deb.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

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

TEST_F(PackageTest, InstallingPutsTheLibraryBesideItsFilterList) {
    fs::path device = scratch / "device";
    for (int round = 0; round < 2; ++round) {  // Installing again replaces the files in place.
        auto run = testsupport::runProgram(source / "scripts/install-device",
                                           {"--device-root", device.string(), "--build-dir", built.string()});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
    }
    fs::path libraries = device / "Library/MobileSubstrate/DynamicLibraries";
    EXPECT_EQ(contentsOf(libraries / "Snapfold.dylib"), contentsOf(built / "lib/Snapfold.dylib"));
    EXPECT_EQ(contentsOf(libraries / "Snapfold.plist"), contentsOf(source / "resources/Snapfold.plist"));
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(libraries)) files += entry.is_regular_file();
    EXPECT_EQ(files, 2u);  // No half-installed leftovers.
}

TEST_F(PackageTest, TheDebHasTheDeviceLayoutAndTheControlFields) {
    auto build = testsupport::runProgram(source / "scripts/build-deb",
                                         {"--build-dir", built.string(), "--output", scratch.string()});
    ASSERT_EQ(build.exitCode, 0) << build.errors;
    fs::path package = scratch / ("com.veltrona.snapfold_" SNAPFOLD_PROJECT_VERSION "_iphoneos-arm.deb");
    ASSERT_TRUE(fs::exists(package)) << build.output;

    auto control = testsupport::runProgram("/usr/bin/dpkg-deb", {"-f", package.string()});
    ASSERT_EQ(control.exitCode, 0) << control.errors;
    auto fields = controlFields(control.output);
    EXPECT_EQ(fields["Package"], "com.veltrona.snapfold");
    EXPECT_EQ(fields["Name"], "Snapfold");
    EXPECT_EQ(fields["Version"], SNAPFOLD_PROJECT_VERSION);
    EXPECT_EQ(fields["Architecture"], "iphoneos-arm");
    EXPECT_EQ(fields["Depends"], "mobilesubstrate, preferenceloader");
    EXPECT_EQ(fields["Section"], "Tweaks");
    EXPECT_FALSE(fields["Maintainer"].empty());
    EXPECT_FALSE(fields["Author"].empty());
    EXPECT_FALSE(fields["Description"].empty());

    auto listing = testsupport::runProgram("/usr/bin/dpkg-deb", {"-c", package.string()});
    ASSERT_EQ(listing.exitCode, 0) << listing.errors;
    EXPECT_NE(listing.output.find("root/root"), std::string::npos);
    EXPECT_NE(listing.output.find("./Library/MobileSubstrate/DynamicLibraries/Snapfold.dylib"), std::string::npos);
    EXPECT_NE(listing.output.find("./Library/MobileSubstrate/DynamicLibraries/Snapfold.plist"), std::string::npos);

    // What is inside is what was built.
    auto extracted = testsupport::runProgram("/usr/bin/dpkg-deb", {"-x", package.string(), (scratch / "x").string()});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.errors;
    EXPECT_EQ(contentsOf(scratch / "x/Library/MobileSubstrate/DynamicLibraries/Snapfold.dylib"),
              contentsOf(built / "lib/Snapfold.dylib"));
}

}  // namespace
