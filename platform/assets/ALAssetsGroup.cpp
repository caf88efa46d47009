#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/TestSeamState.h"
#include "platform/foundation/NSLog.h"

#include <limits>

namespace assets {

namespace {

objc::Class groupClass() {
    static objc::Class cls = objc::objc_registerClass("ALAssetsGroup", nullptr);
    return cls;
}

const char* typeName(ALAssetsGroupType type) {
    switch (type) {
    case ALAssetsGroupSavedPhotos: return "Saved Photos";
    case ALAssetsGroupAlbum: return "Album";
    case ALAssetsGroupEvent: return "Event";
    case ALAssetsGroupFaces: return "Faces";
    case ALAssetsGroupPhotoStream: return "Photo Stream";
    default: return "Unknown";
    }
}

// The index the platform passes with the final call of an asset
// enumeration, which has no asset: NSNotFound.
constexpr std::uint64_t kNotFound = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

foundation::ErrorOr<ALAssetsGroupRef> ALAssetsGroup::readFromStore(std::shared_ptr<PhotoStore> store,
                                                                   std::int64_t groupId) {
    if (!store) return ALAssetsGroupRef();
    auto record = TRY(store->group(groupId));
    if (!record) return ALAssetsGroupRef();
    return objc::make<ALAssetsGroup>(std::move(store), std::make_shared<const GroupRecord>(std::move(*record)));
}

ALAssetsGroup::ALAssetsGroup(std::shared_ptr<PhotoStore> store, std::shared_ptr<const GroupRecord> record)
    : objc::Object(groupClass()),
      store_(std::move(store)),
      groupId_(record ? record->id : 0),
      record_(std::move(record)) {}

std::shared_ptr<ALAssetsGroup> ALAssetsGroup::create(std::shared_ptr<PhotoStore> store,
                                                     std::shared_ptr<const GroupRecord> record) {
    return objc::make<ALAssetsGroup>(std::move(store), std::move(record));
}

std::optional<foundation::PlistValue> ALAssetsGroup::valueForProperty(std::string_view property) const {
    if (!record_) return std::nullopt;
    if (property == ALAssetsGroupPropertyName) return foundation::PlistValue(record_->name);
    if (property == ALAssetsGroupPropertyType) return foundation::PlistValue(std::int64_t{record_->type});
    if (property == ALAssetsGroupPropertyPersistentID) return foundation::PlistValue(record_->uuid);
    if (property == ALAssetsGroupPropertyURL) return foundation::PlistValue(groupURLString(record_->uuid));
    return std::nullopt;
}

bool ALAssetsGroup::isEditable() const { return record_ && isEditableGroupType(record_->type); }

bool ALAssetsGroup::addAsset(const ALAssetRef& asset) {
    if (!asset || !store_ || !asset->store() || !record_) return false;
    auto switches = seam::current();
    if (switches.groupsRefuseAssets || switches.accessDenied) return false;
    // An asset of another library (another device root) is not ours to add.
    if (asset->store()->deviceRoot() != store_->deviceRoot()) return false;
    auto added = store_->addAssetToGroup(asset->assetId(), groupId_);
    // The platform answers only NO; the log keeps why.
    if (!added) foundation::NSLog("Photo library: cannot add an asset to %s: %s", record_->name, added.error().message);
    return added && added.value() != PhotoStore::Membership::Refused;
}

std::int64_t ALAssetsGroup::numberOfAssets() const {
    if (!store_) return 0;
    auto count = store_->numberOfAssets(groupId_);
    if (!count) foundation::NSLog("Photo library: cannot count the assets of a group: %s", count.error().message);
    return count ? count.value() : 0;
}

void ALAssetsGroup::enumerateAssetsUsingBlock(const ALAssetsGroupEnumerationResultsBlock& block) const {
    if (!block) return;
    bool stop = false;
    if (store_) {
        auto records = store_->assetsInGroup(groupId_);
        // The platform's asset enumeration has no failure block: it ends, and
        // the log keeps why.
        if (!records)
            foundation::NSLog("Photo library: cannot list the assets of a group: %s", records.error().message);
        if (records) {
            std::uint64_t index = 0;
            for (auto& record : records.value()) {
                block(ALAsset::create(store_, std::make_shared<const AssetRecord>(std::move(record))), index++, &stop);
                if (stop) break;
            }
        }
    }
    bool stopAfterEnd = stop;
    block(nullptr, kNotFound, &stopAfterEnd);
}

std::string ALAssetsGroup::description() const {
    if (!record_) return "ALAssetsGroup - Name:(null), Type:Unknown, Assets count:0";
    return "ALAssetsGroup - Name:" + record_->name + ", Type:" + typeName(record_->type) +
           ", Assets count:" + std::to_string(numberOfAssets());
}

}  // namespace assets
