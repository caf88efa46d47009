// Reading a file that something other than this system may have put in place
// (a settings file, a filter or specifier list, a strings table, a picture,
// an import): it may be a FIFO, a device, a folder or a huge file. The reader
// never blocks on opening, accepts only a regular file within a size limit,
// and says why it refused anything else.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace foundation {

// The whole contents of `hostFile`. Errors: NotFound (no such file),
// PermissionDenied, Malformed ("not a regular file"), TooLarge (more than
// `maximumBytes`), IOError; each message names the file and the cause.
ErrorOr<std::string> readRegularFile(const std::filesystem::path& hostFile, std::size_t maximumBytes);

}  // namespace foundation
