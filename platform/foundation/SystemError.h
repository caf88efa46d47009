// The system's errors in the platform's terms: one mapping from errno (or a
// std::error_code the file system library reports) to the most specific
// ErrorCode, so that a full disk, a refused permission and a missing file
// reach whoever reports them as what they are. Every message carries the
// system's own words.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace foundation {

inline ErrorCode errorCodeForErrno(int number) {
    switch (number) {
    // A path through something that is no folder names nothing, as a missing
    // folder does.
    case ENOENT:
    case ENOTDIR: return ErrorCode::NotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorCode::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return ErrorCode::NoSpace;
    // The file would pass the size limit of the process or the file system.
    case EFBIG: return ErrorCode::TooLarge;
    // The path cannot be used as given: a link where O_NOFOLLOW wants a file,
    // a loop of links, a folder where a file is written, a name too long.
    case ELOOP:
    case EISDIR:
    case ENAMETOOLONG: return ErrorCode::InvalidArgument;
    default: return ErrorCode::IOError;
    }
}

// `subject` says what failed ("open /path/file", or the file alone); the
// message is "<subject>: <the system's text>".
inline Error errorFromErrno(int number, const std::string& subject) {
    return makeError(errorCodeForErrno(number), subject + ": " + std::strerror(number));
}

inline Error errorFromErrorCode(const std::error_code& error, const std::string& subject) {
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        return errorFromErrno(error.value(), subject);
    return makeError(ErrorCode::IOError, subject + ": " + error.message());
}

}  // namespace foundation
