#include "platform/runtime/Substrate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace objc;

const TypedSelector<int(int)> kValue{"valueFor:"};

int original(id, SEL, int x) { return x + 1; }
int replacement(id, SEL, int x) { return x + 100; }
int otherOriginal(id, SEL, int x) { return x + 2; }

IMP gPrevious = nullptr;
int forwarding(id self, SEL cmd, int x) { return 1000 + callImplementation(gPrevious, kValue, self, cmd, x); }

TEST(SubstrateTest, OwnMethodIsSwappedAndThePreviousImplementationHandedBack) {
    Class cls = objc_registerClass("SubstrateOwn", nullptr);
    class_addMethod(cls, kValue, &original);
    auto instance = allocInit(cls);

    IMP previous = nullptr;
    hookMessage(cls, kValue, &replacement, &previous);
    EXPECT_EQ(previous, reinterpret_cast<IMP>(&original));
    EXPECT_EQ(msgSend(instance.get(), kValue, 1), 101);
}

TEST(SubstrateTest, HookingTwiceChainsThroughBothReplacements) {
    Class cls = objc_registerClass("SubstrateTwice", nullptr);
    class_addMethod(cls, kValue, &original);
    IMP first = nullptr, second = nullptr;
    hookMessage(cls, kValue, &replacement, &first);
    gPrevious = nullptr;
    hookMessage(cls, kValue, &forwarding, &gPrevious);
    second = gPrevious;
    EXPECT_EQ(first, reinterpret_cast<IMP>(&original));
    EXPECT_EQ(second, reinterpret_cast<IMP>(&replacement));
    EXPECT_EQ(msgSend(allocInit(cls).get(), kValue, 1), 1101);
}

TEST(SubstrateTest, ClassMethodsAreHookedThroughTheMetaclass) {
    Class cls = objc_registerClass("SubstrateClassMethod", nullptr);
    class_addMethod(object_getClass(cls), kValue, &original);
    IMP previous = nullptr;
    MSHookMessageEx(object_getClass(cls), kValue.sel(), reinterpret_cast<IMP>(&replacement), &previous);
    EXPECT_EQ(previous, reinterpret_cast<IMP>(&original));
    EXPECT_EQ(msgSend(cls, kValue, 1), 101);
}

TEST(SubstrateTest, InheritedMethodIsAddedToTheSubclassAndCallsTheSuperclassLive) {
    Class base = objc_registerClass("SubstrateBase", nullptr);
    Class derived = objc_registerClass("SubstrateDerived", base);
    Class sibling = objc_registerClass("SubstrateSibling", base);
    class_addMethod(base, kValue, &original);

    IMP previous = nullptr;
    hookMessage(derived, kValue, &replacement, &previous);
    ASSERT_NE(previous, nullptr);
    EXPECT_NE(previous, reinterpret_cast<IMP>(&original)) << "an inherited method gets a call-through thunk";
    EXPECT_NE(derived->ownMethod(kValue.sel()), nullptr);
    EXPECT_EQ(msgSend(allocInit(derived).get(), kValue, 1), 101);
    EXPECT_EQ(msgSend(allocInit(base).get(), kValue, 1), 2) << "the superclass is unchanged";
    EXPECT_EQ(msgSend(allocInit(sibling).get(), kValue, 1), 2) << "siblings are unchanged";

    auto base0 = allocInit(base);
    EXPECT_EQ(callImplementation(previous, kValue, base0.get(), kValue.sel(), 1), 2);
    // The thunk follows later changes to the superclass.
    IMP ignored = nullptr;
    hookMessage(base, kValue, &otherOriginal, &ignored);
    EXPECT_EQ(callImplementation(previous, kValue, base0.get(), kValue.sel(), 1), 3);
}

TEST(SubstrateTest, AbsentArgumentsAndUnknownMethodsLeaveTheResultSlotUntouched) {
    Class cls = objc_registerClass("SubstrateAbsent", nullptr);
    class_addMethod(cls, kValue, &original);
    IMP sentinel = reinterpret_cast<IMP>(&otherOriginal);
    IMP slot = sentinel;
    MSHookMessageEx(nullptr, kValue.sel(), reinterpret_cast<IMP>(&replacement), &slot);
    MSHookMessageEx(cls, nullptr, reinterpret_cast<IMP>(&replacement), &slot);
    MSHookMessageEx(cls, kValue.sel(), nullptr, &slot);
    MSHookMessageEx(cls, sel_registerName("noSuchMethod:"), reinterpret_cast<IMP>(&replacement), &slot);
    EXPECT_EQ(slot, sentinel);
    EXPECT_EQ(msgSend(allocInit(cls).get(), kValue, 1), 2) << "nothing was replaced";
}

// Callers running while the method is replaced see either the old or the new
// implementation, and every forwarding call finds its slot filled.
TEST(SubstrateTest, ReplacementIsAtomicForConcurrentCallers) {
    Class cls = objc_registerClass("SubstrateConcurrent", nullptr);
    class_addMethod(object_getClass(cls), kValue, &original);
    std::atomic<bool> hooked{false};
    std::atomic<int> unexpected{0}, sawNew{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 3; ++t) {
        callers.emplace_back([&] {
            for (int i = 0; i < 200000 && !(hooked && sawNew > 1000); ++i) {
                int result = msgSend(cls, kValue, 1);
                if (result == 1002) ++sawNew;
                else if (result != 2) ++unexpected;
            }
        });
    }
    gPrevious = nullptr;
    MSHookMessageEx(object_getClass(cls), kValue.sel(), reinterpret_cast<IMP>(&forwarding), &gPrevious);
    hooked = true;
    for (auto& caller : callers) caller.join();
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_EQ(msgSend(cls, kValue, 1), 1002);
}

int added(id, SEL, int x) { return x + 10; }

Class gRaceDerived = nullptr;
// The call-through factory runs inside the hook, between its look-up and its
// install; another thread adds the subclass's own method right then.
IMP addToSubclassThenMakeCallThrough(Class superclass) {
    std::thread([] { class_addMethod(gRaceDerived, kValue, &added); }).join();
    return TypedSelector<int(int)>::makeSuperTrampoline(superclass);
}

// A method added to a subclass while its inherited method is hooked: the hook
// still ends up installed, and its slot holds the method it replaced.
TEST(SubstrateTest, AMethodAddedDuringTheHookIsReplacedNotLost) {
    Class base = objc_registerClass("SubstrateRaceBase", nullptr);
    gRaceDerived = objc_registerClass("SubstrateRaceDerived", base);
    base->addMethod(kValue.sel(), reinterpret_cast<IMP>(&original), TypedSelector<int(int)>::signature(),
                    &addToSubclassThenMakeCallThrough);
    IMP slot = nullptr;
    hookMessage(gRaceDerived, kValue, &replacement, &slot);

    auto instance = allocInit(gRaceDerived);
    EXPECT_EQ(msgSend(instance.get(), kValue, 1), 101) << "the hook was lost";
    EXPECT_EQ(slot, reinterpret_cast<IMP>(&added));
}

}  // namespace
