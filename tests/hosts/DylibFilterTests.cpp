// Which processes a dynamic library is loaded into, by the filter list beside
// it: the three lists, their AND and OR modes, and the version range.
#include "hosts/injector/DylibFilter.h"

#include <gtest/gtest.h>

namespace {

using foundation::PlistValue;
using injector::evaluateFilter;
using injector::LaunchEnvironment;

using Dictionary = PlistValue::Dictionary;
using Array = PlistValue::Array;

// The messaging app on an 8.4 device, with UIKit loaded and one class of its own.
LaunchEnvironment messagingApp() {
    LaunchEnvironment environment;
    environment.loadedBundleIdentifiers = {"net.whatsapp.WhatsApp", "com.apple.UIKit", "com.apple.Foundation"};
    environment.executableName = "WhatsApp";
    environment.coreFoundationVersion = 1145.15;
    environment.classExists = [](std::string_view name) { return name == "WAAssetsLibraryManager"; };
    return environment;
}

PlistValue filterOf(Dictionary filter) { return PlistValue(Dictionary{{"Filter", PlistValue(std::move(filter))}}); }

bool loads(Dictionary filter, const LaunchEnvironment& environment = messagingApp()) {
    return evaluateFilter(filterOf(std::move(filter)), environment).load;
}

TEST(DylibFilterTest, AListWithoutFilterLoadsEverywhere) {
    EXPECT_TRUE(evaluateFilter(PlistValue(Dictionary{}), messagingApp()).load);
    EXPECT_TRUE(evaluateFilter(PlistValue(Dictionary{{"Other", "x"}}), messagingApp()).load);
}

TEST(DylibFilterTest, AMalformedListDoesNotLoad) {
    EXPECT_FALSE(evaluateFilter(PlistValue(Array{"net.whatsapp.WhatsApp"}), messagingApp()).load);
    EXPECT_FALSE(evaluateFilter(PlistValue(Dictionary{{"Filter", "net.whatsapp.WhatsApp"}}), messagingApp()).load);
}

TEST(DylibFilterTest, BundlesMatchAnyBundleLoadedInTheProcess) {
    EXPECT_TRUE(loads({{"Bundles", Array{"net.whatsapp.WhatsApp"}}}));
    EXPECT_TRUE(loads({{"Bundles", Array{"com.apple.UIKit"}}}));  // A framework, not the app.
    EXPECT_TRUE(loads({{"Bundles", Array{"com.apple.springboard", "net.whatsapp.WhatsApp"}}}));
    EXPECT_FALSE(loads({{"Bundles", Array{"com.apple.springboard"}}}));
    EXPECT_FALSE(loads({{"Bundles", Array{"net.whatsapp"}}}));  // Whole identifiers only.
    EXPECT_FALSE(loads({{"Bundles", Array{}}}));
    EXPECT_FALSE(loads({{"Bundles", "net.whatsapp.WhatsApp"}}));  // Not a list: matches nothing.
}

TEST(DylibFilterTest, ExecutablesMatchTheProgramName) {
    EXPECT_TRUE(loads({{"Executables", Array{"WhatsApp"}}}));
    EXPECT_FALSE(loads({{"Executables", Array{"whatsapp"}}}));
    EXPECT_FALSE(loads({{"Executables", Array{"SpringBoard"}}}));
}

TEST(DylibFilterTest, ClassesMatchAClassRegisteredInTheProcess) {
    EXPECT_TRUE(loads({{"Classes", Array{"SBBulletinBannerController", "WAAssetsLibraryManager"}}}));
    EXPECT_FALSE(loads({{"Classes", Array{"SBBulletinBannerController"}}}));
}

TEST(DylibFilterTest, WithoutModeEveryPresentListMustMatch) {
    EXPECT_TRUE(loads({{"Bundles", Array{"net.whatsapp.WhatsApp"}}, {"Executables", Array{"WhatsApp"}}}));
    EXPECT_FALSE(loads({{"Bundles", Array{"net.whatsapp.WhatsApp"}}, {"Executables", Array{"SpringBoard"}}}));
    EXPECT_FALSE(loads({{"Bundles", Array{"net.whatsapp.WhatsApp"}}, {"Classes", Array{"Missing"}}}));
    // Any Mode other than "Any" is the default.
    EXPECT_FALSE(loads({{"Mode", "All"}, {"Bundles", Array{"net.whatsapp.WhatsApp"}}, {"Classes", Array{"Missing"}}}));
}

TEST(DylibFilterTest, ModeAnyNeedsOneMatchingList) {
    EXPECT_TRUE(
        loads({{"Mode", "Any"}, {"Bundles", Array{"com.apple.springboard"}}, {"Executables", Array{"WhatsApp"}}}));
    EXPECT_TRUE(loads({{"Mode", "Any"}, {"Classes", Array{"WAAssetsLibraryManager"}}, {"Bundles", Array{"x.y"}}}));
    EXPECT_FALSE(
        loads({{"Mode", "Any"}, {"Bundles", Array{"com.apple.springboard"}}, {"Executables", Array{"SpringBoard"}}}));
}

TEST(DylibFilterTest, TheVersionRangeIsHalfOpen) {
    auto at = [](double version) {
        auto environment = messagingApp();
        environment.coreFoundationVersion = version;
        return environment;
    };
    Dictionary range{{"CoreFoundationVersion", Array{1144.17, 1240.10}}};
    EXPECT_FALSE(loads(range, at(1142.16)));
    EXPECT_TRUE(loads(range, at(1144.17)));  // The lower bound belongs to the range...
    EXPECT_TRUE(loads(range, at(1145.15)));
    EXPECT_FALSE(loads(range, at(1240.10)));  // ...the upper one does not.
    EXPECT_FALSE(loads(range, at(1348.00)));

    Dictionary from{{"CoreFoundationVersion", Array{1240}}};  // An integer bound, and no end.
    EXPECT_FALSE(loads(from, at(1145.15)));
    EXPECT_TRUE(loads(from, at(1240.0)));
    EXPECT_TRUE(loads(from, at(1665.15)));
}

// The range is a precondition: a matching list in mode Any does not lift it.
TEST(DylibFilterTest, TheVersionRangeAppliesInEveryMode) {
    EXPECT_FALSE(loads(
        {{"Mode", "Any"}, {"CoreFoundationVersion", Array{1240.10}}, {"Bundles", Array{"net.whatsapp.WhatsApp"}}}));
    EXPECT_TRUE(loads(
        {{"Mode", "Any"}, {"CoreFoundationVersion", Array{1140.10}}, {"Bundles", Array{"net.whatsapp.WhatsApp"}}}));
}

TEST(DylibFilterTest, AMalformedVersionRangeDoesNotLoad) {
    for (PlistValue range : {PlistValue(Array{}), PlistValue(Array{1.0, 2.0, 3.0}), PlistValue(Array{"1140"}),
                             PlistValue(Array{true}), PlistValue(1140.10), PlistValue(Array{1140.10, "max"})}) {
        EXPECT_FALSE(loads({{"CoreFoundationVersion", range}})) << range.description();
    }
}

TEST(DylibFilterTest, ALibraryForSafeModeOnlyDoesNotLoad) {
    EXPECT_FALSE(loads({{"Flags", 2}, {"Bundles", Array{"net.whatsapp.WhatsApp"}}}));
    EXPECT_TRUE(loads({{"Flags", 1}, {"Bundles", Array{"net.whatsapp.WhatsApp"}}}));
}

TEST(DylibFilterTest, TheShippedFilterLoadsOnlyIntoTheMessagingApp) {
    auto shipped = foundation::readPropertyListFile(SNAPFOLD_SOURCE_DIR "/resources/Snapfold.plist");
    ASSERT_TRUE(shipped.ok());
    EXPECT_TRUE(evaluateFilter(shipped.value(), messagingApp()).load);

    LaunchEnvironment settings;
    settings.loadedBundleIdentifiers = {"com.apple.Preferences", "com.apple.UIKit"};
    settings.executableName = "Preferences";
    settings.coreFoundationVersion = 1145.15;
    EXPECT_FALSE(evaluateFilter(shipped.value(), settings).load);
}

}  // namespace
