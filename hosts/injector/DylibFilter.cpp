#include "hosts/injector/DylibFilter.h"

#include <algorithm>
#include <optional>

namespace injector {

namespace {

using foundation::PlistValue;

// Bit 1 of Flags: load only in safe mode. This platform never runs in safe
// mode, so such a library is never loaded.
constexpr std::int64_t kLoadOnlyInSafeModeFlag = 1 << 1;

FilterDecision skip(std::string reason) { return {false, std::move(reason)}; }

std::optional<double> versionNumber(const PlistValue& value) {
    if (value.type() != PlistValue::Type::Integer && value.type() != PlistValue::Type::Real) return std::nullopt;
    return value.real();
}

// Checks the half-open range [min, max), or [min, ...) with one bound. A
// malformed range matches nothing: the library cannot say where it works.
std::optional<std::string> versionMismatch(const PlistValue& range, double version) {
    const PlistValue::Array* bounds = range.array();
    if (!bounds || bounds->empty() || bounds->size() > 2) return "malformed CoreFoundationVersion";
    std::optional<double> minimum = versionNumber((*bounds)[0]);
    std::optional<double> maximum = bounds->size() == 2 ? versionNumber((*bounds)[1]) : std::optional<double>();
    if (!minimum || (bounds->size() == 2 && !maximum)) return "malformed CoreFoundationVersion";
    if (version < *minimum) return "CoreFoundationVersion below the range";
    if (maximum && version >= *maximum) return "CoreFoundationVersion at or above the range's end";
    return std::nullopt;
}

// One of the three lists: a match when any string in it matches. A value that
// is not an array matches nothing.
bool listMatches(const PlistValue& list, const std::function<bool(const std::string&)>& matches) {
    const PlistValue::Array* entries = list.array();
    if (!entries) return false;
    return std::any_of(entries->begin(), entries->end(),
                       [&](const PlistValue& entry) { return entry.string() && matches(*entry.string()); });
}

}  // namespace

FilterDecision evaluateFilter(const PlistValue& filterPropertyList, const LaunchEnvironment& environment) {
    if (!filterPropertyList.isDictionary()) return skip("filter property list is not a dictionary");
    const PlistValue* filter = filterPropertyList.objectForKey("Filter");
    if (!filter) return {true, "no Filter"};
    if (!filter->isDictionary()) return skip("Filter is not a dictionary");

    if (const PlistValue* flags = filter->objectForKey("Flags")) {
        if (flags->integer().value_or(0) & kLoadOnlyInSafeModeFlag) return skip("loads only in safe mode");
    }
    if (const PlistValue* range = filter->objectForKey("CoreFoundationVersion")) {
        if (auto mismatch = versionMismatch(*range, environment.coreFoundationVersion)) return skip(*mismatch);
    }

    const PlistValue* mode = filter->objectForKey("Mode");
    const bool any = mode && mode->string() && *mode->string() == "Any";

    struct List {
        const char* key;
        std::function<bool(const std::string&)> matches;
    };
    const List lists[] = {
        {"Bundles",
         [&](const std::string& id) {
             const auto& loaded = environment.loadedBundleIdentifiers;
             return std::find(loaded.begin(), loaded.end(), id) != loaded.end();
         }},
        {"Executables", [&](const std::string& name) { return name == environment.executableName; }},
        {"Classes", [&](const std::string& name) { return environment.classExists && environment.classExists(name); }},
    };

    bool anyListPresent = false;
    for (const List& list : lists) {
        const PlistValue* entries = filter->objectForKey(list.key);
        if (!entries) continue;
        anyListPresent = true;
        bool matched = listMatches(*entries, list.matches);
        if (any && matched) return {true, std::string(list.key) + " matched"};
        if (!any && !matched) return skip(std::string("no match in ") + list.key);
    }
    if (any && anyListPresent) return skip("no match in any list");
    return {true, anyListPresent ? "every list matched" : "no list to match"};
}

}  // namespace injector
