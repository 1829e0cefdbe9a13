#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The point-by-point mean of the counts of the last N complete sweeps. Sums
// are kept in doubles, where whole counts add and drop out exactly, and the
// mean keeps its fraction.
class RunningMean {
public:
    // 1 is off; the choices offered are 1, 2, 4, 8 and 16.
    static constexpr int Choices[] = {1, 2, 4, 8, 16};

    // Averages the last n sweeps (at least 1) and starts again.
    void setLength(int n);
    int length() const { return length_; }
    // Sweeps in the mean so far, 0..length().
    int count() const { return count_; }
    void restart();

    // A complete sweep's counts in, the mean of it and the sweeps before it
    // out, in the same arrays. A sweep of another size than the last starts
    // the mean again. A reading whose mask entry is 0 did not come whole (the
    // array holds an older value there) and is left out of the mean at that
    // point; an empty mask takes every reading.
    void add(std::span<float> magnitude, std::span<float> phase,
             std::span<const std::uint8_t> magnitudeCame = {},
             std::span<const std::uint8_t> phaseCame = {});

private:
    // One reading's sums over the sweeps that brought it, and how many did.
    struct Sums {
        std::vector<double> sum;
        std::vector<int> count;
        void reset(std::size_t points);
        // The slot's old reading out, the new one in, the mean written back.
        void step(std::span<float> values, std::span<const std::uint8_t> came,
                  std::vector<float>& slot, bool full);
    };

    int length_ = 1;
    int count_ = 0;
    std::size_t next_ = 0;  // ring slot the next sweep goes to
    std::size_t points_ = 0;
    // The last sweeps, a ring; a reading that did not come is NaN.
    std::vector<std::vector<float>> magnitude_, phase_;
    Sums magnitudeSums_, phaseSums_;
};
