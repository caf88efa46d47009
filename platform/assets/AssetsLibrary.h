// The photo library: assets (pictures and videos) in the saved-photos group
// and in user albums, stored for real under the device root (media files in
// /var/mobile/Media/DCIM/..., an SQLite index in /var/mobile/Media/PhotoData).
//
// Every operation does its work off the caller's thread and delivers its
// result blocks later on the delivery queue (foundation::mainQueue()), never
// inside the call. The library's pending work holds the photo store, not the
// ALAssetsLibrary object: what keeps a library object alive is whoever holds
// it, the blocks handed to it included. One exception, as the platform
// chooses: an album creation keeps its library object until its result block
// has run (a test seam turns that off).
#pragma once

#include "platform/foundation/ErrorOr.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/PropertyList.h"
#include "platform/imageio/CGImage.h"
#include "platform/runtime/Selector.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace assets {

using foundation::NSDataRef;
using foundation::NSDictionary;
using foundation::NSErrorRef;
using foundation::NSURLRef;

using ALAssetsGroupType = std::uint32_t;
inline constexpr ALAssetsGroupType ALAssetsGroupLibrary = 1u << 0;
inline constexpr ALAssetsGroupType ALAssetsGroupAlbum = 1u << 1;
inline constexpr ALAssetsGroupType ALAssetsGroupEvent = 1u << 2;
inline constexpr ALAssetsGroupType ALAssetsGroupFaces = 1u << 3;
inline constexpr ALAssetsGroupType ALAssetsGroupSavedPhotos = 1u << 4;
inline constexpr ALAssetsGroupType ALAssetsGroupPhotoStream = 1u << 5;
// Every kind of group except the library group, as on the platform.
inline constexpr ALAssetsGroupType ALAssetsGroupAll = 0xFFFFFFFFu;

inline constexpr const char* ALAssetsGroupPropertyName = "ALAssetsGroupPropertyName";
inline constexpr const char* ALAssetsGroupPropertyType = "ALAssetsGroupPropertyType";
inline constexpr const char* ALAssetsGroupPropertyPersistentID = "ALAssetsGroupPropertyPersistentID";
inline constexpr const char* ALAssetsGroupPropertyURL = "ALAssetsGroupPropertyURL";

inline constexpr const char* ALAssetPropertyType = "ALAssetPropertyType";
inline constexpr const char* ALAssetPropertyOrientation = "ALAssetPropertyOrientation";
inline constexpr const char* ALAssetPropertyDate = "ALAssetPropertyDate";
inline constexpr const char* ALAssetPropertyAssetURL = "ALAssetPropertyAssetURL";
inline constexpr const char* ALAssetTypePhoto = "ALAssetTypePhoto";
inline constexpr const char* ALAssetTypeVideo = "ALAssetTypeVideo";

inline constexpr const char* ALAssetsLibraryErrorDomain = "ALAssetsLibraryErrorDomain";
enum ALAssetsLibraryError : long {
    ALAssetsLibraryUnknownError = -1,
    ALAssetsLibraryWriteFailedError = -3300,
    ALAssetsLibraryWriteBusyError = -3301,
    ALAssetsLibraryWriteInvalidDataError = -3302,
    ALAssetsLibraryWriteIncompatibleDataError = -3303,
    ALAssetsLibraryWriteDataEncodingError = -3304,
    ALAssetsLibraryWriteDiskSpaceError = -3305,
    ALAssetsLibraryDataUnavailableError = -3310,
    ALAssetsLibraryAccessUserDeniedError = -3311,
    ALAssetsLibraryAccessGloballyDeniedError = -3312,
};

class ALAsset;
class ALAssetsGroup;
class ALAssetRepresentation;
using ALAssetRef = std::shared_ptr<ALAsset>;
using ALAssetsGroupRef = std::shared_ptr<ALAssetsGroup>;

using ALAssetsLibraryWriteImageCompletionBlock = std::function<void(NSURLRef assetURL, NSErrorRef error)>;
using ALAssetsLibraryWriteVideoCompletionBlock = std::function<void(NSURLRef assetURL, NSErrorRef error)>;
using ALAssetsLibraryGroupsEnumerationResultsBlock = std::function<void(ALAssetsGroupRef group, bool* stop)>;
using ALAssetsLibraryAccessFailureBlock = std::function<void(NSErrorRef error)>;
using ALAssetsLibraryAssetForURLResultBlock = std::function<void(ALAssetRef asset)>;
using ALAssetsLibraryGroupResultBlock = std::function<void(ALAssetsGroupRef group)>;
using ALAssetsGroupEnumerationResultsBlock = std::function<void(ALAssetRef result, std::uint64_t index, bool* stop)>;

class PhotoStore;  // The on-disk library shared by every library object of the process.
struct AssetRecord;
struct GroupRecord;

