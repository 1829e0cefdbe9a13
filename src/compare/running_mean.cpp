#include "compare/running_mean.h"

#include <algorithm>

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

void RunningMean::add(std::span<float> magnitude, std::span<float> phase) {
    const std::size_t points = std::min(magnitude.size(), phase.size());
    if (points != points_ || count_ == 0) {
        restart();
        points_ = points;
        sumMagnitude_.assign(points, 0.0);
        sumPhase_.assign(points, 0.0);
    }
    std::vector<float>& oldMagnitude = magnitude_[next_];
    std::vector<float>& oldPhase = phase_[next_];
    const bool full = count_ == length_;
    for (std::size_t i = 0; i < points; ++i) {
        double& m = sumMagnitude_[i];
        double& p = sumPhase_[i];
        if (full) {
            m -= oldMagnitude[i];
            p -= oldPhase[i];
        }
        m += magnitude[i];
        p += phase[i];
    }
    oldMagnitude.assign(magnitude.begin(), magnitude.begin() + static_cast<std::ptrdiff_t>(points));
    oldPhase.assign(phase.begin(), phase.begin() + static_cast<std::ptrdiff_t>(points));
    next_ = (next_ + 1) % static_cast<std::size_t>(length_);
    count_ = std::min(count_ + 1, length_);
    const double n = count_;
    for (std::size_t i = 0; i < points; ++i) {
        magnitude[i] = static_cast<float>(sumMagnitude_[i] / n);
        phase[i] = static_cast<float>(sumPhase_[i] / n);
    }
}
