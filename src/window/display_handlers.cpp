// Marker placement, the measurement modes, trace enables and colours. The
// handlers change controls and a few fields; the next tick redraws.
#include <QColorDialog>

#include "window/chart1.h"
#include "common/colour.h"
#include "window/average_control.h"
#include "display/vb_colour.h"
#include "files/touchstone_file.h"
#include "measure/graph_overlays.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"

void chart1::connectDisplayHandlers() {
    connect(ui.picGraph1, &GraphWidget::mouseUp, this, &chart1::picGraph1_MouseUp);
    for (QAction* button : ui.toolbarButtons) {
        connect(button, &QAction::triggered, this,
                [this, button] { Toolbar1_ButtonClick(button->text()); });
    }
    connect(ui.cmdAllTraces, &QPushButton::clicked, this, &chart1::cmdAllTraces_Click);
    connect(ui.cmdNoTraces, &QPushButton::clicked, this, &chart1::cmdNoTraces_Click);
    const std::pair<QPushButton*, ColourButton> buttons[] = {
        {ui.cmdSWRColour, ColourButton::SWR},   {ui.cmdZColour, ColourButton::Z},
        {ui.cmdRLColour, ColourButton::RL},     {ui.cmdPHColour, ColourButton::PH},
        {ui.cmdRSColour, ColourButton::RS},     {ui.cmdXSColour, ColourButton::XS},
        {ui.cmdMkr1Colour, ColourButton::Mkr1}, {ui.cmdMkr2Colour, ColourButton::Mkr2},
        {ui.cmdMkr3Colour, ColourButton::Mkr3},
    };
    for (const auto& [button, which] : buttons) {
        connect(button, &QPushButton::clicked, this, [this, which = which] { colourButton_Click(which); });
    }
    chooseColour = [](QWidget* parent, std::uint32_t current) -> std::optional<std::uint32_t> {
        const QColor c = QColorDialog::getColor(VbColour(current), parent);
        if (!c.isValid()) {
            return std::nullopt;
        }
        return VbFromQColor(c);
    };
}

// Left button: marker 1; right button: marker 2. The tag goes to the left of
// its line in the right half of the graph, to the right otherwise.
void chart1::picGraph1_MouseUp(int button, int /*shift*/, float x, float /*y*/) {
    auto place = [&](LineWidget* line, QLabel* tag, QCheckBox* on) {
        ui.picGraph1->placeTag(tag, x, MarkerTagOffset(x, tag->width()));
        on->setChecked(true);
        line->setX1(x);
        line->setX2(x);
    };
    if (button == 1) {
        place(ui.linM1, ui.lblM1, ui.chkMkr1);
    }
    if (button == 2) {
        place(ui.linM2, ui.lblM2, ui.chkMkr2);
    }
}

