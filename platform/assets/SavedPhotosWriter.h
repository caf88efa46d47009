// The two writes into the saved-photos group, as the library's write calls
// do them on the store's work queue: checking what they are given, choosing
// the asset's extension and orientation, and turning the store's answer into
// the asset URL or the error that the completion block receives.
#pragma once

#include "platform/assets/AssetsLibrary.h"

#include <filesystem>
#include <optional>

namespace assets {

class PhotoStore;

struct WriteOutcome {
    NSURLRef assetURL;
    NSErrorRef error;
};

// Absent data, or data that does not decode as a whole image, is refused
// with -3302; `injectedFailure` (from the test seam) makes the store fail
// just before committing and reports that code.
WriteOutcome writeImageData(PhotoStore& store, const NSDataRef& imageData, const std::optional<NSDictionary>& metadata,
                            std::optional<long> injectedFailure);

// The video is named by a file URL holding a device path. Absent URLs and
// files that are not movies are refused with -3302, a file that cannot be
// read with -3300.
WriteOutcome writeVideoFile(PhotoStore& store, const NSURLRef& videoFileURL, std::optional<long> injectedFailure);

// The host file a video file URL names, or nothing for an absent URL or one
// that is not a file URL.
std::optional<std::filesystem::path> videoHostFile(const PhotoStore& store, const NSURLRef& videoFileURL);

}  // namespace assets
