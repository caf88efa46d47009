// Views: the subview tree, the constraint layout pass, and alpha animations
// on the run loop's clock.
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace uikit;

class UIViewTest : public ::testing::Test {
protected:
    void SetUp() override { NSRunLoop::mainRunLoop().resetForTesting(); }
    void TearDown() override { NSRunLoop::mainRunLoop().resetForTesting(); }
};

TEST_F(UIViewTest, SubviewsKnowTheirSuperviewUntilRemoved) {
    auto parent = UIView::create(), other = UIView::create(), child = UIView::create();
    parent->addSubview(child);
    EXPECT_EQ(child->superview(), parent.get());
    other->addSubview(child);
    EXPECT_TRUE(parent->subviews().empty()) << "a view has one superview";
    EXPECT_EQ(child->superview(), other.get());
    other.reset();
    EXPECT_EQ(child->superview(), nullptr) << "a freed superview leaves no dangling back-pointer";
}

TEST_F(UIViewTest, ChainedConstraintsPlaceLabelsByTheirTextSize) {
    auto container = UIView::create(CGRectMake(0, 0, 300, 200));
    auto top = UILabel::create(), below = UILabel::create();
    top->setText("Title");
    top->setFont(UIFont::fontWithName("Any", 20));
    below->setText("A longer line of text");
    for (auto& label : {top, below}) {
        container->addSubview(label);
        label->setTranslatesAutoresizingMaskIntoConstraints(false);
    }
    // Added dependent-first, so a single pass would not settle them.
    container->addConstraint(NSLayoutConstraint::constraintWithItem(
        below.get(), NSLayoutAttributeTop, NSLayoutRelationEqual, top.get(), NSLayoutAttributeBottom, 1, 4));
    container->addConstraint(NSLayoutConstraint::constraintWithItem(
        top.get(), NSLayoutAttributeTop, NSLayoutRelationEqual, container.get(), NSLayoutAttributeBottom, 0.25, 0));
    container->addConstraint(NSLayoutConstraint::constraintWithItem(
        below.get(), NSLayoutAttributeRight, NSLayoutRelationEqual, container.get(), NSLayoutAttributeRight, 1, -10));
    container->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(top->frame().minY(), 50);
    EXPECT_DOUBLE_EQ(top->frame().size.height, std::ceil(top->font()->lineHeight()));
    EXPECT_DOUBLE_EQ(below->frame().minY(), top->frame().maxY() + 4);
    EXPECT_DOUBLE_EQ(below->frame().maxX(), 290);
    EXPECT_GT(below->frame().size.width, top->frame().size.width);
}

TEST_F(UIViewTest, AConstraintDoesNotKeepARemovedViewAlive) {
    auto container = UIView::create(CGRectMake(0, 0, 100, 100));
    std::weak_ptr<UIView> weakChild;
    NSLayoutConstraintRef constraint;
    {
        auto child = UIView::create();
        weakChild = child;
        container->addSubview(child);
        constraint = NSLayoutConstraint::constraintWithItem(child.get(), NSLayoutAttributeCenterX,
                                                            NSLayoutRelationEqual, container.get(),
                                                            NSLayoutAttributeCenterX, 1, 0);
        container->addConstraint(constraint);
        child->removeFromSuperview();
    }
    EXPECT_TRUE(weakChild.expired()) << "the constraint holds its view weakly";
    EXPECT_FALSE(constraint->firstItem());
    EXPECT_TRUE(container->constraints().empty()) << "the holder dropped the constraint with its view";
    container->layoutIfNeeded();
}

TEST_F(UIViewTest, AlphaAnimatesOnTheRunLoopsClockAndCompletesAtTheEnd) {
    auto& loop = NSRunLoop::mainRunLoop();
    auto view = UIView::create();
    view->setAlpha(0);
    bool finished = false;
    UIView::animateWithDuration(
        2.0, [&] { view->setAlpha(1); }, [&](bool done) { finished = done; });
    EXPECT_EQ(view->alpha(), 1) << "the model value changes at once";
    EXPECT_EQ(view->presentationAlpha(), 0);
    loop.runUntilDate(0.5);
    EXPECT_NEAR(view->presentationAlpha(), 0.25, 1e-9);
    EXPECT_FALSE(finished);
    loop.runUntilDate(2.0);
    EXPECT_EQ(view->presentationAlpha(), 1);
    EXPECT_TRUE(finished);
}

TEST_F(UIViewTest, ASetOutsideAnAnimationStopsTheRunningOne) {
    auto view = UIView::create();
    view->setAlpha(0);
    UIView::animateWithDuration(1.0, [&] { view->setAlpha(1); });
    NSRunLoop::mainRunLoop().runUntilDate(0.5);
    view->setAlpha(0.3);
    EXPECT_DOUBLE_EQ(view->presentationAlpha(), 0.3);
}

}  // namespace
