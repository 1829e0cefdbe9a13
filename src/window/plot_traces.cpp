// PlotTraces: the geometry rules compute the segments, the graph paints them.
#include <QElapsedTimer>

#include "common/colour.h"
#include "common/leading_number.h"
#include "common/rounding.h"
#include "measure/cable.h"
#include "measure/fork_join.h"
#include "measure/graph_widget.h"
#include "settings/trace_colours.h"
#include "window/band_shading.h"
#include "window/calibrate_controller.h"
#include "window/chart1.h"
#include "window/graph_view.h"
#include "window/limits_control.h"
#include "window/reactance_sign_control.h"

namespace {

// Milliseconds of a clock that never goes back and does not wrap.
qint64 TickCount() {
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}

}  // namespace

TracePass chart1::tracePass() const {
    TracePass pass;
    pass.MagnitudeSamples = buffers_.MagnitudeSamples.data();
    pass.PhaseSamples = buffers_.PhaseSamples.data();
    pass.Champ = points();
    pass.Step = settings_.Step;
    pass.H = ui.picGraph1->ScaleHeight();
    pass.PointWidth = fields.PointWidth;
    pass.CalOffsetDb = fields.CalOffsetDb;
    pass.LossOffset = LeadingNumber(ui.txtLossOffset->text().toStdString());
    pass.LossScale = fields.LossScale;
    pass.Enabled.Phase = ui.chkPH->isChecked();
    pass.Enabled.Loss = ui.chkRL->isChecked();
    pass.Enabled.Z = ui.chkZ->isChecked();
    pass.Enabled.Xs = ui.chkXS->isChecked();
    pass.Enabled.Rs = ui.chkRS->isChecked();
    pass.Enabled.Swr = ui.chkSWR->isChecked();
    pass.Scales = graphView_->scales();
    const std::span<const double> errors = lossErrors();
    pass.LossErrors = errors.empty() ? nullptr : errors.data();
    // Signs of another sweep's length (a tick before the new sweep) wait.
    if (reactanceSign_ && reactanceSign_->signs() != nullptr &&
        reactanceSign_->count() == static_cast<std::size_t>(pass.Champ) + 1) {
        pass.XsSigns = reactanceSign_->signs();
    }
    return pass;
}

std::span<const double> chart1::lossErrors() const {
    return calibrate_->lossErrors();
}

std::array<std::uint32_t, 6> chart1::traceColours() const {
    static_assert(GraphWidget::TraceCount == 6);
    return TraceColoursOf(settings_);
}

void chart1::PlotTraces() {
    // The time from the start of the previous pass to the start of this one.
    TickNow = TickCount();
    ui.txtSpeed->setText(QString::number(TickNow - TickPrev));
    TickPrev = TickCount();

    GraphWidget* g = ui.picGraph1;
    g->Cls();
    reactanceSign_->update(graphView_->scales().Ohm, ui.picGraph1->ScaleHeight());
    graphView_->autoScale(tracePass());
    // The loss and phase pass and the impedance pass share only what they
    // read, so a second core takes one of them.
    const TracePass pass = tracePass();
    ForkJoin([&] { PlotLossPhasePass(pass, pen_, lossPhase_); },
             [&] { PlotImpedancePass(pass, pen_, impedance_); });
    const std::array<std::uint32_t, 6> colours = traceColours();
    const GraphWidget::TraceTake takes[] = {
        {GraphWidget::Phase, &lossPhase_.Phase, colours[GraphWidget::Phase]},
        {GraphWidget::Loss, &lossPhase_.Loss, colours[GraphWidget::Loss]},
        {GraphWidget::Z, &impedance_.Z, colours[GraphWidget::Z]},
        {GraphWidget::Xs, &impedance_.Xs, colours[GraphWidget::Xs]},
        {GraphWidget::Rs, &impedance_.Rs, colours[GraphWidget::Rs]},
        {GraphWidget::Swr, &impedance_.Swr, colours[GraphWidget::Swr]},
    };
    g->takeTraces(takes);
    fields.BestMatchPoint = static_cast<float>(lossPhase_.Best.BestMatchPoint);
    BestMatchCount = lossPhase_.Best.BestMatchCount;
    lastPoint = impedance_.Last;
    bandShading_->update();
    limits_->update();

    ApplyCableMarkerRules();
}

// At the end of every loss and phase pass: the cable modes keep the markers
// they need on, and the cable-loss frame labels its values only when both
// markers are on.
void chart1::ApplyCableMarkerRules() {
    const CableMarkerState state =
        ::ApplyCableMarkerRules(!ui.fraCableLoss->isHidden(), !ui.fraCableLength->isHidden(),
                                ui.chkMkr1->isChecked(), ui.chkMkr2->isChecked());
    ui.chkMkr1->setChecked(state.chkMkr1);
    ui.chkMkr2->setChecked(state.chkMkr2);
    ui.lblMinCL->setText(QString::fromStdString(state.lblMinCLCaption));
    ui.lblAvgCL->setVisible(state.AvgMaxShown);
    ui.lblMaxCL->setVisible(state.AvgMaxShown);
    ui.txtAvgCL->setVisible(state.AvgMaxShown);
    ui.txtMaxCL->setVisible(state.AvgMaxShown);
}
