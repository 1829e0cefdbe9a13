#include "cli_plot.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "cli_convert.h"
#include "common/colour.h"
#include "common/decimal_text.h"
#include "common/leading_number.h"
#include "common/twips.h"
#include "compare/memory_drawing.h"
#include "cycle/frequency_axis.h"
#include "cycle/marker_readouts.h"
#include "cycle/readout_captions.h"
#include "display/vb_colour.h"
#include "measure/graph_captions.h"
#include "measure/graph_overlays.h"
#include "settings/trace_colours.h"

namespace {

// The window writes an opened file's limits into its boxes in MHz, and its
// tick reads them back from there.
float AsShownInItsBox(float hz) {
    const std::string mhz = ShortestDecimal(static_cast<double>(hz) / 1000000.0);
    return static_cast<float>(LeadingNumber(mhz) * 1000000.0);
}

// The window's font at the text size: every caption and tag inherits it.
QFont WindowFont(double scale) {
    QFont f = QGuiApplication::font();
    f.setPixelSize(std::max(1, ScaledPixels(GraphDesign::FontPixels, scale)));
    return f;
}

// The lines and tags over the graph: the scale's reference lines (the 50-ohm
// line is off), and markers 1 and 2 where they stand.
void PlaceOverlays(const PlotRequest& request, const GraphScalePositions& p,
                   std::uint32_t frameColour, double scale, const QFont& font, GraphScene& scene) {
    for (GraphLineId id : {GraphLineId::Db10, GraphLineId::Db20, GraphLineId::Ohm225,
                           GraphLineId::Ohm150, GraphLineId::Ohm75}) {
        scene.lines.push_back(PlacedGraphLine(id, p, frameColour, 0.0f));
    }
    const float transmission = request.transmission ? 1.0f : 0.0f;
    for (std::size_t m = 0; m < 2; ++m) {
        const auto id = static_cast<GraphLineId>(static_cast<std::size_t>(GraphLineId::M1) + m);
        const MarkerTagDesign& design = MarkerTagDesignOf(m);
        const MarkerWidgets shown = MarkerWidgetsShown(m == 0 || request.markerAt[1], transmission);
        const std::optional<std::int32_t> at = request.markerAt[m];
        // Where a click on the point puts the line; else where the window starts it.
        const float x = at ? static_cast<float>(*at * GraphSpace::Width / request.points)
                           : GraphLineDesignOf(id).x1;
        if (shown.Line) {
            scene.lines.push_back(PlacedGraphLine(id, p, frameColour, x));
        }
        if (!shown.NameLabel) {
            continue;
        }
        GraphTag tag;
        tag.size = ScaledRect(design.place.pixels(), scale).size();
        tag.x = at ? x : static_cast<float>(design.place.left);
        tag.pixelOffset = at ? MarkerTagOffset(x, tag.size.width()) : 0;
        tag.top = p.lblMTop;
        tag.scale = scale;
        tag.text = QLatin1String(design.text);
        tag.font = font;
        tag.fore = VbColour(design.colour);
        tag.back = VbColour(kMarkerTagBack);
        tag.alignment = Qt::AlignCenter;
        scene.tags.push_back(tag);
    }
}

GraphCaptionLook CaptionLook(const PlotRequest& request, const LossCaptions& loss, OhmScale ohm,
                             float FMin, float FMax, const QColor& text, const QFont& font) {
    GraphCaptionLook look;
    const std::array<std::string, 5> ohms = OhmCaptionsFor(ohm);
    look.scaleTexts = {QLatin1String(kLossScaleHeadings[0]), QLatin1String(kLossScaleHeadings[1]),
                       QString::fromStdString(loss.lbl0db),  QString::fromStdString(loss.lbl10dB),
                       QString::fromStdString(loss.lbl20dB), QString::fromStdString(loss.lbl30dB),
                       QString::fromStdString(ohms[0]),      QString::fromStdString(ohms[1]),
                       QString::fromStdString(ohms[2]),      QString::fromStdString(ohms[3]),
                       QString::fromStdString(ohms[4]),      QLatin1String(kFiftyOhmCaption)};
    look.scaleColours.fill(text);
    look.scaleColours[static_cast<std::size_t>(ScaleCaption::Ohm50)] = VbColour(Colour::Red);
    look.scaleShown.fill(true);
    look.scaleShown[static_cast<std::size_t>(ScaleCaption::RL_SWR)] = !request.transmission;
    look.scaleShown[static_cast<std::size_t>(ScaleCaption::TL_SWR)] = request.transmission;
    look.scaleShown[static_cast<std::size_t>(ScaleCaption::Ohm50)] = false;
    const std::array<std::string, 11> axis = FrequencyAxisTexts(FMin, FMax);
    for (std::size_t k = 0; k < kFrequencyAxisLabels; ++k) {
        look.axisTexts[k] = QString::fromStdString(axis[k]);
    }
    look.axisColours.fill(text);
    look.font = font;
    return look;
}

}  // namespace

