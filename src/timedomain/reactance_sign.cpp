#include "timedomain/reactance_sign.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "common/vector_state.h"
#include "timedomain/harmonic_grid.h"
#include "timedomain/real_fft.h"

namespace {

constexpr double kDegreesToRadians = std::numbers::pi / 180.0;

// How far Re G above the sweep's top may stand from what the reconstruction
// takes, once the constant part is fitted (FitTopError): a difference A there
// moves Im G at f by (A / pi) ln((top + f) / (top - f)), the Hilbert
// transform of a step. On antennas, resonators and loads behind cable the
// fitted reconstruction gave every sign right with A = 0.05; a little more
// leaves the last stretch or two below the top unknown when they are weak.
constexpr double kTopUncertainty = 0.07;
// The same for the fit from the first point down to DC, which follows the
// lowest points closely.
constexpr double kBottomUncertainty = 0.05;
// A stretch's sign is taken only when the reconstruction agrees with it by at
// least this share of the measured |Im G|'s energy.
constexpr double kLeastAgreement = 0.2;
// A sweep whose start lies further from DC than this share of its top cannot
// show causality: Re G below it is a guess, and so is every sign.
constexpr double kMostBelowStart = 0.5;
// How far a point's reconstruction must stand beyond its error bound against
// its stretch's sign to overrule it (OverruleAtPoints): the linear
// resampling between points far apart is off by about this much.
constexpr double kOverruleMargin = 0.1;
// |Re G| <= 1 above the top as below it: the most the constant can stand
// away from the flat extension is 2, over pi in the error's scale.
constexpr double kMostTopError = 2.0 / std::numbers::pi;

// The even, flat extension needs room above the top: the spectrum handed to
// the transforms runs to twice the bins or more.
std::size_t SignTransformLength(std::size_t bins) {
    return 4 * std::bit_ceil(bins);
}

// The shape of the reconstruction's error at f when Re G above the top
// stands a constant away from the flat extension.
double TopErrorShape(double f, double top, double step) {
    const double above = top + step / 2.0;
    return std::log((above + f) / (above - f));
}

// The error bound of the reconstructed Im G at f (see above), for a sweep from
// bottom to top Hz; half a step beyond each end keeps it finite there.
double ErrorBound(double f, double bottom, double top, double step) {
    const double below = bottom - step / 2.0;
    double b = kTopUncertainty * TopErrorShape(f, top, step);
    if (below > 0.0) {
        b += kBottomUncertainty * std::log((f + below) / (f - below));
    }
    return b / std::numbers::pi;
}

// The point-to-point noise of the measured |Im G| around each point: the
// median of its second differences over a block of points, in which a smooth
// curve leaves almost nothing, as a standard deviation (white noise gives
// second differences of sqrt(6) of it). By blocks, since the noise of |G|
// sin |phi| grows with |G|.
std::vector<double> NoiseOf(const std::vector<double>& m) {
    // Points far apart for how fast |Im G| turns have second differences of
    // the curve's own: no more noise is taken than this share of the sweep's
    // largest |Im G|.
    constexpr double kMostNoise = 0.1;
    constexpr std::size_t kBlock = 64;
    const std::size_t n = m.size();
    std::vector<double> noise(n, 0.0);
    const double largest = n > 0 ? *std::max_element(m.begin(), m.end()) : 0.0;
    std::vector<double> d;
    for (std::size_t from = 0; from < n; from += kBlock) {
        const std::size_t to = std::min(n, from + kBlock);
        d.clear();
        for (std::size_t i = std::max<std::size_t>(from, 1); i < to && i + 1 < n; ++i) {
            d.push_back(std::fabs(m[i + 1] - 2.0 * m[i] + m[i - 1]));
        }
        if (d.empty()) {
            continue;
        }
        const auto middle = d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2);
        std::nth_element(d.begin(), middle, d.end());
        std::fill(noise.begin() + static_cast<std::ptrdiff_t>(from),
                  noise.begin() + static_cast<std::ptrdiff_t>(to),
                  std::min(*middle / (0.6745 * std::sqrt(6.0)), kMostNoise * largest));
    }
    return noise;
}

// Whether a crossing of zero may hide at the local minimum i: no higher than
// the steps beside it allow (a line through zero between two points leaves at
// most half a step at the nearer one), read over three points each side
// where noise would swamp a single step, with the noise's room on top; or
// within the noise of zero.
bool MayCross(const std::vector<double>& m, double noise, std::size_t i) {
    const double step = std::max(m[i - 1] - m[i], m[i + 1] - m[i]);
    if (step > 4.0 * noise && m[i] <= 1.5 * step) {
        return true;  // sparse points: a step well clear of the noise
    }
    const std::size_t k = std::min({std::size_t{3}, i, m.size() - 1 - i});
    const double slope = (m[i - k] + m[i + k] - 2.0 * m[i]) / (2.0 * static_cast<double>(k));
    return m[i] <= 0.75 * slope + 2.0 * noise || m[i] <= 1.5 * noise;
}

