#include "platform/runtime/Runtime.h"

#include "platform/runtime/Selector.h"

#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace objc {

namespace {

// Interned selectors. Selectors are never freed, so a SEL stays valid for the
// life of the process.
struct SelectorTable {
    std::mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<Selector>> byName;
};

SelectorTable& selectors() {
    static auto* table = new SelectorTable;  // Leaked on purpose: lives past every static destructor.
    return *table;
}

struct ClassRegistry {
    std::shared_mutex mutex;
    std::unordered_map<std::string, Class> byName;
    // Owns every class object ever registered, also one removed from byName
    // by a test, so that a Class stays valid for the life of the process.
    std::vector<std::shared_ptr<ClassObject>> owned;
};

ClassRegistry& registry() {
    static auto* instance = new ClassRegistry;
    return *instance;
}

}  // namespace

SEL sel_registerName(std::string_view name) {
    auto& table = selectors();
    std::lock_guard lock(table.mutex);
    auto [it, inserted] = table.byName.try_emplace(std::string(name));
    if (inserted) it->second = std::make_unique<Selector>(Selector{std::string(name)});
    return it->second.get();
}

// The method table of a class is immutable once published: adding a method
// publishes a new table and keeps the old one (tables are few and small), so a
// lookup is a lock-free load while another thread adds or hooks a method.
struct ClassObject::MethodTable {
    std::unordered_map<SEL, Method*> methods;
    // The table this one replaced, kept because a lookup may still be reading it.
    const MethodTable* retired = nullptr;
};

ClassObject::ClassObject(std::string name, Class superclass, bool isMeta, Class meta)
    : Object(meta),
      name_(std::move(name)),
      superclass_(superclass),
      isMeta_(isMeta),
      meta_(meta),
      methods_(new MethodTable) {}

Method* ClassObject::ownMethod(SEL selector) const {
    const MethodTable* table = methods_.load(std::memory_order_acquire);
    auto it = table->methods.find(selector);
    return it == table->methods.end() ? nullptr : it->second;
}

Method* ClassObject::findMethod(SEL selector) const {
    for (const ClassObject* cls = this; cls; cls = cls->superclass_) {
        if (Method* method = cls->ownMethod(selector)) return method;
    }
    return nullptr;
}

void ClassObject::publishAddedMethod(SEL selector, IMP implementation, SignatureTag signature,
                                     SuperTrampolineFactory factory) {
    const MethodTable* current = methods_.load(std::memory_order_acquire);
    auto* method = new Method{selector, {implementation}, signature, factory};  // Methods are never freed.
    auto* next = new MethodTable{current->methods, current};
    next->methods.emplace(selector, method);
    methods_.store(next, std::memory_order_release);
}

bool ClassObject::addMethod(SEL selector, IMP implementation, SignatureTag signature, SuperTrampolineFactory factory) {
    std::lock_guard lock(methodsWriting_);
    if (ownMethod(selector)) return false;
    publishAddedMethod(selector, implementation, signature, factory);
    return true;
}

bool ClassObject::replaceMethod(SEL selector, IMP replacement, IMP callThrough, SignatureTag signature,
                                SuperTrampolineFactory factory, IMP* previous) {
    // Under the same lock as addMethod, so a method added by another thread is
    // either seen here and swapped, or refused after this step; the caller's
    // slot is never written for a hook that then fails to install.
    std::lock_guard lock(methodsWriting_);
    if (Method* own = ownMethod(selector)) {
        // The slot is filled before the swap is published, so a caller reaching
        // the replacement always finds it.
        IMP replaced = own->implementation.load(std::memory_order_acquire);
        if (previous) *previous = replaced;
        own->implementation.store(replacement, std::memory_order_release);
        return true;
    }
    if (!callThrough) return false;
    if (previous) *previous = callThrough;
    publishAddedMethod(selector, replacement, signature, factory);
    return true;
}

std::shared_ptr<Object> ClassObject::allocateInstance() {
    for (ClassObject* cls = this; cls; cls = cls->superclass_) {
        if (cls->allocator_) return cls->allocator_(this);
    }
    return make<Object>(this);
}

void ClassObject::setAllocator(Allocator allocator) { allocator_ = std::move(allocator); }

bool Object::respondsToSelector(SEL selector) const {
    return class_respondsToSelector(object_getClass(this), selector);
}

std::string Object::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "<" + (isa_ ? isa_->name() : std::string("?")) + ": " + address + ">";
}

Class objc_getClass(std::string_view name) {
    auto& reg = registry();
    std::shared_lock lock(reg.mutex);
    auto it = reg.byName.find(std::string(name));
    return it == reg.byName.end() ? nullptr : it->second;
}

Class objc_getMetaClass(std::string_view name) {
    Class cls = objc_getClass(name);
    return cls ? cls->metaClass() : nullptr;
}

Class object_getClass(const Object* object) {
    // A class object's isa is its metaclass, as on the platform.
    return object ? object->isa() : nullptr;
}

Class objc_registerClass(std::string_view name, Class superclass, ClassObject::Allocator allocator) {
    if (!superclass && name != "NSObject") superclass = rootClass();
    auto& reg = registry();
    std::unique_lock lock(reg.mutex);
    auto it = reg.byName.find(std::string(name));
    if (it != reg.byName.end()) return it->second;
    Class superMeta = superclass ? superclass->metaClass() : nullptr;
    // Class objects are never freed: the registry, which is never destroyed
    // either, owns them, so a Class stays valid for the process's life.
    std::shared_ptr<ClassObject> meta(new ClassObject(std::string(name), superMeta, true, nullptr));
    meta->meta_ = meta.get();
    meta->setIsa(meta.get());
    std::shared_ptr<ClassObject> cls(new ClassObject(std::string(name), superclass, false, meta.get()));
    cls->allocator_ = std::move(allocator);
    reg.owned.push_back(meta);
    reg.owned.push_back(cls);
    reg.byName.emplace(std::string(name), cls.get());
    return cls.get();
}

void objc_unregisterClassForTesting(std::string_view name) {
    auto& reg = registry();
    std::unique_lock lock(reg.mutex);
    reg.byName.erase(std::string(name));
}

IMP class_getMethodImplementation(Class cls, SEL selector) {
    if (!cls) return nullptr;
    Method* method = cls->findMethod(selector);
    return method ? method->implementation.load(std::memory_order_acquire) : nullptr;
}

bool class_respondsToSelector(Class cls, SEL selector) { return cls && cls->findMethod(selector); }

namespace {
std::shared_ptr<Object> rootAlloc(id self, SEL) {
    auto* cls = static_cast<ClassObject*>(self);
    return cls->allocateInstance();
}
std::shared_ptr<Object> rootInit(id self, SEL) { return self->retain(); }
}  // namespace

Class rootClass() {
    static Class root = [] {
        Class cls = objc_registerClass("NSObject", nullptr);
        class_addMethod(cls->metaClass(), kAlloc, &rootAlloc);
        class_addMethod(cls, kInit, &rootInit);
        return cls;
    }();
    return root;
}

void logUnrecognizedSelector(const Object* receiver, SEL selector, bool signatureMismatch) {
    Class cls = object_getClass(receiver);
    std::fprintf(stderr, "objc: %s%s %s sent to %s\n",
                 signatureMismatch ? "wrongly typed call of " : "unrecognized selector ",
                 cls && cls->isMetaClass() ? "+" : "-", std::string(sel_getName(selector)).c_str(),
                 cls ? cls->name().c_str() : "?");
}

}  // namespace objc
