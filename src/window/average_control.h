#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "compare/running_mean.h"

class QLabel;
class QMenu;
struct SweepBuffers;

// The View menu's "Average" choice. With N above 1 every sweep decoded into
// the buffers is replaced there by the mean of the last N, so the graph, the
// readouts, the files and the memories all see the averaged sweep; the INFO
// frame shows how many it holds, "Avg 3/8". The mean starts again when the
// range, the number of points or the mode of the sweeps changes, when RUN
// starts and when N is chosen.
class AverageControl : public QObject {
    Q_OBJECT
public:
    // Where the choice and the count show, and the sweep averaged.
    struct Parts {
        QMenu& viewMenu;        // "Average" goes at its end
        SweepBuffers& buffers;  // each sweep there becomes the mean
        QLabel& count;          // lblAverage in the INFO frame
        // Places the INFO frame's rows after the count shows or hides.
        std::function<void()> placeInfoRows;
    };
    AverageControl(const Parts& parts, QObject* parent);

    // What the sweep on its way was asked for with.
    void sweepRequested(float FMin, double FreqStep, std::int32_t Champ, float TransmissionMode);
    // That sweep is in the buffers: it joins the mean, but for the readings
    // of the reply that did not come whole (none when the reply is empty).
    void sweepDecoded(std::span<const std::uint8_t> reply = {});
    void restart();
    // A mode button was chosen: another mode starts the mean again.
    void modeChosen(const QString& mode);

    const RunningMean& mean() const { return mean_; }

private:
    struct Plan {
        float FMin = 0.0f;
        double FreqStep = 0.0;
        std::int32_t Champ = 0;
        float TransmissionMode = 0.0f;
        bool operator==(const Plan&) const = default;
    };
    void choose(int n);
    void showCount();

    Parts w_;
    RunningMean mean_;
    Plan requested_;
    std::optional<Plan> averaged_;  // the plan of the sweeps in the mean
    QString mode_;
};