// Where the sign may change: at the bottom of each dip of the measured |Im
// G| that comes near enough to zero for a crossing to hide there. A wiggle of noise on the way down
// is no dip of its own: of two such minima with nothing between them rising clear of the noise, the
// lower stands. Each bottom is a stretch of its own, since its side cannot be told.
std::vector<std::size_t> StretchStarts(const std::vector<double>& m, const std::vector<double>& rho,
                                       const std::vector<double>& phaseDeg,
                                       const std::vector<double>& e) {
    const std::size_t n = m.size();
    const std::vector<double> noise = NoiseOf(m);
    std::vector<std::size_t> bottoms;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (!(m[i] < m[i - 1] && m[i] <= m[i + 1])) {
            continue;
        }
        if (!MayCross(m, noise[i], i)) {
            continue;
        }
        if (!bottoms.empty()) {
            const std::size_t p = bottoms.back();
            const double between = *std::max_element(m.begin() + static_cast<std::ptrdiff_t>(p),
                                                     m.begin() + static_cast<std::ptrdiff_t>(i));
            if (between < std::min(m[p], m[i]) + 6.0 * std::max(noise[p], noise[i])) {
                if (m[i] < m[p]) {
                    bottoms.back() = i;
                }
                continue;
            }
        }
        bottoms.push_back(i);
    }
    std::vector<std::size_t> starts{0};
    for (const std::size_t i : bottoms) {
        starts.push_back(i);
        starts.push_back(i + 1);
    }
    // A crossing no point shows: where the points are far apart for how fast
    // G turns (a resonance narrower than a step passing near the centre of
    // the chart), G may cross the real axis between two points. Taken where
    // the reconstruction turns its sign there too and the way across, from
    // G at one point to the mirror image of G at the next, is no longer than
    // twice the steps beside it.
    const auto at = [&](std::size_t i, double sign) {
        return std::polar(HeldRho(rho[i]), sign * phaseDeg[i] * kDegreesToRadians);
    };
    for (std::size_t i = 1; i + 2 < n; ++i) {
        if (!(e[i] * e[i + 1] < 0.0)) {
            continue;
        }
        const double across = std::abs(at(i, 1.0) - at(i + 1, -1.0));
        const double beside = std::max(std::abs(at(i - 1, 1.0) - at(i, 1.0)),
                                       std::abs(at(i + 1, 1.0) - at(i + 2, 1.0)));
        if (across <= 2.0 * beside) {
            starts.push_back(i + 1);
        }
    }
    starts.push_back(n);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    return starts;
}

// One stretch's sign from the reconstruction e against the measured |Im G|
// m. With the reconstruction's error within b, e m summed over the stretch
// lies within sum b m of s sum m^2: the sign s is certain when sum m^2
// exceeds sum b m, and taken when the reconstruction agrees with it.
ReactanceSign StretchSign(const double* e, const double* m, const double* b, std::size_t count) {
    double agreement = 0.0, energy = 0.0, doubt = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        agreement += e[i] * m[i];
        energy += m[i] * m[i];
        doubt += b[i] * m[i];
    }
    if (!(energy > doubt) || !(std::fabs(agreement) >= kLeastAgreement * energy)) {
        return ReactanceSign::Unknown;
    }
    return agreement > 0.0 ? ReactanceSign::Plus : ReactanceSign::Minus;
}

// Takes the reconstruction's error off e where the sweep shows it. Re G
// above the top differs from the flat extension mostly by a constant (a
// line's ripple averages to its mean there), which adds c x TopErrorShape
// to every point: with the signs of the stretches it is found by least
// squares, then the signs again with it, a few times over. Only where the
// stretches have signs of both kinds, since c x shape can mimic a lone
// stretch's own smooth |Im G| and turn its sign round.
void FitTopError(std::vector<double>& e, const std::vector<double>& m,
                 const std::vector<std::size_t>& starts, double start, double step, double top) {
    const std::size_t n = e.size();
    std::vector<double> g(n), s(n);
    for (std::size_t i = 0; i < n; ++i) {
        g[i] = TopErrorShape(start + static_cast<double>(i) * step, top, step);
    }
    double c = 0.0;
    for (int round = 0; round < 4; ++round) {
        bool plus = false, minus = false;
        for (std::size_t j = 0; j + 1 < starts.size(); ++j) {
            double agreement = 0.0;
            for (std::size_t i = starts[j]; i < starts[j + 1]; ++i) {
                agreement += (e[i] - c * g[i]) * m[i];
            }
            const double sign = agreement > 0.0 ? 1.0 : agreement < 0.0 ? -1.0 : 0.0;
            plus = plus || sign > 0.0;
            minus = minus || sign < 0.0;
            std::fill(s.begin() + static_cast<std::ptrdiff_t>(starts[j]),
                      s.begin() + static_cast<std::ptrdiff_t>(starts[j + 1]), sign);
        }
        if (!plus || !minus) {
            break;
        }
        double num = 0.0, den = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            num += (e[i] - s[i] * m[i]) * g[i];
            den += g[i] * g[i];
        }
        c = std::clamp(den > 0.0 ? num / den : 0.0, -kMostTopError, kMostTopError);
    }
    for (std::size_t i = 0; i < n; ++i) {
        e[i] -= c * g[i];
    }
}

