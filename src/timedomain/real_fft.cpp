#include "timedomain/real_fft.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

struct InverseRealFft::Plan {
    kiss_fftr_cfg cfg = nullptr;
    std::vector<kiss_fft_cpx> spectrum;
    std::size_t filled = 0;  // bins below this may be non-zero
};

namespace {

kiss_fftr_cfg PlanFor(std::size_t nfft, bool inverse) {
    if (nfft < 2 || nfft % 2 != 0) {
        throw std::invalid_argument("a real FFT needs an even length");
    }
    kiss_fftr_cfg cfg = kiss_fftr_alloc(static_cast<int>(nfft), inverse ? 1 : 0, nullptr, nullptr);
    if (cfg == nullptr) {
        throw std::bad_alloc();
    }
    return cfg;
}

}  // namespace

InverseRealFft::InverseRealFft(std::size_t nfft) : nfft_(nfft), plan_(std::make_unique<Plan>()) {
    plan_->cfg = PlanFor(nfft, true);
    plan_->spectrum.assign(nfft / 2 + 1, kiss_fft_cpx{0.0f, 0.0f});
}

InverseRealFft::~InverseRealFft() {
    kiss_fftr_free(plan_->cfg);
}

void InverseRealFft::inverse(std::span<const float> real, std::span<float> out) {
    if (out.size() < nfft_) {
        throw std::invalid_argument("the inverse real FFT's output is too short");
    }
    auto& bins = plan_->spectrum;
    const std::size_t n = std::min(real.size(), bins.size());
    for (std::size_t k = 0; k < n; ++k) {
        bins[k].r = real[k];
    }
    // Only what an earlier, longer spectrum left behind needs clearing.
    for (std::size_t k = n; k < plan_->filled; ++k) {
        bins[k].r = 0.0f;
    }
    plan_->filled = n;
    kiss_fftri(plan_->cfg, bins.data(), out.data());
}

struct ForwardRealFft::Plan {
    kiss_fftr_cfg cfg = nullptr;
};

ForwardRealFft::ForwardRealFft(std::size_t nfft) : nfft_(nfft), plan_(std::make_unique<Plan>()) {
    plan_->cfg = PlanFor(nfft, false);
}

ForwardRealFft::~ForwardRealFft() {
    kiss_fftr_free(plan_->cfg);
}

void ForwardRealFft::forward(std::span<const float> in, std::span<std::complex<float>> out) {
    if (in.size() < nfft_ || out.size() < nfft_ / 2 + 1) {
        throw std::invalid_argument("the forward real FFT's buffers are too short");
    }
    // std::complex<float> is laid out as kiss_fft_cpx is: two floats, real first.
    static_assert(sizeof(std::complex<float>) == sizeof(kiss_fft_cpx));
    kiss_fftr(plan_->cfg, in.data(), reinterpret_cast<kiss_fft_cpx*>(out.data()));
}
