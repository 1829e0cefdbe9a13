#include "pty_server.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// 115200 baud with a start and a stop bit: 10 bits per byte.
constexpr std::int64_t kWireBytesPerSecond = 115200 / 10;
// Paced replies go out in pieces of this size, as a USB serial adapter delivers them.
constexpr qsizetype kPaceChunk = 32;
// With no client on the line the master reports a hangup at once, so poll()
// cannot wait on it; the opening of the device is watched instead, and this
// is how often to look again should that watch be unavailable.
constexpr std::int64_t kNoClientPollNs = 20'000'000;

std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t{t.tv_sec} * kNsPerSecond + t.tv_nsec;
}

timespec ToTimespec(std::int64_t ns) {
    ns = std::max<std::int64_t>(0, ns);
    return {static_cast<time_t>(ns / kNsPerSecond), static_cast<long>(ns % kNsPerSecond)};
}

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString Printable(const QByteArray& line) {
    QString text;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        text += (u >= 32 && u < 127) ? QString(QChar(u))
                                     : QStringLiteral("\\x%1").arg(u, 2, 16, QChar('0'));
    }
    return text;
}

}  // namespace

// The noise draws from a generator of its own, so that a seed gives the same
// faults with noise or without.
PtyServer::PtyServer(const SimOptions& options)
    : options_(options), random_(options.seed), noiseRandom_(options.seed) {}

PtyServer::~PtyServer() {
    cleanUp();
}

bool PtyServer::open(QString* error) {
    const auto fail = [&](const QString& text) {
        *error = text;
        cleanUp();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return fail(QStringLiteral("cannot create a pseudo-terminal: %1").arg(ErrnoText()));
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        return fail(QStringLiteral("cannot name the pseudo-terminal: %1").arg(ErrnoText()));
    }
    devicePath_ = QString::fromLocal8Bit(name);

    // The line settings outlive this open as long as the master stays open, so
    // a client that does not set them still gets a raw 8-bit line.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        return fail(QStringLiteral("cannot open %1: %2").arg(devicePath_, ErrnoText()));
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);

    if (!options_.linkPath.isEmpty()) {
        const QByteArray link = options_.linkPath.toLocal8Bit();
        struct stat st {};
        if (lstat(link.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                return fail(QStringLiteral("%1 exists and is not a link; not replacing it")
                                .arg(options_.linkPath));
            }
            ::unlink(link.constData());  // a stale link of an earlier run
        }
        if (::symlink(name, link.constData()) != 0) {
            return fail(
                QStringLiteral("cannot make the link %1: %2").arg(options_.linkPath, ErrnoText()));
        }
        linkMade_ = true;
    }

    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 && inotify_add_watch(watch_, name, IN_OPEN) < 0) {
        ::close(watch_);
        watch_ = -1;
    }

    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGHUP);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    signals_ = signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals_ < 0) {
        return fail(QStringLiteral("cannot watch for signals: %1").arg(ErrnoText()));
    }
    return true;
}

void PtyServer::cleanUp() {
    if (linkMade_) {
        // Only remove the link while it is still ours.
        const QByteArray link = options_.linkPath.toLocal8Bit();
        char target[4096] = {};
        const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, n) == devicePath_) {
            ::unlink(link.constData());
        }
        linkMade_ = false;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (signals_ >= 0) {
        ::close(signals_);
        signals_ = -1;
    }
    if (watch_ >= 0) {
        ::close(watch_);
        watch_ = -1;
    }
}

void PtyServer::waitForClient() {
    pollfd fds[2] = {{signals_, POLLIN, 0}, {watch_, POLLIN, 0}};
    const timespec pause = ToTimespec(watch_ >= 0 ? 50 * kNoClientPollNs : kNoClientPollNs);
    ppoll(fds, watch_ >= 0 ? 2 : 1, &pause, nullptr);
    if (watch_ >= 0) {
        // Drop the events before the master is looked at again, so that an
        // opening that comes later is never lost.
        char events[4096];
        while (::read(watch_, events, sizeof events) > 0) {
        }
    }
}

