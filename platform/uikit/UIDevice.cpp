#include "platform/uikit/UIDevice.h"

#include "platform/foundation/PropertyList.h"
#include "platform/runtime/Selector.h"

#include <atomic>

namespace uikit {

namespace {
std::atomic<UIDevice::IdiomOverride> idiomOverride{UIDevice::IdiomOverride::None};

const objc::TypedSelector<long()> kUserInterfaceIdiom{"userInterfaceIdiom"};

long userInterfaceIdiomImp(objc::id self, objc::SEL) { return static_cast<UIDevice*>(self)->userInterfaceIdiom(); }
}  // namespace

objc::Class UIDevice::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass("UIDevice", objc::rootClass());
        objc::class_addMethod(made, kUserInterfaceIdiom, &userInterfaceIdiomImp);
        return made;
    }();
    return cls;
}

UIDevice& UIDevice::currentDevice() {
    // One per process, owned for the process's life.
    static auto* device = new std::shared_ptr<UIDevice>(objc::make<UIDevice>(objcClass()));
    return **device;
}

objc::SEL UIDevice::userInterfaceIdiomSelector() { return kUserInterfaceIdiom.sel(); }

bool UIDevice::respondsToSelector(objc::SEL selector) const {
    if (selector == kUserInterfaceIdiom.sel() && idiomOverride.load() == IdiomOverride::NotAnswered) return false;
    return objc::Object::respondsToSelector(selector);
}

long UIDevice::userInterfaceIdiom() const {
    switch (idiomOverride.load()) {
    case IdiomOverride::Phone: return UIUserInterfaceIdiomPhone;
    case IdiomOverride::Pad: return UIUserInterfaceIdiomPad;
    case IdiomOverride::NotAnswered: return UIUserInterfaceIdiomPhone;
    case IdiomOverride::None: break;
    }
    auto info = foundation::dictionaryWithContentsOfFile(kDeviceInfoPlistPath);
    if (!info) return UIUserInterfaceIdiomPhone;
    auto productType = info->find("ProductType");
    if (productType == info->end() || !productType->second.string()) return UIUserInterfaceIdiomPhone;
    return productType->second.string()->starts_with("iPad") ? UIUserInterfaceIdiomPad : UIUserInterfaceIdiomPhone;
}

void UIDevice::setIdiomForTesting(IdiomOverride idiom) { idiomOverride.store(idiom); }

}  // namespace uikit
