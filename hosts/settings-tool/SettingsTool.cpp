// snapfold-settings: shows the settings snapshot that the hook library loads
// in a process, changes a setting as the settings page does (atomic rewrite,
// then the settings-changed notification), and watches a live process's
// snapshot follow changes made from other processes.
#include "hosts/command-line/CommandLine.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileLock.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/PropertyList.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr const char* kSettingsPathForPages = "/User/Library/Preferences/com.veltrona.snapfold.plist";
constexpr const char* kNotification = "com.veltrona.snapfold/settingschanged";
// The saved-photos group's own name in the photo library: creating a user
// album of that name is refused, as is creating one with no name.
constexpr const char* kCameraRollName = "Camera Roll";

using CopySnapshot = std::size_t (*)(bool*, char*, std::size_t);
CopySnapshot gCopySnapshot = nullptr;

// The hook library is loaded as the hooking framework loads it: installed in
// the device root if it is there, else the one built beside this tool.
bool loadHookLibrary(const std::string& explicitPath) {
    std::vector<std::string> candidates;
    if (!explicitPath.empty()) candidates.push_back(explicitPath);
    candidates.push_back(foundation::hostPath("/Library/MobileSubstrate/DynamicLibraries/Snapfold.dylib"));
    candidates.push_back((foundation::mainBundlePath() / "../lib/Snapfold.dylib").lexically_normal());
    for (const auto& path : candidates) {
        if (!std::filesystem::exists(path)) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!handle) {
            std::fprintf(stderr, "snapfold-settings: cannot load %s: %s\n", path.c_str(), ::dlerror());
            return false;
        }
        gCopySnapshot = reinterpret_cast<CopySnapshot>(::dlsym(handle, "SnapfoldCopySettingsSnapshot"));
        if (!gCopySnapshot) {
            std::fprintf(stderr, "snapfold-settings: %s is not the hook library\n", path.c_str());
            return false;
        }
        std::fprintf(stderr, "snapfold-settings: loaded %s\n", path.c_str());
        return true;
    }
    std::fprintf(stderr, "snapfold-settings: no hook library found (build it, or pass --library PATH)\n");
    return false;
}

std::string describeSnapshot() {
    bool enabled = false;
    char name[1024];
    gCopySnapshot(&enabled, name, sizeof name);
    return std::string("isEnabled = ") + (enabled ? "true" : "false") + "; albumName = \"" + name + "\"";
}

int showSnapshot() {
    std::printf("%s\n", describeSnapshot().c_str());
    return 0;
}

int printFile() {
    auto file = foundation::hostPath(kSettingsPathForPages);
    auto value = foundation::readPropertyListFile(file);
    if (!value) {
        bool missing = value.error().code == foundation::ErrorCode::NotFound;
        // No file is a state worth showing; any other failure is an error.
        if (missing) std::printf("%s\n", value.error().message.c_str());
        else std::fprintf(stderr, "snapfold-settings: %s\n", value.error().message.c_str());
        return missing ? 0 : 1;
    }
    std::printf("%s\n%s\n", file.c_str(), value->description().c_str());
    return 0;
}

// Every save goes to the album of this name, so a name that no album can
// have makes every save fail. The hook library takes the name as it is, so
// it is still written, but the person is told.
void warnAboutUnusableAlbumName(const std::string& name) {
    if (name.empty()) {
        std::fprintf(stderr,
                     "snapfold-settings: warning: no album can have an empty name; "
                     "every save will fail until another name is set\n");
    } else if (name == kCameraRollName) {
        std::fprintf(stderr,
                     "snapfold-settings: warning: no album can be named \"%s\", the camera roll's own name; "
                     "every save will fail until another name is set\n",
                     name.c_str());
    }
}

// The new value of `key` from its text, or the exit code of a refusal.
std::variant<foundation::PlistValue, int> settingValue(const std::string& key, const std::string& text) {
    if (key == "isEnabled") {
        if (text == "true" || text == "yes" || text == "on" || text == "1") return foundation::PlistValue(true);
        if (text == "false" || text == "no" || text == "off" || text == "0") return foundation::PlistValue(false);
        std::fprintf(stderr, "snapfold-settings: isEnabled takes true or false, not \"%s\"\n", text.c_str());
        return 2;
    }
    if (key == "albumName") {
        warnAboutUnusableAlbumName(text);
        return foundation::PlistValue(text);
    }
    std::fprintf(stderr, "snapfold-settings: unknown setting \"%s\" (isEnabled, albumName)\n", key.c_str());
    return 2;
}

