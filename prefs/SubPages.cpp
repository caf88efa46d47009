// The two sub-pages differ only in their list and title key.
#include "platform/runtime/Selector.h"
#include "prefs/ShareSheet.h"
#include "prefs/SubPageListController.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"
#include "prefs/VeltronaSnapfoldMakersListController.h"

namespace {

using snapfold::prefs::SubPageListController;

const objc::TypedSelector<void(objc::id)> kTweetSupport{"tweetSupport:"};

void tweetSupportImp(objc::id self, objc::SEL, objc::id sender) {
    static_cast<SubPageListController*>(self)->tweetSupport(sender);
}

template <typename Page>
objc::Class registerSubPage(const char* name) {
    objc::Class made = objc::objc_registerClass(name, VeltronaSnapfoldListController::objcClass(),
                                                [](objc::Class isa) { return objc::make<Page>(isa); });
    objc::class_addMethod(made, kTweetSupport, &tweetSupportImp);
    return made;
}

}  // namespace

namespace snapfold::prefs {

preferences::SpecifierList SubPageListController::specifiers() {
    if (!_specifiers) _specifiers = specifiersForPlistName(specifierListName_);
    setTitle(VeltronaSnapfoldLocalizer::sharedLocalizer()->localizedStringForKey(titleKey_));
    return _specifiers;
}

void SubPageListController::loadView() {
    VeltronaSnapfoldListController::loadView();
    addShareButton(*this);
}

void SubPageListController::tweetSupport(objc::Object*) { presentShareSheet(*this); }

}  // namespace snapfold::prefs

objc::Class VeltronaSnapfoldConfigurationListController::objcClass() {
    static objc::Class cls = registerSubPage<VeltronaSnapfoldConfigurationListController>(
        "VeltronaSnapfoldConfigurationListController");
    return cls;
}

std::shared_ptr<VeltronaSnapfoldConfigurationListController> VeltronaSnapfoldConfigurationListController::create() {
    return objc::make<VeltronaSnapfoldConfigurationListController>();
}

objc::Class VeltronaSnapfoldMakersListController::objcClass() {
    static objc::Class cls = registerSubPage<VeltronaSnapfoldMakersListController>(
        "VeltronaSnapfoldMakersListController");
    return cls;
}

std::shared_ptr<VeltronaSnapfoldMakersListController> VeltronaSnapfoldMakersListController::create() {
    return objc::make<VeltronaSnapfoldMakersListController>();
}
