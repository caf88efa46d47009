// The configuration page: the rows of "SnapfoldConfiguration", titled
// "CONFIGURATION" in the user's language, with the share button.
#pragma once

#include "prefs/SubPageListController.h"

class VeltronaSnapfoldConfigurationListController : public snapfold::prefs::SubPageListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<VeltronaSnapfoldConfigurationListController> create();

    static constexpr const char* kSpecifierListName = "SnapfoldConfiguration";
    static constexpr const char* kTitleKey = "CONFIGURATION";

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldConfigurationListController(objc::Class isa = objcClass())
        : SubPageListController(isa, kSpecifierListName, kTitleKey) {}
};
