// The banner at the top of the first page: the product name, the tagline and
// one line picked at random from nine, centred one under the other and laid
// out against the view's bottom edge and horizontal centre.
#pragma once

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <string>
#include <vector>

class VeltronaSnapfoldCustomHeaderView : public uikit::UIView {
public:
    static objc::Class objcClass();
    // `[[VeltronaSnapfoldCustomHeaderView alloc] init]`.
    static std::shared_ptr<VeltronaSnapfoldCustomHeaderView> create();

    static constexpr const char* kFontName = "HelveticaNeue-Light";
    static constexpr const char* kProductName = "Snapfold";
    static constexpr const char* kTagline = "An Awesome Cydia Substrate Tweak!";

    // Builds the three labels on a zero frame and answers the view.
    std::shared_ptr<uikit::UIView> init() override;

    // A new array of the nine random texts, in order, at every call.
    std::vector<std::string> randomTexts() const;

    // Plain references: the subview list keeps the labels alive.
    uikit::UILabel* headerLabel() const { return headerLabel_; }
    void setHeaderLabel(uikit::UILabel* label) { headerLabel_ = label; }
    uikit::UILabel* subHeaderLabel() const { return subHeaderLabel_; }
    void setSubHeaderLabel(uikit::UILabel* label) { subHeaderLabel_ = label; }
    uikit::UILabel* randomLabel() const { return randomLabel_; }
    void setRandomLabel(uikit::UILabel* label) { randomLabel_ = label; }

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldCustomHeaderView(objc::Class isa = objcClass()) : uikit::UIView(isa) {}

private:
    // Adds a label as a subview under auto layout, with its Top and CenterX
    // constraints: top = `above`'s attribute * multiplier + spacing.
    void placeLabel(const std::shared_ptr<uikit::UILabel>& label, uikit::UIView* above,
                    uikit::NSLayoutAttribute aboveAttribute, double multiplier, double spacing);

    uikit::UILabel* headerLabel_ = nullptr;
    uikit::UILabel* subHeaderLabel_ = nullptr;
    uikit::UILabel* randomLabel_ = nullptr;
};
