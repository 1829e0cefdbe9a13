#include "support/event_loop_probe.h"

namespace TestSupport {

EventLoopProbe::EventLoopProbe(int intervalMs) {
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
}

void EventLoopProbe::start() {
    largest_ = 0;
    beats_ = 0;
    clock_.start();
    last_ = 0;
    timer_.start();
}

void EventLoopProbe::stop() {
    timer_.stop();
    beat();  // a stall that is still going on counts too
}

void EventLoopProbe::beat() {
    const qint64 now = clock_.elapsed();
    largest_ = qMax(largest_, now - last_);
    last_ = now;
    ++beats_;
}

}  // namespace TestSupport
