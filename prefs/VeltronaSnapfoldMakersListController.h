// The makers page: the rows of "SnapfoldMakers" (the developer and the
// maker's other products), titled "MAKERS" in the user's language, with the
// share button.
#pragma once

#include "prefs/VeltronaSnapfoldListController.h"

class VeltronaSnapfoldMakersListController : public VeltronaSnapfoldListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<VeltronaSnapfoldMakersListController> create();

    static constexpr const char* kSpecifierListName = "SnapfoldMakers";
    static constexpr const char* kTitleKey = "MAKERS";

    // Loads the rows once, and sets the title at every call.
    preferences::SpecifierList specifiers() override;
    void loadView() override;
    void tweetSupport(objc::Object* sender);

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldMakersListController(objc::Class isa = objcClass()) : VeltronaSnapfoldListController(isa) {}
};
