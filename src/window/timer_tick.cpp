// Timer1_Timer: one measurement cycle. The steps run in a fixed order. The
// instrument exchange of step 12 is awaited without blocking: the tick stops
// Timer1, goes back to the event loop, and resumes when the reply (or its
// failure) arrives, so the window keeps answering and ticks never overlap.
#include <QTimer>

#include "common/colour.h"
#include "common/decimal_text.h"
#include "common/leading_number.h"
#include "display/vb_colour.h"
#include "instrument/parallel_sequences.h"
#include "instrument/protocol.h"
#include "instrument/serial_port_service.h"
#include "measure/line_widget.h"
#include "timedomain/reactance_sign.h"
#include "window/average_control.h"
#include "window/chart1.h"
#include "window/graph_view.h"
#include "window/reactance_sign_control.h"

namespace {
constexpr int ZeroSpanPauseMs = 300;

float MHzBoxToHz(const QLineEdit* box) {
    return static_cast<float>(LeadingNumber(box->text().toStdString()) * 1000000.0);
}

QString NoSweepMessage(const Settings& s) {
    const auto mhz = [](float hz) {
        return QString::fromStdString(HzAsMHzText(static_cast<double>(hz)));
    };
    return QStringLiteral("No sweep from %1 MHz to %2 MHz: Start and Stop must differ")
        .arg(mhz(s.FMin), mhz(s.FMax));
}
}  // namespace

void chart1::Timer1_Timer() {
    if (tickWait_ != TickWait::None) {
        return;  // the previous tick has not finished
    }
    ui.Timer1->stop();
    tickControlsAndReadouts();
    tickInstrument();
}

// Steps 1 to 11: controls, scales, limits and readouts, from the buffers as
// they stand.
void chart1::tickControlsAndReadouts() {
    // 1. "Zero span" can be operated only while running and not held.
    ui.Checkzerospan->setEnabled(!ui.chkHold->isChecked() && fields.Running == 1.0f);

    // 2. The loss scale follows "Scale X2" (and the scales chosen in the View
    //    menu); every caption is written each tick.
    fields.LossScale = graphView_->writeLossCaptions();

    // 3. All data lines of the parallel port low, before the instrument is touched.
    ParallelTickClear(parallel_, settings_.Address1);
    showParallelNotice();

    // 4. The limits from the boxes, then the step from those very limits, so
    //    the sweep sent and the readouts of this tick agree with the boxes.
    settings_.FMax = MHzBoxToHz(ui.txtStop);
    settings_.FMin = MHzBoxToHz(ui.txtStart);
    fields.FreqStep = freqStep();

    tickMarkerReadouts();
}

// Step 12: the single frequency of zero span (and its pause), or one sweep.
void chart1::tickInstrument() {
    if (serial_.isOpen() && ui.Checkzerospan->isChecked()) {
        ui.txtStop->setVisible(false);
        SetSingleFrequency();
        return;  // continues in onExchangeFinished or after the pause
    }
    tickSweep();
}

void chart1::SetSingleFrequency() {
    fields.Busy = 1;
    tickWait_ = TickWait::SingleFrequency;
    if (auto now = exchange_.startSingleFrequency(settings_.FMin, fields.FreqStep)) {
        onExchangeFinished(*now);
    }
}

void chart1::tickSweep() {
    if (serial_.isOpen() && fields.Busy == 0 && !ui.Checkzerospan->isChecked() &&
        !ui.chkHold->isChecked()) {
        ui.txtStop->setVisible(true);
        if (const auto wide = reactanceSign_->wideSweepDue(settings_.FMin, settings_.FMax,
                                                           fields.TransmissionMode)) {
            AcquireWideSweep(*wide);
        } else {
            AcquireSweep();
        }
        return;  // continues in onExchangeFinished
    }
    tickRedrawAndFinish();
}

void chart1::AcquireSweep() {
    tickWait_ = TickWait::Sweep;
    // A file of another size was on the graph: sweeps have Champ points, and
    // the step spreads them over the same limits.
    if (points() != settings_.Champ) {
        usePoints(settings_.Champ);
        fields.FreqStep = freqStep();
    }
    if (fields.FreqStep != 0.0) {
        status_.clear(StatusLine::Cause::NoSweep);
    }
    averageControl_->sweepRequested(settings_.FMin, fields.FreqStep, settings_.Champ,
                                    fields.TransmissionMode);
    if (auto now = exchange_.startSweep(settings_.FMin, fields.FreqStep, settings_.Champ,
                                        fields.TransmissionMode)) {
        onExchangeFinished(*now);  // nothing went out: no hurry for the next tick
        return;
    }
    waitedForSweep_ = true;
}

