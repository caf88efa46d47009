#include "tests/hook/PhotoLibraryContents.h"

#include <future>

namespace phototest {

namespace {

std::vector<assets::ALAssetsGroupRef> groupsOf(assets::ALAssetsGroupType type) {
    auto library = assets::ALAssetsLibrary::create();
    std::vector<assets::ALAssetsGroupRef> groups;
    std::promise<void> done;
    library->enumerateGroupsWithTypes(
        type,
        [&](assets::ALAssetsGroupRef group, bool*) {
            if (group) {
                groups.push_back(std::move(group));
            } else {
                done.set_value();
            }
        },
        [&](assets::NSErrorRef) { done.set_value(); });
    done.get_future().wait();
    return groups;
}

std::string nameOf(const assets::ALAssetsGroupRef& group) {
    auto name = group->valueForProperty(assets::ALAssetsGroupPropertyName);
    return name && name->string() ? *name->string() : std::string();
}

std::vector<StoredAsset> contentsOf(const assets::ALAssetsGroupRef& group) {
    std::vector<StoredAsset> stored;
    group->enumerateAssetsUsingBlock([&](assets::ALAssetRef asset, std::uint64_t, bool*) {
        if (!asset) return;
        auto type = asset->valueForProperty(assets::ALAssetPropertyType);
        stored.push_back({asset->assetURL() ? asset->assetURL()->absoluteString() : std::string(),
                          type && type->string() ? *type->string() : std::string(),
                          asset->defaultRepresentation()->fullResolutionImage()});
    });
    return stored;
}

}  // namespace

std::vector<StoredAsset> assetsIn(const std::string& name, assets::ALAssetsGroupType type) {
    for (const auto& group : groupsOf(type)) {
        if (nameOf(group) == name) return contentsOf(group);
    }
    return {};
}

std::vector<StoredAsset> cameraRoll() {
    auto groups = groupsOf(assets::ALAssetsGroupSavedPhotos);
    return groups.empty() ? std::vector<StoredAsset>() : contentsOf(groups.front());
}

std::vector<std::string> albumNames() {
    std::vector<std::string> names;
    for (const auto& group : groupsOf(assets::ALAssetsGroupAlbum)) names.push_back(nameOf(group));
    return names;
}

}  // namespace phototest
