// Asset and group URLs: "assets-library://asset/asset.PNG?id=<UUID>&ext=PNG"
// and "assets-library://group/?id=<UUID>". Parsing is strict: a URL that is
// not exactly of this form names no asset, whatever else it contains.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace assets {

struct AssetURLParts {
    std::string uuid;       // uppercase
    std::string extension;  // uppercase
};

std::string assetURLString(std::string_view uuid, std::string_view extension);
std::string groupURLString(std::string_view uuid);

// The id and extension named by an asset URL; nothing for any other text
// (another scheme or host, a path other than "/asset.<EXT>", an id that is
// not a UUID, an extension that disagrees with the path, extra or repeated
// query items, a fragment, percent escapes).
std::optional<AssetURLParts> parseAssetURL(std::string_view url);

// True for a UUID in the 8-4-4-4-12 hexadecimal form, either letter case.
bool isUUIDText(std::string_view text);
// A new random (version 4) UUID, uppercase.
std::string makeUUID();

}  // namespace assets
