// Writing media into the photo store, crash-safely: temporary file, flush,
// then (under the write lock) final name, folder flush, row, commit.
#include "platform/assets/PhotoStore.h"

#include "platform/assets/AssetRows.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/DurableFiles.h"
#include "platform/assets/ReferenceDate.h"
#include "platform/assets/SqliteDatabase.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/PropertyList.h"

#include <unistd.h>

namespace fs = std::filesystem;

namespace assets {

namespace {

using foundation::ErrorCode;
using foundation::makeError;

// Names taken by files the index does not know (for instance left by a
// process that died before a cleaning open) are skipped; this many in a row
// means something else is wrong.
constexpr int kMaximumTakenNames = 10'000;

struct ObserverState {
    std::mutex mutex;
    std::function<void(PhotoStore::WriteStep)> observer;
};

ObserverState& observerState() {
    static auto* state = new ObserverState;
    return *state;
}

void notifyStep(PhotoStore::WriteStep step) {
    std::function<void(PhotoStore::WriteStep)> observer;
    {
        auto& state = observerState();
        std::lock_guard lock(state.mutex);
        observer = state.observer;
    }
    if (observer) observer(step);
}

}  // namespace

void PhotoStore::setWriteStepObserverForTesting(std::function<void(WriteStep)> observer) {
    auto& state = observerState();
    std::lock_guard lock(state.mutex);
    state.observer = std::move(observer);
}

ErrorOr<AssetRecord> PhotoStore::addPhoto(const NewPhoto& photo, MediaWriteOptions options) {
    MediaRow row{
        AssetKind::Photo, photo.extension, photo.orientation, {}, static_cast<std::int64_t>(photo.bytes.size())};
    if (photo.metadata) {
        row.metadataPropertyList = TRY(foundation::serializePropertyList(foundation::PlistValue(*photo.metadata),
                                                                         foundation::PlistFormat::Binary));
    }
    auto temporary = TRY(durable::writeTemporary(hostPath(kIncomingDevicePath), photo.bytes));
    notifyStep(WriteStep::TemporaryWritten);
    return commitMedia(temporary, std::move(row), options);
}

ErrorOr<AssetRecord> PhotoStore::addVideo(const fs::path& hostFile, VideoFormat format, MediaWriteOptions options) {
    std::int64_t size = 0;
    auto temporary = TRY(durable::copyToTemporary(hostPath(kIncomingDevicePath), hostFile, size));
    notifyStep(WriteStep::TemporaryWritten);
    return commitMedia(temporary, MediaRow{AssetKind::Video, videoExtension(format), 0, {}, size}, options);
}

ErrorOr<AssetRecord> PhotoStore::commitMedia(const fs::path& temporary, MediaRow row, MediaWriteOptions options) {
    // The temporary goes away on every failure before its file is placed.
    struct RemoveUnlessPlaced {
        const fs::path& path;
        bool placed = false;
        ~RemoveUnlessPlaced() {
            if (!placed) ::unlink(path.c_str());
        }
    } temporaryGuard{temporary};

    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto transaction = TRY(sql::WriteTransaction::begin(*database_));

    // 1. A file number no other file has: the counter, past any name that is
    //    taken already. Moving without replacing makes a taken name visible.
    std::int64_t number = TRY(database_->queryInteger("SELECT value FROM counters WHERE name = 'next_file_number'"));
    std::string devicePath;
    for (int taken = 0;; ++taken, ++number) {
        if (taken >= kMaximumTakenNames)
            return makeError(ErrorCode::IOError, "no free media file name near number " + std::to_string(number));
        devicePath = mediaDevicePath(number, row.extension);
        if (TRY(durable::placeWithoutReplacing(temporary, hostPath(devicePath))) == durable::Placement::Placed) break;
    }
    temporaryGuard.placed = true;
    fs::path finalFile = hostPath(devicePath);

    // From here on a failure removes the placed file, unless its row made it
    // into the index after all.
    AssetRecord record{0,
                       makeUUID(),
                       row.kind,
                       devicePath,
                       row.extension,
                       row.orientation,
                       std::move(row.metadataPropertyList),
                       secondsSinceReferenceDateNow(),
                       row.byteSize};
    auto abandon = [&](foundation::Error error) -> ErrorOr<AssetRecord> {
        transaction.rollback();
        // Only this write's own file, known to have no row, is removed; when
        // the index cannot say, the file stays, and the next open that finds
        // it without a row adds it to the camera roll.
        auto lookup = database_->prepare("SELECT COUNT(*) FROM assets WHERE uuid = ?");
        if (lookup) {
            lookup->bind(1, record.uuid);
            auto row = lookup->step();
            if (row && row.value() && lookup->columnInt64(0) == 0) ::unlink(finalFile.c_str());
        }
        return error;
    };

    // 2. The new name on disk before the row that points at it.
    if (auto synced = durable::syncFolder(finalFile.parent_path()); !synced) return abandon(synced.error());
    notifyStep(WriteStep::MediaPlaced);
    if (options.failBeforeCommitForTesting)
        return abandon(makeError(ErrorCode::IOError, "write failed before commit (test seam)"));

    // 3. The row, its place at the end of the saved-photos group, and the
    //    counter past the number used, all in the one transaction.
    auto inserted = insertAssetIntoSavedPhotos(*database_, record);
    if (!inserted) return abandon(inserted.error());
    record.id = inserted.value();
    if (auto advanced = advanceFileNumberCounter(*database_, number + 1); !advanced) return abandon(advanced.error());
    if (auto committed = transaction.commit(); !committed) return abandon(committed.error());
    return record;
}

}  // namespace assets
