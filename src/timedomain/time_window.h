#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The lowpass windows of the time domain. A window tapers the spectrum from
// 1 at DC towards the highest bin, trading a wider main lobe for lower side
// lobes: rectangular (narrowest lobe, side lobes -13 dB), Hann (-31 dB) and
// Kaiser (beta 6: -44 dB, the default, a lobe about as wide as Hann's).
enum class TimeWindow { Rectangular, Hann, Kaiser };

std::string_view TimeWindowName(TimeWindow window);  // "rectangular", "hann", "kaiser"
std::optional<TimeWindow> TimeWindowFromName(std::string_view name);

// The weights of bins 0..bins-1: w(k / bins) of the window's half
// w(u) = 1 at u = 0 (DC) towards its edge at u = 1, one bin beyond the last.
std::vector<double> WindowWeights(TimeWindow window, double beta, std::size_t bins);

// The impulse of a window at x, in units of 1 / (bins x step Hz) seconds,
// relative to its height at 0: what a lone reflection at the port gives.
// Worked out on the weights themselves for up to 512 bins, beyond that on the
// window's shape (the same within a fraction of a percent).
class WindowKernel {
public:
    WindowKernel() = default;
    WindowKernel(TimeWindow window, double beta, std::span<const double> weights);

    double operator()(double x) const;
    // Where it falls to half (-6 dB): the main lobe is twice as wide.
    double halfWidth() const;

private:
    std::vector<double> u_;  // where each term lies, 0..1
    std::vector<double> c_;  // its weight
    double height_ = 1.0;
};
