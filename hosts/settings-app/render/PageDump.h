// A page screen as readable text, for golden files and the Settings host:
// which page, at what size and on which device, which face the text was
// measured in, whether the layout solved, then every view with its frame
// (in its superview's coordinates), colours, texts and fonts, and the
// constraints each view holds. A change of layout shows as a line-by-line diff.
#pragma once

#include "hosts/settings-app/render/PageScreen.h"

#include <string>

namespace settingsapp {

std::string dumpPageScreen(const preferences::PSListController& page, const PageScreen& screen);

}  // namespace settingsapp
