// What a click on a composed settings screen lands on: the row whose cell
// holds the deepest view under the point, or the navigation bar's back or
// right button. The screen's views carry their frames; nothing is drawn.
#pragma once

#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIView.h"

namespace settingsapp {

struct ScreenTarget {
    enum class Kind { Nothing, Row, BackButton, RightButton };
    Kind kind = Kind::Nothing;
    preferences::PSSpecifierRef row;  // for Kind::Row
    uikit::CGRect frame;              // the cell, in the screen's coordinates, for Kind::Row
};

// The target under `point` (in the screen's points, its top-left at the
// origin) of the screen `root`. Hidden views and views at alpha 0 take no
// clicks, as on the phone.
ScreenTarget hitTestScreen(const uikit::UIView& root, uikit::CGPoint point);

}  // namespace settingsapp
