// The index's connection: a statement handle has its statement to itself,
// and a bind SQLite refuses is reported, not run without.
#include "platform/assets/SqliteDatabase.h"

#include <gtest/gtest.h>

namespace assetstest {
namespace {

using namespace assets;

TEST(SqliteDatabaseTest, TwoLiveHandlesOfOneTextEachHaveTheirOwnStatement) {
    auto database = sql::Database::open(":memory:", std::chrono::milliseconds(100));
    ASSERT_TRUE(database.ok());
    auto& db = *database.value();
    ASSERT_TRUE(db.execute("CREATE TABLE t (v INTEGER); INSERT INTO t VALUES (1), (2), (3)").ok());
    constexpr const char* kQuery = "SELECT v FROM t WHERE v >= ? ORDER BY v";

    auto outer = db.prepare(kQuery);
    ASSERT_TRUE(outer.ok());
    outer->bind(1, std::int64_t{1});
    ASSERT_TRUE(outer->step().value());
    EXPECT_EQ(outer->columnInt64(0), 1);
    {
        // A nested query of the same text, while the outer one is mid-way.
        auto inner = db.prepare(kQuery);
        ASSERT_TRUE(inner.ok());
        inner->bind(1, std::int64_t{3});
        ASSERT_TRUE(inner->step().value());
        EXPECT_EQ(inner->columnInt64(0), 3);
    }
    // The outer one goes on where it was, with its own binding.
    ASSERT_TRUE(outer->step().value());
    EXPECT_EQ(outer->columnInt64(0), 2);

    // A bind SQLite refuses is the step's error; the statement does not run.
    auto badBind = db.prepare("INSERT INTO t VALUES (?)");
    ASSERT_TRUE(badBind.ok());
    auto ran = badBind->bind(2, std::int64_t{9}).run();
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().code, foundation::ErrorCode::InvalidArgument);
    EXPECT_NE(ran.error().message.find("bind parameter 2"), std::string::npos) << ran.error().message;
    EXPECT_EQ(db.queryInteger("SELECT COUNT(*) FROM t").value(), 3);
}

}  // namespace
}  // namespace assetstest
