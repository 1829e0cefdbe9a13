#pragma once

#include <complex>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "timedomain/time_domain.h"

// The sign of the reactance, which the detector does not give, recovered by
// causality. G of a passive one-port is the transform of a causal response,
// so Im G is the Hilbert transform of Re G = |G| cos |phi|, which is measured
// exactly. Only the sign is taken from the reconstruction: |Im G| stays the
// measured |G| sin |phi|. The sign can change only where the measured |Im G|
// passes through zero, so it is decided for each stretch between such places
// from all of the stretch's points together, weighed by how far the
// reconstruction can be trusted there; where it cannot, the sign is unknown.
enum class ReactanceSign : std::int8_t { Minus = -1, Unknown = 0, Plus = 1 };

// '+', '-' or '?'.
char ReactanceSignChar(ReactanceSign sign);

// +1 for Plus and Unknown (the measured magnitude, unsigned), -1 for Minus.
inline double SignFactor(ReactanceSign sign) {
    return sign == ReactanceSign::Minus ? -1.0 : 1.0;
}

// G from the measured |G| and |phi| (degrees) with the sign applied to Im G
// (positive where unknown).
std::complex<double> SignedGamma(double rho, double phaseDeg, ReactanceSign sign);

struct ReactanceSigns {
    std::vector<ReactanceSign> Signs;  // one per sweep point; empty with an error
    std::string error;                 // why there are none, in words
};

// Keeps the FFT plans from sweep to sweep (make one and call it every tick).
class ReactanceSignFinder {
public:
    ReactanceSignFinder();
    ~ReactanceSignFinder();
    ReactanceSignFinder(const ReactanceSignFinder&) = delete;
    ReactanceSignFinder& operator=(const ReactanceSignFinder&) = delete;

    // The signs of a reflection sweep from its own points. A sweep too
    // narrow to show causality (its band far from DC) gets Unknown.
    ReactanceSigns signs(const TimeDomainSweep& sweep);

    // A narrow sweep's signs from a wide sweep of the same load: the wide
    // sweep's signed Im G interpolated onto the narrow points. A stretch of
    // the narrow sweep that the wide one covers nowhere, or only where its
    // own signs are unknown, is Unknown.
    ReactanceSigns signs(const TimeDomainSweep& narrow, const TimeDomainSweep& wide);

private:
    struct Work;
    std::unique_ptr<Work> work_;
};

// A sweep too narrow to show causality by itself takes its signs from a
// quick wide sweep of the same load: 1 to 180 MHz in a few hundred points,
// a seventh of a second on the wire.
struct WideSweepPlan {
    float FMin = 1.0e6f;  // Hz
    float FMax = 180.0e6f;
    std::int32_t Champ = 400;
    double FreqStep() const {
        return (static_cast<double>(FMax) - static_cast<double>(FMin)) / Champ;
    }
};
// Whether a sweep from startHz to stopHz lies too far from DC for its own
// signs: signs(sweep) would give every point Unknown.
bool NeedsWideSweep(double startHz, double stopHz);

// One-off forms of the above.
ReactanceSigns CausalReactanceSigns(const TimeDomainSweep& sweep);
ReactanceSigns CausalReactanceSigns(const TimeDomainSweep& narrow, const TimeDomainSweep& wide);
