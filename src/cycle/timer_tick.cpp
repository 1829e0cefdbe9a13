// Timer1_Timer: one measurement cycle. The steps run in a fixed order; each
// is a member function named after what it does.
#include "app/chart1.h"
#include "common/colour.h"
#include "common/leading_number.h"
#include "display/vb_colour.h"
#include "instrument/parallel_sequences.h"

namespace {
bool Checked(const QCheckBox* box) { return box->isChecked(); }

float MHzBoxToHz(const QLineEdit* box) {
    return static_cast<float>(LeadingNumber(box->text().toStdString()) * 1000000.0);
}
}  // namespace

void chart1::Timer1_Timer() {
    // 1. "Zero span" can be operated only while running and not held.
    ui.Checkzerospan->setEnabled(!Checked(ui.chkHold) && fields.Running == 1.0f);

    // 3. All data lines of the parallel port low, before the instrument is touched.
    ParallelTickClear(parallel_, settings_.Address1);

    // 4. The step from the limits as they stand, then the limits from the boxes.
    fields.FreqStep = (static_cast<double>(settings_.FMax) - static_cast<double>(settings_.FMin)) /
                      static_cast<double>(settings_.Champ);
    settings_.FMax = MHzBoxToHz(ui.txtStop);
    settings_.FMin = MHzBoxToHz(ui.txtStart);

    // 7. Hold's colour.
    SetBackColour(ui.chkHold, Checked(ui.chkHold) ? Colour::Orange : Colour::Green);

    // 13. While held, the file last opened or saved is named; leaving Hold forgets it.
    if (Checked(ui.chkHold)) {
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
}
