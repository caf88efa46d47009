// Fixtures for the settings-page tests: the built bundle installed into the
// test process's device root, the settings file read and written directly,
// posts of a notification counted exactly, and the user interface reset to
// a fresh Settings app.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace prefstest {

// Copies <build>/Snapfold.bundle to the device's
// /Library/PreferenceBundles/Snapfold.bundle (once per process).
void installBundle();
std::filesystem::path settingsFile();
void writeSettingsFile(const foundation::NSDictionary& settings);
std::optional<foundation::NSDictionary> readSettingsFile();

// Counts the posts of one notification name from the moment it is made, by
// watching the notify center's folder directly, so that coalesced
// deliveries cannot hide a second post. `countAfterDrain` posts a sentinel
// name and reads events until the sentinel arrives: every earlier post has
// been seen by then.
class PostCounter {
public:
    explicit PostCounter(std::string name);
    ~PostCounter();
    PostCounter(const PostCounter&) = delete;
    PostCounter& operator=(const PostCounter&) = delete;
    int countAfterDrain();

private:
    std::string fileName_;
    int fd_ = -1;
    int count_ = 0;
};

// A page shown as the Settings app shows it: inside a navigation controller
// that is itself inside the app's navigation controller.
struct ShownPage {
    std::shared_ptr<uikit::UINavigationController> outer;
    std::shared_ptr<uikit::UINavigationController> inner;
};
ShownPage showPage(const std::shared_ptr<uikit::UIViewController>& page);

// A device root with the bundle, an empty settings file slot, English, a
// phone, the run loop at zero and no user-interface state left over.
class SettingsPageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace prefstest
