#include "hosts/injector/Injector.h"

#include "hosts/injector/DylibFilter.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <dlfcn.h>
#include <set>

namespace injector {

namespace fs = std::filesystem;

InjectionReport injectDynamicLibraries(const LaunchEnvironment& environment, const fs::path& directory) {
    InjectionReport report;
    std::error_code ec;
    std::set<fs::path> libraries;  // Sorted: libraries load in the order of their names.
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        if (entry.path().extension() == ".dylib") libraries.insert(entry.path());
    }

    for (const fs::path& library : libraries) {
        fs::path filterFile = fs::path(library).replace_extension(".plist");
        if (!fs::exists(filterFile, ec)) {
            report.skipped.push_back({library, "no filter property list"});
            continue;
        }
        auto filter = foundation::readPropertyListFile(filterFile);
        if (!filter) {
            report.skipped.push_back({library, "unreadable filter property list: " + filter.error().message});
            continue;
        }
        FilterDecision decision = evaluateFilter(filter.value(), environment);
        if (!decision.load) {
            report.skipped.push_back({library, decision.reason});
            continue;
        }
        // Resolve every symbol now, so a broken library fails here, where it
        // is reported, rather than at its first call.
        if (!::dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
            const char* error = ::dlerror();
            report.failed.push_back({library, error ? error : "unknown error"});
            continue;
        }
        report.loaded.push_back({library, decision.reason});
    }
    return report;
}

InjectionReport injectDynamicLibraries(const LaunchEnvironment& environment) {
    return injectDynamicLibraries(environment, foundation::hostPath(kDynamicLibrariesDirectory));
}

void printInjectionReport(const InjectionReport& report, std::FILE* out) {
    for (const auto& entry : report.loaded)
        std::fprintf(out, "injector: loaded %s\n", entry.library.filename().c_str());
    for (const auto& entry : report.skipped)
        std::fprintf(out, "injector: skipped %s (%s)\n", entry.library.filename().c_str(), entry.reason.c_str());
    for (const auto& entry : report.failed)
        std::fprintf(out, "injector: cannot load %s: %s\n", entry.library.filename().c_str(), entry.reason.c_str());
}

}  // namespace injector
