#pragma once

#include "files/sweep_export.h"
#include "timedomain/time_domain.h"

// The sweep on the graph as the time domain reads it: points 1..Champ of the
// buffers, point i at FMin + i x (FMax - FMin) / Champ, each converted as the
// readouts convert it (the calibration offset of the mode, the loss offset,
// and the normalisation's loss error of the point when there is one). |phi|
// is the angle the conversion works with (the phase count x 0.176 / 57.324
// radians), in degrees, so that |G| cos |phi| is its GammaRe. A sweep whose
// buffers hold fewer than Champ + 1 counts gives no points, which the
// transform refuses.
TimeDomainSweep TimeDomainSweepFrom(const SweepExportInput& in);
