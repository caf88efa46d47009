// A page as readable text: its title, and per section the header (the
// page's own view with its texts and height, or the group's title), each row
// with its title, kind and current value, and the footer text. The Settings
// host prints it; tests compare it.
#pragma once

#include "platform/preferences/PSListController.h"

#include <string>

namespace preferences {

std::string describePage(PSListController& page);
// The texts of the labels in a view's subtree, in subview order, joined by " | ".
std::string labelTexts(const uikit::UIView& view);

}  // namespace preferences
