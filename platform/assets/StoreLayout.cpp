#include "platform/assets/StoreLayout.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>

namespace assets {

namespace {
bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}
}  // namespace

std::string mediaDevicePath(std::int64_t fileNumber, std::string_view extension) {
    std::int64_t index = fileNumber - 1;
    std::int64_t folder = 100 + index / kFilesPerCameraFolder;
    std::int64_t name = index % 9999 + 1;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s/%lldAPPLE/IMG_%04lld.", kDCIMDevicePath, static_cast<long long>(folder),
                  static_cast<long long>(name));
    return std::string(buffer) + std::string(extension);
}

bool isMediaFileName(std::string_view name) {
    if (name.size() < 10 || name.substr(0, 4) != "IMG_" || name[8] != '.') return false;
    if (!allDigits(name.substr(4, 4))) return false;
    std::string_view extension = name.substr(9);
    if (extension.size() > 8) return false;
    for (char c : extension)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

bool isCameraFolderName(std::string_view name) {
    return name.size() > 5 && name.substr(name.size() - 5) == "APPLE" && allDigits(name.substr(0, name.size() - 5));
}

std::optional<std::int64_t> mediaFileNumber(std::string_view folderName, std::string_view fileName) {
    if (!isCameraFolderName(folderName) || !isMediaFileName(fileName) || folderName.size() > 12) return std::nullopt;
    std::int64_t folder = 0;
    std::from_chars(folderName.data(), folderName.data() + folderName.size() - 5, folder);
    std::int64_t name = 0;
    std::from_chars(fileName.data() + 4, fileName.data() + 8, name);
    if (folder < 100 || name < 1) return std::nullopt;
    // The folder holds a run of a thousand numbers; within it, at most one
    // has this name, as names repeat only every 9999 numbers.
    std::int64_t firstIndex = (folder - 100) * kFilesPerCameraFolder;
    std::int64_t offset = ((name - 1 - firstIndex % 9999) % 9999 + 9999) % 9999;
    if (offset >= kFilesPerCameraFolder) return std::nullopt;
    return firstIndex + offset + 1;
}

std::string temporaryFileName(pid_t writer, std::uint64_t sequence) {
    return std::to_string(writer) + "-" + std::to_string(sequence) + ".tmp";
}

std::optional<pid_t> temporaryFileWriter(std::string_view name) {
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix) return std::nullopt;
    std::size_t dash = name.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    std::string_view pidText = name.substr(0, dash);
    std::string_view sequence = name.substr(dash + 1, name.size() - suffix.size() - dash - 1);
    if (!allDigits(pidText) || !allDigits(sequence)) return std::nullopt;
    pid_t pid = 0;
    auto [end, error] = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (error != std::errc() || pid <= 0) return std::nullopt;
    return pid;
}

bool processIsAlive(pid_t pid) {
    // EPERM means the process exists but belongs to someone else.
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

std::filesystem::path hostPathIn(const std::filesystem::path& deviceRoot, std::string_view devicePath) {
    // As on the phone, ".." at the top stays at the top: no path read from
    // the index can name a file outside the device root.
    std::filesystem::path inside;
    for (const auto& part : std::filesystem::path(devicePath).lexically_normal().relative_path()) {
        if (part == "..") {
            if (!inside.empty()) inside = inside.parent_path();
        } else if (part != "." && !part.empty()) {
            inside /= part;
        }
    }
    return deviceRoot / inside;
}

}  // namespace assets
