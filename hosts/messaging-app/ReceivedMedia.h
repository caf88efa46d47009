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
    // The copy keeps the file's name as far as the file system allows
    // (its extension always), after a prefix naming this process.
    foundation::ErrorOr<std::string> receive(const std::filesystem::path& file);

    // Removes the copies that processes no longer running left behind (a
    // killed app never removes its own). A copy's prefix names its process by
    // id and start time, so a new process that reuses an old id does not
    // keep the old one's copies alive. Answers how many were removed.
    static std::size_t removeCopiesOfEndedProcesses();

private:
    std::vector<std::filesystem::path> copies_;
    unsigned counter_ = 0;
};

}  // namespace messagingapp
