#include "compare/running_mean.h"

#include <algorithm>
#include <cmath>
#include <limits>

void RunningMean::setLength(int n) {
    length_ = std::max(1, n);
    restart();
}

void RunningMean::restart() {
    count_ = 0;
    next_ = 0;
    points_ = 0;
    magnitude_.resize(static_cast<std::size_t>(length_));
    phase_.resize(static_cast<std::size_t>(length_));
}

void RunningMean::Sums::reset(std::size_t points) {
    sum.assign(points, 0.0);
    count.assign(points, 0);
}

void RunningMean::Sums::step(std::span<float> values, std::span<const std::uint8_t> came,
                             std::vector<float>& slot, bool full) {
    const std::size_t points = sum.size();
    for (std::size_t i = 0; i < points; ++i) {
        if (full && !std::isnan(slot[i])) {
            sum[i] -= slot[i];
            --count[i];
        }
        const bool whole = came.empty() || (i < came.size() && came[i] != 0);
        slot[i] = whole ? values[i] : std::numeric_limits<float>::quiet_NaN();
        if (whole) {
            sum[i] += values[i];
            ++count[i];
        }
        // With no reading in the mean at all, the array keeps what it holds.
        if (count[i] > 0) {
            values[i] = static_cast<float>(sum[i] / count[i]);
        }
    }
}

void RunningMean::add(std::span<float> magnitude, std::span<float> phase,
                      std::span<const std::uint8_t> magnitudeCame,
                      std::span<const std::uint8_t> phaseCame) {
    const std::size_t points = std::min(magnitude.size(), phase.size());
    if (points != points_ || count_ == 0) {
        restart();
        points_ = points;
        magnitudeSums_.reset(points);
        phaseSums_.reset(points);
    }
    const bool full = count_ == length_;
    std::vector<float>& oldMagnitude = magnitude_[next_];
    std::vector<float>& oldPhase = phase_[next_];
    oldMagnitude.resize(points);
    oldPhase.resize(points);
    magnitudeSums_.step(magnitude.first(points), magnitudeCame, oldMagnitude, full);
    phaseSums_.step(phase.first(points), phaseCame, oldPhase, full);
    next_ = (next_ + 1) % static_cast<std::size_t>(length_);
    count_ = std::min(count_ + 1, length_);
}
