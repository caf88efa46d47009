// The desktop's registry of URL-scheme handlers: which application, if any,
// the desktop would start for "<scheme>:" URLs. A scheme is the MIME type
// "x-scheme-handler/<scheme>"; its handlers come from the association lists
// (mimeapps.list, per desktop "<desktop>-mimeapps.list") and from the
// MimeType lines of the installed application entries (*.desktop), read in
// the XDG base directories' order of precedence.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uikit {

struct DesktopDirectories {
    std::filesystem::path configHome;               // XDG_CONFIG_HOME, else ~/.config
    std::vector<std::filesystem::path> configDirs;  // XDG_CONFIG_DIRS, else /etc/xdg
    std::filesystem::path dataHome;                 // XDG_DATA_HOME, else ~/.local/share
    std::vector<std::filesystem::path> dataDirs;    // XDG_DATA_DIRS, else /usr/local/share:/usr/share
    std::vector<std::string> desktops;              // XDG_CURRENT_DESKTOP, lower-cased

    static DesktopDirectories fromEnvironment();
};

// The desktop-entry id ("org.example.Viewer.desktop") of an installed,
// not hidden application that handles the scheme, or nothing. Applications
// named in a [Default Applications] or [Added Associations] group come
// first, in precedence order; then those whose entry lists the type. An
// association in a [Removed Associations] group hides that application from
// the lists of lower precedence and from the entries' own MimeType lines.
std::optional<std::string> desktopHandlerForScheme(const DesktopDirectories& directories, std::string_view scheme);

}  // namespace uikit
