#include "hosts/messaging-app/ReceivedMedia.h"

#include "platform/foundation/DeviceRoot.h"

#include <optional>
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

}  // namespace

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
    if (::access(absolute.c_str(), R_OK) != 0)
        return foundation::makeError(foundation::ErrorCode::PermissionDenied, "cannot read " + file.string());
    if (auto inside = devicePathInsideRoot(absolute)) return *inside;

    // The process id keeps two copies of the app from choosing one name.
    std::string name = std::to_string(::getpid()) + "-" + std::to_string(++counter_) + "-" + file.filename().string();
    std::string devicePath = std::string(kReceivedMediaFolder) + "/" + name;
    fs::path copy = foundation::hostPath(devicePath);
    fs::create_directories(copy.parent_path(), ec);
    if (!fs::copy_file(absolute, copy, fs::copy_options::overwrite_existing, ec))
        return foundation::makeError(foundation::ErrorCode::IOError,
                                     "cannot copy " + file.string() + " into the app: " + ec.message());
    copies_.push_back(copy);
    return devicePath;
}

}  // namespace messagingapp
