#include "prefs/VeltronaSnapfoldLocalizer.h"

#include "platform/runtime/Selector.h"
#include "prefs/SettingsFile.h"

#include <mutex>

namespace {
const objc::TypedSelector<std::shared_ptr<objc::Object>()> kSharedLocalizer{"sharedLocalizer"};

std::shared_ptr<objc::Object> sharedLocalizerImp(objc::id self, objc::SEL) {
    return VeltronaSnapfoldLocalizer::sharedLocalizer(static_cast<objc::Class>(self));
}
}  // namespace

objc::Class VeltronaSnapfoldLocalizer::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass(
            "VeltronaSnapfoldLocalizer", objc::rootClass(),
            [](objc::Class isa) { return objc::make<VeltronaSnapfoldLocalizer>(isa); });
        objc::class_addMethod(made->metaClass(), kSharedLocalizer, &sharedLocalizerImp);
        return made;
    }();
    return cls;
}

std::shared_ptr<VeltronaSnapfoldLocalizer> VeltronaSnapfoldLocalizer::sharedLocalizer(objc::Class receiver) {
    // The slot and its guard live as long as the process.
    static std::once_flag once;
    static std::shared_ptr<VeltronaSnapfoldLocalizer>* slot = nullptr;
    std::call_once(once, [receiver] {
        auto made = std::dynamic_pointer_cast<VeltronaSnapfoldLocalizer>(
            objc::allocInit(receiver ? receiver : objcClass()));
        if (!made) made = objc::make<VeltronaSnapfoldLocalizer>();
        slot = new std::shared_ptr<VeltronaSnapfoldLocalizer>(std::move(made));
    });
    return *slot;
}

foundation::NSBundleRef VeltronaSnapfoldLocalizer::localizationBundle() const {
    return foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath);
}

std::string VeltronaSnapfoldLocalizer::localizedStringForKey(std::string_view key,
                                                             std::optional<std::string_view> table) const {
    auto bundle = localizationBundle();
    // Without the bundle the pages still need text: the key itself.
    if (!bundle) return std::string(key);
    return bundle->localizedStringForKey(key, "", table);
}

void VeltronaSnapfoldLocalizer::loadLocalizedSpecifiersForSpecifiers(const preferences::SpecifierList& specifiers,
                                                                     preferences::SpecifierList* into) const {
    if (into) *into = localizedSpecifiersForSpecifiers(specifiers);
}

preferences::SpecifierList VeltronaSnapfoldLocalizer::localizedSpecifiersForSpecifiers(
    const preferences::SpecifierList& specifiers, std::optional<std::string_view> table) const {
    if (!specifiers) return nullptr;
    auto localizeTitles = [&](const preferences::TitleDictionary& titles) {
        preferences::TitleDictionary localized;
        localized.reserve(titles.size());
        for (const auto& [value, title] : titles) localized.emplace_back(value, localizedStringForKey(title, table));
        return localized;
    };
    // One walk, front to back, changing rows but never the list itself (no
    // row added, removed or moved), so positions stay valid for whoever
    // holds the list.
    for (const auto& specifier : *specifiers) {
        if (!specifier) continue;
        // The row's title.
        if (const auto& name = specifier->name()) specifier->setName(localizedStringForKey(*name, table));
        // The group's footer.
        if (auto footer = specifier->stringPropertyForKey("footerText"))
            specifier->setProperty(foundation::PlistValue(localizedStringForKey(*footer, table)), "footerText");
        // The choices' titles and short titles, in new dictionaries with the
        // same keys, so that each value still selects its choice.
        if (const auto& titles = specifier->titleDictionary()) specifier->setTitleDictionary(localizeTitles(*titles));
        if (const auto& shortTitles = specifier->shortTitleDictionary())
            specifier->setShortTitleDictionary(localizeTitles(*shortTitles));
    }
    // The very list that came in: a caller may go on using its own reference.
    return specifiers;
}
