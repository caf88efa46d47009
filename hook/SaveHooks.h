// The save interception: inside the messaging app, the hook installation
// replaces the three save methods of its assets-library manager.
#pragma once

namespace snapfold {

// The last step of the load-time initializer. Not built yet: it installs no
// hook and changes nothing in any process.
void installSaveHooks();

}  // namespace snapfold
