#include "hosts/settings-app/DeviceSetup.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemError.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace settingsapp {

foundation::ErrorOr<std::vector<std::string>> installFromBuildTree(const fs::path& buildDirectory) {
    using foundation::ErrorCode;
    std::string installer = std::string(SNAPFOLD_SOURCE_DIR) + "/scripts/install-device";
    std::string root = foundation::deviceRoot().string(), build = buildDirectory.string();
    std::vector<char*> argv{installer.data(), const_cast<char*>("--device-root"),
                            root.data(),      const_cast<char*>("--build-dir"),
                            build.data(),     nullptr};
    // The installer's own report would repeat what this host prints.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, installer.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return foundation::errorFromErrno(spawned, "cannot run " + installer);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return foundation::makeError(ErrorCode::IOError, "installing the tweak from " + build + " failed");

    std::vector<std::string> installed;
    std::ifstream list(foundation::deviceRoot() / "private/var/lib/dpkg/info/com.veltrona.snapfold.list");
    std::error_code ec;
    for (std::string path; std::getline(list, path);)
        if (fs::is_regular_file(foundation::hostPath(path), ec)) installed.push_back(path);
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
