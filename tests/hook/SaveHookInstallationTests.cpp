// Where and how the hook installation replaces the messaging app's three save
// methods.
#include "platform/foundation/NSBundle.h"
#include "tests/hook/HookTestFixture.h"

namespace hooktest {
namespace {

using SaveHookInstallationTest = HookTest;

objc::IMP implementationOf(objc::Class cls, const char* selector) {
    return objc::class_getMethodImplementation(objc::object_getClass(cls), objc::sel_registerName(selector));
}

TEST_F(SaveHookInstallationTest, AnotherAppKeepsItsOwnMethods) {
    objc::IMP before = implementationOf(managerClass, hostapp::kSaveMediaAtPath.name());
    for (std::optional<std::string> identifier :
         {std::optional<std::string>("com.apple.mobileslideshow"),
          std::optional<std::string>("net.whatsapp.WhatsApp.ShareExtension"), std::optional<std::string>()}) {
        foundation::setMainBundleIdentifierForTesting(identifier);
        snapfold::installSaveHooks();
    }
    EXPECT_TRUE(recordedHookCalls().empty());
    EXPECT_EQ(implementationOf(managerClass, hostapp::kSaveMediaAtPath.name()), before);
}

TEST_F(SaveHookInstallationTest, TheMessagingAppGetsThreeReplacementsOnItsMetaclassInOrder) {
    const char* selectors[] = {hostapp::kEnqueueSavingMediaToCameraRollAtPath.name(), hostapp::kSaveImage.name(),
                               hostapp::kSaveMediaAtPath.name()};
    std::vector<objc::IMP> own;
    for (const char* selector : selectors) own.push_back(implementationOf(managerClass, selector));

    snapfold::installSaveHooks();

    auto calls = recordedHookCalls();
    ASSERT_EQ(calls.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(selectors[i]);
        EXPECT_EQ(calls[i].selector, selectors[i]);
        // Class methods live on the metaclass.
        EXPECT_EQ(calls[i].cls, objc::object_getClass(managerClass));
        EXPECT_TRUE(calls[i].cls->isMetaClass());
        // The slot received the app's own implementation, and every call of
        // the selector now reaches the replacement.
        EXPECT_EQ(calls[i].previous, own[i]);
        EXPECT_EQ(implementationOf(managerClass, selectors[i]), calls[i].replacement);
        EXPECT_NE(calls[i].replacement, own[i]);
    }
    // Three distinct slots: no replacement calls another's previous method.
    EXPECT_NE(calls[0].slot, calls[1].slot);
    EXPECT_NE(calls[1].slot, calls[2].slot);
    EXPECT_NE(calls[0].slot, calls[2].slot);
}

// A second installation must not hook the replacements themselves: their
// slots would then point back at them and a switched-off save would call
// itself for ever.
TEST_F(SaveHookInstallationTest, InstallingTwiceHooksEachMethodOnce) {
    snapfold::installSaveHooks();
    snapfold::installSaveHooks();
    EXPECT_EQ(recordedHookCalls().size(), 3u);

    writeSettings({{"isEnabled", false}});
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, std::string("/var/mobile/x.jpg"), completion.completion());
    EXPECT_EQ(RecordingHost::calls().size(), 1u);
    EXPECT_EQ(completion.count(), 1u);
}

TEST_F(SaveHookInstallationTest, AnAppWithoutTheManagerClassRunsOnUnhooked) {
    unregisterClass(hostapp::kAssetsLibraryManagerClassName);
    snapfold::installSaveHooks();
    EXPECT_TRUE(recordedHookCalls().empty());
}

}  // namespace
}  // namespace hooktest
