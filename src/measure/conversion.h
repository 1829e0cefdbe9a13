#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

// Conversion of one sweep point's raw counts into what the graph and the
// window show, against a 50-ohm reference. The arithmetic is the instrument
// program's own: every named value is stored as a 32-bit float before the
// next step reads it, and the constants are kept as they are (the phase
// divisor is 57.324, not 180/pi), so the traces match what users know.
//
// Where that arithmetic would fault or leave the float range, a finite
// substitute takes its place; nothing non-finite ever comes out:
// - a non-finite input (NaN or infinity in n, p, CalOffsetDb or LossOffset)
//   counts as 0;
// - L beyond the float range is held at +-FLT_MAX;
// - a = 10^(L/20) above the float range is held at FLT_MAX (Rho is then a
//   tiny positive number); when a underflows so far that 1/a leaves the float
//   range (or a is 0), Rho is held at FLT_MAX;
// - D = 0 (reflection coefficient exactly 1 + 0j, an open circuit): Rs and
//   Zmag take the ohm ceiling and Xs is 0;
// - Rs, Xs and Zmag never exceed OhmCeiling (1e6 ohm), far beyond anything a
//   50-ohm bridge can tell apart;
// - Swr never exceeds SwrCeiling (999); Rho exactly 1 (SWR denominator 0)
//   gives 999.
namespace Conversion {
constexpr float OhmCeiling = 1.0e6f;
constexpr float SwrCeiling = 999.0f;
// The point loops of the instrument program counted with 16-bit integers, so
// no loop visits a point beyond this.
constexpr std::int32_t CounterLimit = 32767;
// The detector's steps: a magnitude count of 0 reads DbAtZero dB of gain and
// each count DbPerCount dB more loss; each phase count is DegreesPerCount.
constexpr double DbPerCount = 0.0587;
constexpr double DbAtZero = 20.16;
constexpr double DegreesPerCount = 0.176;
}  // namespace Conversion

struct PointValues {
    float L = 0.0f;  // loss in dB (return loss, or transmission loss)
    float a = 0.0f;  // 10^(L/20)
    float Rho = 0.0f;
    float CosPhi = 0.0f;
    float SinPhi = 0.0f;
    float GammaRe = 0.0f;
    float GammaIm = 0.0f;
    float Xs = 0.0f;  // |series reactance|, ohm
    float Rs = 0.0f;  // |series resistance|, ohm
    float Swr = 0.0f;
    float Zmag = 0.0f;  // ohm
};

// n and p are the magnitude and phase counts (0..1023); CalOffsetDb is the
// calibration offset of the current mode and LossOffset the number typed in
// the loss offset box, both in dB. LossError is a normalisation's error at
// the point, subtracted last in step 1, so an error of 0 changes no bit.
PointValues ConvertPoint(float n, float p, float CalOffsetDb, double LossOffset,
                         double LossError = 0.0);

// The count whose plain loss is the count's loss less a loss error: what the
// loss trace and the best-match search read on a normalised sweep.
inline double CountLessLossError(double n, double LossError) {
    return n - LossError / Conversion::DbPerCount;
}

