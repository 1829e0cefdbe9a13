#include "instrument/parallel_sequences.h"

#include "instrument/parallel_port.h"

namespace {
void Write(ParallelPort& port, std::int16_t address, std::uint8_t value) {
    if (ParallelPortConfigured(address)) {
        port.Out(address, value);
    }
}
}  // namespace

void ParallelClockZero(ParallelPort& port, std::int16_t address) {
    Write(port, address, ParallelValue::Idle);
    Write(port, address, ParallelValue::Clock);
}

void ParallelLatch(ParallelPort& port, std::int16_t address) {
    Write(port, address, ParallelValue::Idle);
    Write(port, address, ParallelValue::Latch);
    Write(port, address, ParallelValue::Idle);
}

void ParallelReset(ParallelPort& port, std::int16_t address) {
    for (int i = 0; i < ParallelResetClocks; ++i) {
        ParallelClockZero(port, address);
    }
    ParallelLatch(port, address);
}

void ParallelTickClear(ParallelPort& port, std::int16_t address) {
    Write(port, address, ParallelValue::AllLow);
}
