// The makers page's two cells: the developer row (portrait, three lines, the
// Twitter profile opened in the first client app the device has) and the
// product row (icon, name, price, the package page opened on tap).
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/preferences/PreferencesSelectors.h"
#include "platform/runtime/Selector.h"
#include "platform/uikit/DeviceURLHandlers.h"
#include "platform/uikit/OpenedURLLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "prefs/SettingsFile.h"
#include "prefs/VeltronaSnapfoldMakersListController.h"
#include "prefs/views/VeltronaSnapfoldDeveloperTableCell.h"
#include "prefs/views/VeltronaSnapfoldDeveloperUpSellCell.h"
#include "tests/support/TestSupport.h"

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using uikit::UIDevice;

// The base address the build gave the cells (prefs/CMakeLists.txt).
constexpr std::string_view kWebProfileAddress = SNAPFOLD_WEB_PROFILE_ADDRESS;

class MakersCellTest : public prefstest::SettingsPageTest {
protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        fs::remove(foundation::hostPath(uikit::kURLSchemeHandlersPath));
        fs::remove(foundation::hostPath(uikit::kOpenedURLLogPath));
        foundation::setLogSinkForTesting([this](const std::string& line) { logged.push_back(line); });
    }
    void TearDown() override {
        foundation::setLogSinkForTesting(nullptr);
        SettingsPageTest::TearDown();
    }

    static preferences::PSSpecifierRef row(const foundation::NSDictionary& properties) {
        auto made = preferences::PSSpecifier::preferenceSpecifierNamed(std::nullopt, preferences::PSButtonCell);
        for (const auto& [key, value] : properties) made->setProperty(value, key);
        return made;
    }
    // Made as the framework makes a row's cell: by class name, through the
    // runtime, with a style and reuse identifier that the cell ignores.
    template <typename Cell>
    static std::shared_ptr<Cell> makeCell(const char* className, const foundation::NSDictionary& properties) {
        auto specifier = row(properties);
        objc::Class cls = objc::objc_getClass(className);
        EXPECT_TRUE(cls) << className << " is registered with the runtime";
        if (!cls) return nullptr;
        auto allocated = objc::msgSend(cls, objc::kAlloc);
        auto made = objc::msgSend(allocated.get(), preferences::kInitWithStyleReuseIdentifierSpecifier, 3L,
                                  std::string("some identifier"), specifier.get());
        auto cell = std::dynamic_pointer_cast<Cell>(made);
        EXPECT_TRUE(cell);
        return cell;
    }
    static std::vector<std::string> opened() { return uikit::UIApplication::sharedApplication().openedURLs(); }
    static void install(const char* scheme) { ASSERT_TRUE(uikit::installURLSchemeHandler(scheme, scheme).ok()); }

    std::vector<std::string> logged;
};

// One constraint a cell must hold: item.attribute == toItem.toAttribute * 1 + constant.
struct ExpectedConstraint {
    const uikit::UIView* item;
    uikit::NSLayoutAttribute attribute;
    const uikit::UIView* toItem;
    uikit::NSLayoutAttribute toAttribute;
    double constant;
};

void expectConstraints(const uikit::UIView& holder, const std::vector<ExpectedConstraint>& expected) {
    ASSERT_EQ(holder.constraints().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& constraint = *holder.constraints()[i];
        SCOPED_TRACE("constraint " + std::to_string(i + 1));
        EXPECT_EQ(constraint.firstItem().get(), expected[i].item);
        EXPECT_EQ(constraint.firstAttribute(), expected[i].attribute);
        EXPECT_EQ(constraint.relation(), uikit::NSLayoutRelationEqual);
        EXPECT_EQ(constraint.secondItem().get(), expected[i].toItem);
        EXPECT_EQ(constraint.secondAttribute(), expected[i].toAttribute);
        EXPECT_EQ(constraint.multiplier(), 1.0);
        EXPECT_EQ(constraint.constant(), expected[i].constant);
    }
}

