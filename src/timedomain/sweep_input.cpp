#include "timedomain/sweep_input.h"

#include <cmath>
#include <numbers>

#include "common/vector_state.h"
#include "cycle/marker_readouts.h"
#include "measure/conversion.h"

TimeDomainSweep TimeDomainSweepFrom(const SweepExportInput& in) {
    TimeDomainSweep sweep;
    if (in.Champ < 1 || in.MagnitudeSamples.size() <= static_cast<std::size_t>(in.Champ) ||
        in.PhaseSamples.size() <= static_cast<std::size_t>(in.Champ)) {
        return sweep;
    }
    sweep.StepHz = (static_cast<double>(in.FMax) - static_cast<double>(in.FMin)) / in.Champ;
    sweep.StartHz = static_cast<double>(in.FMin) + sweep.StepHz;
    const auto points = static_cast<std::size_t>(in.Champ);
    sweep.Rho.reserve(points);
    sweep.PhaseDeg.reserve(points);
    ClearUpperVectorState();  // atan2 and pow at every point
    PointConverter convert(in.CalOffsetDb, in.LossOffset);
    for (std::size_t i = 1; i <= points; ++i) {
        const double error = LossErrorAt(in.LossErrors, static_cast<std::int32_t>(i));
        const PointValues v = convert(in.MagnitudeSamples[i], in.PhaseSamples[i], error);
        sweep.Rho.push_back(v.Rho);
        sweep.PhaseDeg.push_back(std::fabs(std::atan2(v.SinPhi, v.CosPhi)) * 180.0 /
                                 std::numbers::pi);
    }
    return sweep;
}
