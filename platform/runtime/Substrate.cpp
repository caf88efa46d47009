#include "platform/runtime/Substrate.h"

#include <cstdio>
#include <mutex>

using namespace objc;

void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result) {
    if (!cls || !selector || !replacement) {
        std::fprintf(stderr, "MS:Warning: nil class/sel/imp argument\n");
        return;
    }
    static std::mutex hookMutex;  // Hooks are rare; one at a time keeps old/new pairs consistent.
    std::lock_guard lock(hookMutex);

    if (Method* own = cls->ownMethod(selector)) {
        // Publish the previous implementation into the slot before the swap, so
        // that a caller reaching the replacement always finds the slot filled.
        IMP previous = own->implementation.load(std::memory_order_acquire);
        if (result) *result = previous;
        own->implementation.store(replacement, std::memory_order_release);
        return;
    }

    Method* inherited = cls->superclass() ? cls->superclass()->findMethod(selector) : nullptr;
    if (!inherited) {
        std::fprintf(stderr, "MS:Warning: message not found [%s %s]\n", cls->name().c_str(),
                     std::string(sel_getName(selector)).c_str());
        return;
    }
    IMP trampoline = inherited->makeSuperTrampoline ? inherited->makeSuperTrampoline(cls->superclass()) : nullptr;
    if (!trampoline) {
        std::fprintf(stderr, "MS:Warning: no call-through available for [%s %s]\n", cls->name().c_str(),
                     std::string(sel_getName(selector)).c_str());
        return;
    }
    if (result) *result = trampoline;
    cls->addMethod(selector, replacement, inherited->signature, inherited->makeSuperTrampoline);
}
