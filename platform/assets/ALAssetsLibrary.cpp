// The library object: each operation takes what it needs (the store, the
// caller's blocks, a snapshot of the test seam), does its work on the
// store's work queue, and hands its results to the delivery queue.
#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/Delivery.h"
#include "platform/assets/LibraryErrors.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/SavedPhotosWriter.h"
#include "platform/assets/TestSeamState.h"
#include "platform/assets/VideoFormat.h"

#include <vector>

namespace assets {

namespace {

NSErrorRef accessDenied() { return libraryError(ALAssetsLibraryAccessUserDeniedError); }

// Reports an error to a failure block, if there is one. The store's errors
// reach it turned into the platform's (readError, writeError): the phone's
// callers know only those codes, and the store's message goes along as the
// failure reason.
void deliverFailure(delivery::Operation operation, ALAssetsLibraryAccessFailureBlock failureBlock, NSErrorRef error) {
    if (!failureBlock) return;
    delivery::deliver(std::move(operation),
                      [failureBlock = std::move(failureBlock), error = std::move(error)] { failureBlock(error); });
}

void addAssetsGroupAlbumImplementation(objc::id self, objc::SEL, std::string name,
                                       ALAssetsLibraryGroupResultBlock resultBlock,
                                       ALAssetsLibraryAccessFailureBlock failureBlock) {
    auto* library = dynamic_cast<ALAssetsLibrary*>(self);
    if (!library) return;
    library->addAssetsGroupAlbumWithName(std::move(name), std::move(resultBlock), std::move(failureBlock));
}

// The class is known by name from the moment the library is loaded, as the
// platform's classes are.
[[maybe_unused]] const objc::Class registeredAtLoad = ALAssetsLibrary::libraryClass();

}  // namespace

objc::Class ALAssetsLibrary::libraryClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass("ALAssetsLibrary", nullptr, [](objc::Class allocated) {
            return std::static_pointer_cast<objc::Object>(objc::make<ALAssetsLibrary>(allocated));
        });
        objc::class_addMethod(made, kAddAssetsGroupAlbumWithName, &addAssetsGroupAlbumImplementation);
        return made;
    }();
    return cls;
}

std::shared_ptr<ALAssetsLibrary> ALAssetsLibrary::create() {
    auto made = std::dynamic_pointer_cast<ALAssetsLibrary>(objc::allocInit(libraryClass()));
    return made ? made : objc::make<ALAssetsLibrary>(libraryClass());
}

std::shared_ptr<ALAssetsLibrary> ALAssetsLibrary::createForDeviceRoot(const std::filesystem::path& deviceRoot) {
    return objc::make<ALAssetsLibrary>(libraryClass(), PhotoStore::shared(deviceRoot));
}

ALAssetsLibrary::ALAssetsLibrary(objc::Class cls) : ALAssetsLibrary(cls, PhotoStore::sharedForCurrentDevice()) {}

ALAssetsLibrary::ALAssetsLibrary(objc::Class cls, std::shared_ptr<PhotoStore> store)
    : objc::Object(cls ? cls : libraryClass()), store_(std::move(store)) {}

ALAssetsLibrary::~ALAssetsLibrary() = default;

void ALAssetsLibrary::waitForPendingOperations() { delivery::drain(); }

void ALAssetsLibrary::writeImageDataToSavedPhotosAlbum(NSDataRef imageData, std::optional<NSDictionary> metadata,
                                                       ALAssetsLibraryWriteImageCompletionBlock completionBlock) {
    auto operation = delivery::begin();
    bool denied = seam::current().accessDenied;
    auto injectedFailure = denied ? std::nullopt : seam::claimWriteFailure();
    store_->workQueue().async([store = store_, operation, imageData = std::move(imageData),
                               metadata = std::move(metadata), completionBlock = std::move(completionBlock), denied,
                               injectedFailure]() mutable {
        WriteOutcome outcome = denied ? WriteOutcome{nullptr, accessDenied()}
                                      : writeImageData(*store, imageData, metadata, injectedFailure);
        if (!completionBlock) return;
        delivery::deliver(std::move(operation), [completionBlock = std::move(completionBlock), outcome] {
            completionBlock(outcome.assetURL, outcome.error);
        });
    });
}

void ALAssetsLibrary::writeVideoAtPathToSavedPhotosAlbum(NSURLRef videoPathURL,
                                                         ALAssetsLibraryWriteVideoCompletionBlock completionBlock) {
    auto operation = delivery::begin();
    bool denied = seam::current().accessDenied;
    auto injectedFailure = denied ? std::nullopt : seam::claimWriteFailure();
    store_->workQueue().async([store = store_, operation, videoPathURL = std::move(videoPathURL),
                               completionBlock = std::move(completionBlock), denied, injectedFailure]() mutable {
        WriteOutcome outcome = denied ? WriteOutcome{nullptr, accessDenied()}
                                      : writeVideoFile(*store, videoPathURL, injectedFailure);
        if (!completionBlock) return;
        delivery::deliver(std::move(operation), [completionBlock = std::move(completionBlock), outcome] {
            completionBlock(outcome.assetURL, outcome.error);
        });
    });
}

