#include "timedomain/harmonic_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegreesToRadians = std::numbers::pi / 180.0;
// Harmonic bins that lie this close to a point (in steps) count as on it.
constexpr double kGridTolerance = 1e-9;

// The coefficients c of sum c[j] x^j (j < terms) fitted by least squares to
// (x[i], y[i]): the normal equations, solved by elimination with pivoting.
template <std::size_t Terms>
std::array<double, Terms> LeastSquares(const std::vector<double>& x, const std::vector<double>& y) {
    std::array<std::array<double, Terms + 1>, Terms> m{};
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::array<double, 2 * Terms> power{};
        power[0] = 1.0;
        for (std::size_t j = 1; j < power.size(); ++j) {
            power[j] = power[j - 1] * x[i];
        }
        for (std::size_t r = 0; r < Terms; ++r) {
            for (std::size_t c = 0; c < Terms; ++c) {
                m[r][c] += power[r + c];
            }
            m[r][Terms] += power[r] * y[i];
        }
    }
    for (std::size_t col = 0; col < Terms; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < Terms; ++r) {
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) {
                pivot = r;
            }
        }
        std::swap(m[col], m[pivot]);
        if (m[col][col] == 0.0) {
            return {};  // the points cannot tell the terms apart
        }
        for (std::size_t r = 0; r < Terms; ++r) {
            if (r != col) {
                const double f = m[r][col] / m[col][col];
                for (std::size_t c = col; c <= Terms; ++c) {
                    m[r][c] -= f * m[col][c];
                }
            }
        }
    }
    std::array<double, Terms> coefficients{};
    for (std::size_t r = 0; r < Terms; ++r) {
        coefficients[r] = m[r][Terms] / m[r][r];
    }
    return coefficients;
}

// Re G below the first point, down to DC. Re G(f) is even in f (the impulse
// response is real), so near DC it runs as a + b f^2 + c f^4 with no odd
// terms. That is fitted by least squares to the lowest points (those up to
// twice the first frequency, at least five; with only three or four, a +
// b f^2) and carried down to DC. Unlike holding the first value or a straight
// line it leaves no kink at DC to ring through the whole response, and its a
// is the DC value the step settles to; the f^4 term follows a line's turning
// phase across the gap (a 12 m line at 1 MHz) some twenty times closer than
// a + b f^2 alone. Each value is held within the largest |G| of the points
// fitted, since |Re G| <= |G| and a fit carried far beyond its points must
// not run away.
void ExtrapolateToDc(const TimeDomainSweep& sweep, const HarmonicGrid& grid,
                     std::vector<double>& re) {
    if (grid.first == 0) {
        return;
    }
    const std::size_t points = sweep.Rho.size();
    std::size_t fitted = std::min<std::size_t>(5, points);
    while (fitted < points && static_cast<double>(fitted) <= grid.s) {
        ++fitted;  // point i lies at s + i steps: kept while s + i <= 2 s
    }
    // x = (f / f_first)^2 keeps the sums well scaled.
    std::vector<double> x(fitted), y(fitted);
    double bound = 0.0;
    for (std::size_t i = 0; i < fitted; ++i) {
        const double r = (grid.s + static_cast<double>(i)) / grid.s;
        x[i] = r * r;
        y[i] = ReGammaAt(sweep, i);
        bound = std::max(bound, HeldRho(sweep.Rho[i]));
    }
    std::array<double, 3> c{};
    if (fitted >= 5) {
        c = LeastSquares<3>(x, y);
    } else {
        const auto two = LeastSquares<2>(x, y);
        c = {two[0], two[1], 0.0};
    }
    for (std::size_t k = 0; k < grid.first; ++k) {
        const double r = static_cast<double>(k) / grid.s;
        const double xk = r * r;
        re[k] = std::clamp(c[0] + xk * (c[1] + xk * c[2]), -bound, bound);
    }
}

// Re G at every harmonic bin from the first point up: linear between the two
// points each bin lies between.
void Resample(const TimeDomainSweep& sweep, const HarmonicGrid& grid, std::vector<double>& re) {
    const std::size_t last = sweep.Rho.size() - 2;  // the lower of the last two points
    double below = 0.0, above = 0.0;
    std::size_t at = static_cast<std::size_t>(-1);
    for (std::size_t k = grid.first; k < grid.bins; ++k) {
        const double position = std::max(0.0, static_cast<double>(k) - grid.s);
        const std::size_t i = std::min(static_cast<std::size_t>(position), last);
        if (i != at) {
            at = i;
            below = ReGammaAt(sweep, i);
            above = ReGammaAt(sweep, i + 1);
        }
        const double t = std::clamp(position - static_cast<double>(i), 0.0, 1.0);
        re[k] = below + t * (above - below);
    }
}

}  // namespace

HarmonicGrid HarmonicGridOf(const TimeDomainSweep& sweep) {
    HarmonicGrid g;
    g.s = sweep.StartHz / sweep.StepHz;
    const double tolerance = kGridTolerance * std::max(1.0, g.s);
    const double last = g.s + static_cast<double>(sweep.Rho.size() - 1);
    g.first = static_cast<std::size_t>(std::ceil(g.s - tolerance));
    g.bins = static_cast<std::size_t>(std::floor(last + tolerance)) + 1;
    return g;
}

double HeldRho(double rho) {
    return std::clamp(rho, 0.0, TimeDomain::RhoCeiling);
}

double ReGammaAt(const TimeDomainSweep& sweep, std::size_t i) {
    return HeldRho(sweep.Rho[i]) * std::cos(sweep.PhaseDeg[i] * kDegreesToRadians);
}

void ReGammaOnGrid(const TimeDomainSweep& sweep, const HarmonicGrid& grid,
                   std::vector<double>& re) {
    re.assign(grid.bins, 0.0);
    Resample(sweep, grid, re);
    ExtrapolateToDc(sweep, grid, re);
}