void expectShadowedImageView(const uikit::UIImageView& view, const uikit::UIView& cell, uikit::CGRect frame) {
    EXPECT_EQ(view.superview(), &cell) << "in the cell itself, not its content view";
    EXPECT_EQ(view.frame(), frame);
    EXPECT_TRUE(view.translatesAutoresizingMaskIntoConstraints()) << "placed by its frame alone";
    EXPECT_TRUE(uikit::sameColor(view.layer().shadowColor, uikit::UIColor::blackColor()));
    EXPECT_EQ(view.layer().shadowOffset, (uikit::CGSize{0, 1}));
    EXPECT_DOUBLE_EQ(view.layer().shadowOpacity, 0.2);
    EXPECT_DOUBLE_EQ(view.layer().shadowRadius, 1);
    EXPECT_FALSE(view.clipsToBounds());
}

void expectLine(const uikit::UILabel& label, const uikit::UIView& cell, const std::string& text,
                const uikit::UIColorRef& colour, double size) {
    SCOPED_TRACE(text);
    EXPECT_EQ(label.superview(), &cell);
    EXPECT_EQ(label.text(), text);
    EXPECT_TRUE(uikit::sameColor(label.textColor(), colour));
    EXPECT_TRUE(uikit::sameColor(label.backgroundColor(), uikit::UIColor::clearColor()));
    EXPECT_EQ(label.font()->fontName(), "Helvetica Light");
    EXPECT_EQ(label.font()->pointSize(), size);
    EXPECT_EQ(label.textAlignment(), uikit::NSTextAlignmentCenter);
    EXPECT_FALSE(label.translatesAutoresizingMaskIntoConstraints());
}

// ---------------------------------------------------------------------------
// The developer cell.

class DeveloperCellTest : public MakersCellTest {
protected:
    std::shared_ptr<VeltronaSnapfoldDeveloperTableCell> make(foundation::NSDictionary properties = {}) {
        foundation::NSDictionary all{{"devImage", "veltrona"},
                                     {"twitterUsername", "Veltrona"},
                                     {"devName", "Veltrona"},
                                     {"realName", "Zarvelle Veltrona"},
                                     {"job", "Developer and Designer"}};
        for (auto& [key, value] : properties) all[key] = value;
        return makeCell<VeltronaSnapfoldDeveloperTableCell>("VeltronaSnapfoldDeveloperTableCell", all);
    }
    std::shared_ptr<VeltronaSnapfoldDeveloperTableCell> withUser(const std::string& user) {
        return make({{"twitterUsername", user}});
    }
};

TEST_F(DeveloperCellTest, TheMakersPageMakesItFromItsRowWithTheBundlesPortrait) {
    auto page = VeltronaSnapfoldMakersListController::create();
    page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
    auto specifier = page->specifierForID("veltrona");
    ASSERT_TRUE(specifier);
    auto indexPath = page->indexPathForSpecifier(*specifier);
    ASSERT_TRUE(indexPath);
    auto cell = std::dynamic_pointer_cast<VeltronaSnapfoldDeveloperTableCell>(
        page->tableViewCellForRowAtIndexPath(*page->table(), *indexPath));
    ASSERT_TRUE(cell) << "the row names the cell class";
    EXPECT_EQ(cell->user(), "Veltrona");
    EXPECT_EQ(cell->devNameLabel()->text(), "Veltrona");
    EXPECT_EQ(cell->realNameLabel()->text(), "Zarvelle Veltrona");
    EXPECT_EQ(cell->jobLabel()->text(), "Developer and Designer");
    ASSERT_TRUE(cell->devImageView()->image()) << "veltrona.png is drawn into the bundle at build time";
    EXPECT_GT(cell->devImageView()->image()->size().width, 0);
}

TEST_F(DeveloperCellTest, TheStyleReuseIdentifierAndRowAreNotHandedToTheBaseClass) {
    auto cell = make();
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->style(), uikit::UITableViewCellStyleDefault);
    EXPECT_EQ(cell->reuseIdentifier(), "VeltronaSnapfoldDeveloperTableCell");
    EXPECT_FALSE(cell->specifier()) << "the row stays with the framework";
    EXPECT_EQ(cell->titleLabel()->text(), "");
}