PlotResult PlotPicture(const PlotRequest& request) {
    const Settings& settings = request.settings;
    const double scale = static_cast<double>(settings.TextSize) / 100.0;
    // The graph grows with the window, never below its design at the text size.
    const QSize least = ScaledRect(GraphDesign::Graph.pixels(), scale).size();
    if (request.graph.width() < least.width() || request.graph.height() < least.height()) {
        return {{},
                QStringLiteral("The graph cannot be drawn at %1 x %2 pixels")
                    .arg(request.graph.width())
                    .arg(request.graph.height())};
    }

    const float transmission = request.transmission ? 1.0f : 0.0f;
    TracePass pass;
    pass.Step = settings.Step;
    pass.H = static_cast<float>(GraphSpace::Height);
    pass.LossOffset = LeadingNumber(request.lossOffset.toStdString());
    // The traces the mode presets: the window starts with SWR and |Z|.
    pass.Enabled = request.transmission ? TraceEnables{.Phase = true, .Loss = true}
                                        : TraceEnables{.Z = true, .Swr = true};
    // Memories are read before the window's first tick has set the mode's
    // calibration offset.
    MemoryBank bank;
    for (const QString& path : request.memories) {
        if (const QString error =
                LoadMemoryFile(path, request.transmission, 0.0f, pass.LossOffset, bank);
            !error.isEmpty()) {
            return {{}, error};
        }
    }
    const CliVecResult read = ReadCliVec(request.file, request.fileBytes);
    if (!read.data || read.data->buffers.champ() != request.points) {
        return {{}, QStringLiteral("Cannot show %1").arg(request.file)};
    }
    const SweepBuffers& buffers = read.data->buffers;
    const float FMin = AsShownInItsBox(read.data->FMin);
    const float FMax = AsShownInItsBox(read.data->FMax);

    pass.MagnitudeSamples = buffers.MagnitudeSamples.data();
    pass.PhaseSamples = buffers.PhaseSamples.data();
    pass.Champ = request.points;
    pass.PointWidth = ComputePointWidth(static_cast<float>(GraphSpace::Width), request.points);
    pass.CalOffsetDb = CalOffsetDbFor(transmission, settings.caloffsetrx, settings.caloffsettx);
    const LossCaptions loss = LossCaptionsFor(false, pass.Scales.Loss, pass.Scales.Swr);
    pass.LossScale = loss.LossScale;
    const LossErrors errors =
        ComputeLossErrors(request.normalisation, FMin, FMax, request.points, transmission,
                          settings.caloffsetrx, settings.caloffsettx);
    pass.LossErrors = errors.Error.empty() ? nullptr : errors.Error.data();
    // The window draws twice, the second time from where the first left its pens.
    PenState pen;
    LossPhaseGeometry lossPhase;
    ImpedanceGeometry impedance;
    for (int tick = 0; tick < 2; ++tick) {
        PlotLossPhasePass(pass, pen, lossPhase);
        PlotImpedancePass(pass, pen, impedance);
    }

    const QPalette palette = QGuiApplication::palette();
    const QFont font = WindowFont(scale);
    const std::array<std::uint32_t, 6> colours = TraceColoursOf(settings);
    GraphScene scene;
    scene.back = Colour::GraphGrey;
    scene.frame = palette.color(QPalette::Dark);
    scene.frequencyGrid = true;
    scene.grid = VbFromQColor(palette.color(QPalette::Shadow));
    scene.font = font;
    const std::vector<Segment>* const traces[] = {&lossPhase.Phase, &lossPhase.Loss,
                                                  &impedance.Z,     &impedance.Xs,
                                                  &impedance.Rs,    &impedance.Swr};
    for (std::size_t t = 0; t < scene.traces.size(); ++t) {
        scene.traces[t] = {*traces[t], nullptr, colours[t]};
    }
    MemoryLayer memories;
    MemoryDrawing drawn = DrawMemories(bank, MemoryAxisOf(pass, FMin, FMax), colours);
    memories.set(std::move(drawn.traces), std::move(drawn.names));
    scene.memories = &memories;
    const auto T = static_cast<float>(Twips::FromPixels(GraphPlace(request.graph, scale).y()));
    PlaceOverlays(request, ComputeGraphScalePositions(T, pass.H, pass.Scales.Ohm),
                  VbFromQColor(palette.color(QPalette::Shadow)), scale, font, scene);

    PictureParts parts;
    parts.graph = std::move(scene);
    parts.graphSize = request.graph;
    parts.textScale = scale;
    parts.ohm = pass.Scales.Ohm;
    const QColor text = palette.color(QPalette::WindowText);
    parts.captions = CaptionLook(request, loss, pass.Scales.Ohm, FMin, FMax, text, font);
    CaptionBlock& block = parts.block;
    block.when = request.when;
    block.FMin = FMin;
    block.FMax = FMax;
    block.pointsCaption = QLatin1String(ReadoutCaptions::Points);
    block.points = QString::number(request.points);
    block.mode = QLatin1String(ReadoutCaptions::Modes[request.transmission ? 3 : 0]);
    block.marks = {QString::fromStdString(NormalisedMarkText(errors.Standards))};
    // Opened, the file is held and named.
    block.fileName = request.file;
    block.rows = PlotCaptionRows(request, pass.Enabled);
    parts.font = font;
    parts.background = palette.color(QPalette::Window);
    parts.text = text;

    const QByteArray bytes = PictureBytes(ComposePicture(std::move(parts)), request.format);
    if (bytes.isEmpty()) {
        return {{}, QStringLiteral("The picture could not be made")};
    }
    return {bytes, {}};
}
