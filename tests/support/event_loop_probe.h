#pragma once

#include <QElapsedTimer>
#include <QTimer>

namespace TestSupport {

// Measures how long the event loop of the calling thread goes without
// serving a short timer: the largest gap is the worst stall seen between
// start() and stop().
class EventLoopProbe {
public:
    explicit EventLoopProbe(int intervalMs = 5);
    void start();
    void stop();
    qint64 largestGapMs() const { return largest_; }
    qint64 beats() const { return beats_; }

private:
    void beat();

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 largest_ = 0;
    qint64 beats_ = 0;
};

}  // namespace TestSupport
