// BBBulletinRequest: the bulletin board's description of one bulletin. Here a
// plain record of the three fields the system sets; the rest of the
// platform's request (actions, sounds, dates) is left out.
#pragma once

#include "platform/runtime/Runtime.h"

#include <cstddef>
#include <mutex>
#include <string>

namespace springboard {

class BBBulletinRequest : public objc::Object {
public:
    // An instance of `cls`, the registered class or a subclass of it: what
    // `alloc` and `init` make.
    static std::shared_ptr<BBBulletinRequest> create(objc::Class cls);

    std::string title() const;
    std::string message() const;
    std::string sectionID() const;
    void setTitle(std::string title);
    void setMessage(std::string message);
    void setSectionID(std::string sectionID);

    // How many requests were allocated in this process, so tests can tell
    // that a caller made none.
    static std::size_t instancesCreatedForTesting();

protected:
    friend objc::Allocation;
    explicit BBBulletinRequest(objc::Class cls);

private:
    mutable std::mutex mutex_;
    std::string title_;
    std::string message_;
    std::string sectionID_;
};

// Registers BBBulletinRequest (alloc/init and the three properties) in the
// runtime. Idempotent.
void registerBulletinRequestClass();

}  // namespace springboard
