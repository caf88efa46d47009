#include "platform/uikit/DesktopKeyFile.h"

#include <fstream>
#include <sstream>

namespace uikit {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The key-file escapes: \s \n \t \r \\ and, inside lists, \;.
std::vector<std::string> splitList(std::string_view value) {
    std::vector<std::string> items;
    std::string current;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            switch (next) {
            case 's': current += ' '; break;
            case 'n': current += '\n'; break;
            case 't': current += '\t'; break;
            case 'r': current += '\r'; break;
            default: current += next; break;  // \\ and \;
            }
        } else if (c == ';') {
            if (!current.empty()) items.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) items.push_back(std::move(current));
    return items;
}

}  // namespace

std::optional<DesktopKeyFile> DesktopKeyFile::read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return parse(text.str());
}

DesktopKeyFile DesktopKeyFile::parse(std::string_view text) {
    DesktopKeyFile file;
    Group* group = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = &file.groups_[std::string(line.substr(1, line.size() - 2))];
            continue;
        }
        std::size_t equals = line.find('=');
        if (!group || equals == std::string_view::npos) continue;
        std::string key(trimmed(line.substr(0, equals)));
        if (key.empty()) continue;
        (*group)[key] = std::string(trimmed(line.substr(equals + 1)));
    }
    return file;
}

const std::string* DesktopKeyFile::value(std::string_view group, std::string_view key) const {
    auto found = groups_.find(group);
    if (found == groups_.end()) return nullptr;
    auto entry = found->second.find(key);
    return entry == found->second.end() ? nullptr : &entry->second;
}

std::vector<std::string> DesktopKeyFile::list(std::string_view group, std::string_view key) const {
    const std::string* raw = value(group, key);
    return raw ? splitList(*raw) : std::vector<std::string>{};
}

}  // namespace uikit