// A crossing can still hide where no rule above finds it. A point whose
// reconstruction stands against its stretch's sign by more than its error
// bound and a margin for the resampling between points takes its own.
void OverruleAtPoints(const std::vector<double>& e, const std::vector<double>& b, std::size_t from,
                      std::size_t count, std::vector<ReactanceSign>& signs) {
    for (std::size_t i = from; i < from + count; ++i) {
        const double s = static_cast<double>(signs[i]);
        if (s != 0.0 && -s * e[i] > b[i] + kOverruleMargin) {
            signs[i] = s > 0.0 ? ReactanceSign::Minus : ReactanceSign::Plus;
        }
    }
}

std::optional<std::string> CheckSweep(const TimeDomainSweep& sweep) {
    return CheckTimeDomain(sweep, TimeDomainOptions{});
}

double MeasuredImMagnitude(const TimeDomainSweep& sweep, std::size_t i) {
    return HeldRho(sweep.Rho[i]) * std::sin(sweep.PhaseDeg[i] * kDegreesToRadians);
}

}  // namespace

char ReactanceSignChar(ReactanceSign sign) {
    switch (sign) {
        case ReactanceSign::Plus:
            return '+';
        case ReactanceSign::Minus:
            return '-';
        default:
            return '?';
    }
}

std::complex<double> SignedGamma(double rho, double phaseDeg, ReactanceSign sign) {
    const double phi = std::fabs(phaseDeg) * kDegreesToRadians;
    return {rho * std::cos(phi), SignFactor(sign) * rho * std::sin(phi)};
}

struct ReactanceSignFinder::Work {
    HarmonicGrid grid;
    std::vector<double> re;
    std::vector<float> spectrum;
    std::vector<float> time;
    std::vector<std::complex<float>> back;
    std::unique_ptr<InverseRealFft> inverse;
    std::unique_ptr<ForwardRealFft> forward;
    std::vector<double> im;  // the reconstruction at every bin

    // Im G at every bin from Re G alone: Re G taken flat above the top,
    // transformed to the even part of the impulse response, folded onto
    // t > 0 (the response is causal) and transformed back.
    void reconstruct(const TimeDomainSweep& sweep) {
        grid = HarmonicGridOf(sweep);
        ReGammaOnGrid(sweep, grid, re);
        const std::size_t nfft = SignTransformLength(grid.bins);
        const std::size_t half = nfft / 2;
        if (!inverse || inverse->size() != nfft) {
            inverse = std::make_unique<InverseRealFft>(nfft);
            forward = std::make_unique<ForwardRealFft>(nfft);
            time.assign(nfft, 0.0f);
            back.assign(half + 1, {});
        }
        spectrum.resize(half + 1);
        for (std::size_t k = 0; k <= half; ++k) {
            spectrum[k] = static_cast<float>(re[std::min(k, grid.bins - 1)]);
        }
        inverse->inverse(spectrum, time);
        for (std::size_t n = 1; n < half; ++n) {
            time[n] *= 2.0f;
        }
        std::fill(time.begin() + static_cast<std::ptrdiff_t>(half) + 1, time.end(), 0.0f);
        forward->forward(time, back);
        im.resize(grid.bins);
        const double scale = 1.0 / static_cast<double>(nfft);
        for (std::size_t k = 0; k < grid.bins; ++k) {
            im[k] = static_cast<double>(back[k].imag()) * scale;
        }
    }

    // The reconstruction at point i, between the bins beside it.
    double imAt(std::size_t i) const {
        const double position = grid.s + static_cast<double>(i);
        const auto low = std::min(static_cast<std::size_t>(position), grid.bins - 1);
        const std::size_t high = std::min(low + 1, grid.bins - 1);
        const double t = std::clamp(position - static_cast<double>(low), 0.0, 1.0);
        return im[low] + t * (im[high] - im[low]);
    }
};

bool NeedsWideSweep(double startHz, double stopHz) {
    return startHz > kMostBelowStart * stopHz;
}

