// The layout pass: equality constraints solved as one system per view, with
// intrinsic sizes and directly set frames, and unsatisfiable, ambiguous and
// unsupported systems reported by view and attribute instead of guessed.
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/layout/ConstraintLayout.h"
#include "platform/uikit/layout/LinearSystem.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace uikit;
using layout::LinearSystem;

NSLayoutConstraintRef equal(UIView* item, NSLayoutAttribute attribute, UIView* toItem, NSLayoutAttribute toAttribute,
                            double multiplier = 1, double constant = 0) {
    return NSLayoutConstraint::constraintWithItem(item, attribute, NSLayoutRelationEqual, toItem, toAttribute,
                                                  multiplier, constant);
}

UILabelRef autoLabel(UIView& parent, std::string text, double size = 17) {
    auto label = UILabel::create();
    label->setText(std::move(text));
    label->setFont(UIFont::fontWithName("Helvetica", size));
    parent.addSubview(label);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    return label;
}

// --- The linear system underneath ---------------------------------------

TEST(LinearSystemTest, EachEquationIsAddedImpliedOrConflicting) {
    LinearSystem system(2);
    EXPECT_EQ(system.add({1, 1}, 10), LinearSystem::Outcome::Added);  // x + y = 10
    EXPECT_FALSE(system.value(0)) << "one equation leaves two unknowns free";
    EXPECT_EQ(system.add({2, 2}, 20), LinearSystem::Outcome::Implied);
    EXPECT_EQ(system.add({1, 1}, 11), LinearSystem::Outcome::Conflicting);
    EXPECT_EQ(system.add({1, -1}, 4), LinearSystem::Outcome::Added);  // x - y = 4
    ASSERT_TRUE(system.value(0) && system.value(1));
    EXPECT_DOUBLE_EQ(*system.value(0), 7);
    EXPECT_DOUBLE_EQ(*system.value(1), 3);
    EXPECT_EQ(system.add({0, 1}, 3), LinearSystem::Outcome::Implied);
    EXPECT_EQ(system.add({0, 0}, 0), LinearSystem::Outcome::Implied);
    EXPECT_EQ(system.add({0, 0}, 1), LinearSystem::Outcome::Conflicting);
}

TEST(LinearSystemTest, RandomSystemsSolveToTheValuesThatMadeThem) {
    // Equations made from known values, in any order and with redundant
    // combinations, give those values back.
    std::mt19937 random(2015);
    std::uniform_real_distribution<double> coefficient(-3, 3), value(-500, 500);
    for (int round = 0; round < 50; ++round) {
        std::size_t n = 1 + round % 7;
        std::vector<double> truth(n);
        for (double& x : truth) x = value(random);
        LinearSystem system(n);
        std::vector<std::vector<double>> made;
        while (!std::all_of(truth.begin(), truth.end(),
                            [&, i = std::size_t{0}](double) mutable { return system.value(i++).has_value(); })) {
            std::vector<double> row(n);
            for (double& c : row) c = coefficient(random);
            if (!made.empty() && random() % 3 == 0) {  // a combination of earlier rows adds nothing
                row.assign(n, 0);
                for (const auto& earlier : made)
                    for (std::size_t i = 0; i < n; ++i) row[i] += 0.5 * earlier[i];
            }
            double constant = 0;
            for (std::size_t i = 0; i < n; ++i) constant += row[i] * truth[i];
            auto outcome = system.add(row, constant);
            ASSERT_NE(outcome, LinearSystem::Outcome::Conflicting);
            made.push_back(row);
        }
        for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(*system.value(i), truth[i], 1e-6);
    }
}

// --- Multipliers, constants and intrinsic sizes ---------------------------

class ConstraintLayoutTest : public ::testing::Test {
protected:
    std::shared_ptr<UIView> container = UIView::create(CGRectMake(0, 0, 320, 140));
};