class ALAssetsLibrary : public objc::Object {
public:
    // `[[ALAssetsLibrary alloc] init]`: a library object over the photo
    // library of the current device root.
    static std::shared_ptr<ALAssetsLibrary> create();
    // A library object over the photo library of another device root, for
    // tools and benchmarks that keep several libraries in one process while
    // the process's own device root stays fixed.
    static std::shared_ptr<ALAssetsLibrary> createForDeviceRoot(const std::filesystem::path& deviceRoot);
    // The runtime's class "ALAssetsLibrary", registered on first use (without
    // opening the photo library).
    static objc::Class libraryClass();
    ~ALAssetsLibrary() override;

    // Waits until every operation started so far in this process has
    // delivered its results, with every operation those deliveries started in
    // turn: what a host calls before it exits, so that no save is cut short.
    // Never call it on the delivery queue.
    static void waitForPendingOperations();

    // Stores encoded image data (any format the image decoder knows) with a
    // metadata dictionary as a new asset of the saved-photos group; then the
    // block gets the new asset's URL and no error, or no URL and an error
    // (absent or undecodable data: -3302; no space: -3305; access refused:
    // -3311).
    void writeImageDataToSavedPhotosAlbum(NSDataRef imageData, std::optional<NSDictionary> metadata,
                                          ALAssetsLibraryWriteImageCompletionBlock completionBlock);
    // The same for a video file, given by its file URL (a device path).
    void writeVideoAtPathToSavedPhotosAlbum(NSURLRef videoPathURL,
                                            ALAssetsLibraryWriteVideoCompletionBlock completionBlock);
    bool videoAtPathIsCompatibleWithSavedPhotosAlbum(const NSURLRef& videoPathURL) const;

    // Calls `enumerationBlock` once per group of the kinds in `types`, one
    // call at a time, until the block sets `*stop`; then once more with no
    // group. If the library cannot be read, calls `failureBlock` instead.
    void enumerateGroupsWithTypes(ALAssetsGroupType types,
                                  ALAssetsLibraryGroupsEnumerationResultsBlock enumerationBlock,
                                  ALAssetsLibraryAccessFailureBlock failureBlock);
    // Fetches the asset with this URL: the result block gets it, or no asset
    // for an unknown or malformed URL; the failure block gets an error when
    // access is refused.
    void assetForURL(NSURLRef assetURL, ALAssetsLibraryAssetForURLResultBlock resultBlock,
                     ALAssetsLibraryAccessFailureBlock failureBlock);
    // Creates a user album. The result block gets the new group, or no group
    // when an album of that name exists already or the name is empty.
    void addAssetsGroupAlbumWithName(std::string name, ALAssetsLibraryGroupResultBlock resultBlock,
                                     ALAssetsLibraryAccessFailureBlock failureBlock);

    // False for addAssetsGroupAlbumWithName:resultBlock:failureBlock: while
    // the test seam says album creation is unavailable.
    bool respondsToSelector(objc::SEL selector) const override;

    const std::shared_ptr<PhotoStore>& store() const { return store_; }

protected:
    friend objc::Allocation;
    explicit ALAssetsLibrary(objc::Class cls);
    ALAssetsLibrary(objc::Class cls, std::shared_ptr<PhotoStore> store);

private:
    std::shared_ptr<PhotoStore> store_;
};

class ALAssetsGroup : public objc::Object {
public:
    // Reads the group's record from the store now: the group, no group for an
    // id the store does not know, or the error that kept the store from
    // answering.
    static foundation::ErrorOr<ALAssetsGroupRef> readFromStore(std::shared_ptr<PhotoStore> store, std::int64_t groupId);
    // With the record already read (an enumeration reads every group in one
    // query), so that reading the name or type never touches the database.
    static std::shared_ptr<ALAssetsGroup> create(std::shared_ptr<PhotoStore> store,
                                                 std::shared_ptr<const GroupRecord> record);

    // ALAssetsGroupPropertyName (string), ALAssetsGroupPropertyType (number),
    // ALAssetsGroupPropertyPersistentID and ALAssetsGroupPropertyURL
    // (strings); absent for any other key.
    std::optional<foundation::PlistValue> valueForProperty(std::string_view property) const;
    bool isEditable() const;
    // Adds an asset of the library to this group (at the end of its order);
    // true when added or already there, false when refused.
    bool addAsset(const ALAssetRef& asset);
    std::int64_t numberOfAssets() const;
    // Calls the block for every asset in the group's order, then once with no
    // asset, and returns when all calls are made.
    void enumerateAssetsUsingBlock(const ALAssetsGroupEnumerationResultsBlock& block) const;

    std::int64_t groupId() const { return groupId_; }
    const std::shared_ptr<PhotoStore>& store() const { return store_; }
    // "ALAssetsGroup - Name:WhatsApp, Type:Album, Assets count:3"
    std::string description() const override;

protected:
    friend objc::Allocation;
    ALAssetsGroup(std::shared_ptr<PhotoStore> store, std::shared_ptr<const GroupRecord> record);

private:
    std::shared_ptr<PhotoStore> store_;
    std::int64_t groupId_;
    std::shared_ptr<const GroupRecord> record_;  // Absent for a group the store does not know.
};

