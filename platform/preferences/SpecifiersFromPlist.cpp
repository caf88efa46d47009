#include "platform/preferences/SpecifiersFromPlist.h"

#include "platform/foundation/NSLog.h"

namespace preferences {

namespace {

std::optional<std::vector<std::string>> stringArray(const foundation::PlistValue* value) {
    if (!value || !value->array()) return std::nullopt;
    std::vector<std::string> strings;
    for (const auto& item : *value->array()) strings.push_back(item.string() ? *item.string() : item.description());
    return strings;
}

}  // namespace

PSSpecifierRef specifierFromEntry(const foundation::NSDictionary& entry, const std::shared_ptr<objc::Object>& target,
                                  std::string_view listName, bool resolveClasses) {
    auto specifier = PSSpecifier::create();
    for (const auto& [key, value] : entry) specifier->setProperty(value, key);

    if (auto cell = specifier->stringPropertyForKey("cell")) {
        if (auto type = cellTypeFromString(*cell)) {
            specifier->setCellType(*type);
        } else {
            foundation::NSLog("Preferences: unknown cell type %@ in %@; shown as static text", *cell,
                              std::string(listName));
            specifier->setCellType(PSStaticTextCell);
        }
    } else {
        specifier->setCellType(PSGroupCell);
    }
    specifier->setName(specifier->stringPropertyForKey("label"));

    // Classes and selectors are named in the list and resolved at run time.
    if (auto detail = specifier->stringPropertyForKey("detail"); detail && resolveClasses) {
        objc::Class cls = objc::objc_getClass(*detail);
        if (!cls) foundation::NSLog("Preferences: no class %@ for the detail of %@", *detail, std::string(listName));
        specifier->setDetailControllerClass(cls);
    }
    if (auto cellClass = specifier->stringPropertyForKey("cellClass"); cellClass && resolveClasses) {
        objc::Class cls = objc::objc_getClass(*cellClass);
        if (!cls) foundation::NSLog("Preferences: no cell class %@ in %@", *cellClass, std::string(listName));
        specifier->setCellClass(cls);
    }
    if (auto action = specifier->stringPropertyForKey("action")) specifier->setButtonAction(*action);
    specifier->setAccessors(specifier->stringPropertyForKey("get").value_or(""),
                            specifier->stringPropertyForKey("set").value_or(""));
    specifier->setTarget(target);

    const foundation::PlistValue* values = specifier->propertyForKey("validValues");
    auto titles = stringArray(specifier->propertyForKey("validTitles"));
    if (values && values->array() && titles)
        specifier->setValues(*values->array(), *titles, stringArray(specifier->propertyForKey("shortTitles")));
    return specifier;
}

LoadedSpecifierList specifiersFromPlist(const foundation::PlistValue& list, const std::shared_ptr<objc::Object>& target,
                                        std::string_view listName) {
    LoadedSpecifierList loaded{std::make_shared<SpecifierArray>(), std::nullopt};
    if (const foundation::PlistValue* title = list.objectForKey("title"); title && title->string())
        loaded.title = *title->string();
    const foundation::PlistValue* items = list.objectForKey("items");
    if (!items || !items->array()) {
        foundation::NSLog("Preferences: specifier list %@ has no items", std::string(listName));
        return loaded;
    }
    std::size_t index = 0;
    for (const auto& item : *items->array()) {
        if (!item.dictionary()) {
            foundation::NSLog("Preferences: item %@ of %@ is not a dictionary; skipped", index, std::string(listName));
        } else {
            loaded.specifiers->push_back(specifierFromEntry(*item.dictionary(), target, listName));
        }
        ++index;
    }
    return loaded;
}

}  // namespace preferences