int changeSetting(const std::string& key, const std::string* text) {
    std::optional<foundation::PlistValue> newValue;
    if (text) {
        auto parsed = settingValue(key, *text);
        if (auto* refused = std::get_if<int>(&parsed)) return *refused;
        newValue = std::get<foundation::PlistValue>(std::move(parsed));
    }
    auto file = foundation::hostPath(kSettingsPathForPages);
    // Held from the read to the rename, as the settings page holds it, so a
    // concurrent change of another key is neither read too early nor lost.
    auto lock = foundation::FileLock::acquire(file);
    if (!lock) {
        std::fprintf(stderr, "snapfold-settings: cannot lock %s: %s\n", file.c_str(), lock.error().message.c_str());
        return 1;
    }
    foundation::PlistValue settings{foundation::NSDictionary{}};
    if (auto existing = foundation::readPropertyListFile(file); existing && existing->isDictionary()) {
        settings = std::move(existing).value();
    } else if (!existing && existing.error().code != foundation::ErrorCode::NotFound) {
        std::fprintf(stderr, "snapfold-settings: %s is unreadable (%s); not overwriting it\n", file.c_str(),
                     existing.error().message.c_str());
        return 1;
    }
    auto& dict = *settings.dictionary();
    if (newValue) {
        dict.insert_or_assign(key, std::move(*newValue));
    } else {
        dict.erase(key);
    }
    if (auto written = foundation::writePropertyListAtomically(file, settings); !written) {
        std::fprintf(stderr, "snapfold-settings: cannot write %s: %s\n", file.c_str(), written.error().message.c_str());
        return 1;
    }
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), kNotification, nullptr, nullptr,
                                         true);
    std::printf("%s: %s\n", file.c_str(), settings.description().c_str());
    return 0;
}

struct WatchState {
    std::mutex mutex;
    std::condition_variable changed;
    int changes = 0;
};
WatchState gWatch;

// Registered after the hook library's own observer, so it runs after the
// library has reloaded the file for the same notification.
void printAfterReload(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    std::printf("changed: %s\n", describeSnapshot().c_str());
    std::fflush(stdout);
    std::lock_guard lock(gWatch.mutex);
    ++gWatch.changes;
    gWatch.changed.notify_all();
}

int watch(int maximumChanges, double timeoutSeconds) {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &printAfterReload,
                                    kNotification, nullptr, CFNotificationSuspensionBehaviorCoalesce);
    std::printf("watching: %s\n", describeSnapshot().c_str());
    std::fflush(stdout);
    std::unique_lock lock(gWatch.mutex);
    auto done = [&] { return maximumChanges > 0 && gWatch.changes >= maximumChanges; };
    if (timeoutSeconds > 0) {
        gWatch.changed.wait_for(lock, std::chrono::duration<double>(timeoutSeconds), done);
    } else {
        gWatch.changed.wait(lock, done);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write (EFBIG, "no space"), never the program
    commandline::Program program("snapfold-settings",
                                 "Shows the settings snapshot the hook library loads, changes a setting as the "
                                 "settings page does (rewrite, then the settings-changed notification), and watches "
                                 "a live snapshot follow changes made elsewhere.");
    auto& app = program.app();
    std::string library;
    app.add_option("--library", library, "the hook library to load (default: the installed one, else the built one)")
        ->type_name("PATH");

    auto* show = program.command("show", "load the hook library and print the snapshot it holds");
    std::string key, value;
    auto* set = program.command("set", "change a setting (isEnabled true|false, albumName NAME), then notify");
    set->add_option("key", key, "isEnabled or albumName")->required();
    set->add_option("value", value, "the new value")->required();
    auto* unset = program.command("unset", "remove a setting, then notify");
    unset->add_option("key", key, "isEnabled or albumName")->required();
    auto* file = program.command("file", "print the settings file as stored");
    int changes = 0;
    double timeout = 0;
    auto* watching = program.command("watch",
                                     "load the hook library and print its snapshot after every settings "
                                     "change, until N changes or the timeout");
    watching->add_option("--changes", changes, "stop after N changes")
        ->type_name("N")
        ->check(commandline::wholeNumberFrom(1));
    watching->add_option("--timeout", timeout, "stop after SECONDS")
        ->type_name("SECONDS")
        ->check(commandline::positiveNumber());
    app.require_subcommand(1);

    if (auto exit = program.parse(argc, argv)) return *exit;
    std::fprintf(stderr, "snapfold-settings: device root %s\n", foundation::deviceRoot().c_str());
    if (*set) return changeSetting(key, &value);
    if (*unset) return changeSetting(key, nullptr);
    if (*file) return printFile();
    if (*show) return loadHookLibrary(library) ? showSnapshot() : 1;
    return loadHookLibrary(library) ? watch(changes, timeout) : 1;
}