TEST_F(DeveloperCellTest, ThePortraitIsSeventyPointsAtTenFifteenWithTheShadow) {
    auto cell = make();
    ASSERT_TRUE(cell->devImageView());
    expectShadowedImageView(*cell->devImageView(), *cell, uikit::CGRectMake(10, 15, 70, 70));
    for (const auto& constraint : cell->constraints())
        EXPECT_NE(constraint->firstItem(), cell->devImageView()) << "the portrait gets no constraints";
}

TEST_F(DeveloperCellTest, AMissingPortraitShowsNothingAndChangesNothingElse) {
    auto cell = make({{"devImage", "nobody"}});
    ASSERT_TRUE(cell->devImageView());
    EXPECT_FALSE(cell->devImageView()->image());
    EXPECT_EQ(cell->devImageView()->frame(), uikit::CGRectMake(10, 15, 70, 70));
    EXPECT_EQ(cell->constraints().size(), 6u);
    EXPECT_EQ(cell->devNameLabel()->text(), "Veltrona");
}

TEST_F(DeveloperCellTest, TheThreeLinesFollowTheDeviceIdiom) {
    struct Case {
        UIDevice::IdiomOverride idiom;
        double devName;
    };
    for (auto [idiom, devName] : {Case{UIDevice::IdiomOverride::Pad, 30}, Case{UIDevice::IdiomOverride::Phone, 20},
                                  Case{UIDevice::IdiomOverride::NotAnswered, 20}}) {
        UIDevice::setIdiomForTesting(idiom);
        auto cell = make();
        expectLine(*cell->devNameLabel(), *cell, "Veltrona", uikit::UIColor::darkGrayColor(), devName);
        expectLine(*cell->realNameLabel(), *cell, "Zarvelle Veltrona", uikit::UIColor::grayColor(), 15);
        expectLine(*cell->jobLabel(), *cell, "Developer and Designer", uikit::UIColor::grayColor(), 12);
    }
}

TEST_F(DeveloperCellTest, EveryLineStartsThirtyRightOfThePortraitAndHangsUnderTheOneAbove) {
    auto cell = make();
    const uikit::UIView *portrait = cell->devImageView().get(), *dev = cell->devNameLabel().get(),
                        *real = cell->realNameLabel().get(), *job = cell->jobLabel().get();
    using namespace uikit;
    expectConstraints(*cell, {
                                 {dev, NSLayoutAttributeLeft, portrait, NSLayoutAttributeRight, 30},
                                 {dev, NSLayoutAttributeCenterY, cell.get(), NSLayoutAttributeCenterY, -20},
                                 {real, NSLayoutAttributeLeft, portrait, NSLayoutAttributeRight, 30},
                                 {real, NSLayoutAttributeTop, dev, NSLayoutAttributeBottom, 0},
                                 {job, NSLayoutAttributeLeft, portrait, NSLayoutAttributeRight, 30},
                                 {job, NSLayoutAttributeTop, real, NSLayoutAttributeBottom, 5},
                             });
}

TEST_F(DeveloperCellTest, TheLinesStartAtOneHundredTenAndStackUnderTheNameAboveTheMiddle) {
    auto cell = make();
    cell->setFrame(uikit::CGRectMake(0, 0, 320, 100));
    cell->layoutIfNeeded();
    auto dev = cell->devNameLabel()->frame(), real = cell->realNameLabel()->frame(), job = cell->jobLabel()->frame();
    for (const auto& frame : {dev, real, job}) {
        EXPECT_DOUBLE_EQ(frame.minX(), 110);
        EXPECT_GT(frame.size.width, 0);
        EXPECT_GT(frame.size.height, 0);
    }
    EXPECT_DOUBLE_EQ(dev.midY(), 50 - 20);
    EXPECT_DOUBLE_EQ(real.minY(), dev.maxY());
    EXPECT_DOUBLE_EQ(job.minY(), real.maxY() + 5);
    EXPECT_EQ(cell->devImageView()->frame(), uikit::CGRectMake(10, 15, 70, 70)) << "layout keeps a set frame";
}

