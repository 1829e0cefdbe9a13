#include "cli_plot.h"

#include "common/colour.h"
#include "cycle/marker_readouts.h"
#include "cycle/readout_captions.h"

std::vector<CaptionRow> PlotCaptionRows(const PlotRequest& request, const TraceEnables& traces) {
    namespace C = ReadoutCaptions;
    const float transmission = request.transmission ? 1.0f : 0.0f;
    const QString xs =
        QString::fromStdString(PlainXsColumn(request.settings.colorS3).lblMkrXSCaption);
    const QString loss = QLatin1String(request.transmission ? C::TransmissionLoss : C::ReturnLoss);
    std::vector<CaptionRow> rows;
    for (std::size_t m = 0; m < 2; ++m) {
        const MarkerWidgets shown = MarkerWidgetsShown(m == 0 || request.markerAt[1], transmission);
        // A readout of a trace switched off is written in its background's
        // colour: the window does not show it, nor does the picture.
        const auto seen = [m](bool widget, bool trace) {
            return widget && ReadoutTextColour(static_cast<int>(m) + 1, trace, false) !=
                                 Colour::ReadoutBack12;
        };
        const CliMarkerTexts& t = request.readout.markers[m];
        const struct {
            bool shown;
            QString head;
            const QString& value;
        } cells[] = {
            {shown.Frequency, QLatin1String(C::Frequency), t.frequency},
            {seen(shown.Swr, traces.Swr), QLatin1String(C::Swr), t.swr},
            {seen(shown.Z, traces.Z), QLatin1String(C::Z), t.z},
            {seen(shown.Loss, traces.Loss), loss, t.loss},
            {seen(shown.Phase, traces.Phase), QLatin1String(C::Phase), t.phase},
            {seen(shown.Rs, traces.Rs), QLatin1String(C::Rs), t.rs},
            {seen(shown.Xs, traces.Xs), xs, t.xs},
        };
        CaptionRow& row = rows.emplace_back();
        row.title = QLatin1String(C::Markers[m]);
        for (const auto& cell : cells) {
            if (cell.shown) {
                row.cells.push_back({cell.head, cell.value});
            }
        }
    }
    return rows;
}
