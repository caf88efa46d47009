// Every seed of the fuzz corpus and every crash input kept from fuzzing, fed
// again to the entry its folder names, so that each ordinary build checks that
// no input a fuzzer ever tripped over trips the readers again.
#include "fuzz/FuzzEntries.h"
#include "platform/foundation/NSLog.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kFuzzFolder = SNAPFOLD_FUZZ_DIR;
constexpr const char* kInputKinds[] = {"corpus", "regressions"};

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec))
        if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> targetNames() {
    std::vector<std::string> names;
    for (const fuzz::FuzzEntry& entry : fuzz::fuzzEntries()) names.emplace_back(entry.name);
    return names;
}

class CorpusReplayTest : public ::testing::TestWithParam<std::string> {
protected:
    // Entries that read or write files do so in this process's own device
    // root. The readers' lines about bad input would be thousands: kept out.
    void SetUp() override {
        testsupport::processDeviceRoot();
        foundation::setLogSinkForTesting([](const std::string&) {});
    }
    void TearDown() override { foundation::setLogSinkForTesting(nullptr); }
};

TEST_P(CorpusReplayTest, EveryKeptInputIsHandledSoundly) {
    const fuzz::FuzzEntry* entry = fuzz::findFuzzEntry(GetParam());
    ASSERT_NE(entry, nullptr);
    std::size_t replayed = 0;
    for (const char* kind : kInputKinds) {
        for (const fs::path& file : filesIn(kFuzzFolder / kind / GetParam())) {
            std::vector<std::uint8_t> bytes = readBytes(file);
            fuzz::Finding finding = entry->feed(bytes);
            EXPECT_FALSE(finding.has_value()) << file << ": " << finding.value_or("");
            ++replayed;
        }
    }
    // Every target starts from seeds; a target whose corpus went missing
    // would replay nothing and pass.
    EXPECT_GT(replayed, 0u) << "no inputs for " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, CorpusReplayTest, ::testing::ValuesIn(targetNames()),
                         [](const auto& info) { return info.param; });

TEST(FuzzCorpusLayoutTest, EveryInputFolderNamesATarget) {
    for (const char* kind : kInputKinds) {
        std::error_code ec;
        for (const auto& item : fs::directory_iterator(kFuzzFolder / kind, ec)) {
            EXPECT_TRUE(item.is_directory()) << item.path() << ": inputs belong in a folder named by their target";
            EXPECT_NE(fuzz::findFuzzEntry(item.path().filename().string()), nullptr)
                << item.path() << " names no fuzz target, so its inputs would never be replayed";
        }
    }
}

TEST(FuzzEntryDeathTest, AFuzzerNamingNoTargetStopsAtOnce) {
    EXPECT_DEATH((void)fuzz::runFuzzEntry("no_such_target", {}), "no target named no_such_target");
}

}  // namespace
