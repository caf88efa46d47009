// The layout pass: each view's equality constraints solved as one linear
// system, top down through a view tree.
//
// The unknowns of a view's system are the frames of its direct subviews that
// opted out of autoresizing (translatesAutoresizingMaskIntoConstraints
// false); the view's own bounds and the frames of its other subviews are
// fixed, as set. Every constraint the view holds must hold exactly. Then, only
// where the constraints leave room:
//   - a subview takes its intrinsic size (a label's text in its font, an
//     image's size), or keeps its frame's size where it has none;
//   - a subview that no constraint places along an axis (no left, right,
//     centre, leading or trailing on x; no top, bottom or centre on y) keeps
//     its frame's position on that axis.
// What is still free after that is ambiguous, and a constraint that cannot
// hold together with the ones before it is unsatisfiable: both are reported
// with the view and the attribute, and the view's subviews keep the frames
// they had. Nothing is guessed.
#pragma once

#include "platform/uikit/NSLayoutConstraint.h"

#include <string>
#include <vector>

namespace uikit {

class UIView;

enum class LayoutProblem {
    Unsatisfiable,  // a constraint contradicts the constraints before it
    Ambiguous,      // the constraints leave a position or size free
    Unsupported,    // an inequality, or a constraint without an attribute
    ForeignItem,    // a constraint names a view that is neither the holder nor one of its subviews
};

struct LayoutError {
    LayoutProblem problem;
    // The view in question, as "<class> "<text>" (subview <i> of <holder class>)".
    std::string view;
    NSLayoutAttribute attribute = NSLayoutAttributeNotAnAttribute;
    // The constraint concerned, as describeConstraint writes it; empty for an ambiguity.
    std::string constraint;

    // One readable line: what went wrong, where, and with which constraint.
    std::string message() const;
};

class [[nodiscard]] LayoutReport {
public:
    bool ok() const { return errors_.empty(); }
    const std::vector<LayoutError>& errors() const { return errors_; }
    void add(LayoutError error) { errors_.push_back(std::move(error)); }
    void append(const LayoutReport& other);
    // Every error's message, one a line; empty when the layout succeeded.
    std::string describe() const;

private:
    std::vector<LayoutError> errors_;
};

// Solves the constraints `holder` holds and gives its auto-layout subviews
// their frames (all of them, or none when the system is in error).
LayoutReport solveConstraints(UIView& holder);

// Lays out `root` and everything below it, top down: each view first places
// subviews by hand (layoutSubviews), then solves its constraints, then its
// subviews do the same. `root` keeps its own frame. The errors of every view
// in the tree are gathered; a view in error does not stop the others.
LayoutReport layoutViewTree(UIView& root);

// How errors and dumps name a view: its class, its accessibility identifier
// or a label's text, and where it sits under `holder`.
std::string layoutViewName(const UIView& view, const UIView& holder);

}  // namespace uikit
