#pragma once

// A simulated device measured as the program measures it: the sweep command
// the program encodes, the simulator's detector counts, the program's
// decoding and conversion. For tests that link the simulator's models.
#include <span>

#include "command_reader.h"
#include "common/sweep_buffers.h"
#include "dut_models.h"
#include "instrument/protocol.h"
#include "timedomain/sweep_input.h"

namespace SimSweep {

// One sweep of the model from fMin to fMax in Champ points, as the program
// commands it and decodes the reply.
inline SweepBuffers Measure(const Sim::DutSettings& dut, std::int32_t Champ, float mode, float fMin,
                            float fMax) {
    const EncodedCommand encoded =
        EncodeSweepCommand(fMin, (double(fMax) - fMin) / Champ, Champ, mode);
    QByteArray lines;
    for (const QByteArray& line : encoded.lines) {
        lines += line;
    }
    Sim::CommandReader reader;
    std::vector<Sim::CommandReader::Event> events;
    reader.feed(lines, 0, &events);
    Sim::SweepCommand command;
    for (const auto& e : events) {
        if (e.kind == Sim::CommandReader::Event::Kind::Command) {
            command = e.command;
        }
    }
    const QByteArray reply = Sim::ReplyFor(dut, command);
    SweepBuffers buffers;
    buffers.resize(Champ);
    DecodeSweepReply(reinterpret_cast<const std::uint8_t*>(reply.constData()),
                     static_cast<std::size_t>(reply.size()), buffers.PhaseSamples.data(),
                     buffers.MagnitudeSamples.data(), Champ);
    return buffers;
}

inline TimeDomainSweep SweepOf(const SweepBuffers& buffers, float fMin, float fMax,
                               std::span<const double> errors = {}) {
    SweepExportInput in;
    in.MagnitudeSamples = buffers.MagnitudeSamples;
    in.PhaseSamples = buffers.PhaseSamples;
    in.Champ = buffers.champ();
    in.FMin = fMin;
    in.FMax = fMax;
    in.LossErrors = errors;
    return TimeDomainSweepFrom(in);
}

}  // namespace SimSweep
