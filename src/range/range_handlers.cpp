// Sweep limits (Zoom, Full, Save, Recall) and the band presets. They only
// write the start and stop boxes; the next tick reads them.
#include "app/chart1.h"
#include "common/decimal_text.h"
#include "common/display_format.h"
#include "common/leading_number.h"
#include "common/twips.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "range/band_presets.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void chart1::connectRangeHandlers() {
    connect(ui.cmdZoomSweep, &QPushButton::clicked, this, &chart1::cmdZoomSweep_Click);
    connect(ui.cmdFullSweep, &QPushButton::clicked, this, &chart1::cmdFullSweep_Click);
    connect(ui.cmdSaveSweep, &QPushButton::clicked, this, &chart1::cmdSaveSweep_Click);
    connect(ui.cmdRecallSweep, &QPushButton::clicked, this, &chart1::cmdRecallSweep_Click);
    for (std::size_t i = 0; i < ui.optA.size(); ++i) {
        connect(ui.optA[i], &QRadioButton::clicked, this, [this, i] { bandPreset_Click(HfBandPresets[i]); });
    }
    for (std::size_t i = 0; i < ui.optB.size(); ++i) {
        connect(ui.optB[i], &QRadioButton::clicked, this, [this, i] { bandPreset_Click(VhfBandPresets[i]); });
    }
    connect(ui.lstBands, &QListWidget::itemClicked, this, &chart1::lstBands_Click);
}

// Narrows the sweep to the span between the markers. The marker captions are
// in Hz with grouping commas; they are handed to the MHz boxes as MHz values,
// so that 14,200,000 becomes 14.2 (not 14) and 500,000 becomes 0.5.
void chart1::cmdZoomSweep_Click() {
    const float W = ui.picGraph1->ScaleWidth();
    ui.txtStop->setText(Text(HzAsMHzText(ParseReadout(ui.lblMkr2Freq->text().toStdString()))));
    ui.txtStart->setText(Text(HzAsMHzText(ParseReadout(ui.lblMkr1Freq->text().toStdString()))));
    ui.linM1->setX1(W * 0.25f);
    ui.linM1->setX2(W * 0.25f);
    ui.lblM1->move(Twips::ToPixels(W * 0.25f), ui.lblM1->y());
    ui.linM2->setX1(W * 0.75f);
    ui.linM2->setX2(W * 0.75f);
    ui.lblM2->move(Twips::ToPixels(W * 0.75f) - ui.lblM2->width(), ui.lblM2->y());
    ui.chkHold->setChecked(false);
}

// Back to the settings file's range, unless held.
void chart1::cmdFullSweep_Click() {
    if (ui.chkHold->isChecked()) {
        return;
    }
    settings_.FMax = FullFMax;
    settings_.FMin = FullFMin;
    ui.txtStop->setText(Text(ShortestDecimal(static_cast<double>(settings_.FMax) / 1000000.0)));
    ui.txtStart->setText(Text(ShortestDecimal(static_cast<double>(settings_.FMin) / 1000000.0)));
}

// Remembers the boxes. A box that is not a number stores its leading number
// (0 for none) instead of failing.
void chart1::cmdSaveSweep_Click() {
    SavedStartMHz = static_cast<float>(LeadingNumber(ui.txtStart->text().toStdString()));
    SavedStopMHz = static_cast<float>(LeadingNumber(ui.txtStop->text().toStdString()));
}

void chart1::cmdRecallSweep_Click() {
    ui.txtStart->setText(Text(FloatText(SavedStartMHz)));
    ui.txtStop->setText(Text(FloatText(SavedStopMHz)));
}

void chart1::bandPreset_Click(const BandPreset& band) {
    ui.txtStart->setText(QLatin1String(band.start));
    ui.txtStop->setText(QLatin1String(band.stop));
}

void chart1::lstBands_Click() {
    const QListWidgetItem* item = ui.lstBands->currentItem();
    const QString text = item ? item->text() : QString();
    if (text == QLatin1String("HF Bands")) {
        ui.fraHFAmateur->setVisible(true);
        ui.fraVHFAmateur->setVisible(false);
    } else if (text == QLatin1String("VHF Bands")) {
        ui.fraHFAmateur->setVisible(false);
        ui.fraVHFAmateur->setVisible(true);
    }
}
