// RUN, Hold and Bands, and what happens when the serial line fails.
#include <QMessageBox>

#include "common/colour.h"
#include "display/vb_colour.h"
#include "instrument/parallel_port.h"
#include "instrument/serial_port_service.h"
#include "window/average_control.h"
#include "window/chart1.h"
#include "window/reactance_sign_control.h"

namespace {
// Marks the boxes that tell of the serial line: they are out of date once
// the port opens again.
constexpr char kLineWarning[] = "serialLineWarning";

void WarnAboutLine(chart1& w, const QString& message) {
    w.warn(message)->setProperty(kLineWarning, true);
}
}  // namespace

// A toggle: RUN opens the serial port and the cycle starts sweeping; RUN
// again closes it. Running is changed before the port is touched.
void chart1::cmdRUN_Click() {
    if (fields.Running != 0.0f) {
        fields.Running = 0.0f;
        exchange_.discard();  // a reply on its way is not decoded
        serial_.close();
        SetBackColour(ui.cmdRUN, Colour::Red);
        status_.clear(StatusLine::Cause::NoSweep);  // nothing is being swept now
        return;
    }
    fields.Running = 1.0f;
    QString error;
    if (serial_.device().isEmpty()) {
        error = QStringLiteral("Cannot open the serial port: no port is configured (set port or "
                               "device under [PORTSETTING] in vezizo.ini)");
    } else if (!serial_.open(&error)) {
        if (error.isEmpty()) {
            error = QStringLiteral("Cannot open %1").arg(serial_.device());
        }
    }
    if (!error.isEmpty()) {
        fields.Running = 0.0f;
        SetBackColour(ui.cmdRUN, Colour::Red);
        WarnAboutLine(*this, error);
        return;
    }
    SetBackColour(ui.cmdRUN, Colour::Green);
    // A device that had gone away, or could not be opened, is back.
    for (QMessageBox* box : findChildren<QMessageBox*>(QStringLiteral("warningBox"))) {
        if (box->property(kLineWarning).toBool()) {
            box->close();
        }
    }
    averageControl().restart();
    reactanceSign_->forgetWideSweep();  // the load may have changed while stopped
    notify(QStringLiteral("Running on %1").arg(serial_.device()));
}

void chart1::chkHold_Click() {
    const bool held = ui.chkHold->isChecked();
    if (held) {
        exchange_.discard();  // the held sweep is the one on the graph
    }
    ui.txtStart->setEnabled(!held);
    ui.txtStop->setEnabled(!held);
    ui.chkBands->setEnabled(!held);
    ui.cmdSaveSweep->setVisible(!held);
    ui.cmdRecallSweep->setVisible(!held);
    ui.cmdZoomSweep->setVisible(!held);
    ui.cmdFullSweep->setVisible(!held);
}

void chart1::chkBands_Click() {
    ui.fraFreqSwpLim->setVisible(!ui.chkBands->isChecked());
    lstBands_Click();  // the band frame it uncovers, or none while covered
}

// The line and the exchange may both report the same loss; the user is told
// once, when RUN actually stops.
void chart1::stopRunning(const QString& why) {
    if (fields.Running == 0.0f) {
        serial_.close();
        return;
    }
    cmdRUN_Click();
    WarnAboutLine(*this, why);
}

void chart1::onSerialFailed(const QString& message, bool deviceGone) {
    if (deviceGone) {
        stopRunning(message);
    } else {
        notify(message);
    }
}

void chart1::notify(const QString& message) {
    status_.pass(message);
}

QMessageBox* chart1::warn(const QString& message) {
    notify(message);
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Zezizav"), message,
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("warningBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

void chart1::showParallelNotice() {
    notify(QString::fromStdString(parallel_.takeNotice()));
}
