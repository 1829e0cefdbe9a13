#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The analyser's wire format: decimal command lines out, 4-byte sample records
// back. Pure rules: no port, no widgets.

// Hertz to the analyser's frequency units, exactly as the firmware expects it.
inline constexpr double kFrequencyWordFactor = 10.737;
inline constexpr std::int64_t kBytesPerRecord = 4;
inline constexpr std::int64_t kBaudRate = 115200;

// One command line: the value in decimal, a blank before a value >= 0, a CR
// after it, no LF. 1 -> " 1\r", -5 -> "-5\r".
QByteArray CommandLine(std::int32_t value);

// hz x 10.737 in double precision, to the nearest int32 with halves to even;
// nothing when it does not fit (above about 200 007 790 Hz, or NaN).
std::optional<std::int32_t> FrequencyWord(double hz);

// The four lines of one command, or the reason it cannot be sent.
struct EncodedCommand {
    std::array<QByteArray, 4> lines;
    QString error;  // empty when the lines can be sent

    bool ok() const { return error.isEmpty(); }
};

// Mode (1 only when TransmissionMode is exactly 1.0f), start word of FMin,
// Champ, step word of FreqStep.
EncodedCommand EncodeSweepCommand(float FMin, double FreqStep, std::int32_t Champ,
                                  float TransmissionMode);

// Tunes the analyser to FMin: the lines 1, start word, 1, 0.
EncodedCommand EncodeSingleFrequencyCommand(float FMin);

// Bytes of the reply to a sweep of champ points (4 for a single frequency).
inline constexpr std::int64_t ReplyBytes(std::int32_t champ) {
    return kBytesPerRecord * static_cast<std::int64_t>(champ);
}

// Decodes a sweep reply of exactly 4 x Champ bytes: record k (1-based) goes to
// element k of phase and magnitude, element 0 is left alone. The phase pass
// runs over every record before the magnitude pass. A reading whose high part
// is above 3 keeps the element's old value. No allocation.
// phase and magnitude must hold Champ + 1 elements. Returns false, writing
// nothing, when size is not 4 x Champ.
bool DecodeSweepReply(const std::uint8_t* reply, std::size_t size, float* phase, float* magnitude,
                      std::int32_t Champ);

// Which readings of a sweep reply came whole, by element 0..Champ like the
// buffers: 1 where the high part is at most 3, 0 where DecodeSweepReply kept
// the old value. Element 0 is no reading and counts as whole. Empty when size
// is not 4 x Champ.
struct WholeReadings {
    std::vector<std::uint8_t> phase;
    std::vector<std::uint8_t> magnitude;
};
WholeReadings WholeReadingsOf(std::span<const std::uint8_t> reply, std::int32_t Champ);

// The same on spans; also refuses (false, nothing written) buffers shorter
// than Champ + 1 where Champ = reply.size() / 4.
bool DecodeSweepReply(std::span<const std::uint8_t> reply, std::span<float> phase,
                      std::span<float> magnitude);

// How long to wait for a reply of this many bytes before giving up.
std::int64_t ReplyDeadlineMs(std::int64_t bytes);
