#include "compare/average_control.h"

#include "app/chart1.h"

AverageControl::AverageControl(chart1& window) : QObject(&window), w_(window) {
    QComboBox* box = w_.ui.cboAverage;
    for (const int n : RunningMean::Choices) {
        box->addItem(QString::number(n), n);
    }
    box->setCurrentIndex(0);
    connect(box, &QComboBox::currentIndexChanged, this, &AverageControl::choose);
}

void AverageControl::choose(int index) {
    mean_.setLength(w_.ui.cboAverage->itemData(index).toInt());
    averaged_.reset();
    showCount();
}

void AverageControl::restart() {
    mean_.restart();
    averaged_.reset();
    showCount();
}

void AverageControl::modeChosen(const QString& mode) {
    if (mode != mode_) {
        mode_ = mode;
        restart();
    }
}

void AverageControl::sweepRequested(float FMin, double FreqStep, std::int32_t Champ,
                                    float TransmissionMode) {
    requested_ = Plan{FMin, FreqStep, Champ, TransmissionMode};
}

void AverageControl::sweepDecoded() {
    if (mean_.length() == 1) {
        return;  // off: the buffers keep the sweep as it came
    }
    if (averaged_ != requested_) {
        mean_.restart();
        averaged_ = requested_;
    }
    SweepBuffers& b = w_.buffers();
    mean_.add(b.MagnitudeSamples, b.PhaseSamples);
    showCount();
}

void AverageControl::showCount() {
    w_.ui.lblAverage->setText(
        mean_.length() == 1 ? QStringLiteral("Average")
                            : QStringLiteral("Avg %1/%2").arg(mean_.count()).arg(mean_.length()));
}
