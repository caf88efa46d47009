// URLs as immutable shared values: the asset URLs of the photo library and the
// file URLs of videos. Absent is an empty pointer.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace foundation {

class NSURL {
public:
    explicit NSURL(std::string absoluteString) : absoluteString_(std::move(absoluteString)) {}

    static std::shared_ptr<const NSURL> URLWithString(std::string text) {
        if (text.empty()) return nullptr;
        return std::make_shared<const NSURL>(std::move(text));
    }
    // A file URL for a device path ("file:///var/mobile/...").
    static std::shared_ptr<const NSURL> fileURLWithPath(std::string_view path) {
        return std::make_shared<const NSURL>("file://" + std::string(path));
    }

    const std::string& absoluteString() const { return absoluteString_; }
    std::string description() const { return absoluteString_; }
    std::string_view scheme() const {
        auto colon = absoluteString_.find(':');
        return colon == std::string::npos ? std::string_view{} : std::string_view(absoluteString_).substr(0, colon);
    }
    bool isFileURL() const { return scheme() == "file"; }
    // For a file URL, the path it names; otherwise the part after the authority.
    std::string path() const {
        std::string_view rest = absoluteString_;
        auto start = rest.find("://");
        if (start == std::string_view::npos) return {};
        rest.remove_prefix(start + 3);
        auto slash = rest.find('/');
        if (slash == std::string_view::npos) return {};
        rest.remove_prefix(slash);
        return std::string(rest.substr(0, rest.find_first_of("?#")));
    }
    bool operator==(const NSURL& other) const { return absoluteString_ == other.absoluteString_; }

private:
    std::string absoluteString_;
};

using NSURLRef = std::shared_ptr<const NSURL>;

}  // namespace foundation
