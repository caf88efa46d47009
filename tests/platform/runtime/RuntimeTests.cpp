#include "platform/runtime/Selector.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace objc;

const TypedSelector<int(int)> kTwice{"twice:"};
const TypedSelector<std::string()> kGreeting{"greeting"};
const TypedSelector<long(int)> kTwiceAsLong{"twice:"};  // Same name, another signature.

int twice(id, SEL, int value) { return value * 2; }
std::string greetingOfClass(id self, SEL) { return "class " + static_cast<ClassObject*>(self)->name(); }

TEST(RuntimeTest, RegistryAnswersByNameAndNullForUnknownNames) {
    Class registered = objc_registerClass("RuntimeTestRegistered", nullptr);
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(objc_getClass("RuntimeTestRegistered"), registered);
    EXPECT_EQ(objc_registerClass("RuntimeTestRegistered", nullptr), registered) << "a name is registered once";
    EXPECT_EQ(objc_getClass("RuntimeTestNeverRegistered"), nullptr);
    EXPECT_EQ(objc_getMetaClass("RuntimeTestNeverRegistered"), nullptr);
    EXPECT_EQ(registered->superclass(), rootClass()) << "classes without a superclass derive from the root class";
}

TEST(RuntimeTest, ClassMethodsLiveInTheMetaclass) {
    Class cls = objc_registerClass("RuntimeTestMeta", nullptr);
    Class meta = object_getClass(cls);
    ASSERT_NE(meta, nullptr);
    EXPECT_TRUE(meta->isMetaClass());
    EXPECT_EQ(meta, objc_getMetaClass("RuntimeTestMeta"));
    EXPECT_EQ(cls->retain().get(), cls) << "class objects are owned, so they can be retained";
    EXPECT_EQ(meta->retain().get(), meta);
    ASSERT_TRUE(class_addMethod(meta, kGreeting, &greetingOfClass));

    EXPECT_EQ(msgSend(cls, kGreeting), "class RuntimeTestMeta");
    EXPECT_TRUE(cls->respondsToSelector(kGreeting.sel()));
    auto instance = allocInit(cls);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(object_getClass(instance.get()), cls);
    EXPECT_FALSE(instance->respondsToSelector(kGreeting.sel())) << "instances do not answer class methods";
}

TEST(RuntimeTest, SubclassesInheritAndMayAddTheirOwn) {
    Class base = objc_registerClass("RuntimeTestBase", nullptr);
    Class derived = objc_registerClass("RuntimeTestDerived", base);
    ASSERT_TRUE(class_addMethod(base, kTwice, &twice));
    EXPECT_FALSE(class_addMethod(base, kTwice, &twice)) << "a class has one implementation per selector";

    auto instance = allocInit(derived);
    EXPECT_EQ(msgSend(instance.get(), kTwice, 21), 42);
    EXPECT_TRUE(instance->respondsToSelector(kTwice.sel()));
    EXPECT_EQ(derived->ownMethod(kTwice.sel()), nullptr);
}

TEST(RuntimeTest, MessagesToNilOrUnknownSelectorsAnswerZero) {
    EXPECT_EQ(msgSend(nullptr, kTwice, 3), 0);
    EXPECT_EQ(msgSend(nullptr, kGreeting), "");
    auto plain = allocInit(objc_registerClass("RuntimeTestPlain", nullptr));
    EXPECT_EQ(msgSend(plain.get(), kTwice, 3), 0);
}

TEST(RuntimeTest, CallsThroughADifferentlyTypedDeclarationAreRefused) {
    Class cls = objc_registerClass("RuntimeTestTyped", nullptr);
    ASSERT_TRUE(class_addMethod(cls, kTwice, &twice));
    auto instance = allocInit(cls);
    EXPECT_EQ(kTwice.sel(), kTwiceAsLong.sel()) << "selectors are interned by name";
    EXPECT_EQ(msgSend(instance.get(), kTwiceAsLong, 5), 0L) << "the int(int) method must not run as long(int)";
    EXPECT_EQ(msgSend(instance.get(), kTwice, 5), 10);
}

TEST(RuntimeTest, AllocUsesTheClassAllocator) {
    class Counter : public Object {
    public:
        int value = 7;

    protected:
        friend Allocation;
        using Object::Object;
    };
    Class cls = objc_registerClass("RuntimeTestAllocated", nullptr, [](Class c) { return make<Counter>(c); });
    Class sub = objc_registerClass("RuntimeTestAllocatedChild", cls);
    auto made = allocInit(sub);
    auto* counter = dynamic_cast<Counter*>(made.get());
    ASSERT_NE(counter, nullptr) << "subclasses inherit the allocator";
    EXPECT_EQ(counter->isa(), sub);
    EXPECT_EQ(made->retain(), made) << "init answers the allocated object itself";
}

}  // namespace
