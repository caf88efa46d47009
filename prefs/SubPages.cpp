// The two sub-pages differ only in their list and title key.
#include "platform/runtime/Selector.h"
#include "prefs/ShareSheet.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"
#include "prefs/VeltronaSnapfoldMakersListController.h"

namespace {

const objc::TypedSelector<void(objc::id)> kTweetSupport{"tweetSupport:"};

template <typename Page>
void tweetSupportImp(objc::id self, objc::SEL, objc::id sender) {
    static_cast<Page*>(self)->tweetSupport(sender);
}

template <typename Page>
objc::Class registerSubPage(const char* name) {
    objc::Class made = objc::objc_registerClass(name, VeltronaSnapfoldListController::objcClass(),
                                                [](objc::Class isa) { return objc::make<Page>(isa); });
    objc::class_addMethod(made, kTweetSupport, &tweetSupportImp<Page>);
    return made;
}

}  // namespace

objc::Class VeltronaSnapfoldConfigurationListController::objcClass() {
    static objc::Class cls =
        registerSubPage<VeltronaSnapfoldConfigurationListController>("VeltronaSnapfoldConfigurationListController");
    return cls;
}

std::shared_ptr<VeltronaSnapfoldConfigurationListController> VeltronaSnapfoldConfigurationListController::create() {
    return objc::make<VeltronaSnapfoldConfigurationListController>();
}

preferences::SpecifierList VeltronaSnapfoldConfigurationListController::specifiers() {
    if (!_specifiers) _specifiers = specifiersForPlistName(kSpecifierListName);
    setTitle(VeltronaSnapfoldLocalizer::sharedLocalizer()->localizedStringForKey(kTitleKey));
    return _specifiers;
}

void VeltronaSnapfoldConfigurationListController::loadView() {
    VeltronaSnapfoldListController::loadView();
    snapfold::prefs::addShareButton(*this);
}

void VeltronaSnapfoldConfigurationListController::tweetSupport(objc::Object*) {
    snapfold::prefs::presentShareSheet(*this);
}

objc::Class VeltronaSnapfoldMakersListController::objcClass() {
    static objc::Class cls = registerSubPage<VeltronaSnapfoldMakersListController>("VeltronaSnapfoldMakersListController");
    return cls;
}

std::shared_ptr<VeltronaSnapfoldMakersListController> VeltronaSnapfoldMakersListController::create() {
    return objc::make<VeltronaSnapfoldMakersListController>();
}

preferences::SpecifierList VeltronaSnapfoldMakersListController::specifiers() {
    if (!_specifiers) _specifiers = specifiersForPlistName(kSpecifierListName);
    setTitle(VeltronaSnapfoldLocalizer::sharedLocalizer()->localizedStringForKey(kTitleKey));
    return _specifiers;
}

void VeltronaSnapfoldMakersListController::loadView() {
    VeltronaSnapfoldListController::loadView();
    snapfold::prefs::addShareButton(*this);
}

void VeltronaSnapfoldMakersListController::tweetSupport(objc::Object*) { snapfold::prefs::presentShareSheet(*this); }
