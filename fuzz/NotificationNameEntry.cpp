// Notification names as the notify center spells them in its shared folder:
// the bytes are read both as a file name found there and as a name a
// process posts.
#include "fuzz/FuzzEntries.h"

#include "platform/foundation/CFNotificationCenterFileNames.h"

namespace fuzz {

namespace {

// What every file name the encoder makes must be, to sit in the folder as
// one file that the notify thread reads back.
bool isPlainFileName(const std::string& fileName) {
    return !fileName.empty() && fileName.size() <= foundation::kLongestNotificationFileName &&
           fileName.front() != '.' && fileName.find('/') == std::string::npos &&
           fileName.find('\0') == std::string::npos;
}

}  // namespace

Finding feedNotificationName(Input bytes) {
    std::string_view text = asText(bytes);

    // As a file found in the folder: a name decodes only from its one spelling.
    if (auto name = foundation::notificationNameFromFile(text)) {
        auto spelled = foundation::notificationFileName(*name);
        if (!spelled) return "a file name decoded to a name that cannot be posted: " + spelled.error().message;
        if (spelled.value() != text) return "a file name other than the name's own spelling decoded";
    }

    // As a posted name: it round-trips exactly, or is refused for a reason it has.
    auto fileName = foundation::notificationFileName(text);
    if (!fileName) {
        bool refusable = text.empty() || text.find('\0') != std::string_view::npos ||
                         text.size() * 3 > foundation::kLongestNotificationFileName;
        if (!refusable) return "a short name was refused: " + fileName.error().message;
        return std::nullopt;
    }
    if (!isPlainFileName(fileName.value())) return "a name was spelled as something other than one plain file name";
    auto back = foundation::notificationNameFromFile(fileName.value());
    if (!back || *back != text) return "a name did not come back from its file name";
    return std::nullopt;
}

}  // namespace fuzz
