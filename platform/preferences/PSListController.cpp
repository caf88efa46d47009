#include "platform/preferences/PSListController.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PreferencesSelectors.h"
#include "platform/preferences/SpecifiersFromPlist.h"
#include "platform/uikit/UIApplication.h"

namespace preferences {

namespace {

std::optional<foundation::PlistValue> readPreferenceValueImp(objc::id self, objc::SEL, PSSpecifier* specifier) {
    auto* page = dynamic_cast<PSListController*>(self);
    return page ? page->readPreferenceValue(specifier) : std::nullopt;
}

void setPreferenceValueImp(objc::id self, objc::SEL, std::optional<foundation::PlistValue> value,
                           PSSpecifier* specifier) {
    if (auto* page = dynamic_cast<PSListController*>(self)) page->setPreferenceValue(std::move(value), specifier);
}

// The framework's own preference storage: one file per "defaults" domain.
std::optional<std::string> domainFile(const PSSpecifier& specifier) {
    auto domain = specifier.stringPropertyForKey("defaults");
    if (!domain || domain->empty() || domain->find('/') != std::string::npos) return std::nullopt;
    return "/var/mobile/Library/Preferences/" + *domain + ".plist";
}

}  // namespace

objc::Class PSListController::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass("PSListController", uikit::UIViewController::objcClass(),
                                                    [](objc::Class isa) { return objc::make<PSListController>(isa); });
        objc::class_addMethod(made, kReadPreferenceValue, &readPreferenceValueImp);
        objc::class_addMethod(made, kSetPreferenceValueSpecifier, &setPreferenceValueImp);
        return made;
    }();
    return cls;
}

std::shared_ptr<PSListController> PSListController::create() { return objc::make<PSListController>(); }

SpecifierList PSListController::specifiers() {
    if (!_specifiers) _specifiers = std::make_shared<SpecifierArray>();
    return _specifiers;
}

SpecifierList PSListController::loadSpecifiersFromPlistName(std::string_view name,
                                                            const std::shared_ptr<objc::Object>& target) {
    // The framework's own classes that lists name must be known before a list is read.
    PSListItemsController::objcClass();
    PSTableCell::objcClass();
    if (!bundle_) {
        foundation::NSLog("Preferences: %@ has no bundle to load %@ from", isa()->name(), std::string(name));
        return std::make_shared<SpecifierArray>();
    }
    auto path = bundle_->pathForResource(name, "plist");
    if (!path) {
        foundation::NSLog("Preferences: no specifier list %@ in %@", std::string(name), bundle_->bundlePath());
        return std::make_shared<SpecifierArray>();
    }
    auto list = foundation::readPropertyListFile(foundation::hostPath(*path));
    if (!list) {
        foundation::NSLog("Preferences: cannot read %@: %@", *path, list.error().message);
        return std::make_shared<SpecifierArray>();
    }
    return specifiersFromPlist(list.value(), target, name).specifiers;
}

std::optional<foundation::PlistValue> PSListController::readPreferenceValue(PSSpecifier* specifier) {
    if (!specifier) return std::nullopt;
    auto key = specifier->stringPropertyForKey("key");
    auto file = domainFile(*specifier);
    if (key && file) {
        if (auto stored = foundation::dictionaryWithContentsOfFile(*file)) {
            if (auto it = stored->find(*key); it != stored->end()) return it->second;
        }
    }
    if (const foundation::PlistValue* fallback = specifier->propertyForKey("default")) return *fallback;
    return std::nullopt;
}

void PSListController::setPreferenceValue(std::optional<foundation::PlistValue> value, PSSpecifier* specifier) {
    if (!specifier) return;
    auto key = specifier->stringPropertyForKey("key");
    auto file = domainFile(*specifier);
    if (!key || !file) {
        foundation::NSLog("Preferences: row %@ has no key or defaults domain; nothing stored", specifier->identifier());
        return;
    }
    foundation::NSDictionary stored = foundation::dictionaryWithContentsOfFile(*file).value_or(
        foundation::NSDictionary{});
    if (value) stored.insert_or_assign(*key, std::move(*value));
    else stored.erase(*key);
    if (auto written = foundation::writePropertyListAtomically(foundation::hostPath(*file), stored); !written)
        foundation::NSLog("Preferences: cannot write %@: %@", *file, written.error().message);
    if (auto notification = specifier->stringPropertyForKey("PostNotification"))
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), notification->c_str(),
                                             nullptr, nullptr, true);
}

