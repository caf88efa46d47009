// The phone-shaped error that callbacks hand to the system's code: an
// immutable shared object with a domain, a code and a user-info dictionary.
// Identity matters: "that same error object" is the same shared pointer.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <memory>
#include <string>

namespace foundation {

inline constexpr const char* NSLocalizedDescriptionKey = "NSLocalizedDescription";

class NSError {
public:
    NSError(std::string domain, long code, NSDictionary userInfo)
        : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

    static std::shared_ptr<const NSError> errorWithDomain(std::string domain, long code, NSDictionary userInfo = {}) {
        return std::make_shared<const NSError>(std::move(domain), code, std::move(userInfo));
    }

    const std::string& domain() const { return domain_; }
    long code() const { return code_; }
    const NSDictionary& userInfo() const { return userInfo_; }
    // The user info's description, or the platform's generic text.
    std::string localizedDescription() const {
        auto it = userInfo_.find(NSLocalizedDescriptionKey);
        if (it != userInfo_.end() && it->second.string()) return *it->second.string();
        return "The operation couldn\u2019t be completed. (" + domain_ + " error " + std::to_string(code_) + ".)";
    }
    std::string description() const {
        return "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" + localizedDescription() + "\"";
    }

private:
    std::string domain_;
    long code_;
    NSDictionary userInfo_;
};

using NSErrorRef = std::shared_ptr<const NSError>;

}  // namespace foundation
