#pragma once

#include <string>

#include "cycle/marker_readouts.h"
#include "timedomain/reactance_sign.h"

// The marker readouts of Xs with the sign by causality: what the window's Xs
// column shows when View → "Sign of X: by causality" is on.

// The readout's text with its sign before it: "+12.34", "-12.34", or
// "?12.34" where it is unknown; a readout without a value stays as it is.
std::string SignedXsText(ReactanceSign sign, const std::string& magnitude);

// The Xs column: the header says the sign is inferred ("Xs inf."), and
// beside markers 1 and 2 stands L for + ("0.25 uH"), C for - ("12.50 pF"),
// "?" where the sign is unknown.
// The header keeps the Xs trace's colour (PlainXsColumn's).
XsColumnDisplay CausalXsColumn(ReactanceSign mkr1, ReactanceSign mkr2, const MarkerReadout& r1,
                               const MarkerReadout& r2, float colorS3);
