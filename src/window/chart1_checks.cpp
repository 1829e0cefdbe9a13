// The window's limit lines, band shading and marker sets: their controllers,
// and what each is handed of the window.
#include <QApplication>

#include "common/decimal_text.h"
#include "common/leading_number.h"
#include "measure/graph_widget.h"
#include "window/band_shading.h"
#include "window/chart1.h"
#include "window/graph_view.h"
#include "window/limits_control.h"
#include "window/marker_controls.h"
#include "window/marker_set_control.h"
#include "window/settings_dialog.h"

namespace {

GraphWidget::Trace GraphTraceOf(TraceKind kind) {
    switch (kind) {
        case TraceKind::Loss:
            return GraphWidget::Loss;
        case TraceKind::Phase:
            return GraphWidget::Phase;
        case TraceKind::Swr:
            return GraphWidget::Swr;
        case TraceKind::Rs:
            return GraphWidget::Rs;
        case TraceKind::Xs:
            return GraphWidget::Xs;
        case TraceKind::Z:
            break;
    }
    return GraphWidget::Z;
}

}  // namespace

void chart1::makeChecks(const Say& say, const Say& sayWarning, const ChooseFile& askFile) {
    limits_ = new LimitsControl(
        {.window = *this,
         .graph = *ui.picGraph1,
         .settings = settings_,
         .settingsFile = *settingsController_,
         .sweep = [this] { return sweepExportInput(); },
         .geometry =
             [this] {
                 const TracePass pass = tracePass();
                 return LimitGeometryInput{
                     settings_.FMin,  settings_.FMax, ui.picGraph1->ScaleWidth(),
                     pass.H,          pass.Scales,    pass.CalOffsetDb,
                     pass.LossOffset, pass.LossScale};
             },
         .traceShown =
             [this](TraceKind kind) {
                 const std::array<const QCheckBox*, TraceKindCount> boxes = {
                     ui.chkRL, ui.chkPH, ui.chkSWR, ui.chkRS, ui.chkXS, ui.chkZ};
                 return boxes[static_cast<std::size_t>(kind)]->isChecked();
             },
         .traceColour = [this](TraceKind kind) { return traceColours()[GraphTraceOf(kind)]; },
         .chooseFile = askFile,
         .notify = say,
         .warn = sayWarning,
         .beep = [] { QApplication::beep(); }},
        this);
    bandShading_ = new BandShading({.viewMenu = *graphView_->menu(),
                                    .graph = *ui.picGraph1,
                                    .settings = settings_,
                                    .settingsFile = *settingsController_},
                                   this);
    markerSets_ = new MarkerSetControl(
        {.markersMenu = *markerControls_->menu(),
         .settingsPath =
             [this] {
                 const QString read = settingsController_->readPath();
                 return read.isEmpty() ? settingsController_->places().xdg : read;
             },
         .current =
             [this] {
                 MarkerSet set;
                 set.marker1 = {ui.chkMkr1->isChecked(), markerControls_->frequencyOf(1)};
                 set.marker2 = {ui.chkMkr2->isChecked(), markerControls_->frequencyOf(2)};
                 set.minSwrOn = ui.chkMinSWR->isChecked();
                 return set;
             },
         .apply = [this](const MarkerSet& set) { return applyMarkerSet(set); },
         .askName = [this](const QStringList& names) { return AskMarkerSetName(this, names); },
         .notify = say,
         .warn = sayWarning},
        this);
}

QStringList chart1::applyMarkerSet(const MarkerSet& set) {
    QStringList missed;
    const std::pair<int, const MarkerSetMarker*> markers[] = {{1, &set.marker1}, {2, &set.marker2}};
    for (const auto& [number, marker] : markers) {
        if (!markerControls_->placeAtFrequency(number, marker->frequencyHz)) {
            missed << QStringLiteral("marker %1 at %2 MHz lies outside the sweep and stays")
                          .arg(number)
                          .arg(QString::fromStdString(HzAsMHzText(marker->frequencyHz)));
        }
    }
    // Placing a marker switches it on, as the mouse does; then the set's own.
    ui.chkMkr1->setChecked(set.marker1.on);
    ui.chkMkr2->setChecked(set.marker2.on);
    ui.chkMinSWR->setChecked(set.minSwrOn);
    return missed;
}
