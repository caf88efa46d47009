// Specifier lists and the Settings app's entry lists, read by the Preferences
// stand-in and shown as pages, as the Settings host shows them.
#include "fuzz/FuzzEntries.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PageDescription.h"
#include "platform/preferences/PreferenceLoaderEntries.h"
#include "platform/preferences/SpecifiersFromPlist.h"

#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {

// A page whose rows are set from outside, as a bundle's page sets them from
// its list.
class FuzzedPage : public preferences::PSListController {
public:
    static std::shared_ptr<FuzzedPage> create() { return objc::make<FuzzedPage>(); }
    void setRows(preferences::SpecifierList rows) { _specifiers = std::move(rows); }

protected:
    friend objc::Allocation;
    FuzzedPage() = default;
};

// Every key of every dictionary entry must reach its row; entries that are
// not dictionaries are the only ones left out.
Finding checkRows(const foundation::PlistValue& list, const preferences::SpecifierList& rows) {
    const foundation::PlistValue* items = list.objectForKey("items");
    std::size_t expected = 0;
    if (items && items->array()) {
        for (const auto& item : *items->array()) {
            if (!item.dictionary()) continue;
            if (expected >= rows->size()) return "a dictionary entry made no row";
            const preferences::PSSpecifier& row = *(*rows)[expected++];
            for (const auto& [key, value] : *item.dictionary())
                if (!row.propertyForKey(key) || *row.propertyForKey(key) != value)
                    return "the row lost its entry's key \"" + key + "\"";
        }
    }
    if (expected != rows->size()) return "rows without a dictionary entry";
    return std::nullopt;
}

// The sections hold every row once: group rows open them, the others fill them.
Finding checkSections(preferences::PSListController& page, std::size_t rowCount) {
    std::size_t shown = 0;
    for (const auto& section : page.sections()) shown += (section.group ? 1 : 0) + section.rows.size();
    if (shown != rowCount) return "the page's sections do not hold every row once";
    return std::nullopt;
}

// An installed bundle without an executable, so that entries naming a
// bundle get as far as loading it.
void installBundleWithoutExecutable() {
    static const bool installed = [] {
        std::filesystem::path bundle = foundation::hostPath("/Library/PreferenceBundles/FuzzedSettings.bundle");
        std::error_code ignored;
        std::filesystem::create_directories(bundle, ignored);
        std::ofstream(bundle / "Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                                                "<string>com.example.fuzzed</string></dict></plist>\n";
        return true;
    }();
    (void)installed;
}

}  // namespace

Finding feedSpecifierList(Input bytes) {
    auto list = foundation::parsePropertyList(asText(bytes));
    if (!list) return std::nullopt;
    auto page = FuzzedPage::create();
    auto loaded = preferences::specifiersFromPlist(list.value(), page, "Fuzzed");
    if (Finding finding = checkRows(list.value(), loaded.specifiers)) return finding;
    page->setRows(loaded.specifiers);
    if (loaded.title) page->setTitle(*loaded.title);
    (void)preferences::describePage(*page);
    return checkSections(*page, loaded.specifiers->size());
}

Finding feedPreferenceLoaderEntry(Input bytes) {
    installBundleWithoutExecutable();
    std::filesystem::path file = foundation::hostPath(std::string(preferences::kPreferenceLoaderFolder) +
                                                      "/FuzzedEntry.plist");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto entries = preferences::preferenceLoaderEntries();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);

    if (entries.size() > 1) return "one entry list made several entries";
    for (const auto& entry : entries) {
        if (entry.label.empty()) return "an entry without a label was listed";
        if (auto page = preferences::openPreferenceLoaderEntry(entry)) (void)preferences::describePage(*page);
    }
    return std::nullopt;
}

}  // namespace fuzz
