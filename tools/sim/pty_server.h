#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <random>

#include "command_reader.h"
#include "dut_models.h"

namespace Sim {

struct SimOptions {
    DutSettings dut;
    QString linkPath;              // symlink to the pty's device, made at start, removed at exit
    bool pace = false;             // send at the wire rate of 115200 baud, 10 bits per byte
    FaultSetting fault;            // one fault on every exchange, or random:P
    std::int64_t hangupAfter = 0;  // hang up during the reply of exchange N (0: never)
    bool stamp = false;            // record 1's phase count carries the exchange number
    std::uint32_t seed = 1;
    double noiseCounts = 0.0;  // detector noise, standard deviation in counts
    bool verbose = false;
};

// The analyser's end of a pseudo-terminal. A single-threaded poll loop: reads
// command lines, answers each sweep command with its reply, optionally paced
// at the wire rate (or a fraction of it, or late) against the monotonic
// clock, and ends on SIGTERM, SIGINT
// or SIGHUP (through a signalfd, so there is no global state).
class PtyServer {
public:
    explicit PtyServer(const SimOptions& options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pty (raw, 115200), the link, and blocks the stop signals.
    bool open(QString* error);
    QString devicePath() const { return devicePath_; }

    // Serves until a stop signal or a hangup fault; the exit code.
    int run();

private:
    struct Reply {
        Outgoing out;
        qsizetype sent = 0;
        std::int64_t startNs = 0;
    };

    void readInput(std::int64_t nowNs);
    void startNextReply(std::int64_t nowNs);
    Outgoing spoil(QByteArray reply);
    double bytesPerSecond() const;  // 0: all at once
    qsizetype replyEnd() const;
    qsizetype dueBytes(std::int64_t nowNs) const;
    std::int64_t nextDueNs() const;
    bool pump(std::int64_t nowNs);  // false: write failed
    void clientGone();
    void drainSlave();
    void waitForClient();
    void log(const QString& text) const;
    void cleanUp();

    SimOptions options_;
    std::mt19937 random_;
    std::mt19937 noiseRandom_;
    int master_ = -1;
    int signals_ = -1;
    int watch_ = -1;  // inotify on the device: tells when a client opens it
    QString devicePath_;
    bool linkMade_ = false;
    CommandReader reader_;
    std::deque<SweepCommand> queue_;
    Reply reply_;
    bool replying_ = false;
    bool hangingUp_ = false;
    std::int64_t exchanges_ = 0;
};

}  // namespace Sim