bool ALAssetsLibrary::videoAtPathIsCompatibleWithSavedPhotosAlbum(const NSURLRef& videoPathURL) const {
    auto hostFile = videoHostFile(*store_, videoPathURL);
    return hostFile && sniffVideoFile(*hostFile).has_value();
}

void ALAssetsLibrary::enumerateGroupsWithTypes(ALAssetsGroupType types,
                                               ALAssetsLibraryGroupsEnumerationResultsBlock enumerationBlock,
                                               ALAssetsLibraryAccessFailureBlock failureBlock) {
    auto operation = delivery::begin();
    bool denied = seam::current().accessDenied;
    store_->workQueue().async([store = store_, operation, types, enumerationBlock = std::move(enumerationBlock),
                               failureBlock = std::move(failureBlock), denied]() mutable {
        if (denied) return deliverFailure(std::move(operation), std::move(failureBlock), accessDenied());
        auto records = store->allGroups();
        if (!records) return deliverFailure(std::move(operation), std::move(failureBlock), readError(records.error()));
        if (!enumerationBlock) return;
        delivery::deliver(std::move(operation), [store = std::move(store), all = std::move(records).value(), types,
                                                 enumerationBlock = std::move(enumerationBlock)] {
            // One call at a time, on this one thread; after the last group or
            // a stop, exactly one call with no group. Each group object is
            // made just before its call, with its record (which stays in the
            // store's shared list) so that reading its name or type never
            // touches the database; one the block does not keep is gone
            // before the next is made.
            bool stop = false;
            for (const auto& record : *all) {
                if (!(record.type & types)) continue;
                enumerationBlock(ALAssetsGroup::create(store, std::shared_ptr<const GroupRecord>(all, &record)), &stop);
                if (stop) break;
            }
            bool stopAfterEnd = stop;
            enumerationBlock(nullptr, &stopAfterEnd);
        });
    });
}

void ALAssetsLibrary::assetForURL(NSURLRef assetURL, ALAssetsLibraryAssetForURLResultBlock resultBlock,
                                  ALAssetsLibraryAccessFailureBlock failureBlock) {
    auto operation = delivery::begin();
    bool denied = seam::current().accessDenied;
    store_->workQueue().async([store = store_, operation, assetURL = std::move(assetURL),
                               resultBlock = std::move(resultBlock), failureBlock = std::move(failureBlock),
                               denied]() mutable {
        if (denied) return deliverFailure(std::move(operation), std::move(failureBlock), accessDenied());
        ALAssetRef asset;
        if (auto parts = assetURL ? parseAssetURL(assetURL->absoluteString()) : std::nullopt) {
            auto record = store->assetWithUUID(parts->uuid);
            if (!record)
                return deliverFailure(std::move(operation), std::move(failureBlock), readError(record.error()));
            // The URL must name the asset's own extension too: a URL that
            // borrows another asset's id with the wrong type names nothing.
            if (record.value() && record.value()->extension == parts->extension)
                asset = ALAsset::create(store, std::make_shared<const AssetRecord>(std::move(*record.value())));
        }
        if (!resultBlock) return;
        delivery::deliver(std::move(operation),
                          [resultBlock = std::move(resultBlock), asset = std::move(asset)] { resultBlock(asset); });
    });
}

void ALAssetsLibrary::addAssetsGroupAlbumWithName(std::string name, ALAssetsLibraryGroupResultBlock resultBlock,
                                                  ALAssetsLibraryAccessFailureBlock failureBlock) {
    auto operation = delivery::begin();
    auto switches = seam::current();
    // The platform keeps the library object of an album creation alive
    // until the result block has run; the test seam can let it go.
    std::shared_ptr<objc::Object> keptLibrary = switches.albumCreationReleasesLibrary ? nullptr : retain();
    store_->workQueue().async([store = store_, operation, name = std::move(name), resultBlock = std::move(resultBlock),
                               failureBlock = std::move(failureBlock), switches,
                               keptLibrary = std::move(keptLibrary)]() mutable {
        if (switches.accessDenied) return deliverFailure(std::move(operation), std::move(failureBlock), accessDenied());
        ALAssetsGroupRef group;
        if (!switches.albumCreationAnswersNoGroup) {
            auto created = store->createAlbumUnlessNameTaken(name);
            if (!created)
                return deliverFailure(std::move(operation), std::move(failureBlock), writeError(created.error()));
            if (created.value())
                group = ALAssetsGroup::create(store, std::make_shared<const GroupRecord>(std::move(*created.value())));
        }
        delivery::deliver(std::move(operation), [resultBlock = std::move(resultBlock), group = std::move(group),
                                                 keptLibrary = std::move(keptLibrary)]() mutable {
            if (resultBlock) resultBlock(group);
            // Let the library object go only after the block has run.
            keptLibrary.reset();
        });
    });
}

bool ALAssetsLibrary::respondsToSelector(objc::SEL selector) const {
    if (selector == kAddAssetsGroupAlbumWithName.sel() && seam::current().albumCreationUnavailable) return false;
    return objc::Object::respondsToSelector(selector);
}

}  // namespace assets
