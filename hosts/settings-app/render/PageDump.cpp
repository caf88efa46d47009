#include "hosts/settings-app/render/PageDump.h"

#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/text/TextMetrics.h"

#include <cmath>
#include <cstdio>

namespace settingsapp {

namespace {
std::string points(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::round(value * 1000) / 1000);
    return text;
}
}  // namespace

std::string dumpPageScreen(const preferences::PSListController& page, const PageScreen& screen) {
    std::string out = "page: " + page.isa()->name();
    if (!page.title().empty()) out += " \"" + page.title() + "\"";
    out += "\n";
    uikit::CGSize size = screen.root ? screen.root->frame().size : uikit::CGSize{};
    bool pad = uikit::UIDevice::currentDevice().userInterfaceIdiom() == uikit::UIUserInterfaceIdiomPad;
    out += "screen: " + points(size.width) + " x " + points(size.height) + " points, " + (pad ? "pad" : "phone") + "\n";
    out += "text face: " + uikit::text::resolvedFaceName(uikit::UIFont("Helvetica", 17)) + "\n";
    if (screen.layout.ok()) {
        out += "layout: solved\n";
    } else {
        out += "layout: " + std::to_string(screen.layout.errors().size()) + " problem(s)\n";
        for (const auto& error : screen.layout.errors()) out += "  " + error.message() + "\n";
    }
    out += "\n";
    if (screen.root) out += uikit::dumpViewTree(*screen.root);
    return out;
}

}  // namespace settingsapp
