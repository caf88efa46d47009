#include "hosts/messaging-app/ReceivedMedia.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/SystemError.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace messagingapp {

namespace fs = std::filesystem;

namespace {

// The device path of a host path inside the device root, or nothing.
std::optional<std::string> devicePathInsideRoot(const fs::path& file) {
    std::error_code ec;
    fs::path relative = file.lexically_relative(fs::weakly_canonical(foundation::deviceRoot(), ec));
    if (relative.empty() || *relative.begin() == "..") return std::nullopt;
    std::string devicePath = "/";  // Appended, not concatenated: g++ 12 warns falsely on "/" + string.
    devicePath += relative.generic_string();
    return devicePath;
}

// The start time of a running process, in clock ticks after boot (field 22
// of /proc/<pid>/stat), or nothing when no such process runs.
std::optional<unsigned long long> processStartTime(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    // The command name, field 2, is in parentheses and may hold anything.
    auto close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int number = 3; number < 22 && fields >> field; ++number) {
    }
    unsigned long long start = 0;
    if (!(fields >> start)) return std::nullopt;
    return start;
}

// "<pid>.<start time>-": this process's copies start with it.
const std::string& ownPrefix() {
    static const std::string prefix = [] {
        std::string pid = std::to_string(::getpid());
        return pid + "." + std::to_string(processStartTime(pid).value_or(0)) + "-";
    }();
    return prefix;
}

// The longest a file name may be on the file systems the device uses.
constexpr std::size_t kMaximumNameBytes = 255;

// `name` cut to at most `budget` bytes, keeping its extension and never
// cutting a UTF-8 character in two.
std::string shortenedName(const std::string& name, std::size_t budget) {
    if (name.size() <= budget) return name;
    auto dot = name.rfind('.');
    std::string extension = dot != std::string::npos && dot > 0 && name.size() - dot <= 16 ? name.substr(dot) : "";
    std::size_t keep = budget > extension.size() ? budget - extension.size() : 0;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return name.substr(0, keep) + extension;
}

}  // namespace

std::size_t ReceivedMedia::removeCopiesOfEndedProcesses() {
    // Without a process table to ask, no copy can be shown to be left over.
    if (!processStartTime(std::to_string(::getpid()))) return 0;
    std::error_code ec;
    std::size_t removed = 0;
    auto isNumber = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    };
    for (const auto& entry : fs::directory_iterator(foundation::hostPath(kReceivedMediaFolder), ec)) {
        std::string name = entry.path().filename().string();
        // "<pid>.<start time>-..." names a process; so does "<pid>-<n>-...",
        // as apps before start times were kept named their copies, though only
        // by its id. Anything else is left alone.
        auto dash = name.find('-');
        if (dash == std::string::npos) continue;
        std::string owner = name.substr(0, dash);
        auto dot = owner.find('.');
        std::string pid = owner.substr(0, dot);
        std::optional<std::string> start;
        if (dot != std::string::npos) start = owner.substr(dot + 1);
        if (!isNumber(pid) || (start && !isNumber(*start))) continue;
        auto running = processStartTime(pid);
        if (running && (!start || std::to_string(*running) == *start)) continue;
        // The entry itself goes (a link is removed, never followed).
        std::error_code gone;
        if (!entry.is_directory(gone) && fs::remove(entry.path(), gone)) ++removed;
    }
    return removed;
}

ReceivedMedia::~ReceivedMedia() {
    std::error_code ec;
    for (const auto& copy : copies_) fs::remove(copy, ec);
}

foundation::ErrorOr<std::string> ReceivedMedia::receive(const fs::path& file) {
    std::error_code ec;
    fs::path absolute = fs::weakly_canonical(fs::absolute(file, ec), ec);
    auto status = fs::status(absolute, ec);
    if (!fs::exists(status))
        return foundation::makeError(foundation::ErrorCode::NotFound, "no such file: " + file.string());
    if (!fs::is_regular_file(status))
        return foundation::makeError(foundation::ErrorCode::InvalidArgument, "not a file: " + file.string());
    if (::access(absolute.c_str(), R_OK) != 0) return foundation::errorFromErrno(errno, "cannot read " + file.string());
    if (auto inside = devicePathInsideRoot(absolute)) return *inside;

    // The process's prefix keeps two copies of the app from choosing one name.
    std::string prefix = ownPrefix() + std::to_string(++counter_) + "-";
    std::string name = prefix + shortenedName(file.filename().string(), kMaximumNameBytes - prefix.size());
    std::string devicePath = std::string(kReceivedMediaFolder) + "/" + name;
    fs::path copy = foundation::hostPath(devicePath);
    fs::create_directories(copy.parent_path(), ec);
    if (!fs::copy_file(absolute, copy, fs::copy_options::overwrite_existing, ec))
        return foundation::errorFromErrorCode(ec, "cannot copy " + file.string() + " into the app");
    copies_.push_back(copy);
    return devicePath;
}

}  // namespace messagingapp
