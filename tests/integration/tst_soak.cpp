// The real window against a faulty instrument for many exchanges: it keeps
// answering, never takes part of a reply into its buffers nor one reply for
// another (each reply carries its exchange's number), reports every broken
// exchange and every late reply discarded, and stops RUN exactly when the
// line hangs up. ZEZIZAV_SOAK_EXCHANGES sets the length; the default is short.
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include <cmath>
#include <map>

#include "window/chart1.h"
#include "display/vb_colour.h"
#include "instrument/protocol.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "support/test_support.h"

using TestSupport::EventLoopProbe;
using TestSupport::OutcomeName;
using TestSupport::SimExchange;
using TestSupport::SimProcess;

namespace {

constexpr std::int32_t kChamp = 100;  // 400 bytes: about 35 ms on the wire
constexpr int kShortSoak = 60;        // the line hangs up during the next one
constexpr char kSeed[] = "8";

int SoakExchanges() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("ZEZIZAV_SOAK_EXCHANGES", &ok);
    return ok && n > 0 ? n : kShortSoak;
}

// A window on the simulator with its timer running, as in use.
struct Window : TestSupport::WindowFixture {
    explicit Window(const QString& device) {
        settings.Champ = kChamp;
        loadLive(device);
    }
};

// What one exchange left in the buffers, against the reference sweep and the
// sentinel written into them before it.
enum class Left { Unchanged, WholeSweep, SweepKeepingBadReadings, Foreign };

QString LeftName(Left left) {
    switch (left) {
        case Left::Unchanged:
            return QStringLiteral("unchanged");
        case Left::WholeSweep:
            return QStringLiteral("whole sweep");
        case Left::SweepKeepingBadReadings:
            return QStringLiteral("sweep keeping old values at bad readings");
        case Left::Foreign:
            return QStringLiteral("values of neither");
    }
    return {};
}

// Point 1's phase reading is the stamp, so it is left out here.
Left Classify(const SweepBuffers& now, const SweepBuffers& reference, const SweepBuffers& old) {
    if (now.MagnitudeSamples[0] != old.MagnitudeSamples[0] ||
        now.PhaseSamples[0] != old.PhaseSamples[0]) {
        return Left::Foreign;  // element 0 is never the instrument's
    }
    int fresh = 0;
    int kept = 0;
    const auto count = [&](const std::vector<float>& n, const std::vector<float>& r,
                           const std::vector<float>& o, std::size_t first) {
        for (std::size_t i = first; i < n.size(); ++i) {
            if (n[i] == r[i]) {
                ++fresh;
            } else if (n[i] == o[i]) {
                ++kept;
            } else {
                return false;
            }
        }
        return true;
    };
    if (!count(now.MagnitudeSamples, reference.MagnitudeSamples, old.MagnitudeSamples, 1) ||
        !count(now.PhaseSamples, reference.PhaseSamples, old.PhaseSamples, 2)) {
        return Left::Foreign;
    }
    if (kept == 0) {
        return Left::WholeSweep;
    }
    return fresh == 0 ? Left::Unchanged : Left::SweepKeepingBadReadings;
}

// Buffers that differ from the reference at every point, so that any record
// taken from a reply shows.
SweepBuffers Sentinel(const SweepBuffers& reference) {
    SweepBuffers s = reference;
    for (auto* v : {&s.MagnitudeSamples, &s.PhaseSamples}) {
        for (std::size_t i = 1; i < v->size(); ++i) {
            (*v)[i] = std::fmod((*v)[i] + 512.0f, 1024.0f);
        }
    }
    return s;
}

struct Seen {
    ExchangeOutcome outcome = ExchangeOutcome::NothingSent;
    Left left = Left::Foreign;
    float stamp = 0.0f;  // point 1's phase reading after the exchange
    QStringList reports;
    bool running = false;
    qint64 staleBytes = 0;
    qint64 lateBytes = 0;
};

// What each simulator fault may come to in the window. A garbage-high
// reading is not an exchange fault: the count is right, and the decoder keeps
// the element's old value for each reading above 1023, by design and without
// a report. Such a sweep may differ from a whole one only at those elements.
// A late or slow reply comes in time or not, as its delay was drawn.
std::optional<QList<ExchangeOutcome>> OutcomesFor(const QString& fault) {
    using O = ExchangeOutcome;
    if (fault == QLatin1String("none") || fault == QLatin1String("garbage-high")) {
        return QList{O::Completed};
    }
    if (fault == QLatin1String("silent")) {
        return QList{O::Timeout};
    }
    if (fault == QLatin1String("short")) {
        return QList{O::ShortReply};
    }
    if (fault == QLatin1String("surplus")) {
        return QList{O::SurplusReply};
    }
    if (fault == QLatin1String("late") || fault == QLatin1String("slow")) {
        return QList{O::Completed, O::Timeout, O::ShortReply};
    }
    return std::nullopt;
}

