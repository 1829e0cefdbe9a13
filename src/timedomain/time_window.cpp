#include "timedomain/time_window.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// The modified Bessel function I0 by its power series, sum of
// ((x / 2)^k / k!)^2: for the betas of a window (up to 50) it converges to
// full double precision in well under a hundred terms.
double BesselI0(double x) {
    const double q = x * x / 4.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 500 && term > sum * 1e-17; ++k) {
        term *= q / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

// The window's half at u in 0..1.
double Shape(TimeWindow window, double beta, double u) {
    switch (window) {
        case TimeWindow::Rectangular:
            return 1.0;
        case TimeWindow::Hann:
            return 0.5 * (1.0 + std::cos(std::numbers::pi * u));
        case TimeWindow::Kaiser:
            return BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - u * u))) / BesselI0(beta);
    }
    return 1.0;
}

constexpr std::size_t kExactUpTo = 512;

// In the order of TimeWindow.
constexpr std::array<std::string_view, 3> kWindowNames = {"rectangular", "hann", "kaiser"};

}  // namespace

std::string_view TimeWindowName(TimeWindow window) {
    const auto i = static_cast<std::size_t>(window);
    return i < kWindowNames.size() ? kWindowNames[i] : std::string_view();
}

std::optional<TimeWindow> TimeWindowFromName(std::string_view name) {
    for (std::size_t i = 0; i < kWindowNames.size(); ++i) {
        if (name == kWindowNames[i]) {
            return static_cast<TimeWindow>(i);
        }
    }
    return std::nullopt;
}

std::vector<double> WindowWeights(TimeWindow window, double beta, std::size_t bins) {
    std::vector<double> w(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        w[k] = Shape(window, beta, static_cast<double>(k) / static_cast<double>(bins));
    }
    return w;
}

WindowKernel::WindowKernel(TimeWindow window, double beta, std::span<const double> weights) {
    if (weights.size() <= kExactUpTo) {
        for (std::size_t k = 0; k < weights.size(); ++k) {
            u_.push_back(static_cast<double>(k) / static_cast<double>(weights.size()));
            c_.push_back(k == 0 ? weights[k] : 2.0 * weights[k]);
        }
    } else {
        for (std::size_t j = 0; j < kExactUpTo; ++j) {
            u_.push_back((static_cast<double>(j) + 0.5) / kExactUpTo);
            c_.push_back(Shape(window, beta, u_.back()));
        }
    }
    height_ = 0.0;
    for (const double c : c_) {
        height_ += c;
    }
}

double WindowKernel::operator()(double x) const {
    double g = 0.0;
    for (std::size_t j = 0; j < u_.size(); ++j) {
        g += c_[j] * std::cos(2.0 * std::numbers::pi * x * u_[j]);
    }
    return g / height_;
}

double WindowKernel::halfWidth() const {
    // Walk down the main lobe to the first point at or below half, then halve
    // the interval around it.
    constexpr double kStride = 0.02;
    double low = 0.0;
    double high = kStride;
    while ((*this)(high) > 0.5 && high < 8.0) {
        low = high;
        high += kStride;
    }
    for (int i = 0; i < 40; ++i) {
        const double mid = 0.5 * (low + high);
        ((*this)(mid) > 0.5 ? low : high) = mid;
    }
    return 0.5 * (low + high);
}