TEST_F(DeveloperCellTest, DeselectingGoesToTheBaseClassAndSelectingNever) {
    auto cell = make();
    using Call = uikit::UITableViewCell::SelectionCall;
    cell->setSelected(false, true);
    cell->setSelected(false, false);
    EXPECT_EQ(cell->selectionCallsForTesting(), (std::vector<Call>{{false, true}, {false, false}}));
    cell->setSelected(true, true);
    cell->setSelected(true, false);
    EXPECT_EQ(cell->selectionCallsForTesting().size(), 2u) << "selecting never reaches the base class";
    EXPECT_FALSE(cell->isSelected());
    EXPECT_EQ(opened().size(), 2u) << "each selection is a tap that opens the profile";
}

TEST_F(DeveloperCellTest, TheSelectionStyleIsAlwaysBlue) {
    auto cell = make();
    for (long asked : {0L, 1L, 2L, 7L}) {
        cell->uikit::UITableViewCell::setSelectionStyle(uikit::UITableViewCellSelectionStyleNone);
        cell->setSelectionStyle(asked);
        EXPECT_EQ(cell->selectionStyle(), uikit::UITableViewCellSelectionStyleBlue) << asked;
    }
}

TEST_F(DeveloperCellTest, AphelionComesBeforeTwitter) {
    install("twitter");
    install("aphelion");
    withUser("Veltrona")->setSelected(true, true);
    EXPECT_EQ(opened(), (std::vector<std::string>{"aphelion://profile/Veltrona"}));
}

TEST_F(DeveloperCellTest, OnlyTwitterInstalledOpensTheTwitterApp) {
    install("twitter");
    withUser("a b")->setSelected(true, false);
    EXPECT_EQ(opened(), (std::vector<std::string>{"twitter://user?screen_name=a%20b"}));
}

TEST_F(DeveloperCellTest, EachClientInTurnWhenTheOnesBeforeItAreMissing) {
    const std::vector<std::pair<const char*, std::string>> clients{
        {"aphelion", "aphelion://profile/"},
        {"tweetbot", "tweetbot:///user_profile/"},
        {"twitterrific", "twitterrific:///profile?screen_name="},
        {"tweetings", "tweetings:///user?screen_name="},
        {"twitter", "twitter://user?screen_name="}};
    // From the last client to the first: each newly installed one wins.
    auto cell = withUser("name");
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
        install(it->first);
        cell->setSelected(true, true);
        EXPECT_EQ(opened().back(), it->second + "name");
    }
}

TEST_F(DeveloperCellTest, WithTweetbotAndTwitterAUserWithASpaceOpensInTweetbot) {
    install("tweetbot");
    install("twitter");
    withUser("a b")->setSelected(true, true);
    EXPECT_EQ(opened(), (std::vector<std::string>{"tweetbot:///user_profile/a%20b"}));
}

TEST_F(DeveloperCellTest, WithoutAnyClientTheWebProfileOpens) {
    withUser("Veltrona")->setSelected(true, true);
    auto urls = opened();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], std::string(kWebProfileAddress) + "Veltrona");
    EXPECT_TRUE(urls[0].starts_with("https://"));
    EXPECT_EQ(std::count(urls[0].begin(), urls[0].end(), '/'), 3) << "the name is the whole path after the slash";
    EXPECT_EQ(uikit::openedURLLog(), urls) << "the device's log shows it too";
}

TEST_F(DeveloperCellTest, AClientInstalledBetweenTwoTapsTakesTheSecond) {
    auto cell = withUser("Veltrona");
    cell->setSelected(true, true);
    install("tweetings");
    cell->setSelected(true, true);
    ASSERT_TRUE(uikit::removeURLSchemeHandler("tweetings").ok());
    cell->setSelected(true, true);
    EXPECT_EQ(opened(), (std::vector<std::string>{std::string(kWebProfileAddress) + "Veltrona",
                                                  "tweetings:///user?screen_name=Veltrona",
                                                  std::string(kWebProfileAddress) + "Veltrona"}));
}

