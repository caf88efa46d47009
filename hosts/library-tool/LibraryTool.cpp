// snapfold-library: looks into the photo library of a device root, and
// changes it, through the same library objects an app uses (so what it shows
// is what any other process sees): the groups with their kinds and sizes, an
// album's assets, one asset's file and metadata; creating albums and other
// groups; importing an image as a new photo.
#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"

#include <cstdio>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

namespace {

using assets::ALAssetsGroupRef;
using assets::ALAssetsLibrary;

constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

int usage() {
    std::fprintf(stderr,
                 "usage: snapfold-library [--device-root DIR] COMMAND\n"
                 "  groups                    list every group: kind, number of assets, name\n"
                 "  album NAME                list the assets of the first group named NAME:\n"
                 "                            asset URL, media file, orientation\n"
                 "  asset URL                 show an asset: media file, groups, metadata\n"
                 "  create-album NAME         create a user album (refused when the name is taken)\n"
                 "  create-group KIND NAME    create a group of a kind: album, event, faces or\n"
                 "                            photo-stream, even when the name is taken\n"
                 "  import FILE [--metadata PLIST]\n"
                 "                            store an image file as a new photo; prints its URL\n");
    return kExitUsage;
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "snapfold-library: %s\n", message.c_str());
    return code;
}

const char* kindName(assets::ALAssetsGroupType type) {
    switch (type) {
    case assets::ALAssetsGroupSavedPhotos: return "saved-photos";
    case assets::ALAssetsGroupAlbum: return "album";
    case assets::ALAssetsGroupEvent: return "event";
    case assets::ALAssetsGroupFaces: return "faces";
    case assets::ALAssetsGroupPhotoStream: return "photo-stream";
    default: return "unknown";
    }
}

std::optional<assets::ALAssetsGroupType> kindNamed(const std::string& name) {
    for (auto type : {assets::ALAssetsGroupAlbum, assets::ALAssetsGroupEvent, assets::ALAssetsGroupFaces,
                      assets::ALAssetsGroupPhotoStream})
        if (name == kindName(type)) return type;
    return std::nullopt;
}

std::string groupName(const ALAssetsGroupRef& group) {
    auto name = group->valueForProperty(assets::ALAssetsGroupPropertyName);
    return name && name->string() ? *name->string() : std::string();
}

std::string describeError(const foundation::NSErrorRef& error) {
    return error ? error->description() : std::string("unknown error");
}

// Every group of the library, in the library's order, or the access error.
struct GroupList {
    std::vector<ALAssetsGroupRef> groups;
    foundation::NSErrorRef error;
};

GroupList allGroups(ALAssetsLibrary& library) {
    auto result = std::make_shared<std::promise<GroupList>>();
    auto groups = std::make_shared<std::vector<ALAssetsGroupRef>>();
    library.enumerateGroupsWithTypes(
        assets::ALAssetsGroupAll,
        [result, groups](ALAssetsGroupRef group, bool*) {
            if (group) {
                groups->push_back(std::move(group));
            } else {
                result->set_value({std::move(*groups), nullptr});
            }
        },
        [result](foundation::NSErrorRef error) { result->set_value({{}, std::move(error)}); });
    return result->get_future().get();
}

int listGroups(ALAssetsLibrary& library) {
    auto list = allGroups(library);
    if (list.error) return fail(kExitNotFound, "cannot read the library: " + describeError(list.error));
    std::printf("%-13s %6s  %s\n", "KIND", "ASSETS", "NAME");
    for (const auto& group : list.groups) {
        auto type = group->valueForProperty(assets::ALAssetsGroupPropertyType);
        auto kind = static_cast<assets::ALAssetsGroupType>(type ? type->integer().value_or(0) : 0);
        std::printf("%-13s %6lld  %s\n", kindName(kind), static_cast<long long>(group->numberOfAssets()),
                    groupName(group).c_str());
    }
    return 0;
}

int listAlbum(ALAssetsLibrary& library, const std::string& name) {
    auto list = allGroups(library);
    if (list.error) return fail(kExitNotFound, "cannot read the library: " + describeError(list.error));
    for (const auto& group : list.groups) {
        if (groupName(group) != name) continue;
        group->enumerateAssetsUsingBlock([](assets::ALAssetRef asset, std::uint64_t, bool*) {
            if (!asset) return;
            auto orientation = asset->valueForProperty(assets::ALAssetPropertyOrientation);
            std::printf("%s\t%s\t%lld\n", asset->assetURL()->absoluteString().c_str(),
                        asset->defaultRepresentation()->devicePath().c_str(),
                        static_cast<long long>(orientation ? orientation->integer().value_or(0) : 0));
        });
        return 0;
    }
    return fail(kExitNotFound, "no album named \"" + name + "\"");
}

