#include "platform/assets/LibraryErrors.h"

#include <string>

namespace assets {

namespace {

constexpr const char* kFailureReasonKey = "NSLocalizedFailureReason";

const char* descriptionFor(long code) {
    switch (code) {
    case ALAssetsLibraryWriteFailedError: return "Write failed";
    case ALAssetsLibraryWriteBusyError: return "Write busy";
    case ALAssetsLibraryWriteInvalidDataError: return "Invalid data";
    case ALAssetsLibraryWriteIncompatibleDataError: return "Incompatible data";
    case ALAssetsLibraryWriteDataEncodingError: return "Data encoding failed";
    case ALAssetsLibraryWriteDiskSpaceError: return "Not enough space";
    case ALAssetsLibraryDataUnavailableError: return "Data unavailable";
    case ALAssetsLibraryAccessUserDeniedError: return "User denied access";
    case ALAssetsLibraryAccessGloballyDeniedError: return "Global denied access";
    default: return "Unknown error";
    }
}

}  // namespace

NSErrorRef libraryError(long code, std::string_view reason) {
    foundation::NSDictionary userInfo{{foundation::NSLocalizedDescriptionKey, descriptionFor(code)}};
    if (!reason.empty()) userInfo.emplace(kFailureReasonKey, std::string(reason));
    return foundation::NSError::errorWithDomain(ALAssetsLibraryErrorDomain, code, std::move(userInfo));
}

long writeErrorCode(const foundation::Error& error) {
    switch (error.code) {
    case foundation::ErrorCode::NoSpace:
    case foundation::ErrorCode::TooLarge: return ALAssetsLibraryWriteDiskSpaceError;
    case foundation::ErrorCode::Unavailable: return ALAssetsLibraryWriteBusyError;
    default: return ALAssetsLibraryWriteFailedError;
    }
}

NSErrorRef writeError(const foundation::Error& error) { return libraryError(writeErrorCode(error), error.message); }

NSErrorRef readError(const foundation::Error& error) {
    return libraryError(ALAssetsLibraryDataUnavailableError, error.message);
}

}  // namespace assets
