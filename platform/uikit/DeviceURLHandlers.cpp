#include "platform/uikit/DeviceURLHandlers.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileLock.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyList.h"

#include <system_error>

namespace fs = std::filesystem;

namespace uikit {

namespace {

using foundation::ErrorCode;
using foundation::makeError;

foundation::ErrorOr<foundation::NSDictionary> readList(const fs::path& list) {
    std::error_code ec;
    if (!fs::exists(list, ec)) return foundation::NSDictionary{};
    auto value = TRY(foundation::readPropertyListFile(list));
    if (!value.isDictionary()) return makeError(ErrorCode::Malformed, list.string() + " is not a dictionary");
    return std::move(*value.dictionary());
}

template <typename Change>
foundation::ErrorOr<bool> changeList(std::string_view scheme, Change change) {
    auto normalized = normalizedURLScheme(scheme);
    if (!normalized) return makeError(ErrorCode::InvalidArgument, std::string(scheme).append(" is not a URL scheme"));
    fs::path list = foundation::hostPath(kURLSchemeHandlersPath);
    // Held while the list is read, changed and written back.
    auto lock = TRY(foundation::FileLock::acquire(list));
    auto handlers = TRY(readList(list));
    bool changed = change(handlers, *normalized);
    if (!changed) return false;
    TRY(foundation::writePropertyListAtomically(list, foundation::PlistValue(std::move(handlers))));
    return true;
}

}  // namespace

std::optional<std::string> normalizedURLScheme(std::string_view text) {
    if (text.ends_with("://")) text.remove_suffix(3);
    else if (text.ends_with(":")) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::string scheme;
    for (char c : text) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && (scheme.empty() || !other)) return std::nullopt;
        scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return scheme;
}

std::map<std::string, std::string> deviceURLSchemeHandlers() {
    fs::path list = foundation::hostPath(kURLSchemeHandlersPath);
    auto handlers = readList(list);
    if (!handlers) {
        foundation::NSLog("UIApplication: the URL handler list is unreadable: %@", handlers.error().message);
        return {};
    }
    std::map<std::string, std::string> installed;
    for (const auto& [scheme, app] : handlers.value()) {
        auto normalized = normalizedURLScheme(scheme);
        if (normalized) installed[*normalized] = app.string() ? *app.string() : app.description();
    }
    return installed;
}

std::optional<std::string> deviceHandlerForScheme(std::string_view scheme) {
    auto normalized = normalizedURLScheme(scheme);
    if (!normalized) return std::nullopt;
    auto installed = deviceURLSchemeHandlers();
    auto found = installed.find(*normalized);
    if (found == installed.end()) return std::nullopt;
    return found->second;
}

foundation::ErrorOr<void> installURLSchemeHandler(std::string_view scheme, std::string_view appName) {
    std::string name(appName);
    TRY(changeList(scheme, [&](foundation::NSDictionary& handlers, const std::string& normalized) {
        handlers[normalized] = name.empty() ? normalized : name;
        return true;
    }));
    return {};
}

foundation::ErrorOr<bool> removeURLSchemeHandler(std::string_view scheme) {
    return changeList(scheme, [](foundation::NSDictionary& handlers, const std::string& normalized) {
        // Keys written by hand may differ in case; every spelling goes.
        return std::erase_if(handlers,
                             [&](const auto& entry) { return normalizedURLScheme(entry.first) == normalized; }) > 0;
    });
}

}  // namespace uikit
