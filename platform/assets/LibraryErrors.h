// The errors the library hands to result blocks: domain
// "ALAssetsLibraryErrorDomain", the platform's codes and texts, and what
// went wrong underneath as the failure reason.
#pragma once

#include "platform/assets/AssetsLibrary.h"
#include "platform/foundation/ErrorOr.h"

#include <string_view>

namespace assets {

NSErrorRef libraryError(long code, std::string_view reason = {});
// The code for a failed write: -3305 when the disk or the file size limit is
// full, -3301 when the library stayed busy, else -3300.
long writeErrorCode(const foundation::Error& error);
NSErrorRef writeError(const foundation::Error& error);
// A read that failed: -3310, the data is unavailable.
NSErrorRef readError(const foundation::Error& error);

}  // namespace assets
