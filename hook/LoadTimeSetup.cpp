// The hook library's only static initializer, run once when the hooking
// framework loads the library into a process.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "hook/SaveHooks.h"
#include "hook/SettingsSnapshot.h"

namespace {

__attribute__((constructor)) void snapfoldLoadTimeInitializer() {
    CustomPhotoAlbum::attachCategory();  // The runtime attaches a category when its image loads.
    // 1. Follow settings changes, in every process that loads the library.
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &snapfold::settingsChanged,
                                    snapfold::kSettingsChangedNotification, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    // 2. Take the first snapshot.
    snapfold::loadSettings();
    // 3. Inside the messaging app only, replace its save methods.
    snapfold::installSaveHooks();
}

}  // namespace
