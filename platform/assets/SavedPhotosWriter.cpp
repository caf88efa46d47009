#include "platform/assets/SavedPhotosWriter.h"

#include "platform/assets/AssetOrientation.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/LibraryErrors.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/VideoFormat.h"
#include "platform/imageio/ImageCodecs.h"

#include <system_error>

namespace fs = std::filesystem;

namespace assets {

namespace {

WriteOutcome refused(long code, std::string_view reason) { return {nullptr, libraryError(code, reason)}; }

WriteOutcome outcomeOf(const ErrorOr<AssetRecord>& stored, std::optional<long> injectedFailure) {
    if (!stored) {
        if (injectedFailure) return refused(*injectedFailure, stored.error().message);
        return {nullptr, writeError(stored.error())};
    }
    return {foundation::NSURL::URLWithString(assetURLString(stored->uuid, stored->extension)), nullptr};
}

}  // namespace

WriteOutcome writeImageData(PhotoStore& store, const NSDataRef& imageData, const std::optional<NSDictionary>& metadata,
                            std::optional<long> injectedFailure) {
    if (!imageData || imageData->empty()) return refused(ALAssetsLibraryWriteInvalidDataError, "no image data");
    // The whole image is checked, not only its signature looked at, so that
    // a truncated or corrupt file never becomes an asset that cannot be shown.
    auto decoded = imageio::inspectImage(imageData);
    if (!decoded)
        return refused(ALAssetsLibraryWriteInvalidDataError, "the data is not an image in a format the library knows");

    NewPhoto photo;
    photo.bytes = *imageData;
    photo.extension = imageio::fileExtension(decoded->format);
    photo.orientation = resolveAssetOrientation(metadata, decoded->exifOrientation);
    photo.metadata = metadata;
    return outcomeOf(store.addPhoto(photo, {.failBeforeCommitForTesting = injectedFailure.has_value()}),
                     injectedFailure);
}

std::optional<fs::path> videoHostFile(const PhotoStore& store, const NSURLRef& videoFileURL) {
    if (!videoFileURL || !videoFileURL->isFileURL()) return std::nullopt;
    std::string path = videoFileURL->path();
    if (path.empty()) return std::nullopt;
    return store.hostPath(path);
}

WriteOutcome writeVideoFile(PhotoStore& store, const NSURLRef& videoFileURL, std::optional<long> injectedFailure) {
    auto hostFile = videoHostFile(store, videoFileURL);
    if (!hostFile) return refused(ALAssetsLibraryWriteInvalidDataError, "no video file URL");
    std::error_code ec;
    if (!fs::is_regular_file(*hostFile, ec))
        return refused(ALAssetsLibraryWriteFailedError, "cannot read the video file " + videoFileURL->path());
    auto format = sniffVideoFile(*hostFile);
    if (!format) return refused(ALAssetsLibraryWriteInvalidDataError, videoFileURL->path() + " is not a movie");
    return outcomeOf(store.addVideo(*hostFile, *format, {.failBeforeCommitForTesting = injectedFailure.has_value()}),
                     injectedFailure);
}

}  // namespace assets