std::vector<PSListController::Section> PSListController::sections() {
    std::vector<Section> grouped;
    SpecifierList rows = specifiers();
    if (!rows) return grouped;
    for (const auto& specifier : *rows) {
        if (!specifier) continue;
        if (specifier->cellType() == PSGroupCell) {
            grouped.push_back(Section{specifier, {}});
        } else {
            if (grouped.empty()) grouped.push_back(Section{nullptr, {}});
            grouped.back().rows.push_back(specifier);
        }
    }
    return grouped;
}

long PSListController::numberOfSectionsInTableView(uikit::UITableView&) { return static_cast<long>(sections().size()); }

long PSListController::tableViewNumberOfRowsInSection(uikit::UITableView&, long section) {
    auto grouped = sections();
    if (section < 0 || static_cast<std::size_t>(section) >= grouped.size()) return 0;
    return static_cast<long>(grouped[static_cast<std::size_t>(section)].rows.size());
}

PSSpecifierRef PSListController::specifierAtIndexPath(uikit::NSIndexPath indexPath) {
    auto grouped = sections();
    if (indexPath.section < 0 || static_cast<std::size_t>(indexPath.section) >= grouped.size()) return nullptr;
    const auto& rows = grouped[static_cast<std::size_t>(indexPath.section)].rows;
    if (indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= rows.size()) return nullptr;
    return rows[static_cast<std::size_t>(indexPath.row)];
}

std::optional<uikit::NSIndexPath> PSListController::indexPathForSpecifier(const PSSpecifier& specifier) {
    auto grouped = sections();
    for (std::size_t s = 0; s < grouped.size(); ++s)
        for (std::size_t r = 0; r < grouped[s].rows.size(); ++r)
            if (grouped[s].rows[r].get() == &specifier)
                return uikit::NSIndexPath{static_cast<long>(s), static_cast<long>(r)};
    return std::nullopt;
}

PSSpecifierRef PSListController::specifierForID(std::string_view identifier) {
    SpecifierList rows = specifiers();
    if (!rows) return nullptr;
    for (const auto& specifier : *rows)
        if (specifier && specifier->stringPropertyForKey("id") == std::optional<std::string>(identifier))
            return specifier;
    for (const auto& specifier : *rows)
        if (specifier && specifier->stringPropertyForKey("key") == std::optional<std::string>(identifier))
            return specifier;
    for (const auto& specifier : *rows)
        if (specifier && specifier->name() == std::optional<std::string>(identifier)) return specifier;
    return nullptr;
}

uikit::UITableViewCellRef PSListController::tableViewCellForRowAtIndexPath(uikit::UITableView&,
                                                                           uikit::NSIndexPath indexPath) {
    PSSpecifierRef specifier = specifierAtIndexPath(indexPath);
    if (!specifier) return nullptr;
    long type = specifier->cellType();
    PSTableCellRef cell;
    if (objc::Class custom = specifier->cellClass()) {
        std::shared_ptr<objc::Object> allocated = objc::msgSend(custom, objc::kAlloc);
        auto made = objc::msgSend(allocated.get(), kInitWithStyleReuseIdentifierSpecifier,
                                  PSTableCell::styleForType(type), std::string(custom->name()), specifier.get());
        cell = std::dynamic_pointer_cast<PSTableCell>(made);
        if (!cell) foundation::NSLog("Preferences: %@ made no cell; the row gets a plain one", custom->name());
    }
    if (!cell) {
        cell = PSTableCell::create(PSTableCell::styleForType(type), PSTableCell::reuseIdentifierForType(type),
                                   specifier.get());
    }
    if (!cell->specifier()) cell->setSpecifier(specifier);
    if (cell->control()) cell->control()->applyAppearanceOfContainer(isa());
    if (specifier->propertyForKey("key") || !specifier->getter().empty()) cell->setValue(valueForSpecifier(*specifier));
    return cell;
}

