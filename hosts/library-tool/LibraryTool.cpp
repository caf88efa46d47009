// snapfold-library: looks into the photo library of a device root, and
// changes it, through the same library objects an app uses (so what it shows
// is what any other process sees): the groups with their kinds and sizes, an
// album's assets, one asset's file and metadata; creating albums and other
// groups; importing an image as a new photo.
#include "hosts/command-line/CommandLine.h"
#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RegularFile.h"

#include <csignal>
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
// The largest file `import` reads.
constexpr std::size_t kMaximumImportBytes = 512u * 1024 * 1024;

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
        [result](foundation::NSErrorRef error) {
            result->set_value({{}, std::move(error)});
        });
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
        foundation::NSURL::URLWithString(url),
        [&found](assets::ALAssetRef asset) {
            found.set_value({asset, nullptr});
        },
        [&found](foundation::NSErrorRef error) {
            found.set_value({nullptr, error});
        });
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
        name,
        [&created](ALAssetsGroupRef group) {
            created.set_value({group, nullptr});
        },
        [&created](foundation::NSErrorRef error) {
            created.set_value({nullptr, error});
        });
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
    auto bytes = foundation::readRegularFile(file, kMaximumImportBytes);
    if (!bytes) return fail(kExitNotFound, "cannot import: " + bytes.error().message);
    auto data = std::make_shared<const foundation::NSData>(bytes->begin(), bytes->end());
    std::optional<foundation::NSDictionary> metadata;
    if (!metadataFile.empty()) {
        auto parsed = foundation::readPropertyListFile(metadataFile);
        if (!parsed || !parsed->dictionary())
            return fail(kExitUsage, metadataFile + " is not a property-list dictionary");
        metadata = *parsed->dictionary();
    }
    std::promise<std::pair<foundation::NSURLRef, foundation::NSErrorRef>> written;
    library.writeImageDataToSavedPhotosAlbum(data, metadata,
                                             [&written](foundation::NSURLRef url, foundation::NSErrorRef error) {
                                                 written.set_value({url, error});
                                             });
    auto [url, error] = written.get_future().get();
    if (error || !url) return fail(kExitNotFound, "cannot store " + file + ": " + describeError(error));
    std::printf("%s\n", url->absoluteString().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write (EFBIG, "no space"), never the program
    commandline::Program program("snapfold-library",
                                 "Looks into the photo library of a device root, and changes it, through the same "
                                 "library objects an app uses.");
    std::string name, url, kind, file, metadata;
    auto* groups = program.command("groups", "list every group: kind, number of assets, name");
    auto* album = program.command("album",
                                  "list the assets of the first group named NAME: asset URL, media file, "
                                  "orientation");
    album->add_option("name", name, "the album's name")->required();
    auto* asset = program.command("asset", "show an asset: media file, groups, metadata");
    asset->add_option("url", url, "the asset's URL")->required();
    auto* createAlbumCommand = program.command("create-album", "create a user album (refused when the name is taken)");
    createAlbumCommand->add_option("name", name, "the album's name")->required();
    auto* createGroupCommand = program.command("create-group",
                                               "create a group of a kind (album, event, faces or "
                                               "photo-stream), even when the name is taken");
    createGroupCommand->add_option("kind", kind, "album, event, faces or photo-stream")
        ->required()
        ->check(CLI::IsMember({"album", "event", "faces", "photo-stream"}));
    createGroupCommand->add_option("name", name, "the group's name")->required();
    auto* import = program.command("import", "store an image file as a new photo; prints its URL");
    import->add_option("file", file, "the image file")->required();
    import->add_option("--metadata", metadata, "a property-list dictionary stored with the photo")->type_name("PLIST");
    program.app().require_subcommand(1);
    if (auto exit = program.parse(argc, argv)) return *exit;

    auto library = ALAssetsLibrary::create();
    if (*groups) return listGroups(*library);
    if (*album) return listAlbum(*library, name);
    if (*asset) return showAsset(*library, url);
    if (*createAlbumCommand) return createAlbum(*library, name);
    if (*createGroupCommand) return createGroup(*library, kind, name);
    return importImage(*library, file, metadata);
}
