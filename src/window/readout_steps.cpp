// Steps 5 to 11 of the tick: where the markers stand, the readouts of their
// rows, the cable, bandwidth and Q readouts, and what is shown. The
// arithmetic lives in the readout rules; this file only moves their texts
// into the widgets, in the tick's order.
#include <array>

#include "common/colour.h"
#include "cycle/bandwidth.h"
#include "cycle/marker_readouts.h"
#include "display/fit_text.h"
#include "display/vb_colour.h"
#include "measure/cable.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "timedomain/reactance_readout.h"
#include "window/chart1.h"
#include "window/reactance_sign_control.h"

namespace {

struct Row {
    LineWidget* line;
    QLabel* tag;  // none for marker 3
    QLabel* freq;
    QLineEdit* swr;
    QLineEdit* z;
    QLineEdit* rl;
    QLineEdit* ph;
    QLineEdit* rs;
    QLineEdit* xs;
    QPushButton* colour;
};

std::array<Row, 3> Rows(const Chart1Widgets& ui) {
    return {{
        {ui.linM1, ui.lblM1, ui.lblMkr1Freq, ui.txtMkr1SWR, ui.txtMkr1Z, ui.txtMkr1RL, ui.txtMkr1PH,
         ui.txtMkr1RS, ui.txtMkr1XS, ui.cmdMkr1Colour},
        {ui.linM2, ui.lblM2, ui.lblMkr2Freq, ui.txtMkr2SWR, ui.txtMkr2Z, ui.txtMkr2RL, ui.txtMkr2PH,
         ui.txtMkr2RS, ui.txtMkr2XS, ui.cmdMkr2Colour},
        {ui.linM3, nullptr, ui.lblMkr3Freq, ui.txtMkr3SWR, ui.txtMkr3Z, ui.txtMkr3RL, ui.txtMkr3PH,
         ui.txtMkr3RS, ui.txtMkr3XS, ui.cmdMkr3Colour},
    }};
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// The offset box's text is the caller's to keep while the inputs are used.
MarkerReadoutInputs chart1::markerReadoutInputs(std::int32_t index) const {
    MarkerReadoutInputs in;
    in.Index = index;
    in.MagnitudeSamples = buffers_.MagnitudeSamples;
    in.PhaseSamples = buffers_.PhaseSamples;
    in.FMin = settings_.FMin;
    in.FreqStep = fields.FreqStep;
    in.CalOffsetDb = fields.CalOffsetDb;
    return in;
}

void chart1::tickMarkerReadouts() {
    const std::array<Row, 3> rows = Rows(ui);
    const float W = ui.picGraph1->ScaleWidth();
    const bool transmission = fields.TransmissionMode != 0.0f;

    // 5. The sweep point under each marker line.
    std::int32_t* const index[] = {&fields.Mkr1Index, &fields.Mkr2Index, &fields.Mkr3Index};
    for (std::size_t m = 0; m < 3; ++m) {
        *index[m] = MarkerIndex(rows[m].line->X1(), W, points(), settings_.Step);
    }

    // 7. Hold's colour; the calibration offset of the mode, before the losses.
    SetBackColour(ui.chkHold, ui.chkHold->isChecked() ? Colour::Orange : Colour::Green);
    fields.CalOffsetDb = CalOffsetDbFor(fields.TransmissionMode, settings_.caloffsetrx,
                                        settings_.caloffsettx);
    const std::string lossOffsetText = ui.txtLossOffset->text().toStdString();
    const std::span<const double> errors = lossErrors();
    std::array<MarkerReadout, 3> r;
    for (std::size_t m = 0; m < 3; ++m) {
        MarkerReadoutInputs in = markerReadoutInputs(*index[m]);
        in.txtLossOffset = lossOffsetText;
        r[m] = ComputeMarkerReadout(in, LossErrorAt(errors, in.Index));
    }

    // 6. Phase; 7. loss (in Transmission marker 1's SWR is hidden); 8. frequency.
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].ph->setText(Text(r[m].Phase));
    }
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].rl->setText(Text(r[m].Loss));
    }
    if (transmission) {
        ui.txtMkr1SWR->setVisible(false);
    }
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].freq->setText(Text(r[m].Frequency));
        FitReadoutText(rows[m].freq);
    }

    // 9. Cable loss at markers 1 and 2, bandwidth and Q, cable length.
    const CableLossReadout cable = ComputeCableLoss(
        buffers_.MagnitudeSamples[static_cast<std::size_t>(fields.Mkr1Index)],
        buffers_.MagnitudeSamples[static_cast<std::size_t>(fields.Mkr2Index)],
        settings_.caloffsetvalue, fields.CalOffsetDb, LossErrorAt(errors, fields.Mkr1Index),
        LossErrorAt(errors, fields.Mkr2Index));
    fields.MinCableLoss = cable.MinCableLoss;
    fields.MaxCableLoss = cable.MaxCableLoss;
    ui.txtMinCL->setText(Text(cable.txtMinCL));
    ui.txtMaxCL->setText(Text(cable.txtMaxCL));
    ui.txtAvgCL->setText(Text(cable.txtAvgCL));
    const BandwidthReadout bw =
        ComputeBandwidth(fields.Mkr1Index, fields.Mkr2Index, fields.FreqStep, settings_.FMin);
    fields.Bandwidth = bw.Bandwidth;
    ui.txtBandwidth->setText(Text(bw.txtBandwidth));
    ui.txtQ->setText(Text(bw.txtQ));
    const CableLengthReadout length = ComputeCableLength(fields.Bandwidth, settings_.InputVelFactor);
    ui.lblVF->setText(Text(length.lblVF));
    ui.txtMeters->setText(Text(length.txtMeters));

    // 10. Impedance readouts, each quantity coloured by its trace's box.
    fields.Mkr1Rho = r[0].Rho;
    fields.Mkr2Rho = r[1].Rho;
    fields.Mkr3Rho = r[2].Rho;
    fields.CosPhi = r[2].CosPhi;  // the scratch fields keep the last marker's values
    fields.SinPhi = r[2].SinPhi;
    fields.GammaRe = r[2].GammaRe;
    fields.GammaIm = r[2].GammaIm;
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].xs->setText(Text(r[m].Xs));
        rows[m].rs->setText(Text(r[m].Rs));
    }
    const bool full = ui.chkMkrFull->isChecked();
    auto colour = [&](QLineEdit* Row::*box, const QCheckBox* trace) {
        for (std::size_t m = 0; m < 3; ++m) {
            SetForeColour(rows[m].*box,
                          ReadoutTextColour(static_cast<int>(m) + 1, trace->isChecked(), false));
        }
    };
    colour(&Row::rs, ui.chkRS);
    colour(&Row::xs, ui.chkXS);
    fields.Mkr1Uh = r[0].Uh.value_or(0.0f);
    fields.Mkr2Uh = r[1].Uh.value_or(0.0f);
    fields.Mkr1Pf = r[0].Pf.value_or(0.0f);
    fields.Mkr2Pf = r[1].Pf.value_or(0.0f);
    colour(&Row::rl, ui.chkRL);
    colour(&Row::ph, ui.chkPH);
    colour(&Row::swr, ui.chkSWR);
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].swr->setText(Text(r[m].Swr));
    }
    colour(&Row::z, ui.chkZ);
    for (std::size_t m = 0; m < 3; ++m) {
        rows[m].z->setText(Text(r[m].Z));
    }

    // 11. "Full" shows every readout whatever the traces.
    if (full) {
        for (const Row& row : rows) {
            for (QLineEdit* box : {row.swr, row.z, row.rl, row.ph, row.rs, row.xs}) {
                SetForeColour(box, 0);
            }
        }
    }
    // Markers 1 and 2: their widgets by check box and mode.
    const QCheckBox* const on[] = {ui.chkMkr1, ui.chkMkr2};
    for (std::size_t m = 0; m < 2; ++m) {
        const Row& row = rows[m];
        const MarkerWidgets shown = MarkerWidgetsShown(on[m]->isChecked(), fields.TransmissionMode);
        row.line->setVisible(shown.Line);
        row.tag->setVisible(shown.NameLabel);
        row.freq->setVisible(shown.Frequency);
        row.swr->setVisible(shown.Swr);
        row.z->setVisible(shown.Z);
        row.rl->setVisible(shown.Loss);
        row.ph->setVisible(shown.Phase);
        row.rs->setVisible(shown.Rs);
        row.xs->setVisible(shown.Xs);
        row.colour->setVisible(shown.ColourButton);
    }
    ui.fraDataReadout->setVisible(ValuesFrameShown(ui.chkMkr1->isChecked(), ui.chkMkr2->isChecked(),
                                                   ui.chkMinSWR->isChecked()));

    // "Xc / Xl": the reactance as an inductance or a capacitance.
    XsColumnDisplay xs;
    if (ui.chkXJ->isChecked()) {
        ui.chkXS->setChecked(true);
        ui.chkMkr1->setChecked(true);
        ui.chkMkr2->setChecked(true);
        const auto hz = [&](std::int32_t index) {
            return index * fields.FreqStep + settings_.FMin;
        };
        xs = XcXlDisplay(r[0].Pf, r[1].Pf, r[0].Uh, r[1].Uh, hz(fields.Mkr1Index),
                         hz(fields.Mkr2Index));
        ui.txtMkr1XJ->setText(Text(xs.txtMkr1XJ));
        ui.txtMkr2XJ->setText(Text(xs.txtMkr2XJ));
        ui.lblMkrXJ->setText(Text(xs.lblMkrXJCaption));
        SetForeColour(ui.lblMkrXJ, xs.lblMkrXJColour);
    } else {
        xs = PlainXsColumn(settings_.colorS3);
    }
    // "Sign of X: by causality": the readouts signed, L or C beside them.
    if (reactanceSign_->signs() != nullptr) {
        for (std::size_t m = 0; m < 3; ++m) {
            rows[m].xs->setText(Text(SignedXsText(reactanceSign_->signAt(*index[m]), r[m].Xs)));
        }
        xs = CausalXsColumn(reactanceSign_->signAt(*index[0]), reactanceSign_->signAt(*index[1]),
                            r[0], r[1], settings_.colorS3);
        ui.txtMkr1XJ->setText(Text(xs.txtMkr1XJ));
        ui.txtMkr2XJ->setText(Text(xs.txtMkr2XJ));
        ui.lblMkrXJ->setText(Text(xs.lblMkrXJCaption));
        SetForeColour(ui.lblMkrXJ, xs.lblMkrXJColour);
    }
    const QString inferred = reactanceSign_->signs() != nullptr
                                 ? QStringLiteral(
                                       "The sign of Xs is inferred by causality: + is "
                                       "inductive (L), - capacitive (C), ? unknown")
                                 : QString();
    ui.lblMkrXS->setToolTip(inferred);
    ui.lblMkrXJ->setToolTip(inferred);
    ui.lblMkrXS->setText(Text(xs.lblMkrXSCaption));
    SetForeColour(ui.lblMkrXS, xs.lblMkrXSColour);
    ui.lblMkrXJ->setVisible(xs.XjShown);
    ui.txtMkr1XJ->setVisible(xs.XjShown && ui.chkMkr1->isChecked());
    ui.txtMkr2XJ->setVisible(xs.XjShown && ui.chkMkr2->isChecked());

    // Marker 3, the bandwidth frame, and marker 3 following the best match.
    const bool minSwr = ui.chkMinSWR->isChecked();
    ui.fraMinSWR->setVisible(minSwr);
    ui.linM3->setVisible(minSwr);
    const bool ref50 = ui.chk50Ref->isChecked();
    ui.lin50ohm->setVisible(ref50);
    ui.lbl50ohm->setVisible(ref50);
    ui.fraBWandQ->setVisible(ui.chkBW->isChecked());
    if (!ui.chkHold->isChecked()) {
        const float x = MinSwrMarkerX(W, fields.BestMatchPoint, points());
        ui.linM3->setX1(x);
        ui.linM3->setX2(x);
    }
}
