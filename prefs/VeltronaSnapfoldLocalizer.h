// The one place where the settings bundle turns keys into the user's
// language: look-ups in the bundle's strings tables, and whole specifier
// lists localized in place right after they are loaded.
#pragma once

#include "platform/foundation/NSBundleResources.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/runtime/Runtime.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class VeltronaSnapfoldLocalizer : public objc::Object {
public:
    static objc::Class objcClass();
    // The process's shared localizer. The first call, from any thread, makes
    // it as an instance of `receiver` (the class the message went to); every
    // call answers that one instance, which is never freed.
    static std::shared_ptr<VeltronaSnapfoldLocalizer> sharedLocalizer(objc::Class receiver = objcClass());

    // The settings bundle, opened by its install path at every call; nothing
    // when it is not installed.
    foundation::NSBundleRef localizationBundle() const;
    // The text of `key` in `table` (no table: the default table). A key the
    // table lacks, or any key while the bundle is missing, comes back as is.
    std::string localizedStringForKey(std::string_view key, std::optional<std::string_view> table) const;
    std::string localizedStringForKey(std::string_view key) const { return localizedStringForKey(key, std::nullopt); }

    // Stores the localized list into the caller's slot.
    void loadLocalizedSpecifiersForSpecifiers(const preferences::SpecifierList& specifiers,
                                              preferences::SpecifierList* into) const;
    // Localizes every row of the list in place (name, "footerText", the titles
    // of both title dictionaries; their keys are kept) and answers the very
    // list it was given; no list answers no list.
    preferences::SpecifierList localizedSpecifiersForSpecifiers(const preferences::SpecifierList& specifiers,
                                                                std::optional<std::string_view> table) const;
    preferences::SpecifierList localizedSpecifiersForSpecifiers(const preferences::SpecifierList& specifiers) const {
        return localizedSpecifiersForSpecifiers(specifiers, std::nullopt);
    }

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldLocalizer(objc::Class isa = objcClass()) : objc::Object(isa) {}
};
