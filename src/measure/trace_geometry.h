#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "measure/conversion.h"
#include "measure/trace_scale.h"

// Where the six traces of one pass run on picGraph1, in twips (origin at the
// top left, y growing downwards). The painter draws these batches as they
// are; points outside the graph are kept and clipped when painted. Every
// coordinate is finite.

struct Segment {
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
};

struct TraceEnables {
    bool Phase = false;  // chkPH
    bool Loss = false;   // chkRL
    bool Z = false;      // chkZ
    bool Xs = false;     // chkXS
    bool Rs = false;     // chkRS
    bool Swr = false;    // chkSWR
    bool operator==(const TraceEnables&) const = default;
};

// Everything one pass reads. The buffers hold indices 0..Champ.
struct TracePass {
    const float* MagnitudeSamples = nullptr;
    const float* PhaseSamples = nullptr;
    std::int32_t Champ = 0;  // at most 32767 counts; more are not visited
    std::int16_t Step = 1;   // below 1 counts as 1
    float H = 0.0f;          // graph height, twips
    float PointWidth = 0.0f;
    float CalOffsetDb = 0.0f;
    double LossOffset = 0.0;     // already parsed from the offset box
    std::uint8_t LossScale = 1;  // 1, or 2 with "Scale X2"; below 1 counts as 1
    TraceEnables Enabled;
    GraphScales Scales;  // the designed scales unless the View menu chose others
    // A normalisation's loss error of each point 0..Champ, dB; null: none.
    // It moves the loss trace, the best match and every impedance trace; the
    // phase stays.
    const double* LossErrors = nullptr;
    // The sign of the reactance of each point 0..Champ, inferred: -1 draws
    // Xs below a zero line at mid-height (+1 and 0, unknown, above it), each
    // way at half the ohm scale. Null: |Xs| on the ohm scale.
    const std::int8_t* XsSigns = nullptr;
};

// x of a frequency on a graph W twips wide from FMin at its left edge to
// FMax at its right, where the point of that frequency is drawn; 0 when the
// two are one.
float FrequencyX(double hz, float FMin, float FMax, float W);

// Where the signed Xs trace has its zero: half way up the ohm scale.
float SignedXsZeroY(OhmScale scale, float H);

// The pens carried from one pass to the next; all start at 0 with the window.
struct PenState {
    float CarryYLoss = 0.0f;   // H - H * n / 512 of the last point of the pass
    float CarryYPhase = 0.0f;  // H * p / 1024 of the last point of the pass
    float LastYZ = 0.0f;       // each last y changes only while its trace is on
    float LastYXs = 0.0f;
    float LastYRs = 0.0f;
    float LastYSwr = 0.0f;
};

// Reused from pass to pass: the vectors are cleared, never shrunk, so after the
// first pass no memory is taken.
struct LossPhaseGeometry {
    std::vector<Segment> Phase;
    std::vector<Segment> Loss;
    BestMatchResult Best;
};

struct ImpedanceGeometry {
    std::vector<Segment> Z;
    std::vector<Segment> Xs;
    std::vector<Segment> Rs;
    std::vector<Segment> Swr;
    PointValues Last;  // the last point converted (the window keeps Rho, Rs, Xs, Zmag, Swr)
    // Kept from pass to pass while the offsets stay the same.
    std::optional<PointConverter> Converter;
    // Per visited point, reused from pass to pass.
    struct Columns {
        std::vector<float> x1, x2, Zmag, Xs, Rs, Swr, y;
    } Work;
};

// The last index and the step a pass visits: counts beyond the counter's
// limit are not visited, and a step below 1 counts as 1.
inline std::int32_t PassLastIndex(const TracePass& pass) {
    return pass.Champ < Conversion::CounterLimit ? pass.Champ : Conversion::CounterLimit;
}
inline std::int32_t PassStep(const TracePass& pass) {
    return pass.Step < 1 ? 1 : pass.Step;
}

// Horizontal distance between adjacent points: graph width / Champ. 0 when
// Champ is below 1.
float ComputePointWidth(float width, std::int32_t Champ);

// Phase and loss traces and the best-match search: points 1, 1 + Step, ...,
// Champ. Each pass starts both pens at x = 1 (phase at y = 0, loss at the
// carried y), so its first segment comes in from the left edge. The carries
// are updated for every point, whether the trace is on or not.
void PlotLossPhasePass(const TracePass& pass, PenState& pen, LossPhaseGeometry& out);

// |Z|, |Xs|, Rs and SWR: points 0, Step, 2 * Step, ..., Champ are converted;
// each enabled trace gets a segment from (i * PointWidth, its last y) to
// (i * PointWidth + PointWidth, y), so with Step > 1 these segments do not
// join.
void PlotImpedancePass(const TracePass& pass, PenState& pen, ImpedanceGeometry& out);
