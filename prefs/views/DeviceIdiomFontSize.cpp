#include "prefs/views/DeviceIdiomFontSize.h"

#include "platform/uikit/UIDevice.h"

namespace snapfold::prefs {

double deviceIdiomFontSize(double padSize, double otherSize) {
    auto& device = uikit::UIDevice::currentDevice();
    // A system whose UIDevice does not answer the question gets the other size.
    if (device.respondsToSelector(uikit::UIDevice::userInterfaceIdiomSelector()) &&
        device.userInterfaceIdiom() == uikit::UIUserInterfaceIdiomPad)
        return padSize;
    return otherSize;
}

}  // namespace snapfold::prefs