void PtyServer::log(const QString& text) const {
    std::fprintf(stderr, "zezizav-sim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

int PtyServer::run() {
    if (options_.verbose) {
        log(QStringLiteral("serving %1 (dut %2, seed %3%4)")
                .arg(devicePath_, DutName(options_.dut.dut))
                .arg(options_.seed)
                .arg(options_.pace ? QStringLiteral(", paced") : QString()));
    }
    bool clientPresent = false;
    while (true) {
        std::int64_t now = NowNs();
        // A command that came while the last reply went out is answered now,
        // not when the next input wakes the loop.
        if (clientPresent) {
            startNextReply(now);
        }
        const bool wantWrite = replying_ && reply_.sent < dueBytes(now);
        pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                         {signals_, POLLIN, 0}};
        timespec timeout{};
        timespec* wait = nullptr;
        if (replying_ && !wantWrite) {
            timeout = ToTimespec(nextDueNs() - now);
            wait = &timeout;
        }
        if (ppoll(fds, 2, wait, nullptr) < 0 && errno != EINTR) {
            log(QStringLiteral("poll failed: %1").arg(ErrnoText()));
            return 1;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signals_, &info, sizeof info) > 0 && options_.verbose) {
                log(QStringLiteral("stopped by signal %1").arg(info.ssi_signo));
            }
            return 0;
        }
        now = NowNs();
        if (fds[0].revents & POLLIN) {
            readInput(now);
        }
        if ((fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) {
            if (clientPresent) {
                clientGone();
                clientPresent = false;
            }
            waitForClient();
            continue;
        }
        if (!clientPresent) {
            clientPresent = true;
            if (options_.verbose) {
                log(QStringLiteral("a client opened the line"));
            }
        }
        startNextReply(now);
        if (!pump(now)) {
            clientGone();
            clientPresent = false;
            continue;
        }
        if (hangingUp_) {
            log(QStringLiteral("hangup fault: closing the line after %1 of %2 bytes")
                    .arg(reply_.sent)
                    .arg(reply_.out.bytes.size()));
            cleanUp();
            return 0;
        }
    }
}

void PtyServer::readInput(std::int64_t nowNs) {
    char buffer[4096];
    std::vector<CommandReader::Event> events;
    while (true) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            break;  // EAGAIN, or EIO once the client has gone (seen as a hangup)
        }
        reader_.feed(QByteArrayView(buffer, n), nowNs / 1'000'000, &events);
    }
    for (const auto& event : events) {
        switch (event.kind) {
            case CommandReader::Event::Kind::Line:
                if (options_.verbose) {
                    log(QStringLiteral("line \"%1\"").arg(Printable(event.text)));
                }
                break;
            case CommandReader::Event::Kind::Garbage:
                log(QStringLiteral("ignoring a line that is not a number: \"%1\"")
                        .arg(Printable(event.text)));
                break;
            case CommandReader::Event::Kind::DroppedPartial:
                log(QStringLiteral("dropping an unfinished command after a pause"));
                break;
            case CommandReader::Event::Kind::Command:
                if (const auto why = CheckCommand(event.command)) {
                    log(QStringLiteral("not answering: %1").arg(*why));
                } else {
                    queue_.push_back(event.command);
                }
                break;
        }
    }
}

Outgoing PtyServer::spoil(QByteArray reply) {
    if (options_.hangupAfter > 0 && exchanges_ == options_.hangupAfter) {
        return ApplyFault(Fault::Hangup, std::move(reply), random_);
    }
    const FaultSetting& setting = options_.fault;
    if (setting.fault != Fault::None) {
        return ApplyFault(setting.fault, std::move(reply), random_, setting.figure);
    }
    if (setting.randomProbability > 0.0) {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        if (chance(random_) < setting.randomProbability) {
            constexpr Fault kinds[] = {Fault::Silent,      Fault::Short, Fault::Surplus,
                                       Fault::GarbageHigh, Fault::Late,  Fault::Slow};
            const Fault fault = kinds[random_() % std::size(kinds)];
            const double figure = RandomFaultFigure(fault, reply.size(), random_);
            return ApplyFault(fault, std::move(reply), random_, figure);
        }
    }
    return ApplyFault(Fault::None, std::move(reply), random_);
}

