// Assets and their default representations: what a stored photo or video
// answers about itself, from the record read with it, and the bitmap read
// from its media file on request.
#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/imageio/ImageCodecs.h"

#include <sys/stat.h>

namespace assets {

namespace {

// The longer side of a full-screen image.
constexpr std::uint32_t kFullScreenSide = 1920;

objc::Class assetClass() {
    static objc::Class cls = objc::objc_registerClass("ALAsset", nullptr);
    return cls;
}

objc::Class representationClass() {
    static objc::Class cls = objc::objc_registerClass("ALAssetRepresentation", nullptr);
    return cls;
}

std::string fileName(const std::string& devicePath) {
    auto slash = devicePath.rfind('/');
    return slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
}

}  // namespace

foundation::ErrorOr<ALAssetRef> ALAsset::readFromStore(std::shared_ptr<PhotoStore> store, std::int64_t assetId) {
    if (!store) return ALAssetRef();
    auto record = TRY(store->asset(assetId));
    if (!record) return ALAssetRef();
    return objc::make<ALAsset>(std::move(store), std::make_shared<const AssetRecord>(std::move(*record)));
}

ALAsset::ALAsset(std::shared_ptr<PhotoStore> store, std::shared_ptr<const AssetRecord> record)
    : objc::Object(assetClass()),
      store_(std::move(store)),
      assetId_(record ? record->id : 0),
      record_(std::move(record)) {}

std::shared_ptr<ALAsset> ALAsset::create(std::shared_ptr<PhotoStore> store, std::shared_ptr<const AssetRecord> record) {
    return objc::make<ALAsset>(std::move(store), std::move(record));
}

std::optional<foundation::PlistValue> ALAsset::valueForProperty(std::string_view property) const {
    if (!record_) return std::nullopt;
    if (property == ALAssetPropertyType)
        return foundation::PlistValue(record_->kind == AssetKind::Video ? ALAssetTypeVideo : ALAssetTypePhoto);
    if (property == ALAssetPropertyOrientation) return foundation::PlistValue(record_->orientation);
    if (property == ALAssetPropertyDate)
        return foundation::PlistValue(foundation::PlistDate{record_->createdSinceReferenceDate});
    if (property == ALAssetPropertyAssetURL)
        return foundation::PlistValue(assetURLString(record_->uuid, record_->extension));
    return std::nullopt;
}

std::shared_ptr<ALAssetRepresentation> ALAsset::defaultRepresentation() const {
    if (!record_) return nullptr;
    return ALAssetRepresentation::create(store_, record_);
}

NSURLRef ALAsset::assetURL() const {
    if (!record_) return nullptr;
    return foundation::NSURL::URLWithString(assetURLString(record_->uuid, record_->extension));
}

std::string ALAsset::description() const {
    if (!record_) return "ALAsset - Type:Unknown, URLs:(null)";
    return std::string("ALAsset - Type:") + (record_->kind == AssetKind::Video ? "Video" : "Photo") +
           ", URLs:" + assetURLString(record_->uuid, record_->extension);
}

ALAssetRepresentation::ALAssetRepresentation(std::shared_ptr<PhotoStore> store,
                                             std::shared_ptr<const AssetRecord> record)
    : objc::Object(representationClass()),
      store_(std::move(store)),
      assetId_(record ? record->id : 0),
      record_(std::move(record)) {}

std::shared_ptr<ALAssetRepresentation> ALAssetRepresentation::create(std::shared_ptr<PhotoStore> store,
                                                                     std::shared_ptr<const AssetRecord> record) {
    return objc::make<ALAssetRepresentation>(std::move(store), std::move(record));
}

imageio::CGImageRef ALAssetRepresentation::fullResolutionImage() const {
    if (!record_ || !store_ || record_->kind != AssetKind::Photo) return nullptr;
    auto decoded = imageio::decodeImageFile(store_->hostPath(record_->devicePath));
    return decoded ? decoded->image : nullptr;
}

imageio::CGImageRef ALAssetRepresentation::fullScreenImage() const {
    auto image = fullResolutionImage();
    return image ? imageio::scaledToFit(image, kFullScreenSide) : nullptr;
}

std::string ALAssetRepresentation::filename() const { return record_ ? fileName(record_->devicePath) : std::string(); }

std::int64_t ALAssetRepresentation::size() const { return record_ ? record_->byteSize : 0; }

NSURLRef ALAssetRepresentation::url() const {
    if (!record_) return nullptr;
    return foundation::NSURL::URLWithString(assetURLString(record_->uuid, record_->extension));
}

NSDictionary ALAssetRepresentation::metadata() const {
    if (!record_ || record_->metadataPropertyList.empty()) return {};
    auto parsed = foundation::parsePropertyList(record_->metadataPropertyList);
    if (!parsed || !parsed->dictionary()) return {};
    return *parsed->dictionary();
}

std::string ALAssetRepresentation::devicePath() const { return record_ ? record_->devicePath : std::string(); }

}  // namespace assets
