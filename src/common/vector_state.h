#pragma once

// Marks the upper halves of the AVX registers clean on this thread.
//
// Some library code that runs on the window's thread (inside QtGui) leaves
// them dirty. On processors that track the state, every later switch between
// the SSE code we are compiled to and libm's AVX routines (cos, atan2, pow)
// then costs a state transition: the time domain's resampling, two cos calls
// a bin, ran twenty times slower than on a clean thread. Call it before a
// numeric loop that calls libm; it costs one instruction, and nothing where
// there is no AVX.
void ClearUpperVectorState();