TEST_F(ConstraintLayoutTest, MultipliersAndConstantsPlaceLabelsAtTheirTextSize) {
    auto top = autoLabel(*container, "Snapfold", 36);
    auto below = autoLabel(*container, "An Awesome Cydia Substrate Tweak!");
    // Added dependent-first: the system is solved as a whole, not in order.
    container->addConstraint(equal(below.get(), NSLayoutAttributeTop, top.get(), NSLayoutAttributeBottom, 1, 5));
    container->addConstraint(equal(top.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeBottom, 0.2, 0));
    container->addConstraint(equal(top.get(), NSLayoutAttributeCenterX, container.get(), NSLayoutAttributeCenterX));
    container->addConstraint(
        equal(below.get(), NSLayoutAttributeRight, container.get(), NSLayoutAttributeRight, 1, -10));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_TRUE(report.ok()) << report.describe();

    EXPECT_DOUBLE_EQ(top->frame().minY(), 28) << "a fifth of 140";
    EXPECT_DOUBLE_EQ(top->frame().midX(), 160);
    EXPECT_EQ(top->frame().size, top->intrinsicContentSize());
    EXPECT_DOUBLE_EQ(below->frame().minY(), top->frame().maxY() + 5);
    EXPECT_DOUBLE_EQ(below->frame().maxX(), 310);
    EXPECT_DOUBLE_EQ(top->frame().size.height, std::ceil(top->font()->lineHeight()));
    EXPECT_GT(below->frame().size.width, top->frame().size.width) << "the longer text is the wider label";
}

TEST_F(ConstraintLayoutTest, AResizedHolderMovesWhatIsTiedToIt) {
    auto label = autoLabel(*container, "Centred");
    container->addConstraint(equal(label.get(), NSLayoutAttributeCenterX, container.get(), NSLayoutAttributeCenterX));
    container->addConstraint(
        equal(label.get(), NSLayoutAttributeCenterY, container.get(), NSLayoutAttributeCenterY, 1, -20));
    for (double width : {320.0, 375.0, 768.0, 1024.0}) {
        container->setFrame(CGRectMake(0, 0, width, 100));
        ASSERT_TRUE(layoutViewTree(*container).ok());
        EXPECT_DOUBLE_EQ(label->frame().midX(), width / 2);
        EXPECT_DOUBLE_EQ(label->frame().midY(), 30);
    }
}

TEST_F(ConstraintLayoutTest, WidthsAndHeightsTakeMultipliersOfOtherSizesAndConstants) {
    auto plain = UIView::create(CGRectMake(0, 0, 10, 10));  // no intrinsic size
    container->addSubview(plain);
    plain->setTranslatesAutoresizingMaskIntoConstraints(false);
    container->addConstraint(
        equal(plain.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, 0.5, 4));
    container->addConstraint(
        equal(plain.get(), NSLayoutAttributeHeight, nullptr, NSLayoutAttributeNotAnAttribute, 1, 30));
    container->addConstraint(equal(plain.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 1, 8));
    container->addConstraint(
        equal(plain.get(), NSLayoutAttributeBottom, container.get(), NSLayoutAttributeBottom, 1, -2));
    ASSERT_TRUE(layoutViewTree(*container).ok());
    EXPECT_EQ(plain->frame(), CGRectMake(8, 108, 164, 30));
}

