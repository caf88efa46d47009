// What the configuration and makers pages share: the rows of one specifier
// list, loaded once; a title localized at every request for the rows; and
// the share button. Each page is this with its list and title key.
#pragma once

#include "prefs/VeltronaSnapfoldListController.h"

namespace snapfold::prefs {

class SubPageListController : public VeltronaSnapfoldListController {
public:
    // Loads the rows once, and sets the title at every call.
    preferences::SpecifierList specifiers() override;
    void loadView() override;
    void tweetSupport(objc::Object* sender);

protected:
    SubPageListController(objc::Class isa, const char* specifierListName, const char* titleKey)
        : VeltronaSnapfoldListController(isa), specifierListName_(specifierListName), titleKey_(titleKey) {}

private:
    const char* specifierListName_;
    const char* titleKey_;
};

}  // namespace snapfold::prefs
