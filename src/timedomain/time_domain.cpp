#include "timedomain/time_domain.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

#include "common/vector_state.h"
#include "timedomain/harmonic_grid.h"
#include "timedomain/real_fft.h"

namespace {

// rho is held within +-kRhoLimit, where the impedance reaches OhmCeiling.
constexpr double kRhoLimit =
    (TimeDomain::OhmCeiling - TimeDomain::Z0) / (TimeDomain::OhmCeiling + TimeDomain::Z0);
constexpr double kMaxKaiserBeta = 50.0;

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The smallest power of two of at least four times the bins: zero-padded
// so, the time record is sampled twice as finely as the band needs, a peak's
// main lobe spans several bins and the parabola through its top reads it
// well between them. Twice that length read the peaks no better and doubled
// the tick's time for the view.
std::size_t TransformLength(std::size_t bins) {
    return std::bit_ceil(4 * bins);
}

// The vertex of the parabola through |v| at n - 1, n, n + 1: its offset from
// n (within +-0.5) and its height.
struct Vertex {
    double offset = 0.0;
    double height = 0.0;
};

Vertex ParabolaVertex(double left, double centre, double right) {
    const double curvature = left - 2.0 * centre + right;
    if (!(curvature < 0.0)) {
        return {0.0, centre};
    }
    const double offset = std::clamp(0.5 * (left - right) / curvature, -0.5, 0.5);
    return {offset, centre - 0.25 * (left - right) * offset};
}

// |impulse| at n, reading the mirror images beyond both ends: the even part
// is symmetric about bin 0 and about the last bin.
double MagnitudeAt(const std::vector<double>& impulse, std::ptrdiff_t n) {
    const auto last = static_cast<std::ptrdiff_t>(impulse.size()) - 1;
    if (n < 0) {
        n = -n;
    } else if (n > last) {
        n = 2 * last - n;
    }
    return std::fabs(impulse[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(n, 0, last))]);
}

TimeDomainPeak PeakAt(const std::vector<double>& impulse, std::size_t n, double metresPerBin) {
    const auto i = static_cast<std::ptrdiff_t>(n);
    const Vertex v = ParabolaVertex(MagnitudeAt(impulse, i - 1), MagnitudeAt(impulse, i),
                                    MagnitudeAt(impulse, i + 1));
    const double last = static_cast<double>(impulse.size() - 1);
    const double distance = std::clamp(static_cast<double>(n) + v.offset, 0.0, last) * metresPerBin;
    return {distance, std::copysign(v.height, impulse[n])};
}

std::vector<TimeDomainPeak> Peaks(const std::vector<double>& impulse, double metresPerBin) {
    double largest = 0.0;
    for (const double v : impulse) {
        largest = std::max(largest, std::fabs(v));
    }
    std::vector<TimeDomainPeak> peaks;
    if (!(largest > 0.0)) {
        return peaks;
    }
    const double floor = TimeDomain::PeakFloor * largest;
    for (std::size_t n = 0; n < impulse.size(); ++n) {
        const auto i = static_cast<std::ptrdiff_t>(n);
        const double here = std::fabs(impulse[n]);
        // Strictly above the bin before, at least the bin after: a flat top
        // counts once, at its first bin.
        if (here >= floor && here > MagnitudeAt(impulse, i - 1) &&
            here >= MagnitudeAt(impulse, i + 1)) {
            peaks.push_back(PeakAt(impulse, n, metresPerBin));
        }
    }
    std::stable_sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) {
        return std::fabs(a.Reflection) > std::fabs(b.Reflection);
    });
    return peaks;
}

}  // namespace