// The start of the status line an outcome reports; empty: none.
QString ReportOf(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Timeout:
            return QStringLiteral("No reply from the analyser");
        case ExchangeOutcome::ShortReply:
            return QStringLiteral("Short reply: ");
        case ExchangeOutcome::SurplusReply:
            return QStringLiteral("Surplus reply: ");
        default:
            return {};
    }
}

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

    SweepBuffers reference_;
    QString referenceCommand_;

private slots:
    // The sweep the simulator answers without faults: every later good reply
    // to the same command must equal it.
    void initTestCase() {
        SimProcess sim;
        QString error;
        QVERIFY2(
            sim.start({QStringLiteral("--dut"), QStringLiteral("antenna"), QStringLiteral("-v")},
                      &error),
            qPrintable(error));
        Window win(sim.ptyPath());
        QVERIFY(win.nextTick());  // the limits are read; the step follows
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        win.w->cmdRUN_Click();
        QVERIFY(acquired.wait(8000));
        win.w->cmdRUN_Click();
        reference_ = win.buffers;
        const auto& mag = reference_.MagnitudeSamples;
        QVERIFY(std::count_if(mag.begin() + 1, mag.end(), [](float x) { return x != 0.0f; }) >
                kChamp / 2);
        sim.stop();
        const QList<SimExchange> log = TestSupport::SimExchangesFromLog(sim.output());
        QVERIFY(!log.isEmpty());
        referenceCommand_ = log.first().command;
        QVERIFY2(referenceCommand_.contains(QStringLiteral("100 points")),
                 qPrintable(referenceCommand_));
    }

    void faultyInstrumentUntilItHangsUp() {
        const int exchanges = SoakExchanges();
        SimProcess sim;
        QString error;
        QVERIFY2(
            sim.start({QStringLiteral("--dut"), QStringLiteral("antenna"), QStringLiteral("--pace"),
                       QStringLiteral("--stamp"), QStringLiteral("--fault"),
                       QStringLiteral("random:0.3"), QStringLiteral("--seed"),
                       QString::fromLatin1(kSeed), QStringLiteral("--hangup-after"),
                       QString::number(exchanges + 1), QStringLiteral("-v")},
                      &error),
            qPrintable(error));
        Window win(sim.ptyPath());
        QVERIFY(win.nextTick());

        const SweepBuffers sentinel = Sentinel(reference_);
        win.buffers = sentinel;
        QList<Seen> seen;
        QStringList pending;
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        connect(win.w->statusBar(), &QStatusBar::messageChanged, this, [&](const QString& text) {
            if (!text.isEmpty()) {
                pending << text;
            }
        });
        // Runs after the window's own handler: the tick has decoded, reported
        // and redrawn. The buffers and the status line are then reset, so the
        // next exchange shows on its own.
        connect(&win.w->exchange(), &SweepExchange::finished, this,
                [&](const ExchangeResult& result) {
                    seen.append({result.outcome, Classify(win.buffers, reference_, sentinel),
                                 win.buffers.PhaseSamples[1], pending, win.running(),
                                 result.staleBytesDrained, result.lateBytesDiscarded});
                    pending.clear();
                    win.buffers = sentinel;
                    win.w->statusBar()->clearMessage();
                });

        EventLoopProbe probe;
        QElapsedTimer clock;
        clock.start();
        probe.start();
        win.w->cmdRUN_Click();
        QVERIFY(win.running());
        pending.clear();  // "Running on ..."
        QTRY_VERIFY_WITH_TIMEOUT(!win.running(), 150000 + 1000 * exchanges);
        const qint64 soakMs = clock.elapsed();
        QVERIFY(win.nextTick());  // the cycle goes on without the instrument
        QVERIFY(win.nextTick());
        probe.stop();

        // RUN stopped exactly at the hangup, and said so.
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
        QVERIFY(!win.serial.isOpen());
        QVERIFY(!win.warnings().isEmpty());
        const QString warning = win.warnings().first();
        QVERIFY(!warning.isEmpty());
        QCOMPARE(win.warnings().size(), 1);
        QCOMPARE(seen.size(), exchanges + 1);  // nothing after it
        const Seen& last = seen.last();
        QCOMPARE(last.outcome, ExchangeOutcome::DeviceGone);
        QCOMPARE(last.left, Left::Unchanged);  // half a reply is not decoded
        QVERIFY(!last.running);
        QVERIFY(last.reports.contains(warning));

        // The hangup fault ends the simulator.
        QVERIFY(sim.process().state() == QProcess::NotRunning ||
                sim.process().waitForFinished(5000));
        const QList<SimExchange> log = TestSupport::SimExchangesFromLog(sim.output());
        QCOMPARE(log.size(), exchanges + 1);
        QCOMPARE(log.last().fault, QStringLiteral("hangup"));

        std::map<QString, int> faults;
        std::map<QString, int> outcomes;
        qint64 staleBytes = 0;
        qint64 lateBytes = 0;
        int lateNotices = 0;
        int completed = 0;
        QStringList wrong;
        for (int i = 0; i < exchanges; ++i) {
            const SimExchange& sent = log[i];
            const Seen& got = seen[i];
            ++faults[sent.fault];
            ++outcomes[QString::fromLatin1(OutcomeName(got.outcome))];
            staleBytes += got.staleBytes;
            lateBytes += got.lateBytes;
            if (sent.number != i + 1 || sent.command != referenceCommand_) {
                wrong << QStringLiteral("exchange %1 asked \"%2\"")
                             .arg(sent.number)
                             .arg(sent.command);
                continue;
            }
            const auto allowed = OutcomesFor(sent.fault);
            if (!allowed) {
                wrong << QStringLiteral("exchange %1: unknown fault %2").arg(i + 1).arg(sent.fault);
                continue;
            }
            // The rest of a late or slow reply that overran its deadline is
            // drained before the next command, and the status line says so.
            const bool lateBefore = i > 0 &&
                                    (log[i - 1].fault == QLatin1String("late") ||
                                     log[i - 1].fault == QLatin1String("slow")) &&
                                    (seen[i - 1].outcome == ExchangeOutcome::Timeout ||
                                     seen[i - 1].outcome == ExchangeOutcome::ShortReply);
            QString report = ReportOf(got.outcome);
            if (report.isEmpty() && lateBefore) {
                report = QStringLiteral("Late reply discarded: ");
            }
            const bool reportOk =
                report.isEmpty()
                    ? got.reports.isEmpty()
                    : got.reports.size() == 1 && got.reports.first().startsWith(report) &&
                          got.reports.first().contains(QStringLiteral("late reply discarded: "),
                                                       Qt::CaseInsensitive) == lateBefore;
            lateNotices += lateBefore && reportOk;
            const bool isCompleted = got.outcome == ExchangeOutcome::Completed;
            completed += isCompleted;
            const Left left = !isCompleted ? Left::Unchanged
                              : sent.fault == QLatin1String("garbage-high")
                                  ? Left::SweepKeepingBadReadings
                                  : Left::WholeSweep;
            // The invariant: a decoded sweep is the reply to its own command.
            const float stamp =
                isCompleted ? static_cast<float>((i + 1) % 1024) : sentinel.PhaseSamples[1];
            if (!allowed->contains(got.outcome) || got.left != left || got.stamp != stamp ||
                !reportOk || !got.running || got.lateBytes > got.staleBytes) {
                wrong << QStringLiteral(
                             "exchange %1, fault %2: outcome %3, buffers %4, stamp %5, reports "
                             "[%6], running %7")
                             .arg(i + 1)
                             .arg(sent.fault)
                             .arg(QString::fromLatin1(OutcomeName(got.outcome)))
                             .arg(LeftName(got.left))
                             .arg(got.stamp)
                             .arg(got.reports.join(QStringLiteral(" | ")))
                             .arg(got.running);
            }
        }

        qInfo("soak: %d exchanges in %.1f s (random:0.3, seed %s), then a hangup", exchanges,
              static_cast<double>(soakMs) / 1000.0, kSeed);
        for (const auto& [fault, count] : faults) {
            qInfo("soak: fault %-12s %3d exchanges", qPrintable(fault), count);
        }
        for (const auto& [outcome, count] : outcomes) {
            qInfo("soak: outcome %-13s %3d", qPrintable(outcome), count);
        }
        qInfo("soak: %lld stale bytes drained, %lld of them late replies (%d reported)",
              static_cast<long long>(staleBytes), static_cast<long long>(lateBytes), lateNotices);
        qInfo(
            "soak: %lld sweeps decoded, each stamped by its own exchange; largest event-loop "
            "stall %lld ms (%lld probe beats)",
            static_cast<long long>(acquired.count()), static_cast<long long>(probe.largestGapMs()),
            static_cast<long long>(probe.beats()));
        qInfo("soak: hangup stopped RUN with %lld warning box(es): \"%s\"",
              static_cast<long long>(win.warnings().size()), qPrintable(warning));

        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 10).join(QLatin1Char('\n'))));
        QCOMPARE(acquired.count(), completed);
        // Every kind came up, and a late reply was drained, so the run proved
        // something about each.
        for (const QString& kind :
             {QStringLiteral("silent"), QStringLiteral("short"), QStringLiteral("surplus"),
              QStringLiteral("garbage-high"), QStringLiteral("late"), QStringLiteral("slow")}) {
            QVERIFY2(faults[kind] > 0, qPrintable(kind));
        }
        QVERIFY(lateNotices > 0);
        // Answering throughout: a GUI thread that waited for replies would
        // stall for a whole reply deadline (543 ms here) at each silent one.
        QVERIFY2(probe.largestGapMs() < ReplyDeadlineMs(ReplyBytes(kChamp)),
                 qPrintable(QString::number(probe.largestGapMs())));
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
