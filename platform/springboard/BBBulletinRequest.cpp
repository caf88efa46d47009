#include "platform/springboard/BBBulletinRequest.h"

#include "platform/springboard/BulletinSelectors.h"

#include <atomic>

namespace springboard {

namespace {

constinit std::atomic<std::size_t> gInstancesCreated{0};

// The runtime hands every implementation a plain receiver; a message sent to
// an object of another class with the same selectors changes nothing.
BBBulletinRequest* asRequest(objc::id self) { return dynamic_cast<BBBulletinRequest*>(self); }

void setTitleImp(objc::id self, objc::SEL, std::string title) {
    if (auto* request = asRequest(self)) request->setTitle(std::move(title));
}
void setMessageImp(objc::id self, objc::SEL, std::string message) {
    if (auto* request = asRequest(self)) request->setMessage(std::move(message));
}
void setSectionIDImp(objc::id self, objc::SEL, std::string sectionID) {
    if (auto* request = asRequest(self)) request->setSectionID(std::move(sectionID));
}
std::string titleImp(objc::id self, objc::SEL) { return asRequest(self) ? asRequest(self)->title() : std::string(); }
std::string messageImp(objc::id self, objc::SEL) {
    return asRequest(self) ? asRequest(self)->message() : std::string();
}
std::string sectionIDImp(objc::id self, objc::SEL) {
    return asRequest(self) ? asRequest(self)->sectionID() : std::string();
}

}  // namespace

BBBulletinRequest::BBBulletinRequest(objc::Class cls) : objc::Object(cls) {
    gInstancesCreated.fetch_add(1, std::memory_order_relaxed);
}

std::shared_ptr<BBBulletinRequest> BBBulletinRequest::create(objc::Class cls) {
    return objc::make<BBBulletinRequest>(cls);
}

std::string BBBulletinRequest::title() const {
    std::lock_guard lock(mutex_);
    return title_;
}
std::string BBBulletinRequest::message() const {
    std::lock_guard lock(mutex_);
    return message_;
}
std::string BBBulletinRequest::sectionID() const {
    std::lock_guard lock(mutex_);
    return sectionID_;
}
void BBBulletinRequest::setTitle(std::string title) {
    std::lock_guard lock(mutex_);
    title_ = std::move(title);
}
void BBBulletinRequest::setMessage(std::string message) {
    std::lock_guard lock(mutex_);
    message_ = std::move(message);
}
void BBBulletinRequest::setSectionID(std::string sectionID) {
    std::lock_guard lock(mutex_);
    sectionID_ = std::move(sectionID);
}

std::size_t BBBulletinRequest::instancesCreatedForTesting() { return gInstancesCreated.load(); }

void registerBulletinRequestClass() {
    objc::Class cls = objc::objc_registerClass(kBulletinRequestClassName, nullptr, [](objc::Class instanceClass) {
        return std::shared_ptr<objc::Object>(BBBulletinRequest::create(instanceClass));
    });
    // Adding is refused for a selector the class already has, so registering
    // twice leaves the first implementations in place.
    objc::class_addMethod(cls, kSetTitle, &setTitleImp);
    objc::class_addMethod(cls, kSetMessage, &setMessageImp);
    objc::class_addMethod(cls, kSetSectionID, &setSectionIDImp);
    objc::class_addMethod(cls, kTitle, &titleImp);
    objc::class_addMethod(cls, kMessage, &messageImp);
    objc::class_addMethod(cls, kSectionID, &sectionIDImp);
}

}  // namespace springboard
