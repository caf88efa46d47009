// The object runtime: what the phone does by name.
//
// Classes are registered and found by name, each with a metaclass that holds
// its class methods; selectors are interned strings; every class keeps a
// selector -> implementation table that can be read while another thread
// replaces an entry. Everything else in the system is plain C++.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace objc {

class Object;
class ClassObject;
struct Selector;
struct Method;

using id = Object*;
using Class = ClassObject*;
using SEL = const Selector*;
// An untyped implementation pointer, as the platform's `IMP`. It is only ever
// called after a cast back to the signature its selector declares.
using IMP = void (*)();

// A selector: interned, so two selectors with the same name are one pointer.
struct Selector {
    std::string name;
};

SEL sel_registerName(std::string_view name);
inline std::string_view sel_getName(SEL sel) { return sel ? std::string_view(sel->name) : std::string_view("(null)"); }

// Identifies the C++ signature a method was registered with, so that a call
// made through a selector declared with another signature is refused instead
// of jumping through a wrongly typed pointer.
using SignatureTag = const void*;
// Makes an implementation that calls `superclass`'s current implementation of
// the same selector at each call: the "call super" thunk handed out when an
// inherited method is hooked.
using SuperTrampolineFactory = IMP (*)(Class superclass);

struct Method {
    SEL selector;
    std::atomic<IMP> implementation;
    SignatureTag signature;
    SuperTrampolineFactory makeSuperTrampoline;
};

// The way into the constructors of runtime objects, which are all protected:
// a class lets it in with `friend objc::Allocation;`, and only `make` below can
// use it. So an object cannot be built on the stack, as a member or with a
// bare `new`: it comes into being already owned by a std::shared_ptr.
class Allocation {
    template <typename T, typename... Args>
    friend std::shared_ptr<T> make(Args&&... args);

    template <typename T, typename... Args>
    static T* construct(Args&&... args) {
        return new T(std::forward<Args>(args)...);
    }
};

// Constructs a runtime object and hands it at once to the std::shared_ptr that
// owns it. Each class's `create` and the allocators registered with classes
// (the runtime's `alloc`) make their objects through it.
template <typename T, typename... Args>
std::shared_ptr<T> make(Args&&... args) {
    return std::shared_ptr<T>(Allocation::construct<T>(std::forward<Args>(args)...));
}

// Base of every object that the runtime can message. Objects are owned through
// std::shared_ptr, the runtime's retain; a raw `id` is a borrowed reference
// that lives for the length of a call.
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // For an instance, its class; for a class object, its metaclass.
    Class isa() const { return isa_; }
    // The platform's `respondsToSelector:`: true when the class or one of its
    // superclasses implements the selector. Stand-ins may narrow it.
    virtual bool respondsToSelector(SEL selector) const;
    virtual std::string description() const;

    // A strong reference to this object, never empty: every instance is owned
    // from birth (see `make`), and every class object by the class registry.
    // Only its constructor and destructor, which run while no owner exists,
    // must not call it.
    std::shared_ptr<Object> retain() { return shared_from_this(); }

protected:
    friend Allocation;
    explicit Object(Class isa) : isa_(isa) {}
    void setIsa(Class isa) { isa_ = isa; }

private:
    Class isa_;
};

// A class or a metaclass. Class objects are created once, owned by the class
// registry, and never destroyed.
class ClassObject final : public Object {
public:
    using Allocator = std::function<std::shared_ptr<Object>(Class)>;

    const std::string& name() const { return name_; }
    Class superclass() const { return superclass_; }
    bool isMetaClass() const { return isMeta_; }
    // For a class, its metaclass; for a metaclass, itself.
    Class metaClass() const { return meta_; }
    std::string description() const override { return name_; }

    // Looks only at this class's own table.
    Method* ownMethod(SEL selector) const;
    // Walks the class and then its superclasses.
    Method* findMethod(SEL selector) const;
    // Adds a method to this class's own table; false if it already has one.
    bool addMethod(SEL selector, IMP implementation, SignatureTag signature, SuperTrampolineFactory factory);
    // The hooking framework's install, one step with respect to addMethod on
    // this class: an own method has its implementation swapped, and the one
    // it had goes to `*previous` first; a class without one gets a method
    // added (with `signature` and `factory`), and `*previous` receives
    // `callThrough` first. False, and nothing changed, when the class has no
    // own method and `callThrough` is null.
    bool replaceMethod(SEL selector, IMP replacement, IMP callThrough, SignatureTag signature,
                       SuperTrampolineFactory factory, IMP* previous);

    std::shared_ptr<Object> allocateInstance();
    void setAllocator(Allocator allocator);

private:
    friend Class objc_registerClass(std::string_view, Class, ClassObject::Allocator);
    struct MethodTable;
    ClassObject(std::string name, Class superclass, bool isMeta, Class meta);
    // Publishes a table with one more method; the caller holds methodsWriting_.
    void publishAddedMethod(SEL selector, IMP implementation, SignatureTag signature, SuperTrampolineFactory factory);

    std::string name_;
    Class superclass_;
    bool isMeta_;
    Class meta_;
    std::atomic<const MethodTable*> methods_;
    // Serialises the changes of this class's table (adds and hooks); lookups
    // never take it.
    std::mutex methodsWriting_;
    Allocator allocator_;
};

// The class registry. Lookups answer null for an unknown name, never throw.
Class objc_getClass(std::string_view name);
Class objc_getMetaClass(std::string_view name);
// For an instance, its class; for a class object, its metaclass.
Class object_getClass(const Object* object);
// Registers a class and its metaclass under a name; returns the existing class
// when the name is taken. `allocator` makes instances for `alloc`.
Class objc_registerClass(std::string_view name, Class superclass, ClassObject::Allocator allocator = {});
// Test seam: removes a class from the name registry (the class object itself
// stays valid, as class objects are never freed).
void objc_unregisterClassForTesting(std::string_view name);

IMP class_getMethodImplementation(Class cls, SEL selector);
bool class_respondsToSelector(Class cls, SEL selector);

// The root class "NSObject", with `alloc` (class method) and `init`.
Class rootClass();

}  // namespace objc
