// The method-replacement interface of the hooking framework.
#pragma once

#include "platform/runtime/Selector.h"

// Replaces the implementation of `selector` in `cls` (pass the metaclass for a
// class method) with `replacement`, and stores the implementation that was in
// place into `*result`:
// - the class has its own method: that method's implementation is swapped;
// - the method is inherited: a method is added to `cls`, and `*result` becomes
//   a thunk that calls the superclass's implementation current at each call;
// - an absent argument, or a method that the whole hierarchy lacks: a warning
//   is logged and `*result` is left untouched.
// Concurrent callers of the method run either the old or the new
// implementation, never anything else.
void MSHookMessageEx(objc::Class cls, objc::SEL selector, objc::IMP replacement, objc::IMP* result);

namespace objc {
// The typed form: the replacement must have the selector's declared signature.
template <typename R, typename... Args>
void hookMessage(Class cls, const TypedSelector<R(Args...)>& selector,
                 typename TypedSelector<R(Args...)>::Imp replacement, IMP* result) {
    MSHookMessageEx(cls, selector.sel(), reinterpret_cast<IMP>(replacement), result);
}
}  // namespace objc
