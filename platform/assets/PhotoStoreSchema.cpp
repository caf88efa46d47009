#include "platform/assets/PhotoStoreSchema.h"

#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/ReferenceDate.h"

#include <string>

namespace assets {

namespace {

using foundation::ErrorOr;

// Version 1: assets, groups (saved photos 16, albums 2, events 4, faces 8,
// photo stream 32), ordered album membership, and the counter of media
// file numbers.
constexpr const char* kVersion1 = R"sql(
CREATE TABLE assets (
    id INTEGER PRIMARY KEY,
    uuid TEXT NOT NULL UNIQUE,
    kind INTEGER NOT NULL CHECK (kind IN (0, 1)),
    file_path TEXT NOT NULL UNIQUE,
    extension TEXT NOT NULL,
    orientation INTEGER NOT NULL DEFAULT 0 CHECK (orientation BETWEEN 0 AND 7),
    metadata BLOB,
    created REAL NOT NULL,
    byte_size INTEGER NOT NULL
);
CREATE TABLE groups (
    id INTEGER PRIMARY KEY,
    uuid TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    type INTEGER NOT NULL CHECK (type IN (2, 4, 8, 16, 32)),
    created REAL NOT NULL
);
CREATE UNIQUE INDEX one_saved_photos_group ON groups (type) WHERE type = 16;
CREATE INDEX groups_by_name ON groups (name);
CREATE TABLE memberships (
    group_id INTEGER NOT NULL REFERENCES groups (id) ON DELETE CASCADE,
    asset_id INTEGER NOT NULL REFERENCES assets (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    PRIMARY KEY (group_id, asset_id)
) WITHOUT ROWID;
CREATE UNIQUE INDEX membership_order ON memberships (group_id, position);
CREATE TABLE counters (
    name TEXT PRIMARY KEY,
    value INTEGER NOT NULL
) WITHOUT ROWID;
INSERT INTO counters (name, value) VALUES ('next_file_number', 1);
)sql";

ErrorOr<void> createVersion1(sql::Database& database) {
    TRY(database.execute(kVersion1));
    auto insert = TRY(database.prepare("INSERT INTO groups (uuid, name, type, created) VALUES (?, ?, ?, ?)"));
    insert.bind(1, makeUUID())
        .bind(2, kSavedPhotosGroupName)
        .bind(3, std::int64_t{ALAssetsGroupSavedPhotos})
        .bindReal(4, secondsSinceReferenceDateNow());
    return insert.run();
}

}  // namespace

ErrorOr<void> migrateSchema(sql::Database& database) {
    if (TRY(database.queryInteger("PRAGMA user_version")) >= kCurrentSchemaVersion) return {};

    auto transaction = TRY(sql::WriteTransaction::begin(database));
    // Read again under the write lock: another process may have migrated
    // while this one waited for it.
    if (TRY(database.queryInteger("PRAGMA user_version")) < 1) TRY(createVersion1(database));
    TRY(database.execute("PRAGMA user_version = " + std::to_string(kCurrentSchemaVersion)));
    return transaction.commit();
}

}  // namespace assets
