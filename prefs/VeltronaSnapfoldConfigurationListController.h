// The configuration page: the rows of "SnapfoldConfiguration", titled
// "CONFIGURATION" in the user's language, with the share button.
#pragma once

#include "prefs/VeltronaSnapfoldListController.h"

class VeltronaSnapfoldConfigurationListController : public VeltronaSnapfoldListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<VeltronaSnapfoldConfigurationListController> create();

    static constexpr const char* kSpecifierListName = "SnapfoldConfiguration";
    static constexpr const char* kTitleKey = "CONFIGURATION";

    // Loads the rows once, and sets the title at every call.
    preferences::SpecifierList specifiers() override;
    void loadView() override;
    void tweetSupport(objc::Object* sender);

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldConfigurationListController(objc::Class isa = objcClass())
        : VeltronaSnapfoldListController(isa) {}
};
