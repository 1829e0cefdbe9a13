#pragma once

#include <string>
#include <string_view>
#include <vector>

// The amateur bands of the IARU regions, read from the plan compiled in from
// iaru_bands.txt (one band a line: region, name, low and high MHz).
struct AmateurBand {
    int region = 0;  // 1..3
    std::string name;
    double lowHz = 0;
    double highHz = 0;
};

// Either every band of the text, or the first faulty line (counted from 1)
// and why; a fault leaves no bands.
struct BandPlanParse {
    std::vector<AmateurBand> bands;
    int errorLine = 0;
    std::string error;
};

// Strict, as the plan is this program's own file: a region 1..3, a name, two
// finite frequencies with low < high, nothing more on the line, and no two
// bands of one region overlapping. Frequencies are kept to the hertz.
BandPlanParse ParseBandPlan(std::string_view text);

// The text of iaru_bands.txt, as it was when the program was built.
std::string_view BuiltInBandPlanText();

// The bands of one region (1..3) of the built-in plan, lowest first; none for
// any other region (the shading is off).
std::vector<AmateurBand> BuiltInBands(int region);

// The parts of the bands inside [fMinHz, fMaxHz], clipped, lowest first (for
// the shading). A band that only touches the range gives nothing, and so does
// an empty range (fMinHz >= fMaxHz) or one with a bound that is not finite.
struct BandSpan {
    double lowHz = 0;
    double highHz = 0;
    std::string name;
};
std::vector<BandSpan> BandSpansIn(const std::vector<AmateurBand>& bands, double fMinHz,
                                  double fMaxHz);