class ALAsset : public objc::Object {
public:
    // Reads the asset's record from the store now: the asset, no asset for an
    // id the store does not know, or the error that kept the store from
    // answering.
    static foundation::ErrorOr<ALAssetRef> readFromStore(std::shared_ptr<PhotoStore> store, std::int64_t assetId);
    static std::shared_ptr<ALAsset> create(std::shared_ptr<PhotoStore> store,
                                           std::shared_ptr<const AssetRecord> record);

    // ALAssetPropertyType, ALAssetPropertyOrientation (number, the
    // orientation numbering of UIImageOrientation), ALAssetPropertyDate,
    // ALAssetPropertyAssetURL; absent for any other key.
    std::optional<foundation::PlistValue> valueForProperty(std::string_view property) const;
    std::shared_ptr<ALAssetRepresentation> defaultRepresentation() const;
    NSURLRef assetURL() const;

    std::int64_t assetId() const { return assetId_; }
    const std::shared_ptr<PhotoStore>& store() const { return store_; }
    // "ALAsset - Type:Photo, URLs:assets-library://asset/asset.PNG?id=...&ext=PNG"
    std::string description() const override;

protected:
    friend objc::Allocation;
    ALAsset(std::shared_ptr<PhotoStore> store, std::shared_ptr<const AssetRecord> record);

private:
    std::shared_ptr<PhotoStore> store_;
    std::int64_t assetId_;
    std::shared_ptr<const AssetRecord> record_;  // Absent for an asset the store does not know.
};

class ALAssetRepresentation : public objc::Object {
public:
    static std::shared_ptr<ALAssetRepresentation> create(std::shared_ptr<PhotoStore> store,
                                                         std::shared_ptr<const AssetRecord> record);

    // The stored bitmap scaled to fit the full-screen size (at most 1920
    // pixels on the longer side), unrotated; absent for a video or an
    // unreadable file.
    imageio::CGImageRef fullScreenImage() const;
    imageio::CGImageRef fullResolutionImage() const;
    std::string filename() const;
    std::int64_t size() const;
    NSURLRef url() const;
    // The metadata dictionary stored with the asset.
    NSDictionary metadata() const;
    // The media file's device path ("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG").
    std::string devicePath() const;

protected:
    friend objc::Allocation;
    ALAssetRepresentation(std::shared_ptr<PhotoStore> store, std::shared_ptr<const AssetRecord> record);

private:
    std::shared_ptr<PhotoStore> store_;
    std::int64_t assetId_;
    std::shared_ptr<const AssetRecord> record_;
};

// The selector that the album saver asks about before creating an album.
inline const objc::TypedSelector<void(std::string, ALAssetsLibraryGroupResultBlock, ALAssetsLibraryAccessFailureBlock)>
    kAddAssetsGroupAlbumWithName{"addAssetsGroupAlbumWithName:resultBlock:failureBlock:"};

// Test seam for the photo library of this process. Each switch holds until it
// is changed back; resetForTesting() turns them all off.
struct AssetsLibraryTestSeam {
    static void resetForTesting();
    // Every operation's failure block (and every write's completion block)
    // gets -3311, as when the user has refused access.
    static void setAccessDeniedForTesting(bool denied);
    // The next `count` writes fail with `code` (for instance -3300 or -3305).
    static void failNextWritesForTesting(int count, long code);
    // ALAssetsGroup::addAsset refuses every asset.
    static void setGroupsRefuseAssetsForTesting(bool refuse);
    // respondsToSelector: answers false for album creation.
    static void setAlbumCreationUnavailableForTesting(bool unavailable);
    // Album creation answers with no group, whatever the name.
    static void setAlbumCreationAnswersNoGroupForTesting(bool noGroup);
    // Album creation does not keep its library object alive until its result
    // block has run, so the block may arrive after the object is gone.
    static void setAlbumCreationReleasesLibraryForTesting(bool release);
    // Blocks the delivery of results until `hold` is set back to false, so a
    // test can drop references before a late block arrives.
    static void setDeliveryHeldForTesting(bool hold);
    // Waits until every operation started so far has delivered its results
    // (or, while delivery is held, is waiting for the release). Never call it
    // on the delivery queue.
    static void drainForTesting();
    // Renames a group in the store directly (the library itself refuses a
    // second album of one name), so tests can make same-named albums.
    static bool renameGroupForTesting(std::int64_t groupId, const std::string& name);
    // Adds a group of any kind (event, faces, photo stream...) to the store:
    // its id, or 0 when it cannot be added.
    static std::int64_t addGroupForTesting(const std::string& name, ALAssetsGroupType type);
};

}  // namespace assets
