#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/Delivery.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/TestSeamState.h"

#include <mutex>

namespace assets {

namespace {

struct SeamState {
    std::mutex mutex;
    seam::Switches switches;
    int failingWrites = 0;
    long failingWriteCode = ALAssetsLibraryWriteFailedError;
};

SeamState& seamState() {
    static auto* state = new SeamState;
    return *state;
}

template <typename Change>
void change(Change&& apply) {
    auto& state = seamState();
    std::lock_guard lock(state.mutex);
    apply(state);
}

}  // namespace

namespace seam {

Switches current() {
    auto& state = seamState();
    std::lock_guard lock(state.mutex);
    return state.switches;
}

std::optional<long> claimWriteFailure() {
    auto& state = seamState();
    std::lock_guard lock(state.mutex);
    if (state.failingWrites <= 0) return std::nullopt;
    --state.failingWrites;
    return state.failingWriteCode;
}

}  // namespace seam

void AssetsLibraryTestSeam::resetForTesting() {
    change([](SeamState& state) {
        state.switches = {};
        state.failingWrites = 0;
    });
    delivery::setHeld(false);
}

void AssetsLibraryTestSeam::setAccessDeniedForTesting(bool denied) {
    change([&](SeamState& state) { state.switches.accessDenied = denied; });
}

void AssetsLibraryTestSeam::failNextWritesForTesting(int count, long code) {
    change([&](SeamState& state) {
        state.failingWrites = count;
        state.failingWriteCode = code;
    });
}

void AssetsLibraryTestSeam::setGroupsRefuseAssetsForTesting(bool refuse) {
    change([&](SeamState& state) { state.switches.groupsRefuseAssets = refuse; });
}

void AssetsLibraryTestSeam::setAlbumCreationUnavailableForTesting(bool unavailable) {
    change([&](SeamState& state) { state.switches.albumCreationUnavailable = unavailable; });
}

void AssetsLibraryTestSeam::setAlbumCreationAnswersNoGroupForTesting(bool noGroup) {
    change([&](SeamState& state) { state.switches.albumCreationAnswersNoGroup = noGroup; });
}

void AssetsLibraryTestSeam::setAlbumCreationReleasesLibraryForTesting(bool release) {
    change([&](SeamState& state) { state.switches.albumCreationReleasesLibrary = release; });
}

void AssetsLibraryTestSeam::setDeliveryHeldForTesting(bool hold) { delivery::setHeld(hold); }

void AssetsLibraryTestSeam::drainForTesting() { ALAssetsLibrary::waitForPendingOperations(); }

bool AssetsLibraryTestSeam::renameGroupForTesting(std::int64_t groupId, const std::string& name) {
    auto renamed = PhotoStore::sharedForCurrentDevice()->renameGroup(groupId, name);
    return renamed && renamed.value();
}

std::int64_t AssetsLibraryTestSeam::addGroupForTesting(const std::string& name, ALAssetsGroupType type) {
    auto created = PhotoStore::sharedForCurrentDevice()->createGroup(name, type);
    return created ? created->id : 0;
}

}  // namespace assets
