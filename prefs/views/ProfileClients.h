// Where a developer's Twitter profile is opened: the first of five client
// apps that the device can open, tried in a fixed order, else the mobile web
// site, whose base address is fixed when the bundle is built.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace snapfold::prefs {

struct ProfileClient {
    const char* name;
    const char* testURL;        // asked with canOpenURL:
    const char* profilePrefix;  // the escaped user name follows directly
};

inline constexpr std::array<ProfileClient, 5> kProfileClients{{
    {"Aphelion", "aphelion://", "aphelion://profile/"},
    {"Tweetbot", "tweetbot://", "tweetbot:///user_profile/"},
    {"Twitterrific", "twitterrific://", "twitterrific:///profile?screen_name="},
    {"Tweetings", "tweetings://", "tweetings:///user?screen_name="},
    {"Twitter", "twitter://", "twitter://user?screen_name="},
}};

// The web profile base address ("https://<host>/"), set at build time.
std::string_view webProfileBaseAddress();

// The prefix of the first client the shared application can open; no client
// after it is asked. The web profile base address when none can.
std::string profileURLPrefix();

}  // namespace snapfold::prefs
