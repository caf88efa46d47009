#include "platform/uikit/layout/ConstraintLayout.h"

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/layout/LinearSystem.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace uikit {

namespace {

using layout::LinearSystem;

// The four unknowns of a subview's frame, in the holder's coordinates.
enum Unknown : std::size_t { kX = 0, kY = 1, kWidth = 2, kHeight = 3, kUnknownsPerView = 4 };

NSLayoutAttribute attributeOfUnknown(std::size_t unknown) {
    switch (unknown % kUnknownsPerView) {
    case kX: return NSLayoutAttributeLeft;
    case kY: return NSLayoutAttributeTop;
    case kWidth: return NSLayoutAttributeWidth;
    default: return NSLayoutAttributeHeight;
    }
}

bool isHorizontal(NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeRight:
    case NSLayoutAttributeLeading:
    case NSLayoutAttributeTrailing:
    case NSLayoutAttributeWidth:
    case NSLayoutAttributeCenterX: return true;
    default: return false;
    }
}

bool placesPosition(NSLayoutAttribute attribute) {
    return attribute != NSLayoutAttributeWidth && attribute != NSLayoutAttributeHeight &&
           attribute != NSLayoutAttributeNotAnAttribute;
}

// An attribute as "constant + sum of coefficient * unknown".
struct Expression {
    std::vector<std::pair<std::size_t, double>> terms;
    double constant = 0;
};

// The attribute of a rectangle whose origin and size are either known
// values or unknowns (then `base` is the index of its x unknown).
Expression attributeExpression(NSLayoutAttribute attribute, const CGRect& rect, std::optional<std::size_t> base) {
    Expression e;
    auto position = [&](Unknown origin, double originValue, Unknown size, double sizeValue, double sizeShare) {
        if (base) {
            e.terms.emplace_back(*base + origin, 1.0);
            if (sizeShare != 0) e.terms.emplace_back(*base + size, sizeShare);
        } else {
            e.constant = originValue + sizeValue * sizeShare;
        }
    };
    auto size = [&](Unknown unknown, double value) {
        if (base) e.terms.emplace_back(*base + unknown, 1.0);
        else e.constant = value;
    };
    switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading: position(kX, rect.origin.x, kWidth, rect.size.width, 0); break;
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing: position(kX, rect.origin.x, kWidth, rect.size.width, 1); break;
    case NSLayoutAttributeCenterX: position(kX, rect.origin.x, kWidth, rect.size.width, 0.5); break;
    case NSLayoutAttributeTop: position(kY, rect.origin.y, kHeight, rect.size.height, 0); break;
    case NSLayoutAttributeBottom: position(kY, rect.origin.y, kHeight, rect.size.height, 1); break;
    case NSLayoutAttributeCenterY: position(kY, rect.origin.y, kHeight, rect.size.height, 0.5); break;
    case NSLayoutAttributeWidth: size(kWidth, rect.size.width); break;
    case NSLayoutAttributeHeight: size(kHeight, rect.size.height); break;
    case NSLayoutAttributeNotAnAttribute: break;
    }
    return e;
}

// Solved values carry the rounding of the elimination; values within a
// millionth of a 64th of a point are taken as that 64th.
double tidy(double value) {
    double snapped = std::round(value * 64) / 64;
    return std::fabs(snapped - value) < 1e-6 ? snapped : value;
}

std::string shortened(const std::string& text) {
    if (text.size() <= 32) return text;
    std::size_t cut = 29;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    return text.substr(0, cut) + "...";
}

class HolderSystem {
public:
    explicit HolderSystem(UIView& holder) : holder_(holder) {}

    LayoutReport solve();

private:
    struct Item {
        UIView* view = nullptr;
        std::optional<std::size_t> base;  // the x unknown of an auto-layout subview
    };

    std::optional<Item> itemFor(UIView* view) const;
    Expression expressionOf(const Item& item, NSLayoutAttribute attribute) const;
    LayoutError error(LayoutProblem problem, const UIView* view, NSLayoutAttribute attribute,
                      const NSLayoutConstraint* constraint) const;

    UIView& holder_;
    std::map<const UIView*, std::size_t> bases_;
    std::vector<UIView*> solved_;
};

std::optional<HolderSystem::Item> HolderSystem::itemFor(UIView* view) const {
    if (view == &holder_) return Item{view, std::nullopt};
    if (!view || view->superview() != &holder_) return std::nullopt;
    auto found = bases_.find(view);
    return Item{view, found == bases_.end() ? std::nullopt : std::optional<std::size_t>(found->second)};
}