int showAsset(ALAssetsLibrary& library, const std::string& url) {
    std::promise<std::pair<assets::ALAssetRef, foundation::NSErrorRef>> found;
    library.assetForURL(
        foundation::NSURL::URLWithString(url), [&found](assets::ALAssetRef asset) { found.set_value({asset, nullptr}); },
        [&found](foundation::NSErrorRef error) { found.set_value({nullptr, error}); });
    auto [asset, error] = found.get_future().get();
    if (error) return fail(kExitNotFound, "cannot read the library: " + describeError(error));
    if (!asset) return fail(kExitNotFound, "no asset for \"" + url + "\"");

    auto representation = asset->defaultRepresentation();
    auto type = asset->valueForProperty(assets::ALAssetPropertyType);
    auto orientation = asset->valueForProperty(assets::ALAssetPropertyOrientation);
    std::string groups;
    if (auto containing = library.store()->groupsContaining(asset->assetId()))
        for (const auto& group : containing.value()) groups += (groups.empty() ? "" : ", ") + group.name;
    std::printf("URL:          %s\n", asset->assetURL()->absoluteString().c_str());
    std::printf("Type:         %s\n", type && type->string() ? type->string()->c_str() : "");
    std::printf("File:         %s\n", representation->devicePath().c_str());
    std::printf("Host file:    %s\n", library.store()->hostPath(representation->devicePath()).c_str());
    std::printf("Size:         %lld bytes\n", static_cast<long long>(representation->size()));
    std::printf("Orientation:  %lld\n", static_cast<long long>(orientation ? orientation->integer().value_or(0) : 0));
    std::printf("Groups:       %s\n", groups.c_str());
    auto metadata = foundation::serializePropertyList(foundation::PlistValue(representation->metadata()));
    std::printf("Metadata:\n%s", metadata ? metadata.value().c_str() : "(unreadable)\n");
    return 0;
}

int createAlbum(ALAssetsLibrary& library, const std::string& name) {
    std::promise<std::pair<ALAssetsGroupRef, foundation::NSErrorRef>> created;
    library.addAssetsGroupAlbumWithName(
        name, [&created](ALAssetsGroupRef group) { created.set_value({group, nullptr}); },
        [&created](foundation::NSErrorRef error) { created.set_value({nullptr, error}); });
    auto [group, error] = created.get_future().get();
    if (error) return fail(kExitNotFound, "cannot create the album: " + describeError(error));
    if (!group) return fail(kExitNotFound, "no album created: the name \"" + name + "\" is empty or taken");
    auto url = group->valueForProperty(assets::ALAssetsGroupPropertyURL);
    std::printf("%s\n", url && url->string() ? url->string()->c_str() : "");
    return 0;
}

int createGroup(ALAssetsLibrary& library, const std::string& kind, const std::string& name) {
    auto type = kindNamed(kind);
    if (!type) return fail(kExitUsage, "unknown group kind \"" + kind + "\" (album, event, faces, photo-stream)");
    auto created = library.store()->createGroup(name, *type);
    if (!created) return fail(kExitNotFound, "cannot create the group: " + created.error().message);
    std::printf("%s\n", assets::groupURLString(created->uuid).c_str());
    return 0;
}

int importImage(ALAssetsLibrary& library, const std::string& file, const std::string& metadataFile) {
    std::ifstream input(file, std::ios::binary);
    if (!input) return fail(kExitNotFound, "cannot read " + file);
    auto data = std::make_shared<const foundation::NSData>(std::istreambuf_iterator<char>(input),
                                                           std::istreambuf_iterator<char>());
    std::optional<foundation::NSDictionary> metadata;
    if (!metadataFile.empty()) {
        auto parsed = foundation::readPropertyListFile(metadataFile);
        if (!parsed || !parsed->dictionary()) return fail(kExitUsage, metadataFile + " is not a property-list dictionary");
        metadata = *parsed->dictionary();
    }
    std::promise<std::pair<foundation::NSURLRef, foundation::NSErrorRef>> written;
    library.writeImageDataToSavedPhotosAlbum(data, metadata, [&written](foundation::NSURLRef url, foundation::NSErrorRef error) {
        written.set_value({url, error});
    });
    auto [url, error] = written.get_future().get();
    if (error || !url) return fail(kExitNotFound, "cannot store " + file + ": " + describeError(error));
    std::printf("%s\n", url->absoluteString().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t next = 0;
    if (next < args.size() && args[next] == "--device-root") {
        if (next + 1 >= args.size()) return usage();
        if (auto named = foundation::setDeviceRoot(args[next + 1]); !named) {
            std::fprintf(stderr, "snapfold-library: %s\n", named.error().message.c_str());
            return 2;
        }
        next += 2;
    }
    if (next >= args.size()) return usage();
    std::string command = args[next++];
    std::vector<std::string> operands(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());

    auto library = ALAssetsLibrary::create();
    if (command == "groups" && operands.empty()) return listGroups(*library);
    if (command == "album" && operands.size() == 1) return listAlbum(*library, operands[0]);
    if (command == "asset" && operands.size() == 1) return showAsset(*library, operands[0]);
    if (command == "create-album" && operands.size() == 1) return createAlbum(*library, operands[0]);
    if (command == "create-group" && operands.size() == 2) return createGroup(*library, operands[0], operands[1]);
    if (command == "import" && operands.size() == 1) return importImage(*library, operands[0], "");
    if (command == "import" && operands.size() == 3 && operands[1] == "--metadata")
        return importImage(*library, operands[0], operands[2]);
    return usage();
}
