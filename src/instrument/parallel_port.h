#pragma once

#include <cstdint>
#include <string>

// A byte written to the data register of the parallel port at Address1.
// Address 0 means no port is configured: the writes are skipped silently.
class ParallelPort {
public:
    virtual ~ParallelPort() = default;
    virtual void Out(std::int16_t address, std::uint8_t value) = 0;
    // A problem to tell the user once (no such port, no permission); empty
    // when there is nothing to say. Taking it clears it.
    virtual std::string takeNotice() = 0;
};

// The one test for "no parallel port configured" (Address1 missing from the
// settings file reads as 0); every writer asks it before touching a port.
constexpr bool ParallelPortConfigured(std::int16_t address) {
    return address != 0;
}