// The four modes are presets: each block tests the button's text on its own,
// so one click runs the matching branch of one block and the other branch of
// the rest.
void chart1::Toolbar1_ButtonClick(const QString& text) {
    averageControl_->modeChosen(text);
    if (text == QLatin1String("Antenna")) {
        ui.chkSWR->setChecked(true);
        ui.chkZ->setChecked(true);
    }

    if (text == QLatin1String("Cable Loss")) {
        ui.fraCableLoss->setVisible(true);
        ui.chkSWR->setChecked(false);
        ui.chkZ->setChecked(false);
        ui.chkRL->setChecked(true);
        ui.chkPH->setChecked(false);
        ui.chkXS->setChecked(false);
    } else {
        ui.fraCableLoss->setVisible(false);
    }

    if (text == QLatin1String("Cable Length")) {
        ui.fraCableLength->setVisible(true);
        ui.lblVF->setVisible(true);
        ui.chkSWR->setChecked(false);
        ui.chkZ->setChecked(true);
        ui.chkRL->setChecked(false);
        ui.chkPH->setChecked(false);
        ui.chkRS->setChecked(false);
        ui.chkXS->setChecked(false);
        ui.chkXJ->setChecked(false);
        ui.chkXJ->setVisible(false);
        ui.chkMkr1->setChecked(true);
        ui.chkMkr2->setChecked(true);
    } else {
        ui.fraCableLength->setVisible(false);
        ui.chkXJ->setVisible(true);
    }

    if (text == QLatin1String("Transmission")) {
        fields.TransmissionMode = 1.0f;
        ui.lblRL_SWR->setVisible(false);
        ui.lblTL_SWR->setVisible(true);
        ui.lblMkrRL->setVisible(false);
        ui.lblMkrTL->setVisible(true);
        for (QCheckBox* box : {ui.chkSWR, ui.chkZ}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
        ui.chkRL->setChecked(true);
        ui.chkPH->setChecked(true);
        for (QCheckBox* box : {ui.chkRS, ui.chkXS}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    } else {
        fields.TransmissionMode = 0.0f;
        for (QCheckBox* box : {ui.chkSWR, ui.chkZ, ui.chkRS, ui.chkXS}) {
            box->setEnabled(true);
        }
        ui.lblRL_SWR->setVisible(true);
        ui.lblTL_SWR->setVisible(false);
        ui.lblMkrRL->setVisible(true);
        ui.lblMkrTL->setVisible(false);
    }
    // The Touchstone item names the file the mode's export writes.
    ui.mnuSaveTouchstone->setText(TouchstoneMenuCaption(fields.TransmissionMode));
}

void chart1::cmdAllTraces_Click() {
    for (QCheckBox* box : {ui.chkSWR, ui.chkZ, ui.chkRL, ui.chkPH, ui.chkRS, ui.chkXS}) {
        box->setChecked(true);
    }
}

void chart1::cmdNoTraces_Click() {
    for (QCheckBox* box : {ui.chkSWR, ui.chkZ, ui.chkRL, ui.chkPH, ui.chkRS, ui.chkXS}) {
        box->setChecked(false);
    }
}

// A colour button recolours its trace (or marker) and the labels that go with
// it. Cancelling the dialog changes nothing.
void chart1::colourButton_Click(ColourButton which) {
    QPushButton* const button[] = {ui.cmdSWRColour, ui.cmdZColour, ui.cmdRLColour,
                                   ui.cmdPHColour,  ui.cmdRSColour, ui.cmdXSColour,
                                   ui.cmdMkr1Colour, ui.cmdMkr2Colour, ui.cmdMkr3Colour};
    QPushButton* self = button[static_cast<int>(which)];
    const std::optional<std::uint32_t> chosen = chooseColour(this, BackColour(self));
    if (!chosen) {
        return;
    }
    const std::uint32_t c = *chosen;
    auto fore = [c](std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets) {
            SetForeColour(w, c);
        }
    };
    switch (which) {
        case ColourButton::SWR:
            settings_.colorS6 = std::to_string(c);
            fore({ui.lblSWR});
            break;
        case ColourButton::Z:
            settings_.colorS5 = static_cast<float>(c);
            fore({ui.lblZ, ui.lblMkrZ, ui.lbl0ohm, ui.lbl50ohm, ui.lbl75ohm, ui.lbl150ohm,
                  ui.lbl225ohm, ui.lbl300ohm});
            break;
        case ColourButton::RL:
            settings_.colorS2 = static_cast<float>(c);
            fore({ui.chkLossx2, ui.fraLoss, ui.lblLossOffset, ui.lblRL_SWR, ui.lblTL_SWR, ui.lblRL,
                  ui.lbl0db, ui.lbl10dB, ui.lbl20dB, ui.lbl30dB});
            break;
        case ColourButton::PH:
            settings_.colorS1 = static_cast<float>(c);
            fore({ui.lblPH});
            break;
        case ColourButton::RS:
            settings_.colorS4 = static_cast<float>(c);
            fore({ui.lblRS});
            break;
        case ColourButton::XS:
            settings_.colorS3 = static_cast<float>(c);
            fore({ui.lblXS});
            break;
        case ColourButton::Mkr1:
            ui.linM1->setBorderColour(c);
            break;
        case ColourButton::Mkr2:
            ui.linM2->setBorderColour(c);
            break;
        case ColourButton::Mkr3:
            ui.linM3->setBorderColour(c);
            break;
    }
    SetBackColour(self, c);
    if (which == ColourButton::Mkr1) {
        SetForeColour(ui.lblM1, c);
    } else if (which == ColourButton::Mkr2) {
        SetForeColour(ui.lblM2, c);
    }
}
