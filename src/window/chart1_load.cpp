// Form_Load: prepares the main window once, in a fixed order, before it is
// first shown.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "window/chart1.h"
#include "common/colour.h"
#include "settings/startup_rules.h"
#include "common/display_format.h"
#include "common/rounding.h"
#include "common/twips.h"
#include "measure/trace_scale.h"
#include "window/graph_view.h"
#include "display/vb_colour.h"
#include "instrument/parallel_sequences.h"
#include "instrument/serial_device.h"
#include "instrument/serial_port_service.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"

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
    // Each caption's top lies 100 twips above the line beside it. The line's
    // y goes through the graph's mapping, so a grown graph keeps the captions
    // level with their lines; the 100 twips stay as designed, at the text
    // size.
    const GraphMapping m = ui.picGraph1->mapping();
    const double graphTop = ui.picGraph1->y();
    auto top = [&](QLabel* l, float twips) {
        const double lineY = static_cast<double>(twips) - T + 100.0;
        l->move(l->x(), static_cast<int>(std::lround(graphTop + m.toPixelY(lineY) -
                                                     100.0 * ui.textScale / Twips::PerPixel)));
    };
    top(ui.lbl0ohm, p.lbl0ohm);
    top(ui.lbl50ohm, p.lbl50ohm);
    top(ui.lbl75ohm, p.lbl75ohm);
    top(ui.lbl150ohm, p.lbl150ohm);
    top(ui.lbl225ohm, p.lbl225ohm);
    top(ui.lbl300ohm, p.lbl300ohm);
    top(ui.lbl0db, p.lbl0db);
    top(ui.lbl10dB, p.lbl10dB);
    top(ui.lbl20dB, p.lbl20dB);
    top(ui.lbl30dB, p.lbl30dB);
    ui.linM1->setY1(p.markerY1);
    ui.linM2->setY1(p.markerY1);
    ui.linM1->setY2(p.markerY2);
    ui.linM2->setY2(p.markerY2);
    ui.picGraph1->setTagTop(ui.lblM1, p.lblMTop);
    ui.picGraph1->setTagTop(ui.lblM2, p.lblMTop);
    auto level = [](LineWidget* l, float y) {
        l->setY1(y);
        l->setY2(y);
    };
    level(ui.lin10dB, p.lin10dB);
    level(ui.lin20dB, p.lin20dB);
    level(ui.lin50ohm, p.lin50ohm);
    level(ui.lin75ohm, p.lin75ohm);
    level(ui.lin150ohm, p.lin150ohm);
    level(ui.lin225ohm, p.lin225ohm);
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