Expression HolderSystem::expressionOf(const Item& item, NSLayoutAttribute attribute) const {
    // The holder's own attributes are those of its bounds.
    CGRect rect = item.view == &holder_ ? holder_.bounds() : item.view->frame();
    return attributeExpression(attribute, rect, item.base);
}

LayoutError HolderSystem::error(LayoutProblem problem, const UIView* view, NSLayoutAttribute attribute,
                                const NSLayoutConstraint* constraint) const {
    return LayoutError{problem, view ? layoutViewName(*view, holder_) : std::string("a view that is gone"), attribute,
                       constraint ? describeConstraint(*constraint, holder_) : std::string()};
}

LayoutReport HolderSystem::solve() {
    LayoutReport report;
    // 1. The unknowns: the frames of the subviews that opted out of autoresizing.
    for (const auto& subview : holder_.subviews()) {
        if (subview->translatesAutoresizingMaskIntoConstraints()) continue;
        bases_[subview.get()] = solved_.size() * kUnknownsPerView;
        solved_.push_back(subview.get());
    }
    const auto& constraints = holder_.constraints();
    if (solved_.empty() && constraints.empty()) return report;

    // 2. Every constraint must be one the pass can solve, between the holder
    //    and its subviews. A constraint whose view is gone is dropped, as the
    //    platform drops it with its view.
    struct Equation {
        const NSLayoutConstraint* constraint;
        Item first;
        std::optional<Item> second;
    };
    std::vector<Equation> equations;
    std::map<const UIView*, std::pair<bool, bool>> placed;  // position given on x, on y
    for (const auto& constraint : constraints) {
        auto firstView = constraint->firstItem();
        auto secondView = constraint->secondItem();
        if (!firstView) continue;
        if (constraint->secondAttribute() != NSLayoutAttributeNotAnAttribute && !secondView) continue;
        if (constraint->relation() != NSLayoutRelationEqual ||
            constraint->firstAttribute() == NSLayoutAttributeNotAnAttribute ||
            (secondView && constraint->secondAttribute() == NSLayoutAttributeNotAnAttribute)) {
            report.add(
                error(LayoutProblem::Unsupported, firstView.get(), constraint->firstAttribute(), constraint.get()));
            continue;
        }
        auto first = itemFor(firstView.get());
        std::optional<Item> second;
        if (secondView) second = itemFor(secondView.get());
        if (!first || (secondView && !second)) {
            const UIView* foreign = first ? secondView.get() : firstView.get();
            report.add(error(LayoutProblem::ForeignItem, foreign,
                             first ? constraint->secondAttribute() : constraint->firstAttribute(), constraint.get()));
            continue;
        }
        equations.push_back(Equation{constraint.get(), *first, second});
        auto mark = [&](const UIView* view, NSLayoutAttribute attribute) {
            if (!placesPosition(attribute)) return;
            auto& axes = placed[view];
            (isHorizontal(attribute) ? axes.first : axes.second) = true;
        };
        mark(firstView.get(), constraint->firstAttribute());
        if (secondView) mark(secondView.get(), constraint->secondAttribute());
    }
    if (!report.ok()) return report;

    // 3. The constraints, each of which must hold: first = second * multiplier + constant.
    LinearSystem system(solved_.size() * kUnknownsPerView);
    for (const Equation& equation : equations) {
        const NSLayoutConstraint& constraint = *equation.constraint;
        std::vector<double> coefficients(system.unknowns(), 0.0);
        Expression first = expressionOf(equation.first, constraint.firstAttribute());
        double constant = constraint.constant() - first.constant;
        for (auto [unknown, c] : first.terms) coefficients[unknown] += c;
        if (equation.second) {
            Expression second = expressionOf(*equation.second, constraint.secondAttribute());
            constant += constraint.multiplier() * second.constant;
            for (auto [unknown, c] : second.terms) coefficients[unknown] -= constraint.multiplier() * c;
        }
        if (system.add(std::move(coefficients), constant) == LinearSystem::Outcome::Conflicting) {
            report.add(
                error(LayoutProblem::Unsatisfiable, equation.first.view, constraint.firstAttribute(), &constraint));
            return report;
        }
    }

    // 4. Where the constraints leave room: intrinsic (else current) sizes, and
    //    the current position on an axis that no constraint places.
    auto suggest = [&](std::size_t unknown, double value) {
        std::vector<double> coefficients(system.unknowns(), 0.0);
        coefficients[unknown] = 1;
        (void)system.add(std::move(coefficients), value);  // a suggestion the constraints contradict is dropped
    };
    for (UIView* view : solved_) {
        std::size_t base = bases_[view];
        CGSize intrinsic = view->intrinsicContentSize();
        CGRect frame = view->frame();
        suggest(base + kWidth, intrinsic.width != UIViewNoIntrinsicMetric ? intrinsic.width : frame.size.width);
        suggest(base + kHeight, intrinsic.height != UIViewNoIntrinsicMetric ? intrinsic.height : frame.size.height);
        auto axes = placed.find(view);
        if (axes == placed.end() || !axes->second.first) suggest(base + kX, frame.origin.x);
        if (axes == placed.end() || !axes->second.second) suggest(base + kY, frame.origin.y);
    }

    // 5. Anything still free is ambiguous; only a fully determined system moves views.
    std::vector<double> values(system.unknowns(), 0.0);
    for (std::size_t unknown = 0; unknown < system.unknowns(); ++unknown) {
        if (auto value = system.value(unknown)) {
            values[unknown] = tidy(*value);
        } else {
            report.add(error(LayoutProblem::Ambiguous, solved_[unknown / kUnknownsPerView], attributeOfUnknown(unknown),
                             nullptr));
        }
    }
    if (!report.ok()) return report;
    for (UIView* view : solved_) {
        std::size_t base = bases_[view];
        view->setFrame(CGRectMake(values[base + kX], values[base + kY], values[base + kWidth], values[base + kHeight]));
    }
    return report;
}

