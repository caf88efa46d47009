#include "platform/preferences/PreferenceLoaderEntries.h"

#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/preferences/PreferenceBundleLoader.h"
#include "platform/preferences/SpecifiersFromPlist.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace preferences {

namespace {

// A page of rows that an entry list carries itself.
class PLCustomListController : public PSListController {
public:
    static objc::Class objcClass() {
        static objc::Class cls = objc::objc_registerClass(
            "PLCustomListController", PSListController::objcClass(),
            [](objc::Class isa) { return objc::make<PLCustomListController>(isa); });
        return cls;
    }
    static std::shared_ptr<PLCustomListController> create() { return objc::make<PLCustomListController>(); }

    void setList(foundation::NSDictionary list, std::string name) {
        list_ = std::move(list);
        name_ = std::move(name);
    }
    SpecifierList specifiers() override {
        if (!_specifiers) {
            auto loaded = specifiersFromPlist(foundation::PlistValue(list_), retain(), name_);
            _specifiers = loaded.specifiers;
            if (loaded.title) setTitle(*loaded.title);
        }
        return _specifiers;
    }

protected:
    friend objc::Allocation;
    explicit PLCustomListController(objc::Class isa = objcClass()) : PSListController(isa) {}

private:
    foundation::NSDictionary list_;
    std::string name_;
};

std::string folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// True when the entry's Core Foundation range admits this device.
bool passesFilter(const foundation::NSDictionary& list) {
    for (const char* key : {"pl_filter", "filter"}) {
        auto filter = list.find(key);
        if (filter == list.end()) continue;
        const foundation::PlistValue* range = filter->second.objectForKey("CoreFoundationVersion");
        if (!range || !range->array() || range->array()->empty()) continue;
        double version = foundation::kCFCoreFoundationVersionNumber();
        const auto& bounds = *range->array();
        if (auto minimum = bounds[0].real(); minimum && version < *minimum) return false;
        if (bounds.size() > 1)
            if (auto maximum = bounds[1].real(); maximum && version >= *maximum) return false;
    }
    return true;
}

std::optional<std::string> resolveBundlePath(const PSSpecifier& entry) {
    std::error_code ec;
    if (auto explicitPath = entry.stringPropertyForKey("bundlePath"))
        if (fs::exists(foundation::hostPath(*explicitPath), ec)) return explicitPath;
    auto name = entry.stringPropertyForKey("bundle");
    if (!name || name->empty() || name->find('/') != std::string::npos) return std::nullopt;
    for (const char* folder : {"/Library/PreferenceBundles/", "/System/Library/PreferenceBundles/"}) {
        std::string candidate = folder + *name + ".bundle";
        if (fs::is_directory(foundation::hostPath(candidate), ec)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

std::vector<PreferenceLoaderEntry> preferenceLoaderEntries() {
    std::vector<PreferenceLoaderEntry> entries;
    fs::path root = foundation::hostPath(kPreferenceLoaderFolder);
    std::error_code ec;
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->path().extension() == ".plist" && it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::string devicePath = std::string(kPreferenceLoaderFolder) + "/" + fs::relative(file, root, ec).string();
        auto list = foundation::readPropertyListFile(file);
        if (!list || !list->isDictionary()) {
            foundation::NSLog("PreferenceLoader: %@ is not a readable list; skipped", devicePath);
            continue;
        }
        const foundation::PlistValue* entryValue = list->objectForKey("entry");
        if (!entryValue || !entryValue->dictionary()) {
            foundation::NSLog("PreferenceLoader: %@ has no entry; skipped", devicePath);
            continue;
        }
        if (!passesFilter(*list->dictionary())) continue;
        PreferenceLoaderEntry entry;
        entry.file = devicePath;
        entry.specifier = specifierFromEntry(*entryValue->dictionary(), nullptr, devicePath, false);
        if (entry.specifier->cellType() != PSLinkCell || !entry.specifier->name() || entry.specifier->name()->empty()) {
            foundation::NSLog("PreferenceLoader: the entry of %@ is not a labelled PSLinkCell; skipped", devicePath);
            continue;
        }
        entry.label = *entry.specifier->name();
        entry.list = *list->dictionary();
        if (entry.specifier->propertyForKey("bundle") || entry.specifier->propertyForKey("bundlePath")) {
            entry.bundlePath = resolveBundlePath(*entry.specifier);
            if (!entry.bundlePath) {
                foundation::NSLog("PreferenceLoader: the bundle of %@ is not installed; skipped", devicePath);
                continue;
            }
            const foundation::PlistValue* isController = entry.specifier->propertyForKey("isController");
            entry.isController = isController && isController->boolValue().value_or(false);
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return folded(a.label) < folded(b.label); });
    return entries;
}

PSListControllerRef openPreferenceLoaderEntry(const PreferenceLoaderEntry& entry) {
    if (!entry.bundlePath) {
        auto page = PLCustomListController::create();
        page->setList(entry.list, fs::path(entry.file).stem().string());
        page->setSpecifier(entry.specifier);
        page->setTitle(entry.label);
        return page;
    }
    auto loaded = loadPreferenceBundle(*entry.bundlePath);
    if (!loaded) {
        foundation::NSLog("There was an error loading the preference bundle for %@. (%@)", entry.label,
                          loaded.error().message);
        return nullptr;
    }
    auto page = makeRootController(loaded.value());
    if (!page) return nullptr;
    page->setSpecifier(entry.specifier);
    // As a page a row opens, the first page is titled by its entry until it
    // sets a title of its own; the page after it says so on its back button.
    page->setTitle(entry.label);
    return page;
}

}  // namespace preferences
