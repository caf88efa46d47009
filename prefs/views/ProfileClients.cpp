#include "prefs/views/ProfileClients.h"

#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIApplication.h"

#ifndef SNAPFOLD_WEB_PROFILE_ADDRESS
#error "SNAPFOLD_WEB_PROFILE_ADDRESS is set by the build (prefs/CMakeLists.txt)"
#endif

namespace snapfold::prefs {

std::string_view webProfileBaseAddress() { return SNAPFOLD_WEB_PROFILE_ADDRESS; }

std::string profileURLPrefix() {
    auto& application = uikit::UIApplication::sharedApplication();
    for (const ProfileClient& client : kProfileClients)
        if (application.canOpenURL(foundation::NSURL::URLWithString(client.testURL))) return client.profilePrefix;
    return std::string(webProfileBaseAddress());
}

}  // namespace snapfold::prefs
