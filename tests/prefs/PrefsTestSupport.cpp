#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundleResources.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UISwitch.h"
#include "prefs/BundleClasses.h"
#include "prefs/SettingsFile.h"
#include "tests/support/TestSupport.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace prefstest {

void installBundle() {
    static const bool installed = [] {
        testsupport::processDeviceRoot();
        fs::path source = testsupport::buildDirectory() / "Snapfold.bundle";
        fs::path target = foundation::hostPath(snapfold::prefs::kBundlePath);
        std::error_code ec;
        fs::remove_all(target, ec);
        fs::create_directories(target.parent_path(), ec);
        fs::copy(source, target, fs::copy_options::recursive, ec);
        return !ec;
    }();
    ASSERT_TRUE(installed) << "the built bundle could not be installed into the test device";
}

fs::path settingsFile() { return foundation::hostPath(snapfold::prefs::kSettingsFilePath); }

void writeSettingsFile(const foundation::NSDictionary& settings) {
    ASSERT_TRUE(foundation::writePropertyListAtomically(settingsFile(), settings).ok());
}

std::optional<foundation::NSDictionary> readSettingsFile() {
    return foundation::dictionaryWithContentsOfFile(snapfold::prefs::kSettingsFilePath);
}

namespace {
// The notify center's file name for a notification name.
std::string notifyFileName(const std::string& name) {
    std::string out;
    for (char c : name) out += c == '/' ? std::string("%2F") : std::string(1, c);
    return out;
}
constexpr const char* kSentinel = "zz.snapfold.tests/sentinel";
}  // namespace

PostCounter::PostCounter(std::string name) : fileName_(notifyFileName(name)) {
    fd_ = ::inotify_init1(IN_CLOEXEC);
    // Opens are watched too: the kernel merges identical back-to-back events,
    // and an open between two closes keeps every post a separate event.
    if (fd_ >= 0) ::inotify_add_watch(fd_, foundation::notificationDirectory().c_str(), IN_OPEN | IN_CLOSE_WRITE);
}

PostCounter::~PostCounter() {
    if (fd_ >= 0) ::close(fd_);
}

int PostCounter::countAfterDrain() {
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), kSentinel, nullptr, nullptr,
                                         true);
    std::string sentinelFile = notifyFileName(kSentinel);
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 10000) <= 0) {
            ADD_FAILURE() << "the sentinel post never arrived";
            return -1;
        }
        ssize_t got = ::read(fd_, buffer, sizeof buffer);
        for (char* cursor = buffer; got > 0 && cursor < buffer + got;) {
            auto* event = reinterpret_cast<inotify_event*>(cursor);
            std::string name = event->len ? event->name : "";
            cursor += sizeof(inotify_event) + event->len;
            if (!(event->mask & IN_CLOSE_WRITE)) continue;
            if (name == fileName_) ++count_;
            if (name == sentinelFile) return count_;
        }
    }
}

ShownPage showPage(const std::shared_ptr<uikit::UIViewController>& page) {
    ShownPage shown{uikit::UINavigationController::create(), uikit::UINavigationController::create()};
    shown.outer->pushViewController(uikit::UIViewController::create(), false);
    shown.outer->pushViewController(shown.inner, false);
    shown.inner->pushViewController(page, false);
    return shown;
}

void SettingsPageTest::SetUp() {
    testsupport::processDeviceRoot();
    testsupport::clearDevice();
    installBundle();
    snapfold::prefs::registerSettingsBundleClasses();
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"en"});
    foundation::setCoreFoundationVersionNumberForTesting(foundation::kCFCoreFoundationVersionNumber_iOS_8_4);
    uikit::UIDevice::setIdiomForTesting(uikit::UIDevice::IdiomOverride::Phone);
    uikit::NSRunLoop::mainRunLoop().resetForTesting();
    uikit::UIApplication::sharedApplication().resetForTesting();
    uikit::UISwitch::resetAppearanceForTesting();
    std::error_code ec;
    fs::remove_all(foundation::hostPath("/var/mobile/Library/Accounts"), ec);
    fs::remove_all(foundation::hostPath("/var/mobile/Library/Mail"), ec);
    for (const auto& entry : fs::directory_iterator(settingsFile().parent_path(), ec))
        if (entry.path().filename().string().starts_with("com.veltrona.snapfold")) fs::remove(entry.path(), ec);
}

void SettingsPageTest::TearDown() {
    uikit::NSRunLoop::mainRunLoop().resetForTesting();
    foundation::setCoreFoundationVersionNumberForTesting(std::nullopt);
    foundation::setPreferredLanguagesForTesting(std::nullopt);
    uikit::UIDevice::setIdiomForTesting(uikit::UIDevice::IdiomOverride::None);
}

}  // namespace prefstest
