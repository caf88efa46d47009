// The photo library on disk: media files in the camera folders of a device
// root and the SQLite index beside them ("/var/mobile/Media/PhotoData/
// Photos.sqlite"). Several processes may use one library at once: the index
// runs in WAL mode with a busy timeout, and media file numbers are handed out
// under the index's write lock.
//
// Crash safety. A new media file is written under a temporary name that
// carries the writer's process id, flushed, and then, inside one write
// transaction, moved to its final name, its folder flushed, and its row
// committed. A row is never committed before its file is on disk, and a
// reader holding the write lock never sees a live writer's file half way.
//
// The library never loses a finished photo. Opening it deletes only
// temporaries of processes that no longer exist; a media file without a row
// (a writer died just before its commit, or the index was lost) becomes an
// asset of the saved-photos group again, found while holding the write lock
// so that two processes opening at once add it once. An index that cannot be
// opened is moved aside, never deleted, and a new one is built from the
// media files. Album memberships live only in the index and go with it.
//
// The store's methods are thread-safe (one connection, guarded by a mutex)
// and synchronous; the library objects run them on the store's work queue.
#pragma once

#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/VideoFormat.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorOr.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace assets {

namespace sql {
class Database;
}

using foundation::ErrorOr;

struct NewPhoto {
    std::span<const std::uint8_t> bytes;
    std::string extension;         // "PNG", "JPG", "GIF", "WEBP"
    std::int64_t orientation = 0;  // ALAssetOrientation
    std::optional<foundation::NSDictionary> metadata;
};

struct MediaWriteOptions {
    // Test seam: the write fails just before its row would be committed,
    // after the file has its final name: the point where a crash is hardest
    // to clean up after.
    bool failBeforeCommitForTesting = false;
};

class PhotoStore {
public:
    // The store of this process for a device root: made on first use and
    // kept for the life of the process, like the phone's own library service.
    static std::shared_ptr<PhotoStore> shared(const std::filesystem::path& deviceRoot);
    // shared() for the process's device root.
    static std::shared_ptr<PhotoStore> sharedForCurrentDevice();
    // Long enough for another process's media write (a flush of the file and
    // of the index) to finish; a library busy for longer than this is
    // reported as unavailable.
    static constexpr std::chrono::milliseconds kDefaultBusyTimeout{10'000};
    // A store of its own (own connection, own work queue), for tools and for
    // tests that need to see what a fresh open does.
    static std::shared_ptr<PhotoStore> open(const std::filesystem::path& deviceRoot,
                                            std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);
    ~PhotoStore();
    PhotoStore(const PhotoStore&) = delete;
    PhotoStore& operator=(const PhotoStore&) = delete;

    const std::filesystem::path& deviceRoot() const { return deviceRoot_; }
    std::filesystem::path hostPath(std::string_view devicePath) const;
    // The serial queue on which the library objects do this store's work.
    foundation::DispatchQueue& workQueue() { return *workQueue_; }

    // Opens the index when it is not open, or again when its file has been
    // removed or replaced since: moves an unreadable index aside, creates or
    // migrates the schema, removes temporaries of crashed writers and lists
    // media files the index does not. Every other method calls it first.
    ErrorOr<void> prepare();

    // Every group, in creation order (the saved-photos group first). The list
    // is read in one query and kept until a group is created here or any
    // other connection commits a change, so enumerating many albums again
    // and again costs no database work.
    using GroupList = std::shared_ptr<const std::vector<GroupRecord>>;
    ErrorOr<GroupList> allGroups();
    // The groups of the kinds in `types`, in creation order.
    ErrorOr<std::vector<GroupRecord>> groups(ALAssetsGroupType types);
    ErrorOr<std::optional<GroupRecord>> group(std::int64_t groupId);
    // The first group (in creation order) of any kind with exactly this name.
    ErrorOr<std::optional<GroupRecord>> firstGroupNamed(std::string_view name);
    ErrorOr<std::optional<AssetRecord>> asset(std::int64_t assetId);
    ErrorOr<std::optional<AssetRecord>> assetWithUUID(std::string_view uuid);
    // A group's assets in the group's order.
    ErrorOr<std::vector<AssetRecord>> assetsInGroup(std::int64_t groupId);
    ErrorOr<std::int64_t> numberOfAssets(std::int64_t groupId);
    ErrorOr<std::vector<GroupRecord>> groupsContaining(std::int64_t assetId);

    // Stores a photo as a new asset of the saved-photos group.
    ErrorOr<AssetRecord> addPhoto(const NewPhoto& photo, MediaWriteOptions options = {});
    // Copies a video file (a host path) into the library as a new asset of
    // the saved-photos group.
    ErrorOr<AssetRecord> addVideo(const std::filesystem::path& hostFile, VideoFormat format,
                                  MediaWriteOptions options = {});

    // A new user album, or nothing when the name is empty or any group has
    // that name already (checked and created under the write lock, so two
    // processes cannot both create it).
    ErrorOr<std::optional<GroupRecord>> createAlbumUnlessNameTaken(std::string_view name);
    // A new group of any kind except the saved-photos group, whatever names
    // exist already: albums synced from elsewhere, events, faces, photo
    // stream.
    ErrorOr<GroupRecord> createGroup(std::string_view name, ALAssetsGroupType type);

    // Gives a group another name, whatever names exist already; false for an
    // unknown group. (The library offers no renaming; tools and tests use
    // this to make albums of one name.)
    ErrorOr<bool> renameGroup(std::int64_t groupId, std::string_view name);

    enum class Membership { Added, AlreadyMember, Refused };
    // Puts an asset at the end of a user album. Refused for a group that is
    // not a user album and for an unknown group or asset.
    ErrorOr<Membership> addAssetToGroup(std::int64_t assetId, std::int64_t groupId);
    // Takes an asset out of a user album; false when it was not in it.
    ErrorOr<bool> removeAssetFromGroup(std::int64_t assetId, std::int64_t groupId);

    // Test seams. The observer runs on the writing thread at each step of a
    // media write: after the temporary file is on disk, and after the file
    // has its final name but before its row is committed (the write lock is
    // held then).
    enum class WriteStep { TemporaryWritten, MediaPlaced };
    static void setWriteStepObserverForTesting(std::function<void(WriteStep)> observer);

private:
    PhotoStore(std::filesystem::path deviceRoot, std::chrono::milliseconds busyTimeout);

    struct MediaRow {
        AssetKind kind = AssetKind::Photo;
        std::string extension;
        std::int64_t orientation = 0;
        std::string metadataPropertyList;
        std::int64_t byteSize = 0;
    };
    ErrorOr<AssetRecord> commitMedia(const std::filesystem::path& temporary, MediaRow row, MediaWriteOptions options);
    ErrorOr<void> openLocked();
    ErrorOr<void> ensureOpenLocked();
    ErrorOr<void> moveOrphanedCompanionsAside();
    ErrorOr<std::unique_ptr<sql::Database>> moveUnreadableIndexAsideAndOpenAnew(const foundation::Error& whyUnreadable);
    void cleanLeftoversLocked();

    std::filesystem::path deviceRoot_;
    std::filesystem::path databaseFile_;
    std::chrono::milliseconds busyTimeout_;
    std::mutex mutex_;
    std::unique_ptr<sql::Database> database_;
    // The group list as last read, and the database's data version then.
    GroupList cachedGroups_;
    std::int64_t cachedGroupsDataVersion_ = -1;
    std::unique_ptr<foundation::DispatchQueue> workQueue_;
};

}  // namespace assets
