// Sweep limits (Zoom, Full, Save, Recall) and the band presets. They only
// write the start and stop boxes; the next tick reads them.
#include <memory>

#include "window/chart1.h"
#include "common/decimal_text.h"
#include "common/display_format.h"
#include "common/leading_number.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "range/band_presets.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

// Calls chosen once for every way of choosing a preset button: a click, the
// arrow keys, Space, the accessibility press action (all of which click it),
// and the accessibility toggle action (which checks it without a click).
// Clicking it while chosen counts too. A click is pressed, checks the
// button, is released and reports clicked(); the check inside it must not
// count a second time.
template <class Chosen>
void ConnectPreset(QAbstractButton* button, QObject* context, Chosen chosen) {
    auto pressed = std::make_shared<bool>(false);
    QObject::connect(button, &QAbstractButton::pressed, context, [pressed] { *pressed = true; });
    QObject::connect(button, &QAbstractButton::released, context, [pressed] { *pressed = false; });
    QObject::connect(button, &QAbstractButton::toggled, context, [pressed, chosen](bool on) {
        if (on && !*pressed) {
            chosen();
        }
    });
    QObject::connect(button, &QAbstractButton::clicked, context, chosen);
}
}  // namespace

void chart1::connectRangeHandlers() {
    connect(ui.cmdZoomSweep, &QPushButton::clicked, this, &chart1::cmdZoomSweep_Click);
    connect(ui.cmdFullSweep, &QPushButton::clicked, this, &chart1::cmdFullSweep_Click);
    connect(ui.cmdSaveSweep, &QPushButton::clicked, this, &chart1::cmdSaveSweep_Click);
    connect(ui.cmdRecallSweep, &QPushButton::clicked, this, &chart1::cmdRecallSweep_Click);
    // Nothing to recall before the first "Save": recalling then would put
    // 0 - 0 into the boxes, a range the next sweep refuses.
    ui.cmdRecallSweep->setEnabled(false);
    for (std::size_t i = 0; i < ui.optA.size(); ++i) {
        ConnectPreset(ui.optA[i], this, [this, i] { bandPreset_Click(HfBandPresets[i]); });
    }
    for (std::size_t i = 0; i < ui.optB.size(); ++i) {
        ConnectPreset(ui.optB[i], this, [this, i] { bandPreset_Click(VhfBandPresets[i]); });
    }
    // Like the list's Click event of old: every change of the choice counts,
    // by mouse, by the arrow keys or through the accessibility selection.
    connect(ui.lstBands, &QListWidget::itemSelectionChanged, this, &chart1::lstBands_Click);
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
    ui.picGraph1->placeTag(ui.lblM1, W * 0.25f, 0);
    ui.linM2->setX1(W * 0.75f);
    ui.linM2->setX2(W * 0.75f);
    ui.picGraph1->placeTag(ui.lblM2, W * 0.75f, -ui.lblM2->width());
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
    ui.cmdRecallSweep->setEnabled(true);
}

void chart1::cmdRecallSweep_Click() {
    if (!ui.cmdRecallSweep->isEnabled()) {
        return;  // nothing saved yet
    }
    ui.txtStart->setText(Text(FloatText(SavedStartMHz)));
    ui.txtStop->setText(Text(FloatText(SavedStopMHz)));
}

void chart1::bandPreset_Click(const BandPreset& band) {
    ui.txtStart->setText(QLatin1String(band.start));
    ui.txtStop->setText(QLatin1String(band.stop));
}

// Shows the band frame the list chooses, while "Bands" uncovers it; while
// the sweep limits cover the frames they are hidden, so Tab never reaches a
// button that cannot be seen. The list's current item keeps the choice.
void chart1::lstBands_Click() {
    QListWidget* list = ui.lstBands;
    if (QListWidgetItem* selected = list->selectedItems().value(0)) {
        // A selection made through the accessibility interface leaves the
        // current item where it was.
        if (selected != list->currentItem()) {
            list->setCurrentItem(selected);
        }
    }
    const QListWidgetItem* item = list->currentItem();
    const bool vhf = item && item->text() == QLatin1String("VHF Bands");  // else HF
    const bool uncovered = ui.chkBands->isChecked();
    ui.fraHFAmateur->setVisible(uncovered && !vhf);
    ui.fraVHFAmateur->setVisible(uncovered && vhf);
}