// Stores a double as a 32-bit float without ever producing a non-finite
// value: beyond the float range it is held at +-FLT_MAX, NaN gives 0.
// Inline: every point of every trace goes through it.
inline float ToFiniteFloat(double v) {
    if (std::isnan(v)) {
        return 0.0f;
    }
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// The last stage of a point, from Rho and the phase's cosine and sine to
// GammaRe, GammaIm, Xs, Rs, Swr and Zmag. Inline so that a sweep's loop keeps
// the values in registers.
inline void ConvertImpedance(PointValues& v) {
    // Rho <= FLT_MAX and |CosPhi|, |SinPhi| <= 1, so both stay in range.
    v.GammaRe = static_cast<float>(static_cast<double>(v.Rho) * v.CosPhi);
    v.GammaIm = static_cast<float>(static_cast<double>(v.SinPhi) * v.Rho);

    const double re = v.GammaRe;
    const double im = v.GammaIm;
    const double D = (1.0 - re) * (1.0 - re) + im * im;  // finite: squares of floats fit a double
    if (D == 0.0) {
        // Gamma is exactly 1: an open circuit, infinite and purely resistive.
        v.Xs = 0.0f;
        v.Rs = Conversion::OhmCeiling;
    } else {
        const double ceiling = Conversion::OhmCeiling;
        v.Xs = static_cast<float>(std::min(std::fabs(50.0 * (2.0 * im) / D), ceiling));
        v.Rs = static_cast<float>(
            std::min(std::fabs(50.0 * ((1.0 - re * re) - im * im) / D), ceiling));
    }

    const double r = v.Rho;
    if (r == 1.0) {
        v.Swr = Conversion::SwrCeiling;
    } else {
        const double swr = std::fabs((r + 1.0) / (1.0 - r));
        v.Swr = static_cast<float>(std::min(swr, static_cast<double>(Conversion::SwrCeiling)));
    }

    const double xs = v.Xs;
    const double rs = v.Rs;
    v.Zmag = static_cast<float>(
        std::min(std::sqrt(xs * xs + rs * rs), static_cast<double>(Conversion::OhmCeiling)));
}

// ConvertPoint for a whole sweep at one CalOffsetDb and LossOffset, with the
// same results to the bit. The counts an instrument sends are whole numbers
// 0..1023, so the two transcendental steps (10^(L/20) and the phase's cosine
// and sine) are looked up: the loss step is computed the first time a count
// is seen, the phase step once per process. Any other count is computed in
// full. Keep one across passes: it is only rebuilt when an offset changes.
class PointConverter {
public:
    PointConverter(float CalOffsetDb, double LossOffset);

    PointValues operator()(float n, float p) {
        PointValues v;
        const int ni = CountIndex(n);
        if (ni >= 0 && loss_[ni].known) {
            v.L = loss_[ni].L;
            v.a = loss_[ni].a;
            v.Rho = loss_[ni].Rho;
        } else {
            lossMiss(n, ni, v);
        }
        phaseStep(p, v);
        ConvertImpedance(v);
        return v;
    }
    // A point of a normalised sweep: the loss step is worked in full with the
    // error taken off (an error of 0 is looked up as above).
    PointValues operator()(float n, float p, double LossError);
    // Whether this converter serves these offsets (compared bit for bit).
    bool serves(float CalOffsetDb, double LossOffset) const;

    static constexpr int Counts = 1024;

    // The table index of a whole count 0..1023, or -1 for any other value
    // (fractions from a file, NaN, out of range, and -0, whose sine keeps its
    // sign).
    static int CountIndex(float count) {
        if (!(count >= 0.0f && count < static_cast<float>(Counts)) || std::signbit(count)) {
            return -1;
        }
        const int i = static_cast<int>(count);
        return static_cast<float>(i) == count ? i : -1;
    }

    struct PhaseTable {
        float CosPhi[Counts];
        float SinPhi[Counts];
    };

private:
    struct LossStep {
        float L = 0.0f;
        float a = 0.0f;
        float Rho = 0.0f;
        bool known = false;
    };
    // The loss step in full; a whole count's result is kept in the table.
    void lossMiss(float n, int index, PointValues& v);
    static void phaseMiss(float p, PointValues& v);
    // The phase step, looked up for a whole count; both kinds of point share it.
    void phaseStep(float p, PointValues& v) const {
        const int pi = CountIndex(p);
        if (pi >= 0) {
            v.CosPhi = phases_->CosPhi[pi];
            v.SinPhi = phases_->SinPhi[pi];
        } else {
            phaseMiss(p, v);
        }
    }

    float cal_;
    double offset_;
    const PhaseTable* phases_;
    LossStep loss_[Counts];
};

struct BestMatchResult {
    std::int32_t BestMatchPoint = 0;  // index of the largest magnitude count
    float BestMatchCount = 0.0f;      // that count
};

// The best-matched point of a sweep: points 1, 1 + Step, ... up to Champ are
// visited and the strictly largest magnitude count wins, so the first of equal
// maxima is kept; when every count is 0 the result is point 0. magnitude holds
// indices 0..Champ. The counters of the instrument program were 16-bit, so
// Champ counts at most to 32767; a Step below 1 counts as 1 so the search
// always ends.
BestMatchResult BestMatch(const float* magnitude, std::int32_t Champ, std::int16_t Step);

// The same on a normalised sweep: the largest loss after the error of each
// point (indices 0..Champ) is taken off wins; BestMatchCount is the count
// that loss stands for. Without errors it is BestMatch.
BestMatchResult BestMatch(const float* magnitude, const double* LossErrors, std::int32_t Champ,
                          std::int16_t Step);
