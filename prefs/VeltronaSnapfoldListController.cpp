#include "prefs/VeltronaSnapfoldListController.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileLock.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UISwitch.h"
#include "prefs/SettingsFile.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"

#include <filesystem>

namespace fs = std::filesystem;
using foundation::NSLog;

namespace {

bool insideNestedNavigation() {
    double version = foundation::kCFCoreFoundationVersionNumber();
    return version >= 1140.1 && version <= 1141.18;
}

// Keeps an unreadable settings file beside itself before it is replaced, so
// that the settings it may still hold are not lost: "<file>.unreadable", or
// "<file>.unreadable.N" when earlier copies exist.
bool keepUnreadableCopy(const fs::path& file) {
    fs::path copy = file;
    copy += ".unreadable";
    std::error_code ec;
    for (int n = 1; fs::exists(copy, ec) && n < 1000; ++n) {
        copy = file;
        copy += ".unreadable." + std::to_string(n);
    }
    fs::copy_file(file, copy, fs::copy_options::none, ec);
    if (ec) {
        NSLog("Snapfold: cannot keep a copy of the unreadable settings file (%@); it is left as it is", ec.message());
        return false;
    }
    NSLog("Snapfold: the settings file could not be read; it was kept as %@", copy.filename().string());
    return true;
}

// Changes one key of the settings file. The lock beside the file is held
// from the read to the rename, so that another writer (a second page, the
// settings tool) changing another key at the same moment neither reads the
// file before this change lands nor replaces it with a copy that lacks it.
void writeSettings(const std::string& key, foundation::PlistValue value) {
    fs::path file = foundation::hostPath(snapfold::prefs::kSettingsFilePath);
    auto lock = foundation::FileLock::acquire(file);
    if (!lock) {
        NSLog("Snapfold: cannot lock the settings file, nothing written: %@", lock.error().message);
        return;
    }
    // 1. Start from every entry of the file as it is now.
    foundation::NSDictionary settings;
    auto existing = foundation::readPropertyListFile(file);
    if (existing && existing->isDictionary()) {
        settings = std::move(*existing.value().dictionary());
    } else if (existing || existing.error().code != foundation::ErrorCode::NotFound) {
        if (!keepUnreadableCopy(file)) return;
    }
    // 2. Set the one key.
    settings.insert_or_assign(key, std::move(value));
    // 3. Replace the file atomically: readers see the old or the new file.
    if (auto written = foundation::writePropertyListAtomically(file, settings); !written)
        NSLog("Snapfold: cannot write the settings file: %@", written.error().message);
}

}  // namespace

objc::Class VeltronaSnapfoldListController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldListController", preferences::PSListController::objcClass(),
        [](objc::Class isa) { return std::make_shared<VeltronaSnapfoldListController>(isa); });
    return cls;
}

uikit::UIColorRef VeltronaSnapfoldListController::barTintColor() {
    return uikit::UIColor::colorWithRed(0.016, 0.369, 0.325, 1);
}
uikit::UIColorRef VeltronaSnapfoldListController::switchOnTintColor() {
    return uikit::UIColor::colorWithRed(0.165, 0.608, 0.557, 1);
}
uikit::UIColorRef VeltronaSnapfoldListController::rowTitleColor() {
    return uikit::UIColor::colorWithRed(22 / 255.0, 36 / 255.0, 51 / 255.0, 1);
}

preferences::SpecifierList VeltronaSnapfoldListController::specifiersForPlistName(std::string_view name) {
    // 1. Load with the page as target; 2. the caller keeps the list;
    // 3. localize it in place.
    preferences::SpecifierList loaded = loadSpecifiersFromPlistName(name, retain());
    return VeltronaSnapfoldLocalizer::sharedLocalizer()->localizedSpecifiersForSpecifiers(loaded);
}

