// The current device: its interface idiom, read from the device root's
// device-information list (see the MobileGestalt stand-in), with a test seam
// that also models a system whose UIDevice does not answer
// `userInterfaceIdiom` at all.
#pragma once

#include "platform/runtime/Runtime.h"

#include <optional>
#include <string>

namespace uikit {

enum UIUserInterfaceIdiom : long {
    UIUserInterfaceIdiomUnspecified = -1,
    UIUserInterfaceIdiomPhone = 0,
    UIUserInterfaceIdiomPad = 1,
};

// Where the device root describes the device: a dictionary whose
// "ProductType" ("iPhone7,2", "iPad4,1", ...) decides the idiom.
inline constexpr const char* kDeviceInfoPlistPath = "/System/Library/CoreServices/DeviceInfo.plist";

class UIDevice : public objc::Object {
public:
    static objc::Class objcClass();
    static UIDevice& currentDevice();

    // The selector whose presence the system's code tests before asking.
    static objc::SEL userInterfaceIdiomSelector();
    bool respondsToSelector(objc::SEL selector) const override;

    // Pad for a product type starting with "iPad", phone otherwise (also
    // when the device root names no product type).
    long userInterfaceIdiom() const;

    enum class IdiomOverride { None, Phone, Pad, NotAnswered };
    // Test seam: a phone, a pad, or a device that does not respond to
    // `userInterfaceIdiom` (NotAnswered); None goes back to the device root.
    static void setIdiomForTesting(IdiomOverride idiom);
    // The Settings host shows a page as a chosen device would, whatever the
    // device root describes: the same override as the test seam.
    static void setSimulatedIdiom(IdiomOverride idiom) { setIdiomForTesting(idiom); }

protected:
    friend objc::Allocation;
    explicit UIDevice(objc::Class isa) : objc::Object(isa) {}
};

}  // namespace uikit
