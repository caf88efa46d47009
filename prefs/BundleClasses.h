// Registers every class of the settings bundle with the runtime, so that the
// Settings app finds the first page by the bundle's NSPrincipalClass and the
// framework makes sub-pages and cells from the class names in the rows.
#pragma once

namespace snapfold::prefs {

// Idempotent; run when the plug-in is loaded, and by tests.
void registerSettingsBundleClasses();

}  // namespace snapfold::prefs
