// The home screen's banner classes as code elsewhere in the process reaches
// them: by class name and typed selector only, through the runtime. Header
// only, so that the hook library can include it without linking the classes.
#pragma once

#include "platform/runtime/Selector.h"

#include <memory>
#include <string>

namespace springboard {

inline constexpr const char* kBannerControllerClassName = "SBBulletinBannerController";
inline constexpr const char* kBulletinRequestClassName = "BBBulletinRequest";

// +[SBBulletinBannerController sharedInstance]
inline const objc::TypedSelector<std::shared_ptr<objc::Object>()> kSharedInstance{"sharedInstance"};
// -[SBBulletinBannerController observer:addBulletin:forFeed:]: the observer is
// borrowed for the call (and may be null), the bulletin is retained by the
// controller, the feed is a bit mask of where the bulletin is shown.
inline const objc::TypedSelector<void(objc::id observer, std::shared_ptr<objc::Object> bulletin, unsigned long feed)>
    kObserverAddBulletinForFeed{"observer:addBulletin:forFeed:"};

// BBBulletinRequest's properties.
inline const objc::TypedSelector<void(std::string)> kSetTitle{"setTitle:"};
inline const objc::TypedSelector<void(std::string)> kSetMessage{"setMessage:"};
inline const objc::TypedSelector<void(std::string)> kSetSectionID{"setSectionID:"};
inline const objc::TypedSelector<std::string()> kTitle{"title"};
inline const objc::TypedSelector<std::string()> kMessage{"message"};
inline const objc::TypedSelector<std::string()> kSectionID{"sectionID"};

}  // namespace springboard
