#include "hook/SaveHooks.h"

namespace snapfold {

void installSaveHooks() {
    // The save interception is not built yet; until it is, the hook library
    // only keeps the settings snapshot.
}

}  // namespace snapfold
