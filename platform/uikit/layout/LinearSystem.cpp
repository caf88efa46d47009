#include "platform/uikit/layout/LinearSystem.h"

#include <cmath>

namespace uikit::layout {

namespace {
// Coefficients come from multipliers and small sums of them; anything this
// close to zero is rounding noise. Constants are in points, where a
// millionth of a point is no difference at all.
constexpr double kCoefficientTolerance = 1e-9;
constexpr double kConstantTolerance = 1e-6;
}  // namespace

LinearSystem::LinearSystem(std::size_t unknowns) : unknowns_(unknowns), pivotRow_(unknowns, -1) {}

LinearSystem::Outcome LinearSystem::add(std::vector<double> coefficients, double constant) {
    coefficients.resize(unknowns_, 0.0);
    // 1. Reduce the equation by every row so far: it then has no term in any
    //    unknown that is already a pivot.
    for (const Row& row : rows_) {
        double factor = coefficients[row.pivot];
        if (factor == 0) continue;
        for (std::size_t i = 0; i < unknowns_; ++i) coefficients[i] -= factor * row.coefficients[i];
        coefficients[row.pivot] = 0;
        constant -= factor * row.constant;
    }
    // 2. What is left decides: nothing at all means implied or conflicting.
    std::size_t pivot = unknowns_;
    double largest = kCoefficientTolerance;
    for (std::size_t i = 0; i < unknowns_; ++i) {
        if (std::fabs(coefficients[i]) > largest) {
            largest = std::fabs(coefficients[i]);
            pivot = i;
        }
    }
    if (pivot == unknowns_) return std::fabs(constant) <= kConstantTolerance ? Outcome::Implied : Outcome::Conflicting;
    // 3. Normalise on the largest coefficient (the stable choice), then clear
    //    the new pivot from every earlier row to keep the form reduced.
    double scale = coefficients[pivot];
    for (double& c : coefficients) {
        c /= scale;
        if (std::fabs(c) < kCoefficientTolerance) c = 0;
    }
    coefficients[pivot] = 1;
    constant /= scale;
    for (Row& row : rows_) {
        double factor = row.coefficients[pivot];
        if (factor == 0) continue;
        for (std::size_t i = 0; i < unknowns_; ++i) {
            row.coefficients[i] -= factor * coefficients[i];
            if (std::fabs(row.coefficients[i]) < kCoefficientTolerance) row.coefficients[i] = 0;
        }
        row.coefficients[pivot] = 0;
        row.constant -= factor * constant;
    }
    pivotRow_[pivot] = static_cast<long>(rows_.size());
    rows_.push_back(Row{std::move(coefficients), constant, pivot});
    return Outcome::Added;
}

std::optional<double> LinearSystem::value(std::size_t unknown) const {
    if (unknown >= unknowns_ || pivotRow_[unknown] < 0) return std::nullopt;
    const Row& row = rows_[static_cast<std::size_t>(pivotRow_[unknown])];
    // In reduced form the row holds its pivot and free unknowns only; any
    // free unknown left in it leaves this one free too.
    for (std::size_t i = 0; i < unknowns_; ++i)
        if (i != unknown && row.coefficients[i] != 0) return std::nullopt;
    return row.constant;
}

}  // namespace uikit::layout
