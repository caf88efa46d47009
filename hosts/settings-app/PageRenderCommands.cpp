#include "hosts/settings-app/PageRenderCommands.h"

#include "hosts/settings-app/render/PageDump.h"
#include "hosts/settings-app/render/PageImage.h"
#include "hosts/settings-app/render/PageScreen.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/uikit/UIDevice.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace settingsapp {

const char* const kPageCommandsUsage =
    "  render FILE [--width POINTS] [--idiom phone|pad] [--scale N]\n"
    "                         draw the page to a PNG file (N pixels a point, 2 unless given)\n"
    "  dump [--width POINTS] [--idiom phone|pad]\n"
    "                         print the page's view tree with the frames the layout gave it\n";

namespace {

// The directory the host was started in. The host enters the device root
// before it opens pages; a file named on the command line is relative to
// where the person ran it, so the directory is taken before main runs.
const std::filesystem::path& invocationDirectory() {
    static const std::filesystem::path directory = [] {
        std::error_code ec;
        return std::filesystem::current_path(ec);
    }();
    return directory;
}
[[maybe_unused]] const std::filesystem::path& kTakenAtStart = invocationDirectory();

struct PageCommand {
    std::string command;
    std::string file;
    std::optional<double> width;
    std::optional<bool> pad;
    double scale = 2;
};

std::optional<double> positiveNumber(const std::string& text) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value > 0) || value > 100000) return std::nullopt;
    return value;
}

std::optional<PageCommand> parse(const std::vector<std::string>& arguments, std::string& problem) {
    PageCommand parsed;
    parsed.command = arguments.at(0);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument == "--width" && hasValue) {
            parsed.width = positiveNumber(arguments[++i]);
            if (!parsed.width) return problem = "the width must be a positive number of points", std::nullopt;
        } else if (argument == "--scale" && hasValue && parsed.command == "render") {
            auto scale = positiveNumber(arguments[++i]);
            if (!scale || *scale > 8)
                return problem = "the scale must be a number of pixels a point from 0 to 8", std::nullopt;
            parsed.scale = *scale;
        } else if (argument == "--idiom" && hasValue) {
            const std::string& idiom = arguments[++i];
            if (idiom != "phone" && idiom != "pad") return problem = "the idiom is phone or pad", std::nullopt;
            parsed.pad = idiom == "pad";
        } else if (parsed.command == "render" && parsed.file.empty() && !argument.starts_with("--")) {
            parsed.file = argument;
        } else {
            return problem = "unexpected argument: " + argument, std::nullopt;
        }
    }
    if (parsed.command == "render" && parsed.file.empty())
        return problem = "render needs a file to write", std::nullopt;
    return parsed;
}

}  // namespace

bool isPageCommand(const std::string& command) { return command == "render" || command == "dump"; }

int runPageCommand(SettingsSession& session, const std::vector<std::string>& arguments) {
    std::string problem;
    auto parsed = parse(arguments, problem);
    if (!parsed) {
        std::fprintf(stderr, "snapfold-settings-app: %s\n%s", problem.c_str(), kPageCommandsUsage);
        return 2;
    }
    auto* page = session.topPage();
    if (!page) {
        std::fprintf(stderr, "snapfold-settings-app: no page is open\n");
        return 2;
    }
    // The idiom is read when the header views and cells are made, which is
    // when the screen is composed.
    if (parsed->pad)
        uikit::UIDevice::setSimulatedIdiom(*parsed->pad ? uikit::UIDevice::IdiomOverride::Pad
                                                        : uikit::UIDevice::IdiomOverride::Phone);
    bool pad = uikit::UIDevice::currentDevice().userInterfaceIdiom() == uikit::UIUserInterfaceIdiomPad;
    ScreenOptions options;
    options.width = parsed->width.value_or(pad ? kPadScreenWidth : kPhoneScreenWidth);
    options.glyphScale = parsed->command == "render" ? parsed->scale : 2;
    PageScreen screen = composePageScreen(
        *page, navigationBarShowing(session.outerNavigation(), session.innerNavigation()),
        backButtonTitle(session.outerNavigation(), session.innerNavigation()), options);

    if (parsed->command == "dump") {
        std::printf("%s", dumpPageScreen(*page, screen).c_str());
    } else {
        // The file is named as the person gave it, relative to where they ran
        // the host (which itself runs in the device root).
        std::filesystem::path file = parsed->file;
        if (file.is_relative()) file = invocationDirectory() / file;
        auto written = writePageImage(screen, parsed->scale, file);
        if (!written) {
            std::fprintf(stderr, "snapfold-settings-app: %s\n", written.error().message.c_str());
            return 2;
        }
        uikit::CGSize size = screen.root->frame().size;
        std::printf("rendered %s: %g x %g points at %g pixels a point\n", file.c_str(), size.width, size.height,
                    parsed->scale);
    }
    if (!screen.layout.ok()) {
        std::fprintf(stderr, "snapfold-settings-app: the layout has problems:\n%s", screen.layout.describe().c_str());
        return 1;
    }
    return 0;
}

}  // namespace settingsapp
