#include "hook/SettingsSnapshot.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using foundation::PlistValue;

class SettingsSnapshotTest : public ::testing::TestWithParam<foundation::PlistFormat> {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        testsupport::clearDevice();
        snapfold::resetSettingsSnapshotForTesting();
    }

    // The settings page writes through the /User spelling; the hook library
    // reads through /private/var. Both must name one file.
    void writeSettings(PlistValue::Dictionary settings) {
        auto path = foundation::hostPath("/User/Library/Preferences/com.veltrona.snapfold.plist");
        ASSERT_TRUE(foundation::writePropertyListAtomically(path, PlistValue(std::move(settings)), GetParam()).ok());
    }
    void writeRaw(const std::string& bytes) {
        std::ofstream(foundation::hostPath(snapfold::kSettingsFilePath), std::ios::binary | std::ios::trunc) << bytes;
    }
    void expectSnapshot(bool enabled, const std::string& album) {
        EXPECT_EQ(snapfold::isEnabled(), enabled);
        EXPECT_EQ(*snapfold::albumName(), album);
    }
};

TEST_P(SettingsSnapshotTest, WithoutASettingsFileTheFeatureIsOnAndSavesIntoWhatsApp) {
    snapfold::loadSettings();
    expectSnapshot(true, "WhatsApp");
}

TEST_P(SettingsSnapshotTest, MissingKeysAreTreatedDifferently) {
    writeSettings({{"albumName", "Holiday"}});
    snapfold::loadSettings();
    expectSnapshot(true, "Holiday");  // the switch keeps its value

    writeSettings({{"isEnabled", false}});
    snapfold::loadSettings();
    expectSnapshot(false, "WhatsApp");  // an absent name restores the default

    writeSettings({{"albumName", "Later"}});
    snapfold::loadSettings();
    expectSnapshot(false, "Later");  // still off: the switch only follows a present key
}

TEST_P(SettingsSnapshotTest, EmptyAlbumNameIsKeptAndOtherKeysIgnored) {
    writeSettings({{"albumName", ""}, {"isEnabled", true}, {"somethingElse", PlistValue::Array{1, 2}}});
    snapfold::loadSettings();
    expectSnapshot(true, "");
}

TEST_P(SettingsSnapshotTest, ValuesOfTheWrongKindAreHandledSafely) {
    writeSettings({{"isEnabled", false}, {"albumName", "Before"}});
    snapfold::loadSettings();

    // A name that is not a string counts as absent; a switch value without a
    // boolean meaning leaves the switch alone.
    for (PlistValue odd : {PlistValue(foundation::PlistDate{5}), PlistValue(PlistValue::Data{1, 2}),
                           PlistValue(PlistValue::Array{"x"}), PlistValue(PlistValue::Dictionary{{"a", 1}})}) {
        writeSettings({{"isEnabled", odd}, {"albumName", odd}});
        snapfold::loadSettings();
        expectSnapshot(false, "WhatsApp");
    }
    writeSettings({{"albumName", std::int64_t{42}}});
    snapfold::loadSettings();
    expectSnapshot(false, "WhatsApp");
}

TEST_P(SettingsSnapshotTest, NumbersAndStringsSwitchAsTheirBooleanValue) {
    const std::pair<PlistValue, bool> cases[] = {
        {std::int64_t{1}, true}, {std::int64_t{0}, false}, {"YES", true}, {"no", false}, {0.0, false}, {"7", true}};
    for (const auto& [value, expected] : cases) {
        writeSettings({{"isEnabled", value}});
        snapfold::loadSettings();
        EXPECT_EQ(snapfold::isEnabled(), expected) << value.description();
    }
}

