// Opening the photo store: the connection, the schema, an index that is lost
// or unreadable, and what crashed writers left behind.
#include "platform/assets/PhotoStore.h"

#include "platform/assets/IndexRecovery.h"
#include "platform/assets/MediaAdoption.h"
#include "platform/assets/PhotoStoreSchema.h"
#include "platform/assets/SqliteDatabase.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/SystemError.h"

#include <chrono>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace assets {

namespace {

struct SharedStores {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<PhotoStore>> byDeviceRoot;
};

SharedStores& sharedStores() {
    static auto* stores = new SharedStores;  // Lives as long as the process, as the stores do.
    return *stores;
}

ErrorOr<void> enableWriteAheadLog(sql::Database& database) {
    // Switching a new database to WAL needs a moment alone with it; another
    // process opening the same new library at the same time makes this
    // report busy, which passes as soon as that process is done.
    for (int attempt = 0;; ++attempt) {
        auto mode = TRY(database.prepare("PRAGMA journal_mode = WAL"));
        auto row = mode.step();
        if (row) {
            // The pragma answers the mode in force: where the file system
            // cannot share the log's index between processes the old mode
            // stays. Readers that never wait for a writer rest on the log, so
            // a mode that did not take is an error, not a quiet change.
            std::string inForce = row.value() ? mode.columnText(0) : std::string("(none)");
            if (inForce != "wal")
                return foundation::makeError(foundation::ErrorCode::IOError,
                                             "the index cannot use a write-ahead log (journal mode " + inForce + ")");
            return {};
        }
        // Only a busy answer is tried again; any other error goes up as it is.
        if (row.error().code != foundation::ErrorCode::Unavailable || attempt >= 100) return row.error();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Opens the index file (creating it when absent) and brings its schema up to
// date.
ErrorOr<std::unique_ptr<sql::Database>> openIndex(const fs::path& databaseFile, std::chrono::milliseconds busyTimeout) {
    auto database = TRY(sql::Database::open(databaseFile, busyTimeout));
    TRY(enableWriteAheadLog(*database));
    // FULL: a committed asset survives a power loss, not only a crash.
    // cache_size: SQLite's own page cache grows with the index up to its 2 MB
    // default, which a long-running app pays as resident memory; the index is
    // appended to and read by key, so 256 KiB keeps the tree's inner pages and
    // the system's file cache holds the rest.
    TRY(database->execute("PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON; PRAGMA cache_size = -256"));
    TRY(migrateSchema(*database));
    return database;
}

}  // namespace

PhotoStore::PhotoStore(fs::path deviceRoot, std::chrono::milliseconds busyTimeout)
    : deviceRoot_(std::move(deviceRoot)),
      databaseFile_(hostPathIn(deviceRoot_, kDatabaseDevicePath)),
      busyTimeout_(busyTimeout),
      workQueue_(std::make_unique<foundation::DispatchQueue>("photo-library")) {}

PhotoStore::~PhotoStore() {
    if (workQueue_->isCurrent()) {
        // The last task holding the store is finishing on the store's own
        // queue, which cannot wait for its own thread; a helper thread ends
        // the queue once that task has returned.
        std::thread([queue = std::move(workQueue_)]() mutable { queue.reset(); }).detach();
    }
}

std::shared_ptr<PhotoStore> PhotoStore::shared(const fs::path& deviceRoot) {
    auto& stores = sharedStores();
    std::lock_guard lock(stores.mutex);
    auto& store = stores.byDeviceRoot[deviceRoot.lexically_normal().string()];
    if (!store) store.reset(new PhotoStore(deviceRoot.lexically_normal(), kDefaultBusyTimeout));
    return store;
}

std::shared_ptr<PhotoStore> PhotoStore::sharedForCurrentDevice() { return shared(foundation::deviceRoot()); }

std::shared_ptr<PhotoStore> PhotoStore::open(const fs::path& deviceRoot, std::chrono::milliseconds busyTimeout) {
    return std::shared_ptr<PhotoStore>(new PhotoStore(deviceRoot.lexically_normal(), busyTimeout));
}

fs::path PhotoStore::hostPath(std::string_view devicePath) const { return hostPathIn(deviceRoot_, devicePath); }

ErrorOr<void> PhotoStore::prepare() {
    std::lock_guard lock(mutex_);
    return ensureOpenLocked();
}

ErrorOr<void> PhotoStore::ensureOpenLocked() {
    if (database_ && !database_->fileHasMoved()) return {};
    if (database_)
        foundation::NSLog("Photo library: the index at %s was removed or replaced; opening it again",
                          databaseFile_.string());
    database_.reset();
    cachedGroups_.reset();
    return openLocked();
}

ErrorOr<void> PhotoStore::openLocked() {
    std::error_code ec;
    for (const char* folder : {kPhotoDataDevicePath, kDCIMDevicePath, kIncomingDevicePath}) {
        fs::create_directories(hostPath(folder), ec);
        if (ec) return foundation::errorFromErrorCode(ec, "cannot create " + hostPath(folder).string());
    }
    if (hasCompanionsWithoutIndex(databaseFile_)) TRY(moveOrphanedCompanionsAside());
    auto opened = openIndex(databaseFile_, busyTimeout_);
    if (!opened && opened.error().code == foundation::ErrorCode::Malformed)
        opened = moveUnreadableIndexAsideAndOpenAnew(opened.error());
    database_ = TRY(std::move(opened));
    cleanLeftoversLocked();
    return {};
}

ErrorOr<void> PhotoStore::moveOrphanedCompanionsAside() {
    auto lock = TRY(IndexRecoveryLock::acquire(databaseFile_));
    // Another process may have dealt with them while this one waited.
    if (!hasCompanionsWithoutIndex(databaseFile_)) return {};
    auto aside = TRY(moveIndexAside(databaseFile_));
    foundation::NSLog("Photo library: the index at %s is missing; its log moved aside to %s", databaseFile_.string(),
                      aside.string());
    return {};
}

ErrorOr<std::unique_ptr<sql::Database>> PhotoStore::moveUnreadableIndexAsideAndOpenAnew(
    const foundation::Error& whyUnreadable) {
    auto lock = TRY(IndexRecoveryLock::acquire(databaseFile_));
    // Another process may have moved it aside and started a new index while
    // this one waited; then that new index is the one to use.
    auto again = openIndex(databaseFile_, busyTimeout_);
    if (again || again.error().code != foundation::ErrorCode::Malformed) return again;
    auto aside = TRY(moveIndexAside(databaseFile_));
    foundation::NSLog(
        "Photo library: the index at %s cannot be opened (%s); moved aside to %s and rebuilt from the "
        "media files",
        databaseFile_.string(), whyUnreadable.message, aside.string());
    return openIndex(databaseFile_, busyTimeout_);
}

void PhotoStore::cleanLeftoversLocked() {
    // 1. Temporaries whose writer is gone: the only files the library ever
    //    deletes, known by their name. A live writer's temporary is left
    //    alone: it is about to become a media file.
    std::error_code ec;
    int removed = 0;
    for (const auto& entry : fs::directory_iterator(hostPath(kIncomingDevicePath), ec)) {
        auto writer = temporaryFileWriter(entry.path().filename().string());
        if (writer && !processIsAlive(*writer) && ::unlink(entry.path().c_str()) == 0) ++removed;
    }
    if (removed > 0) foundation::NSLog("Photo library: removed %d temporary file(s) of interrupted writes", removed);

    // 2. Media files the index does not list become assets again: all of
    //    them when the index was lost, or the file of a writer that died
    //    just before its commit.
    auto adopted = adoptUnlistedMedia(*database_, deviceRoot_);
    if (!adopted) {
        // They stay on disk, and the next open tries again.
        foundation::NSLog("Photo library: media files the index does not list were not added: %s",
                          adopted.error().message);
    } else if (adopted->adopted > 0) {
        cachedGroups_.reset();
        foundation::NSLog("Photo library: added %d media file(s) the index did not list to the camera roll",
                          adopted->adopted);
    }
}

}  // namespace assets