ReactanceSignFinder::ReactanceSignFinder() : work_(std::make_unique<Work>()) {}
ReactanceSignFinder::~ReactanceSignFinder() = default;

ReactanceSigns ReactanceSignFinder::signs(const TimeDomainSweep& sweep) {
    if (const auto why = CheckSweep(sweep)) {
        return {{}, *why};
    }
    const std::size_t n = sweep.Rho.size();
    const double top = sweep.StartHz + static_cast<double>(n - 1) * sweep.StepHz;
    if (NeedsWideSweep(sweep.StartHz, top)) {
        return {std::vector<ReactanceSign>(n, ReactanceSign::Unknown), {}};
    }
    ClearUpperVectorState();  // sin, cos and log at every point
    Work& w = *work_;
    w.reconstruct(sweep);
    std::vector<double> e(n), m(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double f = sweep.StartHz + static_cast<double>(i) * sweep.StepHz;
        e[i] = w.imAt(i);
        m[i] = MeasuredImMagnitude(sweep, i);
        b[i] = ErrorBound(f, sweep.StartHz, top, sweep.StepHz);
    }
    ReactanceSigns out;
    out.Signs.resize(n, ReactanceSign::Unknown);
    const std::vector<std::size_t> starts = StretchStarts(m, sweep.Rho, sweep.PhaseDeg, e);
    FitTopError(e, m, starts, sweep.StartHz, sweep.StepHz, top);
    for (std::size_t s = 0; s + 1 < starts.size(); ++s) {
        const std::size_t from = starts[s], count = starts[s + 1] - from;
        const ReactanceSign sign = StretchSign(&e[from], &m[from], &b[from], count);
        std::fill_n(out.Signs.begin() + static_cast<std::ptrdiff_t>(from), count, sign);
        OverruleAtPoints(e, b, from, count, out.Signs);
    }
    return out;
}

ReactanceSigns ReactanceSignFinder::signs(const TimeDomainSweep& narrow,
                                          const TimeDomainSweep& wide) {
    if (const auto why = CheckSweep(narrow)) {
        return {{}, *why};
    }
    ReactanceSigns wideSigns = signs(wide);
    if (!wideSigns.error.empty()) {
        return {{}, "the wide sweep: " + wideSigns.error};
    }
    // The wide sweep's signed Im G, and whether its sign is known, at a
    // frequency: linear between its two points beside it.
    const std::size_t wn = wide.Rho.size();
    const auto wideAt = [&](double f, bool& known) {
        const double position = (f - wide.StartHz) / wide.StepHz;
        if (position < 0.0 || position > static_cast<double>(wn - 1)) {
            known = false;
            return 0.0;
        }
        const auto low = std::min(static_cast<std::size_t>(position), wn - 2);
        const double t = position - static_cast<double>(low);
        const auto signedIm = [&](std::size_t i) {
            return SignFactor(wideSigns.Signs[i]) * MeasuredImMagnitude(wide, i);
        };
        known = wideSigns.Signs[low] != ReactanceSign::Unknown &&
                wideSigns.Signs[low + 1] != ReactanceSign::Unknown;
        return signedIm(low) + t * (signedIm(low + 1) - signedIm(low));
    };
    const std::size_t n = narrow.Rho.size();
    std::vector<double> e(n), m(n), b(n, 0.0);
    std::vector<bool> covered(n);
    for (std::size_t i = 0; i < n; ++i) {
        bool known = false;
        e[i] = wideAt(narrow.StartHz + static_cast<double>(i) * narrow.StepHz, known);
        covered[i] = known;
        m[i] = MeasuredImMagnitude(narrow, i);
    }
    ReactanceSigns out;
    out.Signs.resize(n, ReactanceSign::Unknown);
    const std::vector<std::size_t> starts = StretchStarts(m, narrow.Rho, narrow.PhaseDeg, e);
    for (std::size_t s = 0; s + 1 < starts.size(); ++s) {
        const std::size_t from = starts[s], count = starts[s + 1] - from;
        // The points the wide sweep covers speak for the whole stretch,
        // since the sign holds between the places where it may change.
        for (std::size_t i = from; i < from + count; ++i) {
            if (!covered[i]) {
                e[i] = m[i] = 0.0;
            }
        }
        const ReactanceSign sign = StretchSign(&e[from], &m[from], &b[from], count);
        std::fill_n(out.Signs.begin() + static_cast<std::ptrdiff_t>(from), count, sign);
    }
    return out;
}

ReactanceSigns CausalReactanceSigns(const TimeDomainSweep& sweep) {
    ReactanceSignFinder finder;
    return finder.signs(sweep);
}

ReactanceSigns CausalReactanceSigns(const TimeDomainSweep& narrow, const TimeDomainSweep& wide) {
    ReactanceSignFinder finder;
    return finder.signs(narrow, wide);
}
