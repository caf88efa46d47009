// The file steps of a crash-safe write: a temporary file filled and flushed
// to disk, then moved to its final name without ever replacing a file that
// is there, and the folder flushed so the new name survives a power loss.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace assets::durable {

using foundation::ErrorOr;

// Creates a new temporary file named after this process in `folder`, writes
// `bytes` into it and flushes it to disk. On failure nothing is left behind.
ErrorOr<std::filesystem::path> writeTemporary(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes);
// The same with the contents of another file, copied in kernel space where
// the file system allows. `copiedBytes` receives the size.
ErrorOr<std::filesystem::path> copyToTemporary(const std::filesystem::path& folder, const std::filesystem::path& source,
                                               std::int64_t& copiedBytes);

enum class Placement { Placed, NameTaken };
// Moves `from` to `to` unless `to` exists; creates `to`'s folder first.
ErrorOr<Placement> placeWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Flushes a folder's entries to disk.
ErrorOr<void> syncFolder(const std::filesystem::path& folder);

}  // namespace assets::durable
