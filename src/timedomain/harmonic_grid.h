#pragma once

#include <cstddef>
#include <vector>

#include "timedomain/time_domain.h"

// Where the harmonic grid f_k = k x step meets the sweep: the first bin at or
// above the first point, and the last at or below the last point. The sweep
// starts at start / step = s steps above DC. Both the time domain and the
// sign of the reactance read Re G on it.
struct HarmonicGrid {
    double s = 0.0;
    std::size_t first = 0;
    std::size_t bins = 0;  // DC to the last bin
};

HarmonicGrid HarmonicGridOf(const TimeDomainSweep& sweep);

// |G| as the transforms take it: within 0..RhoCeiling.
double HeldRho(double rho);

// Re G = |G| cos |phi| of point i.
double ReGammaAt(const TimeDomainSweep& sweep, std::size_t i);

// Re G at every bin, DC to the last: linear between the points from the
// first point up, and below it fitted down to DC.
void ReGammaOnGrid(const TimeDomainSweep& sweep, const HarmonicGrid& grid, std::vector<double>& re);
