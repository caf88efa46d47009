// Opening the photo store: the connection, the schema, and the cleaning of
// what crashed writers left behind.
#include "platform/assets/PhotoStore.h"

#include "platform/assets/PhotoStoreSchema.h"
#include "platform/assets/SqliteDatabase.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"

#include <chrono>
#include <map>
#include <thread>
#include <unistd.h>
#include <unordered_set>

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
        auto mode = database.prepare("PRAGMA journal_mode = WAL");
        if (!mode) return mode.error();
        auto row = mode->step();
        if (row) return {};
        if (row.error().code != foundation::ErrorCode::Unavailable || attempt >= 100) return row.error();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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
    if (database_) foundation::NSLog("Photo library: the index at %s was removed or replaced; opening it again",
                                     databaseFile_.string());
    database_.reset();
    cachedGroups_.reset();
    return openLocked();
}

ErrorOr<void> PhotoStore::openLocked() {
    std::error_code ec;
    for (const char* folder : {kPhotoDataDevicePath, kDCIMDevicePath, kIncomingDevicePath}) {
        fs::create_directories(hostPath(folder), ec);
        if (ec) return foundation::makeError(foundation::ErrorCode::IOError,
                                             "cannot create " + hostPath(folder).string() + ": " + ec.message());
    }
    auto opened = sql::Database::open(databaseFile_, busyTimeout_);
    if (!opened) return opened.error();
    auto database = std::move(opened).value();
    auto wal = enableWriteAheadLog(*database);
    if (!wal) return wal;
    // FULL: a committed asset survives a power loss, not only a crash.
    // cache_size: SQLite's own page cache grows with the index up to its 2 MB
    // default, which a long-running app pays as resident memory; the index is
    // appended to and read by key, so 256 KiB keeps the tree's inner pages
    // and the system's file cache holds the rest.
    auto settings =
        database->execute("PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON; PRAGMA cache_size = -256");
    if (!settings) return settings;
    auto migrated = migrateSchema(*database);
    if (!migrated) return migrated;

    database_ = std::move(database);
    cleanLeftoversLocked();
    return {};
}

void PhotoStore::cleanLeftoversLocked() {
    std::error_code ec;
    int removed = 0;

    // 1. Temporaries whose writer is gone. A live writer's temporary is left
    //    alone: it is about to become a media file.
    for (const auto& entry : fs::directory_iterator(hostPath(kIncomingDevicePath), ec)) {
        auto writer = temporaryFileWriter(entry.path().filename().string());
        if (writer && !processIsAlive(*writer) && ::unlink(entry.path().c_str()) == 0) ++removed;
    }

    // 2. Media files without a row. A writer moves its file into place and
    //    commits its row while holding the write lock, so with the lock held
    //    here every file is either committed or left by a writer that died.
    auto transaction = sql::WriteTransaction::begin(*database_);
    if (!transaction) {
        foundation::NSLog("Photo library: leftover media not checked, the library is busy: %s",
                          transaction.error().message);
        return;
    }
    std::unordered_set<std::string> known;
    {
        auto paths = database_->prepare("SELECT file_path FROM assets");
        if (!paths) return;
        auto row = paths->step();
        for (; row && row.value(); row = paths->step()) known.insert(paths->columnText(0));
        if (!row) return;  // Without the full list no file can be judged an orphan.
    }
    fs::path dcim = hostPath(kDCIMDevicePath);
    for (const auto& folder : fs::directory_iterator(dcim, ec)) {
        std::string folderName = folder.path().filename().string();
        if (!isCameraFolderName(folderName) || !folder.is_directory(ec)) continue;
        for (const auto& file : fs::directory_iterator(folder.path(), ec)) {
            std::string name = file.path().filename().string();
            if (!isMediaFileName(name) || !file.is_regular_file(ec)) continue;
            std::string devicePath = std::string(kDCIMDevicePath) + "/" + folderName + "/" + name;
            if (!known.count(devicePath) && ::unlink(file.path().c_str()) == 0) ++removed;
        }
    }
    transaction->rollback();  // Nothing was written; just give the lock back.
    if (removed > 0) foundation::NSLog("Photo library: removed %d leftover file(s) of interrupted writes", removed);
}

}  // namespace assets