std::optional<std::string> CheckTimeDomain(const TimeDomainSweep& sweep,
                                           const TimeDomainOptions& options) {
    if (sweep.Rho.size() < TimeDomain::MinPoints) {
        return "the time domain needs at least " + std::to_string(TimeDomain::MinPoints) +
               " points; the sweep has " + std::to_string(sweep.Rho.size());
    }
    if (sweep.PhaseDeg.size() != sweep.Rho.size()) {
        return "the sweep has " + std::to_string(sweep.Rho.size()) + " magnitudes but " +
               std::to_string(sweep.PhaseDeg.size()) + " phases";
    }
    if (!std::isfinite(sweep.StartHz) || !std::isfinite(sweep.StepHz)) {
        return std::string("the sweep's start and step are not finite numbers");
    }
    if (!(sweep.StepHz > 0.0)) {
        return std::string("the sweep's frequencies must rise from point to point");
    }
    if (sweep.StartHz < 0.0) {
        return std::string("the sweep starts below 0 Hz");
    }
    if (!AllFinite(sweep.Rho) || !AllFinite(sweep.PhaseDeg)) {
        return std::string("the sweep holds a value that is not a finite number");
    }
    if (!(options.VelocityFactor > 0.0 && options.VelocityFactor <= 1.0)) {
        return std::string("the velocity factor must be above 0 and at most 1");
    }
    if (options.Window == TimeWindow::Kaiser &&
        !(options.KaiserBeta >= 0.0 && options.KaiserBeta <= kMaxKaiserBeta)) {
        return std::string("the Kaiser window's beta must be from 0 to 50");
    }
    // The last point's place on the grid, in steps from DC.
    const double top = sweep.StartHz / sweep.StepHz + static_cast<double>(sweep.Rho.size());
    if (!(top <= static_cast<double>(TimeDomain::MaxBins))) {
        return "the sweep starts too far above its step: the time domain would need more than " +
               std::to_string(TimeDomain::MaxBins) +
               " bins from DC (fewer points or a lower start help)";
    }
    return std::nullopt;
}

struct TimeDomainTransform::Work {
    // The window's weights for this many bins, kept while they serve.
    TimeWindow window = TimeWindow::Kaiser;
    double beta = 0.0;
    std::vector<double> weights;
    double weightSum = 0.0;  // of the two-sided spectrum: w0 + 2 (w1 + ... )
    WindowKernel kernel;
    double halfWidth = 0.0;  // the kernel's
    // The kernel at each time bin of this transform's length, as far as it
    // matters; empty until worked out for it.
    std::vector<double> mirror;
    std::size_t mirrorLength = 0;

    HarmonicGrid grid;
    std::vector<double> re;       // Re G of every bin
    std::vector<float> spectrum;  // windowed
    std::vector<float> time;      // the inverse transform, nfft samples
    std::unique_ptr<InverseRealFft> fft;
    std::vector<double> impulse;  // bins 0..nfft / 2
    double binSeconds = 0.0;

    void useWindow(const TimeDomainOptions& options, std::size_t bins) {
        const double b = options.Window == TimeWindow::Kaiser ? options.KaiserBeta : 0.0;
        if (weights.size() == bins && window == options.Window && beta == b) {
            return;
        }
        window = options.Window;
        beta = b;
        weights = WindowWeights(window, beta, bins);
        weightSum = weights[0];
        for (std::size_t k = 1; k < bins; ++k) {
            weightSum += 2.0 * weights[k];
        }
        kernel = WindowKernel(window, beta, weights);
        halfWidth = kernel.halfWidth();
        mirror.clear();
        mirrorLength = 0;
    }

    // The kernel out to four lobe widths, beyond which even the rectangular
    // window's side lobes are below 5 % of its height.
    void useMirror(std::size_t nfft) {
        if (mirrorLength == nfft) {
            return;
        }
        mirrorLength = nfft;
        const double perBin = static_cast<double>(weights.size()) / static_cast<double>(nfft);
        const auto count = std::min(
            nfft / 2 + 1, static_cast<std::size_t>(std::ceil(8.0 * halfWidth / perBin)) + 1);
        mirror.resize(count);
        for (std::size_t n = 0; n < count; ++n) {
            mirror[n] = kernel(static_cast<double>(n) * perBin);
        }
    }
    double mirrorAt(std::size_t n) const { return n < mirror.size() ? mirror[n] : 0.0; }
};

TimeDomainTransform::TimeDomainTransform() : work_(std::make_unique<Work>()) {}
TimeDomainTransform::~TimeDomainTransform() = default;

