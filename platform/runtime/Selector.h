// Typed selectors: each dynamic selector's C++ signature is declared once, next
// to its name, and every registration, call and hook goes through that
// declaration, so an implementation is never called through the wrong type.
#pragma once

#include "platform/runtime/Runtime.h"

#include <array>
#include <mutex>
#include <utility>

namespace objc {

void logUnrecognizedSelector(const Object* receiver, SEL selector, bool signatureMismatch);

template <typename Signature>
class TypedSelector;

template <typename R, typename... Args>
class TypedSelector<R(Args...)> {
public:
    using Imp = R (*)(id self, SEL cmd, Args... args);

    // constexpr, so that a selector declared at namespace scope needs no
    // dynamic initialisation.
    constexpr explicit TypedSelector(const char* name) : name_(name) {}

    const char* name() const { return name_; }
    SEL sel() const {
        SEL cached = cached_.load(std::memory_order_acquire);
        if (!cached) {
            cached = sel_registerName(name_);
            cached_.store(cached, std::memory_order_release);
        }
        return cached;
    }
    static SignatureTag signature() {
        static const char tag = 0;
        return &tag;
    }

    static IMP makeSuperTrampoline(Class superclass);

private:
    const char* name_;
    mutable std::atomic<SEL> cached_{nullptr};
};

// A pool of "call super" thunks for one signature. A thunk cannot capture
// state, so each slot of the pool is its own function reading its own class.
template <typename R, typename... Args>
struct SuperTrampolinePool {
    static constexpr std::size_t kSlots = 32;
    static inline std::array<std::atomic<Class>, kSlots> superclasses{};
    static inline std::atomic<std::size_t> used{0};

    template <std::size_t N>
    static R call(id self, SEL cmd, Args... args) {
        using Imp = R (*)(id, SEL, Args...);
        auto imp = reinterpret_cast<Imp>(
            class_getMethodImplementation(superclasses[N].load(std::memory_order_acquire), cmd));
        if (!imp) {
            if constexpr (std::is_void_v<R>) return;
            else return R{};
        }
        return imp(self, cmd, std::forward<Args>(args)...);
    }

    template <std::size_t... N>
    static IMP slotImplementation(std::size_t index, std::index_sequence<N...>) {
        static constexpr std::array<R (*)(id, SEL, Args...), kSlots> table{&call<N>...};
        return reinterpret_cast<IMP>(table[index]);
    }

    static IMP allocate(Class superclass) {
        std::size_t index = used.fetch_add(1);
        if (index >= kSlots) return nullptr;
        superclasses[index].store(superclass, std::memory_order_release);
        return slotImplementation(index, std::make_index_sequence<kSlots>{});
    }
};

template <typename R, typename... Args>
IMP TypedSelector<R(Args...)>::makeSuperTrampoline(Class superclass) {
    return SuperTrampolinePool<R, Args...>::allocate(superclass);
}

// Adds a typed implementation to a class (or, for a class method, to its
// metaclass). False when the class already has its own implementation.
template <typename R, typename... Args>
bool class_addMethod(Class cls, const TypedSelector<R(Args...)>& selector,
                     typename TypedSelector<R(Args...)>::Imp implementation) {
    if (!cls || !implementation) return false;
    return cls->addMethod(selector.sel(), reinterpret_cast<IMP>(implementation), TypedSelector<R(Args...)>::signature(),
                          &TypedSelector<R(Args...)>::makeSuperTrampoline);
}

// Sends a message: finds the receiver's implementation and calls it. As on the
// phone, a message to nil does nothing and answers zero; unlike the phone, an
// unrecognised selector is logged and answered likewise instead of crashing.
template <typename R, typename... Args, typename... Passed>
R msgSend(id receiver, const TypedSelector<R(Args...)>& selector, Passed&&... args) {
    if (!receiver) {
        if constexpr (std::is_void_v<R>) return;
        else return R{};
    }
    SEL sel = selector.sel();
    Method* method = object_getClass(receiver)->findMethod(sel);
    if (!method || method->signature != TypedSelector<R(Args...)>::signature()) {
        logUnrecognizedSelector(receiver, sel, method != nullptr);
        if constexpr (std::is_void_v<R>) return;
        else return R{};
    }
    auto imp = reinterpret_cast<typename TypedSelector<R(Args...)>::Imp>(
        method->implementation.load(std::memory_order_acquire));
    return imp(receiver, sel, std::forward<Passed>(args)...);
}

// Calls a previous implementation handed back by a hook, typed by its selector.
template <typename R, typename... Args, typename... Passed>
R callImplementation(IMP implementation, const TypedSelector<R(Args...)>& selector, id receiver, SEL cmd,
                     Passed&&... args) {
    (void)selector;
    if (!implementation) {
        if constexpr (std::is_void_v<R>) return;
        else return R{};
    }
    auto imp = reinterpret_cast<typename TypedSelector<R(Args...)>::Imp>(implementation);
    return imp(receiver, cmd, std::forward<Passed>(args)...);
}

// Selectors of the root class.
inline const TypedSelector<std::shared_ptr<Object>()> kAlloc{"alloc"};
inline const TypedSelector<std::shared_ptr<Object>()> kInit{"init"};

// `[[cls alloc] init]`.
inline std::shared_ptr<Object> allocInit(Class cls) {
    std::shared_ptr<Object> allocated = msgSend(cls, kAlloc);
    return msgSend(allocated.get(), kInit);
}

}  // namespace objc
