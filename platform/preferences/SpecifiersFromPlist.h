// The specifier-list reader: turns a list in the ecosystem's property-list
// format ("items" of dictionaries with cell, label, key, default, defaults,
// PostNotification, detail, cellClass, action, get, set, footerText,
// validValues/validTitles/shortTitles, ...) into specifiers.
#pragma once

#include "platform/preferences/PSSpecifier.h"

#include <memory>
#include <optional>
#include <string>

namespace preferences {

struct LoadedSpecifierList {
    SpecifierList specifiers;
    // The list's "title", when it has one.
    std::optional<std::string> title;
};

// Builds the rows of a parsed list, in list order, bound to `target`: its
// actions and value accessors go there. Entries that are not dictionaries
// are skipped and logged; an unknown cell type, detail class or cell class is
// logged and left out of the row (a row of unknown type shows as static text).
// Every key of an entry stays in the row's properties.
LoadedSpecifierList specifiersFromPlist(const foundation::PlistValue& list, const std::shared_ptr<objc::Object>& target,
                                        std::string_view listName);

// One entry of a list as a specifier (also used for the Settings app's
// entries, which are single specifier dictionaries). An entry whose bundle is
// not loaded yet names classes that do not exist yet: with `resolveClasses`
// false, "detail" and "cellClass" stay properties only.
PSSpecifierRef specifierFromEntry(const foundation::NSDictionary& entry, const std::shared_ptr<objc::Object>& target,
                                  std::string_view listName, bool resolveClasses = true);

}  // namespace preferences
