#pragma once

#include <cstdint>
#include <vector>

// The raw sweep: one magnitude and one phase count (0..1023, held as floats)
// per point, indices 0..Champ. Sized at load to Champ, to a sweep file's own
// number of points when one is opened, and back to Champ when sweeps resume;
// every reader takes the size from champ() at the time it reads, and may then
// index 0..champ() without checks. Element 0 is never written by the
// instrument; only an opened file fills it.
struct SweepBuffers {
    std::vector<float> MagnitudeSamples;
    std::vector<float> PhaseSamples;
    std::vector<double> ReservedSamples;  // only the sweep files touch it

    void resize(std::int32_t champ) {
        const auto n = static_cast<std::size_t>(champ) + 1;
        MagnitudeSamples.assign(n, 0.0f);
        PhaseSamples.assign(n, 0.0f);
        ReservedSamples.assign(n, 0.0);
    }
    std::int32_t champ() const { return static_cast<std::int32_t>(MagnitudeSamples.size()) - 1; }
};