TEST_F(DeveloperCellTest, TheUserNameIsEscapedIntoTheURL) {
    install("twitter");
    const std::vector<std::pair<std::string, std::string>> names{
        {"user_42", "user_42"},           {"@who", "%40who"}, {"a#b?c", "a%23b%3Fc"},       {"x&y=z", "x%26y%3Dz"},
        {"../../evil", "..%2F..%2Fevil"}, {"50%", "50%25"},   {"Jos\xC3\xA9", "Jos%C3%A9"},
    };
    for (const auto& [name, escaped] : names) withUser(name)->setSelected(true, true);
    auto urls = opened();
    ASSERT_EQ(urls.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(urls[i], "twitter://user?screen_name=" + names[i].second) << names[i].first;
}

TEST_F(DeveloperCellTest, ARowWithoutAUserNameOpensNothingAndSaysSo) {
    auto cell = makeCell<VeltronaSnapfoldDeveloperTableCell>("VeltronaSnapfoldDeveloperTableCell",
                                                             {{"devName", "Nobody"}});
    ASSERT_TRUE(cell);
    EXPECT_FALSE(cell->user());
    cell->setSelected(true, true);
    EXPECT_TRUE(opened().empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("no Twitter user"), std::string::npos) << logged[0];
    EXPECT_EQ(cell->devNameLabel()->text(), "Nobody");
    EXPECT_FALSE(cell->devImageView()->image()) << "a row naming no portrait has none";
}

// ---------------------------------------------------------------------------
// The product up-sell cell.

class UpSellCellTest : public MakersCellTest {
protected:
    std::shared_ptr<VeltronaSnapfoldDeveloperUpSellCell> make(foundation::NSDictionary properties = {}) {
        foundation::NSDictionary all{{"productIcon", "foldshot"},
                                     {"productIdentifier", "com.veltrona.foldshot"},
                                     {"productName", "Foldshot"},
                                     {"productPrice", "$0.99"}};
        for (auto& [key, value] : properties) all[key] = value;
        return makeCell<VeltronaSnapfoldDeveloperUpSellCell>("VeltronaSnapfoldDeveloperUpSellCell", all);
    }
};

// Runs in another working directory and returns to the previous one.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& directory) : previous_(fs::current_path()) {
        fs::current_path(directory);
    }
    ~WorkingDirectory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

TEST_F(UpSellCellTest, TheIconPathIsRelativeToTheWorkingDirectory) {
    EXPECT_EQ(VeltronaSnapfoldDeveloperUpSellCell::iconPathForName("x"),
              "Library/PreferenceBundles/Snapfold.bundle/otherTweaks/x.png");
    {
        WorkingDirectory inRoot(foundation::deviceRoot());
        EXPECT_TRUE(make()->productIconImageView()->image()) << "found from the device root";
        EXPECT_FALSE(make({{"productIcon", "nothing"}})->productIconImageView()->image());
    }
    for (const fs::path& elsewhere : {fs::path("/"), foundation::hostPath("/Library"), fs::temp_directory_path()}) {
        WorkingDirectory there(elsewhere);
        EXPECT_FALSE(make()->productIconImageView()->image()) << "not found from " << elsewhere;
    }
}

TEST_F(UpSellCellTest, TheStyleReuseIdentifierAndRowAreNotHandedToTheBaseClass) {
    auto cell = make();
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->style(), uikit::UITableViewCellStyleDefault);
    EXPECT_EQ(cell->reuseIdentifier(), "VeltronaSnapfoldDeveloperUpSellCell");
    EXPECT_FALSE(cell->specifier());
    EXPECT_EQ(cell->productBundleIdentifier(), "com.veltrona.foldshot");
}

TEST_F(UpSellCellTest, TheIconIsTwentyNinePointsAtTenSixWithTheShadow) {
    WorkingDirectory inRoot(foundation::deviceRoot());
    auto cell = make();
    ASSERT_TRUE(cell->productIconImageView());
    EXPECT_TRUE(cell->productIconImageView()->image()) << "otherTweaks/foldshot.png is drawn at build time";
    expectShadowedImageView(*cell->productIconImageView(), *cell, uikit::CGRectMake(10, 6, 29, 29));
    for (const auto& constraint : cell->constraints())
        EXPECT_NE(constraint->firstItem(), cell->productIconImageView()) << "the icon gets no constraints";
}

