#include "platform/runtime/Substrate.h"

#include <cstdio>

using namespace objc;

namespace {

void warnNotHooked(Class cls, SEL selector, const char* why) {
    std::fprintf(stderr, "MS:Warning: %s [%s %s]\n", why, cls->name().c_str(),
                 std::string(sel_getName(selector)).c_str());
}

}  // namespace

void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result) {
    if (!cls || !selector || !replacement) {
        std::fprintf(stderr, "MS:Warning: nil class/sel/imp argument\n");
        return;
    }
    // An inherited method needs a call-through to the superclass. It is made
    // before the class's lock is taken (making one may run arbitrary code);
    // should another thread add the class's own method meanwhile, the install
    // below swaps that one instead and the call-through goes unused.
    IMP callThrough = nullptr;
    Method* inherited = nullptr;
    if (!cls->ownMethod(selector)) {
        inherited = cls->superclass() ? cls->superclass()->findMethod(selector) : nullptr;
        if (!inherited) return warnNotHooked(cls, selector, "message not found");
        callThrough = inherited->makeSuperTrampoline ? inherited->makeSuperTrampoline(cls->superclass()) : nullptr;
        if (!callThrough) return warnNotHooked(cls, selector, "no call-through available for");
    }
    // Methods are never removed, so a class that had its own method still has
    // it; the install fails only if that ever changes.
    if (!cls->replaceMethod(selector, replacement, callThrough, inherited ? inherited->signature : nullptr,
                            inherited ? inherited->makeSuperTrampoline : nullptr, result))
        warnNotHooked(cls, selector, "could not install the replacement for");
}
