// Opening the first page (the list loaded, localized, and every row's cell
// made) and changing one row (read, atomic write, notification post).
#include "bench/support/BenchDeviceRoot.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundleResources.h"
#include "prefs/BundleClasses.h"
#include "prefs/SettingsFile.h"
#include "prefs/SnapfoldListController.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void prepareDevice() {
    static const bool prepared = [] {
        benchsupport::benchDeviceRoot();
        fs::path target = foundation::hostPath(snapfold::prefs::kBundlePath);
        std::error_code ec;
        fs::remove_all(target, ec);
        fs::create_directories(target.parent_path(), ec);
        fs::copy(testsupport::buildDirectory() / "Snapfold.bundle", target, fs::copy_options::recursive, ec);
        snapfold::prefs::registerSettingsBundleClasses();
        foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"en"});
        return !ec;
    }();
    if (!prepared) std::abort();
}

void BM_OpenRootPage(benchmark::State& state) {
    prepareDevice();
    for (auto _ : state) {
        auto page = SnapfoldListController::create();
        page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
        auto table = page->table();
        auto sections = page->sections();
        for (std::size_t s = 0; s < sections.size(); ++s)
            for (std::size_t r = 0; r < sections[s].rows.size(); ++r)
                benchmark::DoNotOptimize(
                    page->tableViewCellForRowAtIndexPath(*table, {static_cast<long>(s), static_cast<long>(r)}));
    }
}
BENCHMARK(BM_OpenRootPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RowChange(benchmark::State& state) {
    prepareDevice();
    auto page = SnapfoldListController::create();
    page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
    page->specifiers();
    auto row = page->specifierForID("albumName");
    int n = 0;
    for (auto _ : state) page->setPreferenceValue(foundation::PlistValue("album " + std::to_string(++n)), row.get());
}
BENCHMARK(BM_RowChange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
