#include "platform/foundation/NSBundleResources.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/StringsTable.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace foundation {

namespace {

constexpr const char* kGlobalPreferencesPath = "/var/mobile/Library/Preferences/.GlobalPreferences.plist";

struct LanguageOverride {
    std::mutex mutex;
    std::optional<std::vector<std::string>> languages;
};
LanguageOverride& languageOverride() {
    static auto* state = new LanguageOverride;
    return *state;
}

// Parsed strings tables by host path, reread when the file changes, so that
// a look-up per row does not parse the table again each time.
struct CachedTable {
    fs::file_time_type modified;
    std::uintmax_t size;
    StringsTable table;
};
struct TableCache {
    std::mutex mutex;
    std::map<fs::path, CachedTable> byPath;
};
TableCache& tableCache() {
    static auto* cache = new TableCache;
    return *cache;
}

std::optional<StringsTable> loadTable(const fs::path& file) {
    std::error_code ec;
    auto modified = fs::last_write_time(file, ec);
    if (ec) return std::nullopt;
    auto size = fs::file_size(file, ec);
    if (ec) return std::nullopt;
    auto& cache = tableCache();
    {
        std::lock_guard lock(cache.mutex);
        auto it = cache.byPath.find(file);
        if (it != cache.byPath.end() && it->second.modified == modified && it->second.size == size)
            return it->second.table;
    }
    auto bytes = readRegularFile(file, kMaximumPropertyListBytes);
    if (!bytes) return std::nullopt;
    auto parsed = parseStringsTable(bytes.value());
    if (!parsed) return std::nullopt;
    std::lock_guard lock(cache.mutex);
    cache.byPath.insert_or_assign(file, CachedTable{modified, size, parsed.value()});
    return std::move(parsed).value();
}

// "de_DE.UTF-8" -> "de-DE"; "C" and "POSIX" name no language.
std::optional<std::string> languageFromLocale(std::string locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") return std::nullopt;
    std::replace(locale.begin(), locale.end(), '_', '-');
    return locale;
}

// The legacy folder names that older bundles use for their languages.
const std::map<std::string, std::string>& legacyNames() {
    static const std::map<std::string, std::string> names{{"en", "English"}, {"de", "German"},    {"fr", "French"},
                                                          {"es", "Spanish"}, {"it", "Italian"},   {"ja", "Japanese"},
                                                          {"nl", "Dutch"},   {"pt", "Portuguese"}};
    return names;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The bundle's localization that serves a language: the exact name, then the
// language code alone, then its legacy name; case and '-'/'_' ignored.
std::optional<std::string> localizationFor(const std::string& language, const std::vector<std::string>& available) {
    auto normal = [](std::string text) {
        std::replace(text.begin(), text.end(), '_', '-');
        return lower(text);
    };
    std::string wanted = normal(language);
    std::string code = wanted.substr(0, wanted.find('-'));
    std::vector<std::string> candidates{wanted, code};
    if (auto legacy = legacyNames().find(code); legacy != legacyNames().end())
        candidates.push_back(lower(legacy->second));
    for (const auto& candidate : candidates)
        for (const auto& name : available)
            if (normal(name) == candidate) return name;
    return std::nullopt;
}

}  // namespace

std::vector<std::string> preferredLanguages() {
    {
        auto& state = languageOverride();
        std::lock_guard lock(state.mutex);
        if (state.languages) return *state.languages;
    }
    if (auto global = dictionaryWithContentsOfFile(kGlobalPreferencesPath)) {
        if (auto it = global->find("AppleLanguages"); it != global->end() && it->second.array()) {
            std::vector<std::string> languages;
            for (const auto& entry : *it->second.array())
                if (entry.string()) languages.push_back(*entry.string());
            if (!languages.empty()) return languages;
        }
    }
    std::vector<std::string> languages;
    if (const char* list = std::getenv("LANGUAGE"); list && *list) {
        std::stringstream stream(list);
        std::string item;
        while (std::getline(stream, item, ':'))
            if (auto language = languageFromLocale(item)) languages.push_back(*language);
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        if (auto language = languageFromLocale(value)) languages.push_back(*language);
        break;
    }
    if (languages.empty()) languages.push_back("en");
    return languages;
}

void setPreferredLanguagesForTesting(std::optional<std::vector<std::string>> languages) {
    auto& state = languageOverride();
    std::lock_guard lock(state.mutex);
    state.languages = std::move(languages);
}

namespace {
struct OpenedBundle {
    fs::file_time_type infoModified;
    std::shared_ptr<const NSBundle> bundle;
};
struct BundleCache {
    std::mutex mutex;
    std::map<fs::path, OpenedBundle> byPath;
};
BundleCache& bundleCache() {
    static auto* cache = new BundleCache;
    return *cache;
}
}  // namespace

std::shared_ptr<const NSBundle> NSBundle::bundleWithPath(std::string_view devicePath) {
    std::error_code ec;
    fs::path folder = hostPath(devicePath);
    if (!fs::is_directory(folder, ec)) return nullptr;
    std::string path(devicePath);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    auto infoModified = fs::last_write_time(folder / "Info.plist", ec);
    if (ec) infoModified = fs::file_time_type::min();
    auto& cache = bundleCache();
    {
        std::lock_guard lock(cache.mutex);
        auto it = cache.byPath.find(folder);
        if (it != cache.byPath.end() && it->second.infoModified == infoModified) return it->second.bundle;
    }
    auto info = readPropertyListFile(folder / "Info.plist");
    NSDictionary dictionary;
    if (info && info->isDictionary()) dictionary = std::move(*info->dictionary());
    auto bundle = std::make_shared<const NSBundle>(std::move(path), std::move(dictionary));
    std::lock_guard lock(cache.mutex);
    cache.byPath.insert_or_assign(folder, OpenedBundle{infoModified, bundle});
    return bundle;
}

NSBundle::NSBundle(std::string devicePath, NSDictionary info)
    : devicePath_(std::move(devicePath)), info_(std::move(info)) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(hostBundlePath(), ec)) {
        if (entry.path().extension() == ".lproj" && entry.is_directory(ec))
            localizations_.push_back(entry.path().stem().string());
    }
    std::sort(localizations_.begin(), localizations_.end());
}

