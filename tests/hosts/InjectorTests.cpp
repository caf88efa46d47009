// The injector at a launch: which installed libraries it loads into the
// process, in which order, and what it does with broken ones.
#include "hosts/injector/Injector.h"
#include "platform/foundation/PropertyList.h"
#include "platform/runtime/Runtime.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace {
struct ProbeLog {
    std::mutex mutex;
    std::vector<std::string> loaded;  // file names, in load order
};
ProbeLog& probeLog() {
    static auto* log = new ProbeLog;
    return *log;
}
}  // namespace

// Called by the probe library's static initializer.
extern "C" __attribute__((visibility("default"))) void injectorProbeLoaded(const char* libraryPath) {
    std::lock_guard lock(probeLog().mutex);
    probeLog().loaded.push_back(fs::path(libraryPath).filename().string());
}

namespace {

using foundation::PlistValue;
using Dictionary = PlistValue::Dictionary;
using Array = PlistValue::Array;

class InjectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own per test: a library file, once loaded, stays
        // loaded in this process, so each test installs fresh copies.
        static std::atomic<int> counter{0};
        folder = testsupport::processDeviceRoot().string() + "-injector-" + std::to_string(++counter);
        fs::create_directories(folder);
        std::lock_guard lock(probeLog().mutex);
        probeLog().loaded.clear();
    }
    void TearDown() override { fs::remove_all(folder); }

    // A copy of the probe library named `name`.dylib, with a filter list (or
    // raw bytes in its place, or none).
    void install(const std::string& name, std::optional<Dictionary> filter, std::optional<std::string> rawFilter = {}) {
        fs::copy_file(testsupport::buildDirectory() / "lib/libinjector_probe.so", folder / (name + ".dylib"));
        if (filter) {
            ASSERT_TRUE(foundation::writePropertyListAtomically(folder / (name + ".plist"), PlistValue(*filter)).ok());
        } else if (rawFilter) {
            std::ofstream(folder / (name + ".plist")) << *rawFilter;
        }
    }

    static Dictionary filterForBundle(const std::string& bundle) {
        return {{"Filter", PlistValue(Dictionary{{"Bundles", Array{bundle}}})}};
    }

    static injector::LaunchEnvironment environment() {
        injector::LaunchEnvironment launch;
        launch.loadedBundleIdentifiers = {"net.whatsapp.WhatsApp"};
        launch.executableName = "WhatsApp";
        launch.coreFoundationVersion = 1145.15;
        launch.classExists = [](std::string_view) { return false; };
        return launch;
    }

    static std::vector<std::string> loadedProbes() {
        std::lock_guard lock(probeLog().mutex);
        return probeLog().loaded;
    }

    static std::vector<std::string> namesOf(const std::vector<injector::InjectionReport::Entry>& entries) {
        std::vector<std::string> names;
        for (const auto& entry : entries) names.push_back(entry.library.filename().string());
        return names;
    }

    fs::path folder;
};

TEST_F(InjectorTest, LoadsTheMatchingLibrariesInTheOrderOfTheirNames) {
    install("Zeta", filterForBundle("net.whatsapp.WhatsApp"));
    install("Alpha", filterForBundle("net.whatsapp.WhatsApp"));
    install("Other", filterForBundle("com.apple.springboard"));
    install("Everywhere", Dictionary{});

    auto report = injector::injectDynamicLibraries(environment(), folder);

    EXPECT_EQ(loadedProbes(), (std::vector<std::string>{"Alpha.dylib", "Everywhere.dylib", "Zeta.dylib"}));
    EXPECT_EQ(namesOf(report.loaded), (std::vector<std::string>{"Alpha.dylib", "Everywhere.dylib", "Zeta.dylib"}));
    EXPECT_EQ(namesOf(report.skipped), std::vector<std::string>{"Other.dylib"});
    EXPECT_TRUE(report.failed.empty());
}