const char* problemName(LayoutProblem problem) {
    switch (problem) {
    case LayoutProblem::Unsatisfiable: return "unsatisfiable";
    case LayoutProblem::Ambiguous: return "ambiguous";
    case LayoutProblem::Unsupported: return "unsupported";
    case LayoutProblem::ForeignItem: return "foreign item";
    }
    return "?";
}

void layoutInto(UIView& view, LayoutReport& report) {
    view.layoutSubviews();
    report.append(solveConstraints(view));
    // The subview list is copied: a view's own layout may rearrange its subviews.
    auto subviews = view.subviews();
    for (const auto& subview : subviews) layoutInto(*subview, report);
}

}  // namespace

std::string LayoutError::message() const {
    std::string text = std::string(problemName(problem)) + ": " + view + ", " +
                       NSLayoutConstraint::attributeName(attribute);
    switch (problem) {
    case LayoutProblem::Unsatisfiable: text += ": \"" + constraint + "\" contradicts the constraints before it"; break;
    case LayoutProblem::Ambiguous: text += ": the constraints leave it free"; break;
    case LayoutProblem::Unsupported:
        text += ": \"" + constraint + "\" is not an equality between two attributes";
        break;
    case LayoutProblem::ForeignItem:
        text += ": \"" + constraint + "\" names a view that is neither its holder nor one of the holder's subviews";
        break;
    }
    return text;
}

void LayoutReport::append(const LayoutReport& other) {
    errors_.insert(errors_.end(), other.errors_.begin(), other.errors_.end());
}

std::string LayoutReport::describe() const {
    std::string text;
    for (const auto& error : errors_) text += error.message() + "\n";
    return text;
}

LayoutReport solveConstraints(UIView& holder) { return HolderSystem(holder).solve(); }

LayoutReport layoutViewTree(UIView& root) {
    LayoutReport report;
    layoutInto(root, report);
    return report;
}

std::string layoutViewName(const UIView& view, const UIView& holder) {
    std::string name = view.isa()->name();
    if (!view.accessibilityIdentifier().empty()) {
        name += " \"" + view.accessibilityIdentifier() + "\"";
    } else if (auto* label = dynamic_cast<const UILabel*>(&view); label && !label->text().empty()) {
        name += " \"" + shortened(label->text()) + "\"";
    }
    if (&view == &holder) return name;
    const auto& siblings = holder.subviews();
    auto found = std::find_if(siblings.begin(), siblings.end(), [&](const auto& s) { return s.get() == &view; });
    if (found != siblings.end())
        name += " (subview " + std::to_string(found - siblings.begin()) + " of " + holder.isa()->name() + ")";
    else name += " (outside " + holder.isa()->name() + ")";
    return name;
}

}  // namespace uikit
