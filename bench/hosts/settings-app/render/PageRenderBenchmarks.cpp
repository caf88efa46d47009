// The makers page composed and laid out (its cells made and every view's
// constraints solved), the solving alone, and the first page drawn and
// encoded as PNG at the phone's width.
#include "bench/support/BenchDeviceRoot.h"
#include "hosts/settings-app/render/PageImage.h"
#include "hosts/settings-app/render/PageScreen.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundleResources.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/render/PngOutput.h"
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
        uikit::UIDevice::setIdiomForTesting(uikit::UIDevice::IdiomOverride::Phone);
        // The product icons' paths are relative to the device root, as on the phone.
        fs::current_path(foundation::deviceRoot(), ec);
        return !ec;
    }();
    if (!prepared) std::abort();
}

// The pages as the Settings app holds them: its navigation controller with
// the bundle's inside it.
struct OpenPages {
    std::shared_ptr<uikit::UINavigationController> outer = uikit::UINavigationController::create();
    std::shared_ptr<uikit::UINavigationController> inner = uikit::UINavigationController::create();
    std::shared_ptr<preferences::PSListController> top;

    explicit OpenPages(bool makers) {
        auto root = SnapfoldListController::create();
        root->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
        outer->pushViewController(uikit::UIViewController::create(), false);
        outer->pushViewController(inner, false);
        inner->pushViewController(root, false);
        top = root;
        if (makers) {
            auto next = root->controllerForSpecifier(root->specifierForID("Makers"));
            inner->pushViewController(next, false);
            top = next;
        }
        auto& loop = uikit::NSRunLoop::mainRunLoop();
        loop.runUntilDate(loop.currentTime() + 1.0);
    }
    settingsapp::PageScreen compose(double width) {
        settingsapp::ScreenOptions options;
        options.width = width;
        return settingsapp::composePageScreen(*top, settingsapp::navigationBarShowing(*outer, *inner),
                                              settingsapp::backButtonTitle(*outer, *inner), options);
    }
};

void BM_ComposeAndLayOutMakersPage(benchmark::State& state) {
    prepareDevice();
    OpenPages pages(true);
    for (auto _ : state) {
        auto screen = pages.compose(settingsapp::kPhoneScreenWidth);
        if (!screen.layout.ok()) state.SkipWithError("the makers page did not lay out");
        benchmark::DoNotOptimize(screen.root);
    }
}
BENCHMARK(BM_ComposeAndLayOutMakersPage)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SolveMakersPage(benchmark::State& state) {
    prepareDevice();
    OpenPages pages(true);
    auto screen = pages.compose(settingsapp::kPhoneScreenWidth);
    for (auto _ : state) {
        uikit::LayoutReport report = uikit::layoutViewTree(*screen.root);
        benchmark::DoNotOptimize(report.ok());
    }
}
BENCHMARK(BM_SolveMakersPage)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// state.range(0): pixels a point.
void BM_RenderRootPageToPng(benchmark::State& state) {
    prepareDevice();
    OpenPages pages(false);
    double scale = static_cast<double>(state.range(0));
    for (auto _ : state) {
        auto screen = pages.compose(settingsapp::kPhoneScreenWidth);
        auto surface = settingsapp::renderPageScreen(screen, scale);
        auto png = uikit::render::encodePng(surface.get());
        if (!png.ok()) state.SkipWithError("the picture could not be encoded");
        benchmark::DoNotOptimize(png.value().data());
    }
}
BENCHMARK(BM_RenderRootPageToPng)
    ->Arg(2)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The parts of the above, at 2 pixels a point: drawing alone, encoding alone.
void BM_DrawRootPage(benchmark::State& state) {
    prepareDevice();
    OpenPages pages(false);
    auto screen = pages.compose(settingsapp::kPhoneScreenWidth);
    for (auto _ : state) benchmark::DoNotOptimize(settingsapp::renderPageScreen(screen, 2));
}
BENCHMARK(BM_DrawRootPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_EncodeRootPagePng(benchmark::State& state) {
    prepareDevice();
    OpenPages pages(false);
    auto screen = pages.compose(settingsapp::kPhoneScreenWidth);
    auto surface = settingsapp::renderPageScreen(screen, 2);
    for (auto _ : state) benchmark::DoNotOptimize(uikit::render::encodePng(surface.get()));
}
BENCHMARK(BM_EncodeRootPagePng)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
