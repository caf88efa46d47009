// Media the app has received: a file the user names on the command line is
// first put into the app's own container, as a chat attachment would be, and
// the save methods get its device path.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <vector>

namespace messagingapp {

inline constexpr const char* kReceivedMediaFolder =
    "/var/mobile/Containers/Data/Application/net.whatsapp.WhatsApp/Library/Media/Received";

class ReceivedMedia {
public:
    ReceivedMedia() = default;
    // Removes every file this object copied in.
    ~ReceivedMedia();
    ReceivedMedia(const ReceivedMedia&) = delete;
    ReceivedMedia& operator=(const ReceivedMedia&) = delete;

    // The device path of `file`: a file already inside the device root keeps
    // its place; any other is copied into the received-media folder under a
    // name of its own. An error for a missing or unreadable file, or a folder.
    foundation::ErrorOr<std::string> receive(const std::filesystem::path& file);

private:
    std::vector<std::filesystem::path> copies_;
    unsigned counter_ = 0;
};

}  // namespace messagingapp
