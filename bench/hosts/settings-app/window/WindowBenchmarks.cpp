// The Settings window's work without a display: from a click to the
// repainted frame (hit test, the switch's action, the page composed again
// and drawn into an offscreen cairo surface), and opening the window on the
// root page (session, composition, first drawing). Budgets: 16 ms and 200 ms.
#include "hosts/settings-app/window/WindowScreen.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A device root with the bundle and its entry installed by the host itself.
void prepareDevice() {
    static const bool prepared = [] {
        testsupport::processDeviceRoot();
        auto installed = testsupport::runProgram(testsupport::buildDirectory() / "bin" / "snapfold-settings-app",
                                                 {"--device-root", foundation::deviceRoot().string(), "install"});
        std::error_code ec;
        fs::current_path(foundation::deviceRoot(), ec);
        return installed.exitCode == 0 && !ec;
    }();
    if (!prepared) std::abort();
}

void drawOffscreen(const settingsapp::WindowScreen& screen) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(screen.width()),
                                                          static_cast<int>(screen.height()));
    cairo_t* cr = cairo_create(surface);
    screen.draw(cr);
    cairo_surface_flush(surface);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void BM_ClickSwitchToRepaintedFrame(benchmark::State& state) {
    prepareDevice();
    settingsapp::WindowScreen screen(settingsapp::kPhoneScreenWidth, [](const std::string&) {});
    std::string message;
    if (!screen.open("Snapfold", {}, message)) return state.SkipWithError(message.c_str());
    // The Enabled row: below the bars (64) and the header (140), mid-row.
    const uikit::CGPoint enabledRow{150, 64 + 140 + 22};
    for (auto _ : state) {
        auto result = screen.click(enabledRow);
        if (result != settingsapp::WindowScreen::ClickResult::Changed) return state.SkipWithError("the click missed");
        drawOffscreen(screen);
    }
}
BENCHMARK(BM_ClickSwitchToRepaintedFrame)->Unit(benchmark::kMillisecond);

void BM_OpenWindowOnRootPage(benchmark::State& state) {
    prepareDevice();
    for (auto _ : state) {
        settingsapp::WindowScreen screen(settingsapp::kPhoneScreenWidth, [](const std::string&) {});
        std::string message;
        if (!screen.open("Snapfold", {}, message)) return state.SkipWithError(message.c_str());
        drawOffscreen(screen);
    }
}
BENCHMARK(BM_OpenWindowOnRootPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
