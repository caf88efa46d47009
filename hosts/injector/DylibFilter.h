// The filter property list beside each dynamic library: which processes the
// library is loaded into.
//
//   Filter = {
//     CoreFoundationVersion = (min) or (min, max);  // min <= version < max
//     Bundles = (...);      // any bundle loaded in the process
//     Executables = (...);  // the basename of argv[0]
//     Classes = (...);      // a class registered in the runtime
//     Mode = "Any";         // OR across the three lists; AND without it
//     Flags = n;            // bit 1: load only in safe mode
//   }
//
// The version range is a precondition in both modes. With no Filter the
// library loads everywhere.
#pragma once

#include "hosts/injector/LaunchEnvironment.h"
#include "platform/foundation/PropertyList.h"

#include <string>

namespace injector {

struct FilterDecision {
    bool load = false;
    // Why, in a few words, for the injector's report.
    std::string reason;
};

FilterDecision evaluateFilter(const foundation::PlistValue& filterPropertyList, const LaunchEnvironment& environment);

}  // namespace injector