fs::path NSBundle::hostBundlePath() const { return hostPath(devicePath_); }

std::optional<std::string> NSBundle::objectForInfoDictionaryKey(std::string_view key) const {
    auto it = info_.find(std::string(key));
    if (it == info_.end() || !it->second.string()) return std::nullopt;
    return *it->second.string();
}

std::optional<fs::path> NSBundle::executablePath() const {
    auto name = objectForInfoDictionaryKey("CFBundleExecutable");
    if (!name || name->empty() || name->find('/') != std::string::npos) return std::nullopt;
    return hostBundlePath() / *name;
}

std::vector<std::string> NSBundle::localizations() const { return localizations_; }

std::optional<std::string> NSBundle::preferredLocalization() const {
    const std::vector<std::string>& available = localizations_;
    if (available.empty()) return std::nullopt;
    for (const auto& language : preferredLanguages())
        if (auto found = localizationFor(language, available)) return found;
    if (auto region = objectForInfoDictionaryKey("CFBundleDevelopmentRegion"))
        if (auto found = localizationFor(*region, available)) return found;
    if (auto english = localizationFor("en", available)) return english;
    return available.front();
}

std::optional<std::string> NSBundle::pathForResource(std::string_view name, std::string_view type) const {
    if (name.empty()) return std::nullopt;
    std::string file(name);
    if (!type.empty()) {
        file += '.';
        file += type;
    }
    if (file.find("..") != std::string::npos) return std::nullopt;  // Resources stay inside the bundle.
    std::error_code ec;
    std::string direct = devicePath_ + "/" + file;
    if (fs::is_regular_file(hostPath(direct), ec)) return direct;
    if (auto localization = preferredLocalization()) {
        std::string localized = devicePath_ + "/" + *localization + ".lproj/" + file;
        if (fs::is_regular_file(hostPath(localized), ec)) return localized;
    }
    return std::nullopt;
}

std::string NSBundle::localizedStringForKey(std::string_view key, std::string_view value,
                                            std::optional<std::string_view> table) const {
    auto fallback = [&] { return std::string(value.empty() ? key : value); };
    std::string tableName(table && !table->empty() ? *table : std::string_view("Localizable"));
    auto localization = preferredLocalization();
    if (!localization) return fallback();
    auto strings = loadTable(hostBundlePath() / (*localization + ".lproj") / (tableName + ".strings"));
    if (!strings) return fallback();
    auto it = strings->find(std::string(key));
    return it == strings->end() ? fallback() : it->second;
}

}  // namespace foundation
