#include "platform/assets/AssetURL.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sys/random.h>

namespace assets {

namespace {

constexpr std::string_view kAssetPrefix = "assets-library://asset/asset.";
constexpr std::size_t kMaximumExtensionLength = 8;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool isExtensionText(std::string_view text) {
    if (text.empty() || text.size() > kMaximumExtensionLength) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

std::string assetURLString(std::string_view uuid, std::string_view extension) {
    std::string ext = upper(extension);
    return std::string(kAssetPrefix) + ext + "?id=" + upper(uuid) + "&ext=" + ext;
}

std::string groupURLString(std::string_view uuid) { return "assets-library://group/?id=" + upper(uuid); }

bool isUUIDText(std::string_view text) {
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

std::optional<AssetURLParts> parseAssetURL(std::string_view url) {
    // The scheme and host are matched exactly; the phone spells them in lower
    // case and so does every URL this library hands out.
    if (url.substr(0, kAssetPrefix.size()) != kAssetPrefix) return std::nullopt;
    std::string_view rest = url.substr(kAssetPrefix.size());
    std::size_t question = rest.find('?');
    if (question == std::string_view::npos) return std::nullopt;
    std::string_view pathExtension = rest.substr(0, question);
    std::string_view query = rest.substr(question + 1);
    if (!isExtensionText(pathExtension)) return std::nullopt;

    std::optional<std::string_view> id, ext;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        if (amp != std::string_view::npos && query.empty()) return std::nullopt;  // a trailing '&'
        std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        std::string_view key = item.substr(0, equals), value = item.substr(equals + 1);
        std::optional<std::string_view>* slot = key == "id" ? &id : key == "ext" ? &ext : nullptr;
        if (!slot || *slot) return std::nullopt;  // an unknown or repeated item
        *slot = value;
    }
    if (!id || !ext || !isUUIDText(*id) || !isExtensionText(*ext)) return std::nullopt;
    if (upper(*ext) != upper(pathExtension)) return std::nullopt;
    return AssetURLParts{upper(*id), upper(*ext)};
}

std::string makeUUID() {
    std::array<std::uint8_t, 16> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        // getrandom only fails on kernels older than the ones we run on; a
        // seeded generator still gives distinct ids.
        static thread_local std::mt19937_64 fallback{std::random_device{}()};
        for (auto& b : bytes) b = static_cast<std::uint8_t>(fallback());
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80);  // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

}  // namespace assets
