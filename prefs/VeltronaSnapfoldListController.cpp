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

// Reads the file, sets the one key and replaces the file atomically, so that
// readers see the old file or the new one. The settings file's lock is held
// from the read to the replacement: another writer (the settings tool, a
// second Settings app) changing another key meanwhile would otherwise have its
// change written over. Failures are logged; the caller posts all the same.
void writeSetting(const fs::path& file, const std::string& key, foundation::PlistValue value) {
    auto lock = foundation::FileLock::acquire(file);
    if (!lock) {
        NSLog("Snapfold: cannot lock the settings file: %@", lock.error().message);
        return;
    }
    foundation::NSDictionary settings;
    auto existing = foundation::readPropertyListFile(file);
    if (existing && existing->isDictionary()) {
        settings = std::move(*existing.value().dictionary());
    } else if (existing || existing.error().code != foundation::ErrorCode::NotFound) {
        if (!keepUnreadableCopy(file)) return;
    }
    settings.insert_or_assign(key, std::move(value));
    if (auto written = foundation::writePropertyListAtomically(file, settings); !written)
        NSLog("Snapfold: cannot write the settings file: %@", written.error().message);
}

}  // namespace

objc::Class VeltronaSnapfoldListController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldListController", preferences::PSListController::objcClass(),
        [](objc::Class isa) { return objc::make<VeltronaSnapfoldListController>(isa); });
    return cls;
}

std::shared_ptr<VeltronaSnapfoldListController> VeltronaSnapfoldListController::create() {
    return objc::make<VeltronaSnapfoldListController>();
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
    // The rows' actions and values go to this page. The list is localized in
    // place and handed back as it is, so the caller keeps the very rows that
    // were loaded.
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
    writeSetting(foundation::hostPath(snapfold::prefs::kSettingsFilePath), *key, std::move(*value));
    // Every process that has loaded the hook library is told, even when the
    // write failed: they then reread an unchanged file.
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
        // One order serves both bars: the three are separate properties of
        // the bar, none of which a setter derives from another, and they are
        // only read when the bar is drawn.
        bar->setTintColor(uikit::UIColor::whiteColor());
        bar->setBarTintColor(barTintColor());
        bar->setTitleTextAttributes(whiteTitle);
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
