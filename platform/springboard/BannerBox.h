// The terminal form of a banner: a framed box with the title in its top edge
// and the message below, wrapped at word boundaries.
#pragma once

#include <string>
#include <string_view>

namespace springboard {

inline constexpr std::size_t kBannerBoxTextColumns = 56;

// The box as lines ending in "\n". Widths are counted in characters (UTF-8
// code points), so accented titles and messages stay framed.
std::string drawBannerBox(std::string_view title, std::string_view message);

}  // namespace springboard
