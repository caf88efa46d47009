// The filter list beside a dynamic library, as the injector reads it before
// deciding whether to load the library into a process.
#include "fuzz/FuzzEntries.h"

#include "hosts/injector/DylibFilter.h"
#include "platform/foundation/PropertyList.h"

namespace fuzz {

namespace {

injector::LaunchEnvironment messagingApp() {
    injector::LaunchEnvironment environment;
    environment.loadedBundleIdentifiers = {"net.whatsapp.WhatsApp", "com.apple.UIKit", "com.apple.Foundation"};
    environment.executableName = "WhatsApp";
    environment.coreFoundationVersion = 1145.15;
    environment.classExists = [](std::string_view name) { return name == "WAAssetsLibraryManager"; };
    return environment;
}

}  // namespace

Finding feedFilterPropertyList(Input bytes) {
    auto list = foundation::parsePropertyList(asText(bytes));
    if (!list) return std::nullopt;  // The injector skips a list it cannot read.
    const injector::LaunchEnvironment environment = messagingApp();
    injector::FilterDecision decision = injector::evaluateFilter(list.value(), environment);
    if (decision.reason.empty()) return "a decision without a reason";

    // "Any" only ever widens: a library that loads when every list must
    // match also loads when one list is enough.
    const foundation::PlistValue* filter = list->objectForKey("Filter");
    if (decision.load && filter && filter->dictionary()) {
        foundation::PlistValue widened = list.value();
        (*widened.dictionary())["Filter"].dictionary()->insert_or_assign("Mode", foundation::PlistValue("Any"));
        if (!injector::evaluateFilter(widened, environment).load)
            return "a library loaded with every list matching but not with Mode = Any";
    }
    return std::nullopt;
}

}  // namespace fuzz
