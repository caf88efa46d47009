// The messaging app's own WAAssetsLibraryManager: three class methods that
// save media to the camera roll (the saved-photos group of the photo library)
// and then call the app's completion.
#pragma once

#include <cstddef>

namespace messagingapp {

// Defines the class and its three class methods in the runtime, as the app's
// image does at launch. Idempotent.
void registerAssetsLibraryManager();

// The enqueue method hands saves to a queue of the app's own. These wait for
// it to start every save queued so far, and tell how many have not started.
void drainMediaSavingQueue();
std::size_t pendingEnqueuedSaves();

}  // namespace messagingapp
