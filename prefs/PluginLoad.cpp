// The settings bundle's only static initializer: when the Settings app loads
// the plug-in, its classes are registered before the app asks for them.
#include "prefs/BundleClasses.h"

namespace {
__attribute__((constructor)) void registerClassesWhenLoaded() { snapfold::prefs::registerSettingsBundleClasses(); }
}  // namespace