std::string TimeDomainTransform::impulse(const TimeDomainSweep& sweep,
                                         const TimeDomainOptions& options) {
    if (const auto why = CheckTimeDomain(sweep, options)) {
        return *why;
    }
    ClearUpperVectorState();  // the resampling below calls cos twice a bin
    Work& w = *work_;
    w.grid = HarmonicGridOf(sweep);
    const std::size_t bins = w.grid.bins;
    ReGammaOnGrid(sweep, w.grid, w.re);
    w.useWindow(options, bins);
    w.spectrum.resize(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        w.spectrum[k] = static_cast<float>(w.weights[k] * w.re[k]);
    }

    const std::size_t nfft = TransformLength(bins);
    if (!w.fft || w.fft->size() != nfft) {
        w.fft = std::make_unique<InverseRealFft>(nfft);
        w.time.assign(nfft, 0.0f);
    }
    w.fft->inverse(w.spectrum, w.time);
    w.binSeconds = 1.0 / (static_cast<double>(nfft) * sweep.StepHz);

    // x[n] holds the even part at n (and at -n), the response and its mirror
    // image at -t each at half height: the causal response is twice it where
    // the mirror has died away. A reflection at the port is its own mirror,
    // so the doubling comes in as the window's kernel around t = 0 (and its
    // image around the last bin) falls: 2 - kernel(n) - kernel(half - n).
    // The port's reflection then reads its G at bin 0, and one beyond a lobe
    // width or two is doubled in full. Dividing by the window's sum makes a
    // lone reflection G peak at G.
    const std::size_t half = nfft / 2;
    w.useMirror(nfft);
    w.impulse.resize(half + 1);
    for (std::size_t n = 0; n <= half; ++n) {
        const double doubling = 2.0 - w.mirrorAt(n) - w.mirrorAt(half - n);
        w.impulse[n] = doubling * static_cast<double>(w.time[n]) / w.weightSum;
    }
    return {};
}

TimeDomainResult TimeDomainTransform::reflection(const TimeDomainSweep& sweep,
                                                 const TimeDomainOptions& options) {
    if (std::string why = impulse(sweep, options); !why.empty()) {
        return {std::nullopt, std::move(why)};
    }
    const Work& w = *work_;
    const std::size_t count = w.impulse.size();
    const double metresPerBin =
        options.VelocityFactor * TimeDomain::SpeedOfLight * w.binSeconds / 2.0;

    TimeDomainResponse r;
    r.Impulse = w.impulse;
    r.DistanceM.resize(count);
    r.Step.resize(count);
    r.Ohms.resize(count);
    // The step is the integral of the response from 0 to t, which for a
    // causal response is the even part's from -t to t: x[0] + 2 (x[1] + ...
    // + x[n]) over nfft (the last bin once, as above).
    const double perSample = 1.0 / static_cast<double>(w.time.size());
    double sum = 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        const double x = w.time[n];
        sum += (n == 0 || n + 1 == count) ? x : 2.0 * x;
        const double rho = sum * perSample;
        const double held = std::clamp(rho, -kRhoLimit, kRhoLimit);
        r.DistanceM[n] = static_cast<double>(n) * metresPerBin;
        r.Step[n] = rho;
        r.Ohms[n] = TimeDomain::Z0 * (1.0 + held) / (1.0 - held);
    }
    r.Peaks = Peaks(r.Impulse, metresPerBin);
    const double c = options.VelocityFactor * TimeDomain::SpeedOfLight;
    r.ResolutionM = c * w.halfWidth / (static_cast<double>(w.grid.bins) * sweep.StepHz);
    r.AliasFreeM = c / (4.0 * sweep.StepHz);
    r.BinSeconds = w.binSeconds;
    r.Bins = w.grid.bins;
    r.ExtrapolatedBins = w.grid.first;
    return {std::move(r), {}};
}

TransmissionDelayResult TimeDomainTransform::transmission(const TimeDomainSweep& sweep,
                                                          const TimeDomainOptions& options) {
    if (std::string why = impulse(sweep, options); !why.empty()) {
        return {std::nullopt, std::move(why)};
    }
    const Work& w = *work_;
    std::size_t strongest = 0;
    for (std::size_t n = 1; n < w.impulse.size(); ++n) {
        if (std::fabs(w.impulse[n]) > std::fabs(w.impulse[strongest])) {
            strongest = n;
        }
    }
    // The transmitted wave crosses once: the time axis is the delay itself.
    const TimeDomainPeak peak = PeakAt(w.impulse, strongest, w.binSeconds);
    TransmissionDelay d;
    d.DelaySeconds = peak.DistanceM;
    d.LengthM = options.VelocityFactor * TimeDomain::SpeedOfLight * d.DelaySeconds;
    d.Gain = peak.Reflection;
    return {d, {}};
}

TimeDomainResult ReflectionTimeDomain(const TimeDomainSweep& sweep,
                                      const TimeDomainOptions& options) {
    TimeDomainTransform transform;
    return transform.reflection(sweep, options);
}

TransmissionDelayResult TransmissionTimeDomain(const TimeDomainSweep& sweep,
                                               const TimeDomainOptions& options) {
    TimeDomainTransform transform;
    return transform.transmission(sweep, options);
}
