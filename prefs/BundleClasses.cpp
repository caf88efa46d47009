#include "prefs/BundleClasses.h"

#include "prefs/SnapfoldListController.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"
#include "prefs/VeltronaSnapfoldListController.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"
#include "prefs/VeltronaSnapfoldMakersListController.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "prefs/views/VeltronaSnapfoldDeveloperTableCell.h"
#include "prefs/views/VeltronaSnapfoldDeveloperUpSellCell.h"
#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"

namespace snapfold::prefs {

void registerSettingsBundleClasses() {
    VeltronaSnapfoldLocalizer::objcClass();
    VeltronaSnapfoldListController::objcClass();
    SnapfoldListController::objcClass();
    VeltronaSnapfoldConfigurationListController::objcClass();
    VeltronaSnapfoldMakersListController::objcClass();
    VeltronaSnapfoldCustomHeaderView::objcClass();
    VeltronaSnapfoldLogoTableCell::objcClass();
    VeltronaSnapfoldDeveloperTableCell::objcClass();
    VeltronaSnapfoldDeveloperUpSellCell::objcClass();
}

}  // namespace snapfold::prefs
