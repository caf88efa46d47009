#include "platform/foundation/Format.h"
#include "platform/foundation/NSError.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatTest, PlaceholdersTakeTheirArgumentsInOrder) {
    EXPECT_EQ(foundation::stringWithFormat("%s: %@", "fn", std::string("text")), "fn: text");
    EXPECT_EQ(foundation::stringWithFormat("%d/%ld/%lu %%", -1, 2L, 3UL), "-1/2/3 %");
    EXPECT_EQ(foundation::stringWithFormat("ALAssetsGroup failed to add asset: %@.", "asset"),
              "ALAssetsGroup failed to add asset: asset.");
    EXPECT_EQ(foundation::stringWithFormat("missing %@"), "missing (null)");
    EXPECT_EQ(foundation::stringWithFormat("no placeholders"), "no placeholders");
}

TEST(FormatTest, ObjectsAreFormattedByTheirDescription) {
    auto error = foundation::NSError::errorWithDomain("D", 4, {{foundation::NSLocalizedDescriptionKey, "broken"}});
    EXPECT_EQ(foundation::stringWithFormat("%@", error), "Error Domain=D Code=4 \"broken\"");
    std::shared_ptr<const foundation::NSError> none;
    EXPECT_EQ(foundation::stringWithFormat("%@", none), "(null)");
}

}  // namespace