void PtyServer::startNextReply(std::int64_t nowNs) {
    if (replying_ || queue_.empty()) {
        return;
    }
    const SweepCommand command = queue_.front();
    queue_.pop_front();
    ++exchanges_;
    QByteArray reply = ReplyFor(options_.dut, command);
    AddNoise(reply, options_.noiseCounts, noiseRandom_);
    Outgoing out = spoil(std::move(reply));
    if (options_.stamp) {
        StampReply(out.bytes, exchanges_);
    }
    const std::int64_t startNs = nowNs + out.delayMs * 1'000'000;
    reply_ = Reply{std::move(out), 0, startNs};
    replying_ = true;
    if (options_.verbose) {
        const bool single = command.mode == 1 && command.points == 1 && command.stepWord == 0;
        log(QStringLiteral("exchange %1: %2 mode %3, %4 Hz + k x %5 Hz, %6 points; "
                           "reply %7 bytes, fault %8")
                .arg(exchanges_)
                .arg(single ? QStringLiteral("single frequency") : QStringLiteral("sweep"))
                .arg(command.mode)
                .arg(command.startWord / kWordsPerHz, 0, 'f', 1)
                .arg(command.stepWord / kWordsPerHz, 0, 'f', 3)
                .arg(command.points)
                .arg(reply_.out.bytes.size())
                .arg(FaultText(reply_.out)));
    }
}

qsizetype PtyServer::replyEnd() const {
    return reply_.out.hangupAfter >= 0 ? std::min(reply_.out.hangupAfter, reply_.out.bytes.size())
                                       : reply_.out.bytes.size();
}

double PtyServer::bytesPerSecond() const {
    if (reply_.out.rate > 0.0) {
        return static_cast<double>(kWireBytesPerSecond) * reply_.out.rate;
    }
    return options_.pace ? static_cast<double>(kWireBytesPerSecond) : 0.0;
}

qsizetype PtyServer::dueBytes(std::int64_t nowNs) const {
    if (nowNs < reply_.startNs) {
        return 0;  // a late reply has not begun
    }
    const qsizetype end = replyEnd();
    const double rate = bytesPerSecond();
    if (rate == 0.0) {
        return end;
    }
    // A byte is due once its last bit has left the wire; whole pieces only,
    // except for the tail.
    const auto wire = static_cast<std::int64_t>(static_cast<double>(nowNs - reply_.startNs) * rate /
                                                static_cast<double>(kNsPerSecond));
    if (wire >= end) {
        return end;
    }
    return static_cast<qsizetype>(wire / kPaceChunk * kPaceChunk);
}

std::int64_t PtyServer::nextDueNs() const {
    const double rate = bytesPerSecond();
    if (rate == 0.0) {
        return reply_.startNs;
    }
    const qsizetype target = std::min((reply_.sent / kPaceChunk + 1) * kPaceChunk, replyEnd());
    // Rounded up, and a nanosecond more, so the piece is due when poll wakes.
    return reply_.startNs +
           static_cast<std::int64_t>(
               std::ceil(static_cast<double>(target) * static_cast<double>(kNsPerSecond) / rate)) +
           1;
}

bool PtyServer::pump(std::int64_t nowNs) {
    if (!replying_) {
        return true;
    }
    const qsizetype due = dueBytes(nowNs);
    while (reply_.sent < due) {
        const ssize_t n = ::write(master_, reply_.out.bytes.constData() + reply_.sent,
                                  static_cast<size_t>(due - reply_.sent));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                break;
            }
            return false;
        }
        reply_.sent += n;
    }
    if (reply_.out.hangupAfter >= 0 && reply_.sent >= reply_.out.hangupAfter) {
        hangingUp_ = true;
        return true;
    }
    if (reply_.sent == reply_.out.bytes.size()) {
        if (options_.verbose && (bytesPerSecond() > 0.0 || reply_.out.delayMs > 0)) {
            const std::int64_t commandNs = reply_.startNs - reply_.out.delayMs * 1'000'000;
            log(QStringLiteral("exchange %1 sent in %2 ms")
                    .arg(exchanges_)
                    .arg(static_cast<double>(nowNs - commandNs) / 1e6, 0, 'f', 1));
        }
        replying_ = false;
    }
    return true;
}

void PtyServer::clientGone() {
    // A real line drops what is sent while no one listens; here the pty would
    // keep it for the next client, so abandon the exchange and drain it.
    if (replying_ || !queue_.empty()) {
        log(QStringLiteral("the client closed the line; abandoning %1 exchange(s)")
                .arg(queue_.size() + (replying_ ? 1 : 0)));
    } else if (options_.verbose) {
        log(QStringLiteral("the client closed the line"));
    }
    replying_ = false;
    queue_.clear();
    reader_ = CommandReader();
    drainSlave();
}

void PtyServer::drainSlave() {
    const int slave =
        ::open(devicePath_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        return;
    }
    char buffer[4096];
    while (::read(slave, buffer, sizeof buffer) > 0) {
    }
    ::close(slave);
}

}  // namespace Sim