std::optional<foundation::PlistValue> VeltronaSnapfoldListController::readPreferenceValue(
    preferences::PSSpecifier* specifier) {
    if (!specifier) return std::nullopt;
    // The file is read afresh at every access; a missing or unreadable file
    // holds nothing, so every row shows its default.
    auto settings = foundation::dictionaryWithContentsOfFile(snapfold::prefs::kSettingsFilePath);
    if (auto key = specifier->stringPropertyForKey("key"); key && settings) {
        if (auto stored = settings->find(*key); stored != settings->end()) return stored->second;
    }
    if (const foundation::PlistValue* fallback = specifier->propertyForKey("default")) return *fallback;
    return std::nullopt;
}

void VeltronaSnapfoldListController::setPreferenceValue(std::optional<foundation::PlistValue> value,
                                                        preferences::PSSpecifier* specifier) {
    if (!specifier) return;
    auto key = specifier->stringPropertyForKey("key");
    if (!key || !value) {
        NSLog("Snapfold: row %@ has %@; nothing stored or posted", specifier->identifier(),
              std::string(!key ? "no key" : "no value"));
        return;
    }
    writeSettings(*key, std::move(*value));
    // 4. Tell every process that has loaded the hook library, even when the
    //    write failed: they then reread an unchanged file.
    auto notification = specifier->stringPropertyForKey("PostNotification");
    if (!notification || notification->empty()) {
        NSLog("Snapfold: row %@ names no PostNotification; nothing posted", specifier->identifier());
        return;
    }
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), notification->c_str(), nullptr,
                                         nullptr, true);
}

uikit::UINavigationBar* VeltronaSnapfoldListController::styledNavigationBar() const {
    uikit::UINavigationController* own = navigationController();
    if (!own) return nullptr;
    if (insideNestedNavigation()) {
        uikit::UINavigationController* outer = own->navigationController();
        return outer ? &outer->navigationBar() : nullptr;
    }
    return &own->navigationBar();
}

void VeltronaSnapfoldListController::viewWillAppear(bool animated) {
    preferences::PSListController::viewWillAppear(animated);
    uikit::TitleTextAttributes whiteTitle{{uikit::NSForegroundColorAttributeName, uikit::UIColor::whiteColor()}};
    if (uikit::UINavigationBar* bar = styledNavigationBar()) {
        if (insideNestedNavigation()) {
            bar->setTintColor(uikit::UIColor::whiteColor());
            bar->setBarTintColor(barTintColor());
            bar->setTitleTextAttributes(whiteTitle);
        } else {
            bar->setTitleTextAttributes(whiteTitle);
            bar->setTintColor(uikit::UIColor::whiteColor());
            bar->setBarTintColor(barTintColor());
        }
    }
    // Each page class colours the switches it contains; never reset.
    uikit::UISwitch::appearanceWhenContainedIn(isa()).setOnTintColor(switchOnTintColor());
    auto& application = uikit::UIApplication::sharedApplication();
    prevStatusStyle_ = application.statusBarStyle();
    application.setStatusBarStyle(uikit::UIStatusBarStyleLightContent);
}

void VeltronaSnapfoldListController::viewWillDisappear(bool animated) {
    preferences::PSListController::viewWillDisappear(animated);
    if (uikit::UINavigationBar* bar = styledNavigationBar()) {
        bar->setTintColor(nullptr);
        bar->setBarTintColor(nullptr);
        bar->setTitleTextAttributes(std::nullopt);
    }
    uikit::UIApplication::sharedApplication().setStatusBarStyle(static_cast<long>(prevStatusStyle_));
}

uikit::UITableViewCellRef VeltronaSnapfoldListController::tableViewCellForRowAtIndexPath(uikit::UITableView& tableView,
                                                                                        uikit::NSIndexPath indexPath) {
    auto cell = preferences::PSListController::tableViewCellForRowAtIndexPath(tableView, indexPath);
    if (cell && cell->textLabel()) cell->textLabel()->setTextColor(rowTitleColor());
    return cell;
}
