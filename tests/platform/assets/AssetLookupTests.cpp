// Looking assets up by URL: known, unknown and malformed URLs, and URLs that
// try to reach outside the library.
#include "platform/assets/AssetURL.h"
#include "tests/platform/assets/AssetsTestSupport.h"

#include <gmock/gmock.h>

namespace assetstest {
namespace {

using namespace assets;

class AssetLookupTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        url = writePhoto(*library);
        ASSERT_TRUE(url);
        id = url->absoluteString().substr(url->absoluteString().find("id=") + 3, 36);
    }

    foundation::NSURLRef url;
    std::string id;
};

TEST_F(AssetLookupTest, KnownURLAnswersItsAsset) {
    auto found = lookUp(*library, url);
    ASSERT_TRUE(found.asset);
    EXPECT_EQ(found.asset->assetURL()->absoluteString(), url->absoluteString());
    EXPECT_EQ(*found.asset->valueForProperty(ALAssetPropertyType)->string(), "ALAssetTypePhoto");
    EXPECT_EQ(found.asset->description(), "ALAsset - Type:Photo, URLs:" + url->absoluteString());
}

TEST_F(AssetLookupTest, IdInLowerCaseNamesTheSameAsset) {
    std::string lower = url->absoluteString();
    for (std::size_t i = lower.find("id=") + 3; i < lower.find("&ext"); ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    auto found = assetFor(*library, foundation::NSURL::URLWithString(lower));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->assetURL()->absoluteString(), url->absoluteString());
}

TEST_F(AssetLookupTest, UnknownIdAnswersNoAssetThroughTheResultBlock) {
    auto found = lookUp(*library, foundation::NSURL::URLWithString(assetURLString(makeUUID(), "PNG")));
    EXPECT_TRUE(found.resultBlockCalled);
    EXPECT_FALSE(found.asset);
    EXPECT_FALSE(found.error);
}

TEST_F(AssetLookupTest, AbsentURLAnswersNoAsset) {
    auto found = lookUp(*library, nullptr);
    EXPECT_TRUE(found.resultBlockCalled);
    EXPECT_FALSE(found.asset);
}

TEST_F(AssetLookupTest, MalformedOrForgedURLsAnswerNoAsset) {
    const std::string good = url->absoluteString();
    // Well formed, but the id belongs to a PNG asset.
    auto otherType = lookUp(*library,
                            foundation::NSURL::URLWithString("assets-library://asset/asset.JPG?id=" + id + "&ext=JPG"));
    EXPECT_TRUE(otherType.resultBlockCalled);
    EXPECT_FALSE(otherType.asset);

    const std::vector<std::string> forged = {
        "assets-library://asset/asset.PNG?id=" + id + "&ext=JPG",  // path and ext disagree
        "assets-library://asset/asset.PNG?id=" + id,               // no ext
        "assets-library://asset/asset.PNG?ext=PNG",                // no id
        "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG&id=" + id,
        "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG&extra=1",
        "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG#fragment",
        "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG&",
        "assets-library://group/asset.PNG?id=" + id + "&ext=PNG",
        "file://asset/asset.PNG?id=" + id + "&ext=PNG",
        "ASSETS-LIBRARY://asset/asset.PNG?id=" + id + "&ext=PNG",
        "assets-library://asset/asset.PNG?id=" + id.substr(0, 35) + "&ext=PNG",
        "assets-library://asset/asset.PNG?id=" + id + "0&ext=PNG",
        "assets-library://asset/asset.PNG?id=%41" + id.substr(1) + "&ext=PNG",
        // Attempts to reach files outside the library through the URL.
        "assets-library://asset/../asset.PNG?id=" + id + "&ext=PNG",
        "assets-library://asset/asset.PNG/../../../../etc/passwd?id=" + id + "&ext=PNG",
        "assets-library://asset/asset.%2E%2E?id=" + id + "&ext=PNG",
        "assets-library://asset/asset.PNG?id=../../../Photos.sqlite&ext=PNG",
        "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG/../../DCIM",
        "assets-library://asset/asset.PNG?id=' OR '1'='1&ext=PNG",
        good + " ",
        "",
    };
    for (const auto& text : forged) {
        auto found = lookUp(*library, std::make_shared<const foundation::NSURL>(text));
        EXPECT_TRUE(found.resultBlockCalled) << text;
        EXPECT_FALSE(found.asset) << text;
        EXPECT_FALSE(parseAssetURL(text)) << text;
    }
    // The genuine URL still works after all that.
    EXPECT_TRUE(assetFor(*library, url));
}

TEST_F(AssetLookupTest, RefusedAccessCallsOnlyTheFailureBlock) {
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto found = lookUp(*library, url);
    EXPECT_FALSE(found.resultBlockCalled);
    ASSERT_TRUE(found.error);
    EXPECT_EQ(found.error->domain(), "ALAssetsLibraryErrorDomain");
    EXPECT_EQ(found.error->code(), -3311);
}

TEST(AssetURLTest, FormattedURLsParseBackToTheirParts) {
    std::string uuid = makeUUID();
    for (const char* extension : {"PNG", "JPG", "GIF", "WEBP", "MOV", "MP4"}) {
        std::string text = assetURLString(uuid, extension);
        EXPECT_EQ(text, std::string("assets-library://asset/asset.") + extension + "?id=" + uuid + "&ext=" + extension);
        auto parts = parseAssetURL(text);
        ASSERT_TRUE(parts) << text;
        EXPECT_EQ(parts->uuid, uuid);
        EXPECT_EQ(parts->extension, extension);
    }
    // The query's items may come in either order.
    auto swapped = parseAssetURL("assets-library://asset/asset.JPG?ext=JPG&id=" + uuid);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(swapped->uuid, uuid);
}

TEST(AssetURLTest, NewIdsAreDistinctUppercaseVersion4UUIDs) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        std::string uuid = makeUUID();
        EXPECT_THAT(uuid,
                    ::testing::MatchesRegex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"));
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace assetstest
