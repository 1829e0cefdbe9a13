#pragma once

#include <cstdint>

class ParallelPort;

// Byte sequences for the device on the parallel port's data register.
// Bit 0 is the data line, bit 1 the clock, bit 2 the latch; bits 3 and 4 are
// held high while the device is being reset.
namespace ParallelValue {
constexpr std::uint8_t AllLow = 0;
constexpr std::uint8_t Idle = 24;   // bits 3 and 4
constexpr std::uint8_t Clock = 26;  // clock raised, data low
constexpr std::uint8_t Latch = 28;  // latch raised
}  // namespace ParallelValue

// Zero bits clocked into the device before the latch pulse of a reset.
constexpr int ParallelResetClocks = 40;

// Each of these writes nothing when address is 0 (no port configured).

// Clocks one zero bit into the device: 24, 26.
void ParallelClockZero(ParallelPort& port, std::int16_t address);
// One pulse on the latch line: 24, 28, 24.
void ParallelLatch(ParallelPort& port, std::int16_t address);
// The reset at window load: 40 zero bits, then the latch (83 writes).
void ParallelReset(ParallelPort& port, std::int16_t address);
// Every measurement tick sets all data lines low.
void ParallelTickClear(ParallelPort& port, std::int16_t address);
