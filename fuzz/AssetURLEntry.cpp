// Asset URLs, as the photo library reads them when asked for an asset.
#include "fuzz/FuzzEntries.h"

#include "platform/assets/AssetURL.h"
#include "platform/foundation/NSURL.h"

#include <cctype>

namespace fuzz {

namespace {

bool isUpperCase(const std::string& text) {
    for (char c : text)
        if (std::islower(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

Finding feedAssetURL(Input bytes) {
    std::string text(asText(bytes));
    if (auto url = foundation::NSURL::URLWithString(text)) (void)url->path();

    auto parts = assets::parseAssetURL(text);
    if (!parts) return std::nullopt;
    if (!assets::isUUIDText(parts->uuid) || !isUpperCase(parts->uuid) || !isUpperCase(parts->extension))
        return "an accepted URL gave an id or extension outside the library's form";

    // Parsing is strict: an accepted URL is the asset's own URL, up to letter
    // case and the order of its two query items, so it has the same length
    // and the asset's own URL names the same asset.
    std::string own = assets::assetURLString(parts->uuid, parts->extension);
    if (own.size() != text.size()) return "a URL other than the asset's own was accepted";
    auto again = assets::parseAssetURL(own);
    if (!again || again->uuid != parts->uuid || again->extension != parts->extension)
        return "the asset's own URL names another asset";
    return std::nullopt;
}

}  // namespace fuzz
