#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "instrument/parallel_port.h"

// A parallel port that only remembers what was written to it, in order.
// Used where no real port may be touched: tests and the demo.
class RecordingParallelPort final : public ParallelPort {
public:
    struct Write {
        std::int16_t address;
        std::uint8_t value;
        bool operator==(const Write&) const = default;
    };

    void Out(std::int16_t address, std::uint8_t value) override {
        writes_.push_back({address, value});
    }
    std::string takeNotice() override { return std::exchange(notice_, {}); }

    // Lets a caller check how notices reach the user.
    void setNotice(std::string notice) { notice_ = std::move(notice); }

    const std::vector<Write>& writes() const { return writes_; }
    void clear() { writes_.clear(); }

private:
    std::vector<Write> writes_;
    std::string notice_;
};
