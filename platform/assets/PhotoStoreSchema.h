// The index's tables and how an older index is brought up to date. The
// schema's version is kept in the database header (PRAGMA user_version), and
// each step from one version to the next runs once, inside the write lock,
// whichever process gets there first.
#pragma once

#include "platform/assets/SqliteDatabase.h"

#include <cstdint>

namespace assets {

inline constexpr std::int64_t kCurrentSchemaVersion = 1;
// The saved-photos group is created with the index and is always there.
inline constexpr const char* kSavedPhotosGroupName = "Camera Roll";

// Brings the index to the current version. Safe to call from several
// processes at once; a no-op when the index is current.
foundation::ErrorOr<void> migrateSchema(sql::Database& database);

}  // namespace assets