TEST_F(ConstraintLayoutTest, ConstraintsOnBothEdgesOverruleTheIntrinsicWidth) {
    auto label = autoLabel(*container, "Short");
    container->addConstraint(equal(label.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 1, 20));
    container->addConstraint(
        equal(label.get(), NSLayoutAttributeRight, container.get(), NSLayoutAttributeRight, 1, -20));
    container->addConstraint(equal(label.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_TRUE(report.ok()) << report.describe();
    EXPECT_DOUBLE_EQ(label->frame().size.width, 280);
    EXPECT_DOUBLE_EQ(label->frame().size.height, label->intrinsicContentSize().height)
        << "the height still comes from the text";
}

// --- Siblings and directly set frames --------------------------------------

TEST_F(ConstraintLayoutTest, SiblingsPlaceEachOtherAndDirectFramesStayAsSet) {
    // A portrait with its frame set directly, and three lines beside it, as a
    // developer row is built.
    auto portrait = UIImageView::create(nullptr);
    portrait->setFrame(CGRectMake(10, 15, 70, 70));
    container->addSubview(portrait);
    container->setFrame(CGRectMake(0, 0, 375, 100));
    auto name = autoLabel(*container, "Veltrona", 20);
    auto realName = autoLabel(*container, "Zarvelle Veltrona", 15);
    auto job = autoLabel(*container, "Developer and Designer", 12);
    container->addConstraint(equal(name.get(), NSLayoutAttributeLeft, portrait.get(), NSLayoutAttributeRight, 1, 30));
    container->addConstraint(
        equal(name.get(), NSLayoutAttributeCenterY, container.get(), NSLayoutAttributeCenterY, 1, -20));
    container->addConstraint(
        equal(realName.get(), NSLayoutAttributeLeft, portrait.get(), NSLayoutAttributeRight, 1, 30));
    container->addConstraint(equal(realName.get(), NSLayoutAttributeTop, name.get(), NSLayoutAttributeBottom, 1, 0));
    container->addConstraint(equal(job.get(), NSLayoutAttributeLeft, portrait.get(), NSLayoutAttributeRight, 1, 30));
    container->addConstraint(equal(job.get(), NSLayoutAttributeTop, realName.get(), NSLayoutAttributeBottom, 1, 5));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_TRUE(report.ok()) << report.describe();
    EXPECT_EQ(portrait->frame(), CGRectMake(10, 15, 70, 70));
    for (const auto& line : {name, realName, job}) EXPECT_DOUBLE_EQ(line->frame().minX(), 110);
    EXPECT_DOUBLE_EQ(name->frame().midY(), 30);
    EXPECT_DOUBLE_EQ(realName->frame().minY(), name->frame().maxY());
    EXPECT_DOUBLE_EQ(job->frame().minY(), realName->frame().maxY() + 5);
}

TEST_F(ConstraintLayoutTest, AnAxisNoConstraintPlacesKeepsItsFramePosition) {
    // Only the horizontal centre is constrained, as the logo is: the view
    // keeps the y of its frame and takes its image's size.
    auto logo = UIImageView::create(nullptr);
    logo->setFrame(CGRectMake(0, 0, 80, 80));
    container->addSubview(logo);
    logo->setTranslatesAutoresizingMaskIntoConstraints(false);
    container->addConstraint(equal(logo.get(), NSLayoutAttributeCenterX, container.get(), NSLayoutAttributeCenterX));
    for (double width : {320.0, 375.0, 768.0}) {
        container->setFrame(CGRectMake(0, 0, width, 30));
        LayoutReport report = layoutViewTree(*container);
        ASSERT_TRUE(report.ok()) << report.describe();
        EXPECT_EQ(logo->frame(), CGRectMake(width / 2 - 40, 0, 80, 80)) << "without an image the frame's size stands";
    }
}

// --- What the pass refuses to guess ---------------------------------------

TEST_F(ConstraintLayoutTest, ContradictingConstraintsAreReportedByViewAttributeAndConstraint) {
    auto label = autoLabel(*container, "Conflicted");
    label->setFrame(CGRectMake(1, 2, 3, 4));
    container->addConstraint(equal(label.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 1, 10));
    container->addConstraint(equal(label.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop));
    container->addConstraint(equal(label.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 1, 20));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_EQ(report.errors().size(), 1u) << report.describe();
    const LayoutError& error = report.errors()[0];
    EXPECT_EQ(error.problem, LayoutProblem::Unsatisfiable);
    EXPECT_EQ(error.attribute, NSLayoutAttributeLeft);
    EXPECT_EQ(error.view, "UILabel \"Conflicted\" (subview 0 of UIView)");
    EXPECT_EQ(error.constraint, "subview[0].left == self.left * 1 + 20") << "the one that no longer fits is named";
    EXPECT_NE(error.message().find("unsatisfiable"), std::string::npos);
    EXPECT_EQ(label->frame(), CGRectMake(1, 2, 3, 4)) << "nothing is moved by a system in error";
}

TEST_F(ConstraintLayoutTest, AConstraintAgainstADirectlySetFrameCannotMoveIt) {
    auto fixed = UIView::create(CGRectMake(10, 10, 50, 50));
    container->addSubview(fixed);
    auto label = autoLabel(*container, "Beside");
    container->addConstraint(equal(label.get(), NSLayoutAttributeLeft, fixed.get(), NSLayoutAttributeRight, 1, 8));
    container->addConstraint(equal(label.get(), NSLayoutAttributeTop, fixed.get(), NSLayoutAttributeTop));
    container->addConstraint(equal(fixed.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 1, 30));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_EQ(report.errors().size(), 1u) << report.describe();
    EXPECT_EQ(report.errors()[0].problem, LayoutProblem::Unsatisfiable);
    EXPECT_EQ(report.errors()[0].view, "UIView (subview 0 of UIView)");
    EXPECT_EQ(fixed->frame(), CGRectMake(10, 10, 50, 50));
}

TEST_F(ConstraintLayoutTest, PositionsTiedOnlyToEachOtherAreAmbiguous) {
    auto first = autoLabel(*container, "First");
    auto second = autoLabel(*container, "Second");
    first->setFrame(CGRectMake(5, 6, 7, 8));
    // Horizontally they only follow each other; vertically both are anchored.
    container->addConstraint(equal(second.get(), NSLayoutAttributeLeft, first.get(), NSLayoutAttributeRight, 1, 8));
    container->addConstraint(equal(first.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop));
    container->addConstraint(equal(second.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_EQ(report.errors().size(), 2u) << report.describe();
    for (const auto& error : report.errors()) {
        EXPECT_EQ(error.problem, LayoutProblem::Ambiguous);
        EXPECT_EQ(error.attribute, NSLayoutAttributeLeft);
        EXPECT_TRUE(error.constraint.empty());
    }
    EXPECT_EQ(report.errors()[0].view, "UILabel \"First\" (subview 0 of UIView)");
    EXPECT_EQ(report.errors()[1].view, "UILabel \"Second\" (subview 1 of UIView)");
    EXPECT_EQ(first->frame(), CGRectMake(5, 6, 7, 8));
}

TEST_F(ConstraintLayoutTest, InequalitiesAndViewsOutsideTheHolderAreRefused) {
    auto label = autoLabel(*container, "Inside");
    auto stranger = UIView::create(CGRectMake(0, 0, 10, 10));
    auto elsewhere = UIView::create();
    elsewhere->addSubview(stranger);
    container->addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), NSLayoutAttributeWidth,
                                                                    NSLayoutRelationGreaterThanOrEqual, nullptr,
                                                                    NSLayoutAttributeNotAnAttribute, 1, 40));
    container->addConstraint(equal(label.get(), NSLayoutAttributeTop, stranger.get(), NSLayoutAttributeBottom));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_EQ(report.errors().size(), 2u) << report.describe();
    EXPECT_EQ(report.errors()[0].problem, LayoutProblem::Unsupported);
    EXPECT_EQ(report.errors()[0].attribute, NSLayoutAttributeWidth);
    EXPECT_EQ(report.errors()[0].constraint, "subview[0].width >= 40");
    EXPECT_EQ(report.errors()[1].problem, LayoutProblem::ForeignItem);
    EXPECT_EQ(report.errors()[1].view, "UIView (outside UIView)");
    EXPECT_EQ(report.errors()[1].attribute, NSLayoutAttributeBottom);
}

TEST_F(ConstraintLayoutTest, AViewInErrorDoesNotStopTheRestOfTheTree) {
    auto broken = UIView::create(CGRectMake(0, 0, 100, 50));
    auto fine = UIView::create(CGRectMake(0, 50, 100, 50));
    container->addSubview(broken);
    container->addSubview(fine);
    auto brokenLabel = autoLabel(*broken, "Broken");
    broken->addConstraint(equal(brokenLabel.get(), NSLayoutAttributeTop, broken.get(), NSLayoutAttributeTop));
    broken->addConstraint(equal(brokenLabel.get(), NSLayoutAttributeTop, broken.get(), NSLayoutAttributeTop, 1, 1));
    auto fineLabel = autoLabel(*fine, "Fine");
    fine->addConstraint(equal(fineLabel.get(), NSLayoutAttributeTop, fine.get(), NSLayoutAttributeTop, 1, 3));
    LayoutReport report = layoutViewTree(*container);
    ASSERT_EQ(report.errors().size(), 1u);
    EXPECT_EQ(report.errors()[0].view, "UILabel \"Broken\" (subview 0 of UIView)");
    EXPECT_DOUBLE_EQ(fineLabel->frame().minY(), 3);

    // UIView::layoutIfNeeded logs what layoutViewTree reports.
    std::vector<std::string> logged;
    foundation::setLogSinkForTesting([&](const std::string& line) { logged.push_back(line); });
    container->layoutIfNeeded();
    foundation::setLogSinkForTesting(nullptr);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("unsatisfiable: UILabel \"Broken\""), std::string::npos) << logged[0];
}

TEST_F(ConstraintLayoutTest, RemovingAViewTakesItsConstraintsAlong) {
    auto staying = autoLabel(*container, "Staying");
    auto leaving = autoLabel(*container, "Leaving");
    container->addConstraint(equal(staying.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop, 1, 4));
    container->addConstraint(equal(leaving.get(), NSLayoutAttributeTop, staying.get(), NSLayoutAttributeBottom));
    container->addConstraint(equal(staying.get(), NSLayoutAttributeLeft, leaving.get(), NSLayoutAttributeLeft));
    leaving->removeFromSuperview();
    ASSERT_EQ(container->constraints().size(), 1u);
    LayoutReport report = layoutViewTree(*container);
    EXPECT_TRUE(report.ok()) << report.describe();
    EXPECT_DOUBLE_EQ(staying->frame().minY(), 4);
}

}  // namespace