TEST_F(InjectorTest, ACorruptFilterListSkipsItsLibrary) {
    install("Corrupt", std::nullopt, std::string("<?xml version=\"1.0\"?><plist><dict><key>Filter"));
    install("Fine", filterForBundle("net.whatsapp.WhatsApp"));

    auto report = injector::injectDynamicLibraries(environment(), folder);

    EXPECT_EQ(loadedProbes(), std::vector<std::string>{"Fine.dylib"});
    EXPECT_EQ(namesOf(report.skipped), std::vector<std::string>{"Corrupt.dylib"});
}

// Filter lists come in every encoding the phone reads; the old-style text
// form was once skipped as unreadable.
TEST_F(InjectorTest, AFilterListInAnyEncodingLoadsItsLibrary) {
    const std::string oldStyle = "{ Filter = { Bundles = ( \"net.whatsapp.WhatsApp\" ); }; }";
    std::string utf16 = "\xFF\xFE";
    for (char c : oldStyle) utf16 += std::string{c, '\0'};
    install("OldStyle", std::nullopt, oldStyle);
    install("OldStyleUtf16", std::nullopt, utf16);

    auto report = injector::injectDynamicLibraries(environment(), folder);

    EXPECT_EQ(loadedProbes(), (std::vector<std::string>{"OldStyle.dylib", "OldStyleUtf16.dylib"}));
    EXPECT_TRUE(report.skipped.empty());
}

TEST_F(InjectorTest, ALibraryWithoutAFilterListIsNotLoaded) {
    install("Bare", std::nullopt);
    auto report = injector::injectDynamicLibraries(environment(), folder);
    EXPECT_TRUE(loadedProbes().empty());
    EXPECT_EQ(namesOf(report.skipped), std::vector<std::string>{"Bare.dylib"});
}

TEST_F(InjectorTest, ALibraryThatFailsToLoadIsReportedAndTheOthersStillLoad) {
    std::ofstream(folder / "Broken.dylib") << "not a shared object";
    ASSERT_TRUE(foundation::writePropertyListAtomically(folder / "Broken.plist",
                                                        PlistValue(filterForBundle("net.whatsapp.WhatsApp")))
                    .ok());
    install("Working", filterForBundle("net.whatsapp.WhatsApp"));

    auto report = injector::injectDynamicLibraries(environment(), folder);

    EXPECT_EQ(loadedProbes(), std::vector<std::string>{"Working.dylib"});
    ASSERT_EQ(namesOf(report.failed), std::vector<std::string>{"Broken.dylib"});
    EXPECT_FALSE(report.failed[0].reason.empty());

    // The report names it, so the person who installed it can see why.
    std::FILE* out = std::tmpfile();
    injector::printInjectionReport(report, out);
    std::rewind(out);
    std::string printed;
    for (int c; (c = std::fgetc(out)) != EOF;) printed += static_cast<char>(c);
    std::fclose(out);
    EXPECT_NE(printed.find("injector: cannot load Broken.dylib: "), std::string::npos);
    EXPECT_NE(printed.find("injector: loaded Working.dylib"), std::string::npos);
}

TEST_F(InjectorTest, AMissingFolderLoadsNothing) {
    auto report = injector::injectDynamicLibraries(environment(), folder / "absent");
    EXPECT_TRUE(report.loaded.empty() && report.skipped.empty() && report.failed.empty());
}

// This process as the injector sees it at a launch.
TEST(LaunchEnvironmentTest, DescribesTheRunningProcess) {
    testsupport::processDeviceRoot();
    auto launch = injector::LaunchEnvironment::current();
    EXPECT_EQ(launch.executableName, "hosts_tests");
    // The process has mapped the Foundation stand-in.
    auto& loaded = launch.loadedBundleIdentifiers;
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), "com.apple.Foundation"), loaded.end());
    EXPECT_EQ(std::find(loaded.begin(), loaded.end(), "com.apple.Preferences"), loaded.end());
    ASSERT_TRUE(launch.classExists);
    objc::rootClass();  // Registers NSObject.
    EXPECT_TRUE(launch.classExists("NSObject"));
    EXPECT_FALSE(launch.classExists("NoSuchClassAnywhere"));
    EXPECT_GT(launch.coreFoundationVersion, 0);
}

}  // namespace
