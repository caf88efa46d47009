// Media files in the camera folders that the index does not list become
// assets of the saved-photos group again, as the phone does when it rebuilds
// its photo database. That is how a lost index is rebuilt (every file is
// unlisted then), and how the file of a writer that died between placing it
// and committing its row is kept: a finished media file is never deleted.
#pragma once

#include "platform/assets/SqliteDatabase.h"

#include <filesystem>

namespace assets {

struct AdoptionCount {
    int adopted = 0;     // became assets
    int unreadable = 0;  // not a photo or movie the library can show: left where they are, unlisted
};

// Lists every unlisted media file, in file-number order, as a new asset at
// the end of the saved-photos group, and moves the file-number counter past
// them. The files are checked first, without a lock; the list is then made
// again and the rows inserted while holding the index's write lock, so that
// a writer's placed file is seen with its row, and a second process doing
// the same sees the rows this one committed. The rows are committed together
// or not at all.
foundation::ErrorOr<AdoptionCount> adoptUnlistedMedia(sql::Database& database, const std::filesystem::path& deviceRoot);

}  // namespace assets
