#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <span>

// The real FFTs of kissfft (kiss_fftri, kiss_fftr) behind a plain interface, so
// that no other file sees the library's types. One plan and one spectrum
// buffer are kept for the object's whole life: make it once for a length and
// call it for every sweep of that length.
class InverseRealFft {
public:
    // nfft: the number of real samples out, even and at least 2.
    explicit InverseRealFft(std::size_t nfft);
    ~InverseRealFft();
    InverseRealFft(const InverseRealFft&) = delete;
    InverseRealFft& operator=(const InverseRealFft&) = delete;

    std::size_t size() const { return nfft_; }

    // out[n] = sum over k = 0..nfft-1 of X[k] e^(+j 2 pi k n / nfft), unscaled,
    // for the real, even spectrum X[k] = X[nfft - k] = real[k] (0 past
    // real.size(), which is at most nfft / 2 + 1). out holds nfft samples.
    void inverse(std::span<const float> real, std::span<float> out);

private:
    struct Plan;
    std::size_t nfft_;
    std::unique_ptr<Plan> plan_;
};

class ForwardRealFft {
public:
    // nfft: the number of real samples in, even and at least 2.
    explicit ForwardRealFft(std::size_t nfft);
    ~ForwardRealFft();
    ForwardRealFft(const ForwardRealFft&) = delete;
    ForwardRealFft& operator=(const ForwardRealFft&) = delete;

    std::size_t size() const { return nfft_; }

    // out[k] = sum over n = 0..nfft-1 of in[n] e^(-j 2 pi k n / nfft),
    // unscaled, for k = 0..nfft / 2. in holds nfft samples, out nfft / 2 + 1.
    void forward(std::span<const float> in, std::span<std::complex<float>> out);

private:
    struct Plan;
    std::size_t nfft_;
    std::unique_ptr<Plan> plan_;
};
