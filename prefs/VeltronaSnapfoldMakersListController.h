// The makers page: the rows of "SnapfoldMakers" (the developer and the
// maker's other products), titled "MAKERS" in the user's language, with the
// share button.
#pragma once

#include "prefs/SubPageListController.h"

class VeltronaSnapfoldMakersListController : public snapfold::prefs::SubPageListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<VeltronaSnapfoldMakersListController> create();

    static constexpr const char* kSpecifierListName = "SnapfoldMakers";
    static constexpr const char* kTitleKey = "MAKERS";

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldMakersListController(objc::Class isa = objcClass())
        : SubPageListController(isa, kSpecifierListName, kTitleKey) {}
};