std::optional<std::string> PSListController::tableViewTitleForHeaderInSection(uikit::UITableView&, long section) {
    auto grouped = sections();
    if (section < 0 || static_cast<std::size_t>(section) >= grouped.size() ||
        !grouped[static_cast<std::size_t>(section)].group)
        return std::nullopt;
    const auto& name = grouped[static_cast<std::size_t>(section)].group->name();
    if (!name || name->empty()) return std::nullopt;
    return name;
}

std::optional<std::string> PSListController::tableViewTitleForFooterInSection(uikit::UITableView&, long section) {
    auto grouped = sections();
    if (section < 0 || static_cast<std::size_t>(section) >= grouped.size() ||
        !grouped[static_cast<std::size_t>(section)].group)
        return std::nullopt;
    return grouped[static_cast<std::size_t>(section)].group->stringPropertyForKey("footerText");
}

uikit::UITableViewRef PSListController::table() {
    view();
    return table_;
}

void PSListController::loadView() {
    table_ = uikit::UITableView::create(uikit::CGRectMake(0, 0, 320, 568));
    table_->setDataSource(std::dynamic_pointer_cast<uikit::UITableViewDataSource>(retain()));
    setView(table_);
}

std::optional<foundation::PlistValue> PSListController::valueForSpecifier(PSSpecifier& specifier) {
    auto target = specifier.target();
    objc::Object* receiver = target ? target.get() : this;
    if (!specifier.getter().empty()) {
        objc::TypedSelector<std::optional<foundation::PlistValue>(PSSpecifier*)> getter(specifier.getter().c_str());
        objc::Method* method = objc::object_getClass(receiver)->findMethod(getter.sel());
        if (method && method->signature == decltype(getter)::signature())
            return objc::msgSend(receiver, getter, &specifier);
        foundation::NSLog("Preferences: %@ has no getter %@", receiver->description(), specifier.getter());
        return std::nullopt;
    }
    return objc::msgSend(receiver, kReadPreferenceValue, &specifier);
}

void PSListController::setValueForSpecifier(std::optional<foundation::PlistValue> value, PSSpecifier& specifier) {
    auto target = specifier.target();
    objc::Object* receiver = target ? target.get() : this;
    if (!specifier.setter().empty()) {
        objc::TypedSelector<void(std::optional<foundation::PlistValue>, PSSpecifier*)> setter(
            specifier.setter().c_str());
        objc::Method* method = objc::object_getClass(receiver)->findMethod(setter.sel());
        if (method && method->signature == decltype(setter)::signature()) {
            objc::msgSend(receiver, setter, std::move(value), &specifier);
            return;
        }
        foundation::NSLog("Preferences: %@ has no setter %@", receiver->description(), specifier.setter());
        return;
    }
    objc::msgSend(receiver, kSetPreferenceValueSpecifier, std::move(value), &specifier);
}

bool PSListController::performActionForSpecifier(PSSpecifier& specifier) {
    if (specifier.buttonAction().empty()) return false;
    auto target = specifier.target();
    return uikit::UIApplication::sendAction(specifier.buttonAction(), target ? target.get() : this, &specifier);
}

std::shared_ptr<PSListController> PSListController::controllerForSpecifier(const PSSpecifierRef& specifier) {
    objc::Class cls = specifier ? specifier->detailControllerClass() : nullptr;
    if (!cls) return nullptr;
    auto page = std::dynamic_pointer_cast<PSListController>(objc::allocInit(cls));
    if (!page) {
        foundation::NSLog("Preferences: %@ is not a list page", cls->name());
        return nullptr;
    }
    page->setBundle(bundle_);
    // A pushed page is titled by the row that opened it until it sets its own title.
    page->setTitle(specifier->name().value_or(""));
    page->setSpecifier(specifier);
    page->parentController_ = std::static_pointer_cast<PSListController>(retain());
    return page;
}

}  // namespace preferences
