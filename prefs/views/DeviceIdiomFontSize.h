// Font sizes chosen by the kind of device: the pad size only when the
// current device answers `userInterfaceIdiom` and answers the pad idiom.
#pragma once

namespace snapfold::prefs {

double deviceIdiomFontSize(double padSize, double otherSize);

}  // namespace snapfold::prefs
