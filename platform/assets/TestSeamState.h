// What the library's test seam (AssetsLibraryTestSeam) currently asks for,
// as the library's operations read it. Each operation takes one snapshot on
// the caller's thread when it starts, so changing a switch afterwards does
// not change an operation already under way.
#pragma once

#include <optional>

namespace assets::seam {

struct Switches {
    bool accessDenied = false;
    bool groupsRefuseAssets = false;
    bool albumCreationUnavailable = false;
    bool albumCreationAnswersNoGroup = false;
    bool albumCreationReleasesLibrary = false;
};

Switches current();
// Takes one of the failing writes the seam has asked for: its error code, or
// nothing when no failure is pending.
std::optional<long> claimWriteFailure();

}  // namespace assets::seam
