// An asset's rows in the index: the asset itself and its place at the end of
// the saved-photos group. A new write and the adoption of media files the
// index does not list both go through here, inside their write transaction.
#pragma once

#include "platform/assets/AssetRecords.h"
#include "platform/assets/SqliteDatabase.h"

#include <cstdint>

namespace assets {

// Inserts the asset (its id is ignored) at the end of the saved-photos group
// and answers its new id.
foundation::ErrorOr<std::int64_t> insertAssetIntoSavedPhotos(sql::Database& database, const AssetRecord& record);

// Moves the file-number counter to at least `nextNumber`, never back.
foundation::ErrorOr<void> advanceFileNumberCounter(sql::Database& database, std::int64_t nextNumber);

}  // namespace assets