TEST_F(UpSellCellTest, NameAndPriceFollowTheDeviceIdiomAndShowThePriceVerbatim) {
    struct Case {
        UIDevice::IdiomOverride idiom;
        double name;
    };
    for (auto [idiom, name] : {Case{UIDevice::IdiomOverride::Pad, 30}, Case{UIDevice::IdiomOverride::Phone, 20},
                               Case{UIDevice::IdiomOverride::NotAnswered, 20}}) {
        UIDevice::setIdiomForTesting(idiom);
        auto cell = make({{"productPrice", "1,99 \xE2\x82\xAC"}});
        expectLine(*cell->productNameLabel(), *cell, "Foldshot", uikit::UIColor::darkGrayColor(), name);
        expectLine(*cell->productPriceLabel(), *cell, "1,99 \xE2\x82\xAC", uikit::UIColor::grayColor(), 15);
    }
}

TEST_F(UpSellCellTest, TheNameFollowsTheIconAndThePriceEndsBeforeTheEdgeBothJustBelowTheMiddle) {
    auto cell = make();
    const uikit::UIView *icon = cell->productIconImageView().get(), *name = cell->productNameLabel().get(),
                        *price = cell->productPriceLabel().get();
    using namespace uikit;
    expectConstraints(*cell, {
                                 {name, NSLayoutAttributeLeft, icon, NSLayoutAttributeRight, 20},
                                 {name, NSLayoutAttributeCenterY, cell.get(), NSLayoutAttributeCenterY, 1},
                                 {price, NSLayoutAttributeRight, cell.get(), NSLayoutAttributeRight, -30},
                                 {price, NSLayoutAttributeCenterY, cell.get(), NSLayoutAttributeCenterY, 1},
                             });
}

TEST_F(UpSellCellTest, TheNameStartsAtFiftyNineAndThePriceEndsThirtyBeforeTheEdge) {
    for (double width : {320.0, 768.0}) {
        auto cell = make();
        cell->setFrame(uikit::CGRectMake(0, 0, width, 44));
        cell->layoutIfNeeded();
        auto name = cell->productNameLabel()->frame(), price = cell->productPriceLabel()->frame();
        EXPECT_DOUBLE_EQ(name.minX(), 59);
        EXPECT_DOUBLE_EQ(price.maxX(), width - 30);
        EXPECT_DOUBLE_EQ(name.midY(), 23);
        EXPECT_DOUBLE_EQ(price.midY(), 23);
        EXPECT_EQ(cell->productIconImageView()->frame(), uikit::CGRectMake(10, 6, 29, 29));
    }
}

TEST_F(UpSellCellTest, TappingOpensThePackagePageWithTheIdentifierVerbatim) {
    auto& application = uikit::UIApplication::sharedApplication();
    EXPECT_FALSE(application.canOpenURL(foundation::NSURL::URLWithString("cydia://")));
    make({{"productIdentifier", "com.veltrona.fold-shot2"}})->setSelected(true, true);
    EXPECT_EQ(opened(), (std::vector<std::string>{"cydia://package/com.veltrona.fold-shot2"}))
        << "opened without asking whether anything takes the scheme";
    make({{"productIdentifier", "odd id%20"}})->setSelected(true, false);
    EXPECT_EQ(opened().back(), "cydia://package/odd id%20") << "inserted without escaping";
}

TEST_F(UpSellCellTest, DeselectingGoesToTheBaseClassAndSelectingNever) {
    auto cell = make();
    using Call = uikit::UITableViewCell::SelectionCall;
    cell->setSelected(false, false);
    cell->setSelected(false, true);
    cell->setSelected(true, true);
    cell->setSelected(true, true);
    EXPECT_EQ(cell->selectionCallsForTesting(), (std::vector<Call>{{false, false}, {false, true}}));
    EXPECT_FALSE(cell->isSelected());
    EXPECT_EQ(opened(), (std::vector<std::string>(2, "cydia://package/com.veltrona.foldshot")))
        << "every selection opens the page again";
}

TEST_F(UpSellCellTest, TheSelectionStyleIsAlwaysBlue) {
    auto cell = make();
    for (long asked : {0L, 2L}) {
        cell->uikit::UITableViewCell::setSelectionStyle(uikit::UITableViewCellSelectionStyleNone);
        cell->setSelectionStyle(asked);
        EXPECT_EQ(cell->selectionStyle(), uikit::UITableViewCellSelectionStyleBlue) << asked;
    }
}