TEST_P(SettingsSnapshotTest, UnusableFilesLeaveTheSnapshotAsItWas) {
    writeSettings({{"isEnabled", false}, {"albumName", "Kept"}});
    snapfold::loadSettings();

    auto good = foundation::serializePropertyList(PlistValue(PlistValue::Dictionary{{"albumName", "Never"}}),
                                                  GetParam())
                    .value();
    std::string deep = "<?xml version=\"1.0\"?><plist><dict><key>albumName</key>";
    for (int i = 0; i < 50000; ++i) deep += "<array>";
    const std::string broken[] = {
        "", "garbage", good.substr(0, good.size() - 12), deep,
        foundation::serializePropertyList(PlistValue(PlistValue::Array{"not", "a dict"}), GetParam()).value()};
    for (const auto& bytes : broken) {
        writeRaw(bytes);
        snapfold::loadSettings();
        expectSnapshot(false, "Kept");
    }
    std::filesystem::remove(foundation::hostPath(snapfold::kSettingsFilePath));
    snapfold::loadSettings();
    expectSnapshot(false, "Kept");
}

TEST_P(SettingsSnapshotTest, ARereadTakesTheFilesLatestContents) {
    for (int i = 0; i < 20; ++i) {
        writeSettings({{"albumName", "Album " + std::to_string(i)}, {"isEnabled", i % 2 == 0}});
        snapfold::loadSettings();
    }
    snapfold::loadSettings();
    expectSnapshot(false, "Album 19");
}

// The bytes reader (behind the settings file's fuzz target) must take every
// file exactly as the file reader does, unusable ones included.
TEST_P(SettingsSnapshotTest, ReadingTheBytesAgreesWithReadingTheFile) {
    auto encoded = [&](PlistValue value) { return foundation::serializePropertyList(value, GetParam()).value(); };
    const std::string files[] = {encoded(PlistValue::Dictionary{{"isEnabled", false}, {"albumName", "Bytes"}}),
                                 encoded(PlistValue::Dictionary{{"isEnabled", "yes"}}),
                                 encoded(PlistValue::Dictionary{{"albumName", 7}}),
                                 encoded(PlistValue::Array{"not a dictionary"}), "garbage"};
    for (const auto& bytes : files) {
        snapfold::resetSettingsSnapshotForTesting();
        writeRaw(bytes);
        snapfold::loadSettings();
        const bool enabledFromFile = snapfold::isEnabled();
        const std::string albumFromFile = *snapfold::albumName();

        snapfold::resetSettingsSnapshotForTesting();
        snapfold::loadSettingsFromData(bytes);
        EXPECT_EQ(snapfold::isEnabled(), enabledFromFile) << bytes;
        EXPECT_EQ(*snapfold::albumName(), albumFromFile) << bytes;
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, SettingsSnapshotTest,
                         ::testing::Values(foundation::PlistFormat::XML, foundation::PlistFormat::Binary),
                         [](const auto& info) {
                             return info.param == foundation::PlistFormat::XML ? std::string("XML")
                                                                               : std::string("Binary");
                         });

// Readers take the album name while another thread reloads it thousands of
// times; every name a reader sees is one that was stored, whole.
TEST(SettingsSnapshotConcurrencyTest, ReadersNeverSeeATornAlbumName) {
    testsupport::processDeviceRoot();
    snapfold::resetSettingsSnapshotForTesting();
    auto path = foundation::hostPath(snapfold::kSettingsFilePath);
    const std::string names[] = {std::string(200, 'a'), "short", ""};
    std::atomic<bool> done{false};
    std::atomic<long> reads{0}, bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!done) {
                auto name = snapfold::albumName();
                bool known = *name == "WhatsApp";
                for (const auto& n : names) known = known || *name == n;
                if (!known) ++bad;
                (void)snapfold::isEnabled();
                ++reads;
            }
        });
    }
    for (int i = 0; i < 3000; ++i) {
        PlistValue::Dictionary settings{{"isEnabled", i % 2 == 0}};
        if (i % 4 != 3) settings["albumName"] = names[i % 3];
        ASSERT_TRUE(foundation::writePropertyListAtomically(path, PlistValue(std::move(settings))).ok());
        snapfold::loadSettings();
    }
    done = true;
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

}  // namespace
