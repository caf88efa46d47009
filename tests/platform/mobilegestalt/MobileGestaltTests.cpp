// MGCopyAnswer: answers from the device root's two lists.
#include "platform/foundation/DeviceRoot.h"
#include "platform/mobilegestalt/MobileGestalt.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(MGCopyAnswerTest, AnswersComeFromTheSystemVersionAndDeviceLists) {
    testsupport::processDeviceRoot();
    ASSERT_TRUE(foundation::writePropertyListAtomically(
                    foundation::hostPath(kMGSystemVersionPlistPath),
                    foundation::NSDictionary{{"ProductVersion", "8.3"}, {"ProductBuildVersion", "12F70"}})
                    .ok());
    ASSERT_TRUE(foundation::writePropertyListAtomically(
                    foundation::hostPath(kMGDeviceInfoPlistPath),
                    foundation::NSDictionary{{"ProductType", "iPad4,1"}, {"BuildVersion", "not this one"}})
                    .ok());
    EXPECT_EQ(*MGCopyAnswer("ProductVersion"), foundation::PlistValue("8.3"));
    EXPECT_EQ(*MGCopyAnswer("BuildVersion"), foundation::PlistValue("12F70"));
    EXPECT_EQ(*MGCopyAnswer("ProductType"), foundation::PlistValue("iPad4,1"));
    EXPECT_FALSE(MGCopyAnswer("UniqueDeviceID"));
    EXPECT_FALSE(MGCopyAnswer("ProductName")) << "the system version list names none";
}

}  // namespace
