#include "platform/uikit/DesktopURLHandlers.h"

#include "platform/uikit/DesktopKeyFile.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace uikit {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A colon-separated list; relative entries are ignored, as the base
// directories require absolute paths.
std::vector<fs::path> absolutePaths(std::string_view text) {
    std::vector<fs::path> paths;
    while (!text.empty()) {
        std::size_t colon = text.find(':');
        fs::path item(text.substr(0, colon));
        if (item.is_absolute()) paths.push_back(item);
        text.remove_prefix(colon == std::string_view::npos ? text.size() : colon + 1);
    }
    return paths;
}

fs::path directoryOr(const char* variable, const fs::path& home, const char* underHome) {
    fs::path chosen(environment(variable));
    if (chosen.is_absolute()) return chosen;
    return home.is_absolute() ? home / underHome : fs::path();
}

struct ApplicationEntry {
    bool usable = false;
    std::set<std::string> mimeTypes;  // lower-cased
};

// Every application entry below the applications folders, by desktop-entry
// id (the path below the folder with "/" written "-"); the folder of higher
// precedence wins for an id found in several.
std::map<std::string, ApplicationEntry> installedApplications(const std::vector<fs::path>& folders) {
    std::map<std::string, ApplicationEntry> entries;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (it->path().extension() != ".desktop" || !it->is_regular_file(ec)) continue;
            std::string id = it->path().lexically_relative(folder).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (entries.count(id)) continue;
            ApplicationEntry& entry = entries[id];
            auto file = DesktopKeyFile::read(it->path());
            if (!file) continue;
            const std::string* type = file->value("Desktop Entry", "Type");
            const std::string* hidden = file->value("Desktop Entry", "Hidden");
            entry.usable = type && *type == "Application" && !(hidden && *hidden == "true");
            for (const std::string& mimeType : file->list("Desktop Entry", "MimeType"))
                entry.mimeTypes.insert(lower(mimeType));
        }
    }
    return entries;
}

}  // namespace

DesktopDirectories DesktopDirectories::fromEnvironment() {
    DesktopDirectories directories;
    fs::path home(environment("HOME"));
    directories.configHome = directoryOr("XDG_CONFIG_HOME", home, ".config");
    directories.dataHome = directoryOr("XDG_DATA_HOME", home, ".local/share");
    directories.configDirs = absolutePaths(environment("XDG_CONFIG_DIRS"));
    if (directories.configDirs.empty()) directories.configDirs = {"/etc/xdg"};
    directories.dataDirs = absolutePaths(environment("XDG_DATA_DIRS"));
    if (directories.dataDirs.empty()) directories.dataDirs = {"/usr/local/share", "/usr/share"};
    std::string desktops = environment("XDG_CURRENT_DESKTOP");
    for (std::size_t start = 0; start <= desktops.size();) {
        std::size_t colon = std::min(desktops.find(':', start), desktops.size());
        if (colon > start) directories.desktops.push_back(lower(desktops.substr(start, colon - start)));
        start = colon + 1;
    }
    return directories;
}

std::optional<std::string> desktopHandlerForScheme(const DesktopDirectories& directories, std::string_view scheme) {
    if (scheme.empty()) return std::nullopt;
    const std::string mimeType = "x-scheme-handler/" + lower(scheme);

    // The association lists in precedence order: the user's configuration,
    // the system's, then those beside the applications.
    std::vector<fs::path> lists;
    std::vector<fs::path> applicationFolders;
    auto addListsIn = [&](const fs::path& folder) {
        if (folder.empty()) return;
        for (const std::string& desktop : directories.desktops) lists.push_back(folder / (desktop + "-mimeapps.list"));
        lists.push_back(folder / "mimeapps.list");
    };
    addListsIn(directories.configHome);
    for (const fs::path& folder : directories.configDirs) addListsIn(folder);
    if (!directories.dataHome.empty()) applicationFolders.push_back(directories.dataHome / "applications");
    for (const fs::path& folder : directories.dataDirs) applicationFolders.push_back(folder / "applications");
    for (const fs::path& folder : applicationFolders) addListsIn(folder);

    const auto installed = installedApplications(applicationFolders);
    auto usable = [&](const std::string& id) {
        auto found = installed.find(id);
        return found != installed.end() && found->second.usable;
    };

    std::set<std::string> removed;
    for (const fs::path& list : lists) {
        auto file = DesktopKeyFile::read(list);
        if (!file) continue;
        for (const char* group : {"Default Applications", "Added Associations"})
            for (const std::string& id : file->list(group, mimeType))
                if (!removed.count(id) && usable(id)) return id;
        for (const std::string& id : file->list("Removed Associations", mimeType)) removed.insert(id);
    }
    for (const auto& [id, entry] : installed)
        if (entry.usable && !removed.count(id) && entry.mimeTypes.count(mimeType)) return id;
    return std::nullopt;
}

}  // namespace uikit
