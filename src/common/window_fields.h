#pragma once

#include <cstdint>

// The fields of the main window that several subsystems share. They start at
// zero when the window is created; each is written by one owner (noted) and
// read elsewhere. Types are the instrument program's own: 32-bit floats where
// the arithmetic is single precision.
struct WindowFields {
    float Running = 0.0f;           // RUN: 1.0 running, 0 stopped
    std::uint8_t Busy = 0;          // single-frequency exchange in flight
    float TransmissionMode = 0.0f;  // toolbar: 1.0 in Transmission
    double FreqStep = 0.0;          // Hz per point, from the tick
    float CalOffsetDb = 0.0f;       // calibration offset of the current mode
    std::uint8_t LossScale = 0;     // 1, or 2 with "Scale X2"
    float PointWidth = 0.0f;        // graph width / Champ, set at load
    float BestMatchPoint = 0.0f;    // index of the largest magnitude count
    std::int32_t Mkr1Index = 0;
    std::int32_t Mkr2Index = 0;
    std::int32_t Mkr3Index = 0;
    double Bandwidth = 0.0;         // Hz between markers 1 and 2
    float CosPhi = 0.0f;            // scratch of the conversions
    float SinPhi = 0.0f;
    float GammaRe = 0.0f;
    float GammaIm = 0.0f;
    // Written by the readouts of each tick
    float Mkr1Rho = 0.0f;
    float Mkr2Rho = 0.0f;
    float Mkr3Rho = 0.0f;
    float Mkr1Uh = 0.0f;  // |Xs| as microhenry and picofarad, 2 decimals
    float Mkr2Uh = 0.0f;
    float Mkr1Pf = 0.0f;
    float Mkr2Pf = 0.0f;
    float MinCableLoss = 0.0f;  // cable loss at marker 1, dB
    float MaxCableLoss = 0.0f;  // at marker 2
};
