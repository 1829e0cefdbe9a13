#include "window/average_control.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <iterator>

#include "common/sweep_buffers.h"
#include "display/menu_bar_order.h"
#include "instrument/protocol.h"

namespace {

// Object names and captions of the "Average" items, one per choice of
// RunningMean::Choices, each with an access key of its own.
constexpr struct {
    const char* name;
    const char* text;
} Items[] = {
    {"mnuAverage1", "&1 (off)"}, {"mnuAverage2", "&2"},   {"mnuAverage4", "&4"},
    {"mnuAverage8", "&8"},       {"mnuAverage16", "1&6"},
};
static_assert(std::size(Items) == std::size(RunningMean::Choices));

}  // namespace

AverageControl::AverageControl(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    QMenu* view = &w_.viewMenu;
    view->addSeparator();
    QMenu* sub = view->addMenu(QStringLiteral("A&verage"));
    NameMenu(sub, "mnuAverage");
    auto* exclusive = new QActionGroup(sub);
    for (std::size_t i = 0; i < std::size(Items); ++i) {
        QAction* a = sub->addAction(QLatin1String(Items[i].text));
        a->setObjectName(QLatin1String(Items[i].name));
        a->setCheckable(true);
        a->setChecked(i == 0);
        exclusive->addAction(a);
        connect(a, &QAction::triggered, this, [this, n = RunningMean::Choices[i]] { choose(n); });
    }
}

void AverageControl::choose(int n) {
    mean_.setLength(n);
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

void AverageControl::sweepDecoded(std::span<const std::uint8_t> reply) {
    if (mean_.length() == 1) {
        return;  // off: the buffers keep the sweep as it came
    }
    if (averaged_ != requested_) {
        mean_.restart();
        averaged_ = requested_;
    }
    SweepBuffers& b = w_.buffers;
    // A corrupt reading left the mean of the sweeps before in the buffers:
    // counted again, it would weigh twice.
    const WholeReadings whole = reply.empty() ? WholeReadings{} : WholeReadingsOf(reply, b.champ());
    mean_.add(b.MagnitudeSamples, b.PhaseSamples, whole.magnitude, whole.phase);
    showCount();
}

void AverageControl::showCount() {
    QLabel* row = &w_.count;
    const bool on = mean_.length() > 1;
    row->setText(on ? QStringLiteral("Avg %1/%2").arg(mean_.count()).arg(mean_.length())
                    : QString());
    if (row->isHidden() == on) {
        row->setVisible(on);
        w_.placeInfoRows();
    }
}
