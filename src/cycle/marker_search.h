#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cycle/marker_readouts.h"

// Rules of the markers beyond the mouse: the points a marker can stand on,
// the keys that move it, and the searches of the Markers menu. The searches
// read each point as its readout row would show it, so a marker lands where
// its readouts agree with what was searched for.

// The plotted points a marker can stand on: the multiples of Step from Step
// to Champ (only Champ when Step is larger).
struct MarkerPoints {
    std::int32_t first = 1;
    std::int32_t last = 1;
    std::int32_t step = 1;
};
MarkerPoints MarkerPointsOf(std::int32_t Champ, std::int16_t Step);

enum class MarkerKey { One, Two, Left, Right, Home, End };

// What a key on the graph does: 1 and 2 make that marker the active one;
// Left and Right move the active marker by one point (by a hundredth of the
// sweep, whole points, with Shift); Home and End to the first and last point.
struct MarkerKeyResult {
    int active = 1;                      // 1 or 2
    std::optional<std::int32_t> moveTo;  // the active marker's new index
};
MarkerKeyResult MarkerKeyMove(MarkerKey key, bool shift, int active, std::int32_t index,
                              const MarkerPoints& points);

// The point a marker can stand on nearest hz on a sweep from FMin in steps of
// FreqStep: none when hz lies more than half a stride (Step points) beyond
// the first or the last of them, or the step is 0.
std::optional<std::int32_t> MarkerPointAt(double hz, double FMin, double FreqStep,
                                          const MarkerPoints& points);

// The x of a marker line that stands on index: MarkerIndex gives index back.
float MarkerLineX(std::int32_t index, float W, std::int32_t Champ);

// Each marker point's SWR, |Z| and loss as the readouts show them (NaN where
// a readout shows no value).
struct ReadoutPoints {
    std::vector<std::int32_t> index;
    std::vector<double> swr, z, loss;
};
ReadoutPoints ReadoutValuesAt(const MarkerReadoutInputs& base, const MarkerPoints& points);

// The point of the smallest or largest value; the first of equals. None when
// no point has a value.
std::optional<std::int32_t> LowestAt(const ReadoutPoints& p, const std::vector<double>& values);
std::optional<std::int32_t> HighestAt(const ReadoutPoints& p, const std::vector<double>& values);

// The nearest points below and above centre whose value reaches the
// threshold (compared in hundredths, as the readouts show them); none on a
// side that never reaches it.
struct EitherSide {
    std::optional<std::int32_t> below, above;
};
EitherSide NearestReaching(const ReadoutPoints& p, const std::vector<double>& values,
                           std::int32_t centre, double threshold);
