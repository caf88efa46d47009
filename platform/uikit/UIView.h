// Views: data objects that record what the system's code sets on them
// (frame, alpha, colours, layer shadow, subviews, constraints), with a layout
// pass that solves the equality constraints each view holds (see
// layout/ConstraintLayout.h), and animations that play out on the main run
// loop's clock.
#pragma once

#include "platform/runtime/Runtime.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace uikit {

// The view's layer, as far as the system sets it: the shadow.
struct CALayer {
    UIColorRef shadowColor;
    CGSize shadowOffset{0, -3};
    double shadowOpacity = 0;
    double shadowRadius = 3;
};

class UIView : public objc::Object {
public:
    static objc::Class objcClass();
    // `[[UIView alloc] initWithFrame:frame]`.
    static std::shared_ptr<UIView> create(CGRect frame = CGRectZero);

    ~UIView() override;

    // Initialisers answer the view itself; they run after construction, so a
    // view can refer to itself.
    virtual std::shared_ptr<UIView> initWithFrame(CGRect frame);
    virtual std::shared_ptr<UIView> init() { return initWithFrame(CGRectZero); }

    CGRect frame() const { return frame_; }
    void setFrame(CGRect frame) { frame_ = frame; }
    CGRect bounds() const { return CGRect{{0, 0}, frame_.size}; }

    // The model value, which an animation sets at once.
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    // What is on screen at the run loop's current time: between the start
    // and end values while an alpha animation runs, the model value after it.
    double presentationAlpha() const;

    UIColorRef backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(UIColorRef color) { backgroundColor_ = std::move(color); }
    UIColorRef tintColor() const { return tintColor_; }
    void setTintColor(UIColorRef color) { tintColor_ = std::move(color); }
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    // A name for tests, dumps and error messages; never shown.
    const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
    void setAccessibilityIdentifier(std::string identifier) { accessibilityIdentifier_ = std::move(identifier); }
    CALayer& layer() { return layer_; }
    const CALayer& layer() const { return layer_; }

    // The subview list owns the subviews; a subview knows its superview only
    // by a plain back-pointer, cleared when it is removed. Removing a view
    // also removes the constraints its former ancestors hold on it.
    void addSubview(const std::shared_ptr<UIView>& view);
    void removeFromSuperview();
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    UIView* superview() const { return superview_; }

    bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates) { translatesAutoresizingMask_ = translates; }
    void addConstraint(NSLayoutConstraintRef constraint);
    const std::vector<NSLayoutConstraintRef>& constraints() const { return constraints_; }
    // The size the content asks for; UIViewNoIntrinsicMetric on an axis where
    // it asks for none.
    virtual CGSize intrinsicContentSize() const { return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric}; }

    // Places subviews by hand, before the view's constraints are solved.
    // The base class places none; a view that arranges standard subviews of
    // its own (a table cell's labels and accessory) overrides it.
    virtual void layoutSubviews() {}
    // Lays out this view's subtree (layoutViewTree in
    // layout/ConstraintLayout.h). An unsatisfiable or ambiguous system is
    // logged, as the platform logs it, and leaves those frames as they were;
    // callers that must know use layoutViewTree and read its report.
    void layoutIfNeeded();

    // `animateWithDuration:animations:completion:`: runs `animations` at once,
    // so model values change immediately; every alpha set inside it animates
    // from its on-screen value over `duration` seconds of the main run loop's
    // clock; `completion(true)` runs on the run loop when the animation ends.
    static void animateWithDuration(double duration, const std::function<void()>& animations,
                                    std::function<void(bool finished)> completion = nullptr);

    // The view's own lines of a view-tree dump (see dumpViewTree).
    virtual std::string dumpDetails() const;

protected:
    friend objc::Allocation;
    explicit UIView(objc::Class isa = objcClass()) : objc::Object(isa) {}

private:
    struct AlphaAnimation {
        double from;
        double start;
        double duration;
    };

    CGRect frame_{};
    double alpha_ = 1;
    std::optional<AlphaAnimation> alphaAnimation_;
    UIColorRef backgroundColor_;
    UIColorRef tintColor_;
    bool clipsToBounds_ = false;
    bool hidden_ = false;
    std::string accessibilityIdentifier_;
    CALayer layer_;
    std::vector<std::shared_ptr<UIView>> subviews_;
    UIView* superview_ = nullptr;
    bool translatesAutoresizingMask_ = true;
    std::vector<NSLayoutConstraintRef> constraints_;
};

using UIViewRef = std::shared_ptr<UIView>;

// A readable, indented dump of a view and its subviews: class, identifier,
// frame in the superview's coordinates, alpha, colours, shadow and each
// view's own details (a label's text, font and colour), then the constraints
// each view holds. Used by the Settings host and by golden-text tests.
std::string dumpViewTree(const UIView& view);
std::string describeConstraint(const NSLayoutConstraint& constraint, const UIView& holder);

}  // namespace uikit
