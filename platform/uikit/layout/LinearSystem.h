// Linear equations over a fixed number of unknowns, added one at a time and
// kept in reduced row echelon form. Each new equation is known at once to be
// new, already implied by the ones before it, or in conflict with them; at
// the end every unknown is either fixed to one value or still free.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace uikit::layout {

class LinearSystem {
public:
    explicit LinearSystem(std::size_t unknowns);

    enum class Outcome {
        Added,        // the equation narrowed the solutions
        Implied,      // the equations before it already say the same
        Conflicting,  // no solution satisfies it and the ones before it; it is not kept
    };
    // Adds sum(coefficients[i] * x[i]) = constant. `coefficients` has one
    // entry per unknown.
    Outcome add(std::vector<double> coefficients, double constant);

    // The unknown's value when the equations fix it, nothing while it is free.
    std::optional<double> value(std::size_t unknown) const;
    std::size_t unknowns() const { return unknowns_; }

private:
    struct Row {
        std::vector<double> coefficients;
        double constant;
        std::size_t pivot;
    };
    std::size_t unknowns_;
    std::vector<Row> rows_;
    std::vector<long> pivotRow_;  // the row whose pivot is the unknown, or -1
};

}  // namespace uikit::layout