// Into the sign control's own buffers, never the sweep's: averaging, memories
// and the readouts see only the range the user chose.
void chart1::AcquireWideSweep(const WideSweepPlan& plan) {
    tickWait_ = TickWait::WideSweep;
    if (auto now = exchange_.startSweep(plan.FMin, plan.FreqStep(), plan.Champ, 0.0f)) {
        onExchangeFinished(*now);
        return;
    }
    waitedForSweep_ = true;
}

void chart1::onExchangeFinished(const ExchangeResult& result) {
    const TickWait waited = tickWait_;
    // A port error that left the port closed means the line cannot be used.
    const bool lineLost = result.outcome == ExchangeOutcome::DeviceGone ||
                          (result.outcome == ExchangeOutcome::PortError && !serial_.isOpen());
    if (lineLost) {
        stopRunning(result.message);
    } else {
        switch (result.outcome) {
            case ExchangeOutcome::Completed:
                notify(result.message);  // a completed sweep may tell of a late reply discarded
                break;
            case ExchangeOutcome::Discarded:
                break;
            case ExchangeOutcome::NothingSent:
                // RUN stays on: the first valid range sweeps again.
                if (result.kind == ExchangeKind::Sweep) {
                    status_.stand(StatusLine::Cause::NoSweep, NoSweepMessage(settings_));
                }
                break;
            default:
                // Kept until a sweep comes through whole, so it cannot flash by.
                status_.stand(StatusLine::Cause::LinkFault, result.message);
                break;
        }
    }

    if (waited == TickWait::SingleFrequency) {
        fields.Busy = 0;
        // The analyser settles on the frequency before anything else happens.
        tickWait_ = TickWait::ZeroSpanPause;
        zeroSpanPause_.start(ZeroSpanPauseMs);
        return;
    }
    if (waited == TickWait::WideSweep) {
        if (result.outcome == ExchangeOutcome::Completed && !lineLost) {
            reactanceSign_->wideSweepTaken(result.reply);
            AcquireSweep();  // the range's own sweep follows in the same tick
        } else {
            tickRedrawAndFinish();  // RUN, Hold or a file overtook it, or the line failed
        }
        return;
    }
    if (waited == TickWait::Sweep) {
        // A file of another size opened while the sweep was on its way holds
        // the buffers now: the reply no longer fits them.
        if (result.outcome == ExchangeOutcome::Completed && result.kind == ExchangeKind::Sweep &&
            points() == settings_.Champ) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.reply.constData());
            if (DecodeSweepReply(bytes, static_cast<std::size_t>(result.reply.size()),
                                 buffers_.PhaseSamples.data(), buffers_.MagnitudeSamples.data(),
                                 settings_.Champ)) {
                status_.clear(StatusLine::Cause::LinkFault);
                averageControl_->sweepDecoded(
                    std::span(bytes, static_cast<std::size_t>(result.reply.size())));
                emit sweepAcquired();
            }
        }
        tickRedrawAndFinish();
    }
}

// The rest of step 12, then steps 13 and 14.
void chart1::tickRedrawAndFinish() {
    tickWait_ = TickWait::None;

    // 12, end. Held, stopped or sweeping: the graph is redrawn from the buffers.
    PlotTraces();

    // 13. While held, the file last opened or saved is named; leaving Hold forgets it.
    if (ui.chkHold->isChecked()) {
        ui.txtFileName->setText(CommonDialog1FileName);
    } else {
        ui.txtFileName->clear();
        CommonDialog1FileName.clear();
    }

    // 14. Marker 3 only follows live data.
    if (!ui.txtFileName->text().isEmpty() || fields.Running == 0.0f) {
        ui.chkMinSWR->setChecked(false);
        ui.fraMinSWR->setVisible(false);
        ui.fraMinMkr->setVisible(false);
    } else {
        ui.fraMinMkr->setVisible(true);
    }

    // A tick that waited for a sweep has overrun its 50 ms: the next one is
    // due at once, as the timer's missed tick would have been, so sweeps
    // follow each other without a gap.
    if (waitedForSweep_) {
        waitedForSweep_ = false;
        QTimer::singleShot(0, this, &chart1::Timer1_Timer);
    } else {
        ui.Timer1->start();
    }
    emit tickFinished();
}
