#include "hosts/settings-app/DeviceSetup.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace settingsapp {

foundation::ErrorOr<std::vector<std::string>> installFromBuildTree(const fs::path& buildDirectory) {
    using foundation::ErrorCode;
    std::vector<std::string> installed;
    fs::path bundle = buildDirectory / "Snapfold.bundle";
    fs::path entries = buildDirectory / "PreferenceLoader" / "Preferences";
    std::error_code ec;
    if (!fs::is_regular_file(bundle / "Snapfold", ec) || !fs::is_directory(entries, ec))
        return foundation::makeError(ErrorCode::NotFound, "no built bundle in " + buildDirectory.string() +
                                                              " (build the snapfold_settings_bundle target)");
    // The bundle is replaced whole, so that no file of an older build stays.
    fs::path target = foundation::hostPath("/Library/PreferenceBundles/Snapfold.bundle");
    fs::remove_all(target, ec);
    fs::create_directories(target.parent_path(), ec);
    fs::copy(bundle, target, fs::copy_options::recursive, ec);
    if (ec) return foundation::makeError(ErrorCode::IOError, "cannot copy the bundle: " + ec.message());
    installed.push_back("/Library/PreferenceBundles/Snapfold.bundle");
    for (const auto& entry : fs::directory_iterator(entries, ec)) {
        if (entry.path().extension() != ".plist") continue;
        std::string device = "/Library/PreferenceLoader/Preferences/" + entry.path().filename().string();
        fs::create_directories(foundation::hostPath("/Library/PreferenceLoader/Preferences"), ec);
        fs::copy_file(entry.path(), foundation::hostPath(device), fs::copy_options::overwrite_existing, ec);
        if (ec) return foundation::makeError(ErrorCode::IOError, "cannot copy " + device + ": " + ec.message());
        installed.push_back(device);
    }
    return installed;
}

std::vector<std::string> prepareDefaultDevice() {
    using foundation::NSDictionary;
    const std::vector<std::pair<const char*, NSDictionary>> defaults{
        {"/System/Library/CoreServices/SystemVersion.plist",
         {{"ProductName", "iPhone OS"}, {"ProductVersion", "8.4"}, {"ProductBuildVersion", "12H143"}}},
        {"/System/Library/CoreServices/DeviceInfo.plist",
         {{"ProductType", "iPhone7,2"}, {"DeviceClass", "iPhone"}, {"DeviceName", "iPhone"}}},
        {"/var/mobile/Library/Accounts/Accounts.plist",
         {{"TwitterAccount", "@snapfold_user"}, {"MailAddress", "mobile@example.com"}}},
    };
    std::vector<std::string> written;
    std::error_code ec;
    for (const auto& [path, contents] : defaults) {
        fs::path file = foundation::hostPath(path);
        if (fs::exists(file, ec)) continue;
        fs::create_directories(file.parent_path(), ec);
        if (foundation::writePropertyListAtomically(file, contents)) written.push_back(path);
    }
    return written;
}

}  // namespace settingsapp
