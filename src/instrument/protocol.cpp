#include "instrument/protocol.h"

#include <cmath>

#include "common/rounding.h"

namespace {

// A frequency for a message: whole hertz as an integer, otherwise up to three
// decimals; never in the user's locale.
QString HzText(double hz) {
    if (!std::isfinite(hz)) {
        return QString::number(hz);
    }
    if (hz == std::trunc(hz) && std::fabs(hz) < 1e15) {
        return QString::number(hz, 'f', 0);
    }
    QString text = QString::number(hz, 'f', 3);
    while (text.endsWith(QLatin1Char('0'))) {
        text.chop(1);
    }
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text;
}

QString BeyondRange(const char* what, double hz) {
    return QStringLiteral("%1 %2 Hz is beyond the instrument's range")
        .arg(QLatin1String(what), HzText(hz));
}

}  // namespace

QByteArray CommandLine(std::int32_t value) {
    QByteArray line;
    if (value >= 0) {
        line.append(' ');
    }
    line.append(QByteArray::number(value));
    line.append('\r');
    return line;
}

std::optional<std::int32_t> FrequencyWord(double hz) {
    return ToInt32HalfEven(hz * kFrequencyWordFactor);
}

EncodedCommand EncodeSweepCommand(float FMin, double FreqStep, std::int32_t Champ,
                                  float TransmissionMode) {
    EncodedCommand command;
    const auto start = FrequencyWord(static_cast<double>(FMin));
    if (!start) {
        command.error = BeyondRange("Start frequency", static_cast<double>(FMin));
        return command;
    }
    const auto step = FrequencyWord(FreqStep);
    if (!step) {
        command.error = BeyondRange("Frequency step", FreqStep);
        return command;
    }
    if (Champ < 1) {
        command.error = QStringLiteral("Number of points %1 is not valid").arg(Champ);
        return command;
    }
    const std::int32_t mode = TransmissionMode == 1.0f ? 1 : 0;
    command.lines = {CommandLine(mode), CommandLine(*start), CommandLine(Champ),
                     CommandLine(*step)};
    return command;
}

EncodedCommand EncodeSingleFrequencyCommand(float FMin) {
    EncodedCommand command;
    const auto start = FrequencyWord(static_cast<double>(FMin));
    if (!start) {
        command.error = BeyondRange("Start frequency", static_cast<double>(FMin));
        return command;
    }
    command.lines = {CommandLine(1), CommandLine(*start), CommandLine(1), CommandLine(0)};
    return command;
}

bool DecodeSweepReply(const std::uint8_t* reply, std::size_t size, float* phase, float* magnitude,
                      std::int32_t Champ) {
    if (Champ < 0 || static_cast<std::int64_t>(size) != ReplyBytes(Champ)) {
        return false;
    }
    // Two passes, phase first, as the analyser's records interleave the two
    // readings; a high part above 3 is a corrupt reading and keeps the old one.
    const std::uint8_t* record = reply;
    for (std::int32_t k = 1; k <= Champ; ++k, record += kBytesPerRecord) {
        const unsigned high = record[1];
        if (high <= 3) {
            phase[k] = static_cast<float>(record[0] + 256u * high);
        }
    }
    record = reply;
    for (std::int32_t k = 1; k <= Champ; ++k, record += kBytesPerRecord) {
        const unsigned high = record[3];
        if (high <= 3) {
            magnitude[k] = static_cast<float>(record[2] + 256u * high);
        }
    }
    return true;
}

WholeReadings WholeReadingsOf(std::span<const std::uint8_t> reply, std::int32_t Champ) {
    WholeReadings whole;
    if (Champ < 0 || static_cast<std::int64_t>(reply.size()) != ReplyBytes(Champ)) {
        return whole;
    }
    whole.phase.assign(static_cast<std::size_t>(Champ) + 1, 1);
    whole.magnitude.assign(static_cast<std::size_t>(Champ) + 1, 1);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(Champ); ++k) {
        const std::uint8_t* record = reply.data() + (k - 1) * kBytesPerRecord;
        whole.phase[k] = record[1] <= 3;
        whole.magnitude[k] = record[3] <= 3;
    }
    return whole;
}

bool DecodeSweepReply(std::span<const std::uint8_t> reply, std::span<float> phase,
                      std::span<float> magnitude) {
    if (reply.size() % kBytesPerRecord != 0) {
        return false;
    }
    const std::size_t champ = reply.size() / kBytesPerRecord;
    if (champ > static_cast<std::size_t>(INT32_MAX) || phase.size() < champ + 1 ||
        magnitude.size() < champ + 1) {
        return false;
    }
    return DecodeSweepReply(reply.data(), reply.size(), phase.data(), magnitude.data(),
                            static_cast<std::int32_t>(champ));
}

std::int64_t ReplyDeadlineMs(std::int64_t bytes) {
    // The analyser streams its records as it measures, so the reply takes at
    // least its wire time (10 bits a byte at 115200 baud: 2.1 s for 6000
    // points). A quarter more covers the analyser's own measuring and a USB
    // adapter's buffering, which grow with the reply; 500 ms covers what does
    // not: scheduling, USB polling and the analyser starting the sweep.
    const std::int64_t n = bytes > 0 ? bytes : 0;
    const std::int64_t wireMs = (n * 10 * 1000 + kBaudRate - 1) / kBaudRate;
    return wireMs + wireMs / 4 + 500;
}
