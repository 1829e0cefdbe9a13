#pragma once
// The exchange's test rigs: the simulator on a real pseudo-terminal, or the
// analyser played by the test on a bare one, each with an exchange on the
// program's end, and the helpers the tests of both share.

#include <QtTest>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "instrument/protocol.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/sweep_exchange.h"
#include "support/test_support.h"

namespace ExchangeRig {

using TestSupport::OutcomeName;

constexpr float kFMin = 1000000.0f;
constexpr float kFMax = 180000000.0f;

inline double StepOf(std::int32_t champ) {
    return static_cast<double>(kFMax - kFMin) / champ;
}

// The caller's sample buffers, decoded the way the measurement cycle does it.
struct Buffers {
    std::vector<float> phase;
    std::vector<float> magnitude;

    explicit Buffers(std::int32_t champ, float fill = -1.0f)
        : phase(static_cast<std::size_t>(champ) + 1, fill),
          magnitude(static_cast<std::size_t>(champ) + 1, fill) {}

    void apply(const ExchangeResult& result) {
        if (result.outcome != ExchangeOutcome::Completed) {
            return;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.reply.constData());
        DecodeSweepReply(std::span(bytes, static_cast<std::size_t>(result.reply.size())),
                         std::span(phase), std::span(magnitude));
    }
    bool operator==(const Buffers&) const = default;
};

// The simulator, the real serial port on its pseudo-terminal, and an exchange.
struct Rig {
    TestSupport::SimProcess sim;
    QtSerialPortService port;
    SweepExchange exchange{port};
    QSignalSpy finished{&exchange, &SweepExchange::finished};
    QString error;

    bool start(const QStringList& arguments) {
        if (!sim.start(arguments, &error)) {
            return false;
        }
        port.setDevice(sim.ptyPath());
        return port.open(&error);
    }

    // Waits in a real event loop (QTest::qWait sleeps in 10 ms slices, which
    // would stretch the 1 ms pauses between command lines).
    bool waitFinished(qsizetype count, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (finished.size() < count && !deadline.hasExpired()) {
            finished.wait(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
        }
        return finished.size() == count;
    }

    // Runs one exchange to its end. finished() must not come from inside the
    // start call, and must come exactly once.
    std::optional<ExchangeResult> run(const std::function<std::optional<ExchangeResult>()>& go,
                                      int timeoutMs = 10000) {
        const qsizetype before = finished.size();
        if (auto immediate = go()) {
            error = QStringLiteral("answered at once: %1").arg(OutcomeName(immediate->outcome));
            return std::nullopt;
        }
        if (finished.size() != before) {
            error = QStringLiteral("finished inside the start call");
            return std::nullopt;
        }
        if (!waitFinished(before + 1, timeoutMs)) {
            error = QStringLiteral("finished %1 times").arg(finished.size() - before);
            return std::nullopt;
        }
        return finished.at(before).at(0).value<ExchangeResult>();
    }

    std::optional<ExchangeResult> sweep(std::int32_t champ, int timeoutMs = 10000) {
        return run([&] { return exchange.startSweep(kFMin, StepOf(champ), champ, 0.0f); },
                   timeoutMs);
    }
};

// The analyser played by the test on a bare pseudo-terminal, and an exchange
// on the program's end of it.
struct Scripted {
    TestSupport::PtyPair pty;
    QtSerialPortService port;
    SweepExchange exchange{port};
    QSignalSpy finished{&exchange, &SweepExchange::finished};
    QString error;

    bool open() {
        if (!pty.isValid()) {
            error = pty.error();
            return false;
        }
        port.setDevice(pty.slavePath());
        return port.open(&error);
    }
};

// What the program has written, read as the analyser would while the event
// loop runs, until it holds this many command lines or the time is up.
inline QByteArray ReadLines(TestSupport::PtyPair& pty, int lines, int timeoutMs) {
    QByteArray sent;
    const QDeadlineTimer deadline(timeoutMs);
    while (sent.count('\r') < lines && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        sent += pty.read(0, 1);
    }
    return sent;
}

inline QByteArray Joined(const EncodedCommand& command) {
    QByteArray bytes;
    for (const QByteArray& line : command.lines) {
        bytes += line;
    }
    return bytes;
}

// A reply of 50 records that no other reply shares at any byte position.
inline QByteArray RecordsOf(const char (&record)[5]) {
    return QByteArray(record, 4).repeated(50);
}

}  // namespace ExchangeRig
