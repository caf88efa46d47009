// The desktop's key files: the "[Group]" and "Key=Value" text of
// application entries (*.desktop) and of the mimeapps.list association
// lists, read as plain text.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uikit {

class DesktopKeyFile {
public:
    // Nothing when the file cannot be read. Lines that are neither a group
    // header nor a key with "=" are skipped, as desktop tools skip them.
    static std::optional<DesktopKeyFile> read(const std::filesystem::path& file);
    static DesktopKeyFile parse(std::string_view text);

    // The raw value of a key in a group; a later duplicate wins.
    const std::string* value(std::string_view group, std::string_view key) const;
    // A ";"-separated list value, unescaped, without empty items.
    std::vector<std::string> list(std::string_view group, std::string_view key) const;

private:
    using Group = std::map<std::string, std::string, std::less<>>;
    std::map<std::string, Group, std::less<>> groups_;
};

}  // namespace uikit
