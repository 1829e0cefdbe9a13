// Form_Load: prepares the main window once, in a fixed order, before it is
// first shown.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "common/colour.h"
#include "common/display_format.h"
#include "common/rounding.h"
#include "common/twips.h"
#include "display/vb_colour.h"
#include "instrument/parallel_sequences.h"
#include "instrument/serial_device.h"
#include "instrument/serial_port_service.h"
#include "measure/graph_captions.h"
#include "measure/graph_overlays.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "measure/trace_scale.h"
#include "settings/startup_rules.h"
#include "window/chart1.h"
#include "window/graph_view.h"
#include "window/limits_control.h"
#include "window/remote_window.h"

namespace {


}  // namespace

void chart1::Form_Load() {
    // 1. The serial port's number; the port stays closed until RUN. The
    //    settings reader has already refused a port beyond 16 bits.
    const std::int16_t portNumber = ToInt16HalfEven(settings_.port).value_or(0);
    serial_.setDevice(SerialDevicePath(portNumber, settings_.device));

    // 2. Centre on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->geometry();
        const QSize size = sizeHint().expandedTo(minimumSizeHint());
        move(avail.left() + CentredOffset(avail.width(), size.width()),
             avail.top() + CentredOffset(avail.height(), size.height()));
    }

    // 3. The help file is only named.
    helpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/Brelvin_help.hlp");

    // 4. The two band groups.
    ui.lstBands->addItem(QStringLiteral("HF Bands"));
    ui.lstBands->addItem(QStringLiteral("VHF Bands"));

    // 6. Scale labels, reference lines and marker lines, from the graph's
    //    top and height.
    placeScalesAndLines();

    // 7. Trace colours.
    applyTraceColours();

    // 5, 8, 9. Points per sweep, the sample arrays 0..Champ and the
    //    horizontal distance between adjacent points.
    usePoints(settings_.Champ);

    // 10. The measurement cycle: its first tick comes after this returns.
    ui.Timer1->setInterval(50);
    ui.Timer1->start();

    // 11. Reset the device on the parallel port.
    ParallelReset(parallel_, settings_.Address1);
    showParallelNotice();

    // 12. Sweep limits in MHz, whatever the settings say.
    ui.txtStart->setText(QStringLiteral("1"));
    ui.txtStop->setText(QStringLiteral("180"));

    // 13. Velocity factor / 100, shown nowhere.
    ui.txtVF->setText(QString::fromStdString(FloatText(settings_.InputVelFactor / 100.0f)));

    // 14. What "Full" restores.
    FullFMax = settings_.FMax;
    FullFMin = settings_.FMin;

    // The limits the settings remember, and the remote commands' server.
    limits_->loadRemembered();
    remote_->start();
}

void chart1::usePoints(std::int32_t champ) {
    buffers_.resize(champ);
    sweepShown_ = false;
    showPoints();
}

void chart1::showPoints() {
    ui.lblPoints->setText(QString::number(points()));
    fields.PointWidth = static_cast<float>(static_cast<double>(ui.picGraph1->ScaleWidth()) /
                                           static_cast<double>(points()));
}

void chart1::placeScalesAndLines() {
    const float T = static_cast<float>(Twips::FromPixels(ui.picGraph1->y()));
    const float H = ui.picGraph1->ScaleHeight();
    const GraphScalePositions p = ComputeGraphScalePositions(T, H, graphView_->scales().Ohm);
    // The captions beside the graph keep level with its lines.
    QLabel* const captions[kScaleCaptions] = {
        ui.lblRL_SWR, ui.lblTL_SWR, ui.lbl0db,    ui.lbl10dB,   ui.lbl20dB,   ui.lbl30dB,
        ui.lbl0ohm,   ui.lbl75ohm,  ui.lbl150ohm, ui.lbl225ohm, ui.lbl300ohm, ui.lbl50ohm};
    const auto places =
        ScaleCaptionPlaces(ui.picGraph1->size(), ui.textScale, graphView_->scales().Ohm);
    for (std::size_t i = 0; i < kScaleCaptions; ++i) {
        captions[i]->setGeometry(places[i].translated(ui.picGraph1->pos()));
    }
    LineWidget* const lines[] = {ui.lin10dB,  ui.lin20dB,  ui.lin225ohm, ui.lin150ohm,
                                 ui.lin75ohm, ui.lin50ohm, ui.linM1,     ui.linM2};
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const GraphLine l = PlacedGraphLine(static_cast<GraphLineId>(i), p, 0, lines[i]->X1());
        lines[i]->setY1(l.y1);
        lines[i]->setY2(l.y2);
    }
    ui.picGraph1->setTagTop(ui.lblM1, p.lblMTop);
    ui.picGraph1->setTagTop(ui.lblM2, p.lblMTop);
}

void chart1::applyTraceColours() {
    struct Row {
        std::uint32_t colour;
        std::initializer_list<QWidget*> text;
        QPushButton* button;
    };
    const Row rows[] = {
        {ColourFromSetting(settings_.colorS6), {ui.lblSWR, ui.lblMkrSWR}, ui.cmdSWRColour},
        {ColourFromSetting(settings_.colorS5), {ui.lblZ, ui.lblMkrZ}, ui.cmdZColour},
        {ColourFromSetting(settings_.colorS2), {ui.lblRL, ui.lblMkrRL, ui.lblMkrTL}, ui.cmdRLColour},
        {ColourFromSetting(settings_.colorS1), {ui.lblPH, ui.lblMkrPH}, ui.cmdPHColour},
        {ColourFromSetting(settings_.colorS4), {ui.lblRS, ui.lblMKrRS}, ui.cmdRSColour},
        {ColourFromSetting(settings_.colorS3), {ui.lblXS, ui.lblMkrXS}, ui.cmdXSColour},
    };
    for (const Row& row : rows) {
        for (QWidget* w : row.text) {
            SetForeColour(w, row.colour);
        }
        SetBackColour(row.button, row.colour);
    }
}
