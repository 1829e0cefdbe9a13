#include "measure/fork_join.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <exception>

namespace {

// Threads of its own, kept alive between calls: a tick must not wait for
// other work in the global pool, nor start a thread each time.
QThreadPool* Helper() {
    static QThreadPool* const pool = [] {
        if (QThread::idealThreadCount() < 2) {
            return static_cast<QThreadPool*>(nullptr);
        }
        auto* p = new QThreadPool;  // lives as long as the program
        // Two: a thread still returning from the last call counts as busy
        // for a moment after it has signalled, and a call straight after
        // would otherwise run both halves on the caller's thread.
        p->setMaxThreadCount(2);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return pool;
}

}  // namespace

void ForkJoin(const std::function<void()>& side, const std::function<void()>& here) {
    QThreadPool* pool = Helper();
    QSemaphore done;
    std::exception_ptr failure;  // rethrown here: the helper must always release
    const bool forked = pool != nullptr && pool->tryStart([&side, &done, &failure] {
        try {
            side();
        } catch (...) {
            failure = std::current_exception();
        }
        done.release();
    });
    if (!forked) {
        here();
        side();
        return;
    }
    try {
        here();
    } catch (...) {
        done.acquire();
        throw;
    }
    done.acquire();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