TEST_F(UpSellCellTest, ARowWithoutAnIdentifierOpensNothingAndSaysSo) {
    auto cell = makeCell<VeltronaSnapfoldDeveloperUpSellCell>("VeltronaSnapfoldDeveloperUpSellCell",
                                                              {{"productName", "Unnamed"}});
    ASSERT_TRUE(cell);
    cell->setSelected(true, true);
    EXPECT_TRUE(opened().empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("no package"), std::string::npos) << logged[0];
    EXPECT_EQ(cell->productNameLabel()->text(), "Unnamed");
}

// ---------------------------------------------------------------------------
// The Settings host: installing client apps and tapping the makers' rows.

class MakersInSettingsAppTest : public MakersCellTest {
protected:
    void SetUp() override {
        MakersCellTest::SetUp();
        foundation::setLogSinkForTesting(nullptr);
        ASSERT_EQ(run({"install"}).exitCode, 0);
    }
    static testsupport::ProgramResult run(const std::vector<std::string>& arguments) {
        // An empty desktop: the machine's own URL handlers must not decide.
        static const fs::path desktop = [] {
            fs::path made = foundation::deviceRoot() / "private/var/tmp/empty-desktop";
            fs::create_directories(made);
            return made;
        }();
        return testsupport::runProgram(testsupport::buildDirectory() / "bin" / "snapfold-settings-app", arguments,
                                       {"XDG_CONFIG_HOME=" + desktop.string(), "XDG_CONFIG_DIRS=" + desktop.string(),
                                        "XDG_DATA_HOME=" + desktop.string(), "XDG_DATA_DIRS=" + desktop.string(),
                                        "SNAPFOLD_OPEN_URLS=0"});
    }
};

TEST_F(MakersInSettingsAppTest, AppsAreInstalledAndRemovedAndTapsOpenTheRightURLs) {
    auto none = run({"apps"});
    ASSERT_EQ(none.exitCode, 0) << none.errors;
    EXPECT_NE(none.output.find("(no client apps installed)"), std::string::npos) << none.output;

    auto web = run({"--page", "MAKERS", "tap", "veltrona"});
    ASSERT_EQ(web.exitCode, 0) << web.errors;
    EXPECT_NE(web.output.find("selected: VeltronaSnapfoldDeveloperTableCell: [image] | \"Veltrona\""),
              std::string::npos)
        << web.output;
    EXPECT_NE(web.output.find("opened URL: " + std::string(kWebProfileAddress) + "Veltrona\n"), std::string::npos)
        << web.output;

    ASSERT_EQ(run({"install-app", "twitter://", "Twitter"}).exitCode, 0);
    auto listed = run({"apps"});
    EXPECT_NE(listed.output.find("twitter\tTwitter"), std::string::npos) << listed.output;
    auto app = run({"--page", "MAKERS", "tap", "veltrona"});
    EXPECT_NE(app.output.find("opened URL: twitter://user?screen_name=Veltrona\n"), std::string::npos) << app.output;

    auto removed = run({"remove-app", "twitter"});
    EXPECT_NE(removed.output.find("removed: twitter"), std::string::npos) << removed.output;
    EXPECT_EQ(run({"remove-app", "twitter"}).output, "not installed: twitter\n");
    EXPECT_EQ(run({"install-app", "not a scheme"}).exitCode, 2);

    // The host runs in the device root, as the phone's Settings app runs in
    // "/", so the icon's relative path finds the file.
    auto product = run({"--page", "MAKERS", "tap", "foldshot"});
    EXPECT_NE(product.output.find("selected: VeltronaSnapfoldDeveloperUpSellCell: [image] | \"Foldshot\" | \"$0.99\""),
              std::string::npos)
        << product.output;
    EXPECT_NE(product.output.find("opened URL: cydia://package/com.veltrona.foldshot\n"), std::string::npos)
        << product.output;

    auto log = run({"opened-urls"});
    ASSERT_EQ(log.exitCode, 0) << log.errors;
    EXPECT_EQ(log.output, std::string(kWebProfileAddress) + "Veltrona\ntwitter://user?screen_name=Veltrona\n" +
                              "cydia://package/com.veltrona.foldshot\n");
}

}  // namespace
