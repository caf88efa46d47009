#include "platform/mobilegestalt/MobileGestalt.h"

#include <map>
#include <string>

std::shared_ptr<const foundation::PlistValue> MGCopyAnswer(std::string_view question) {
    // The system version list spells two of its answers differently.
    static const std::map<std::string_view, std::string_view> fromSystemVersion{
        {"ProductVersion", "ProductVersion"}, {"BuildVersion", "ProductBuildVersion"}, {"ProductName", "ProductName"}};
    std::string_view file = kMGDeviceInfoPlistPath;
    std::string key(question);
    if (auto it = fromSystemVersion.find(question); it != fromSystemVersion.end()) {
        file = kMGSystemVersionPlistPath;
        key = std::string(it->second);
    }
    auto dictionary = foundation::dictionaryWithContentsOfFile(file);
    if (!dictionary) return nullptr;
    auto answer = dictionary->find(key);
    if (answer == dictionary->end()) return nullptr;
    return std::make_shared<const foundation::PlistValue>(answer->second);
}
