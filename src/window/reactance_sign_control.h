#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>

#include "calibrate/normalisation.h"
#include "files/sweep_export.h"
#include "measure/trace_scale.h"
#include "timedomain/reactance_sign.h"
#include "window/window_calls.h"

class QAction;
class QMenu;
class LineWidget;
class QWidget;

// View → "Sign of X: by causality": the Xs trace and readouts with the sign
// of the reactance inferred by causality, which the detector does not give.
// Off by default, and while off nothing of the window changes. On, every
// tick works the signs out from the sweep before the traces are drawn: the
// Xs trace runs about a zero line, and the readouts say + or - (L or C),
// or ? where the sign cannot be known. Reflection modes only. A range too
// narrow to show causality by itself takes its signs from one quick wide
// sweep of the same load, made before its own sweep and again whenever the
// range or the mode changes.
class ReactanceSignControl : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QMenu& viewMenu;
        QWidget& graph;  // picGraph1: the zero line lies over it
        std::function<SweepExportInput()> sweep;
        std::function<std::uint32_t()> xsColour;  // the Xs trace's: its zero line's too
        Say notify;                               // the status bar
        // The normalisation's loss errors on the wide sweep's points.
        std::function<LossErrors(const WideSweepPlan&)> wideLossErrors;
    };
    ReactanceSignControl(const Parts& parts, QObject* parent);

    QAction* action() const { return mnuSignOfX_; }
    bool on() const;

    // The signs of the sweep as it stands, and the zero line on ohm's
    // scale; nothing while off or in Transmission.
    void update(OhmScale ohm, float graphHeight);
    // Per buffer index 0..Champ (+1, -1, 0 unknown), for the trace pass;
    // null while off.
    const std::int8_t* signs() const { return signs_.empty() ? nullptr : signs_.data(); }
    std::size_t count() const { return signs_.size(); }
    // The sign at buffer index i, Unknown beyond the signs.
    ReactanceSign signAt(std::int32_t index) const;

    // The wide sweep to make before the sweep of this range and mode, if one
    // is due: on, a reflection mode, a narrow range, and none taken for it yet.
    std::optional<WideSweepPlan> wideSweepDue(float FMin, float FMax, float TransmissionMode);
    // The wide sweep's reply (4 bytes a point), for the range and mode it
    // was due for.
    void wideSweepTaken(const QByteArray& reply);
    // Whatever the buffers now hold is not the load the wide sweep measured
    // (a file opened, RUN pressed): the next narrow sweep makes a new one.
    void forgetWideSweep();
    bool hasWideSweep() const { return wide_.has_value(); }

signals:
    void toggled();

private:
    Parts w_;
    QAction* mnuSignOfX_ = nullptr;
    LineWidget* zero_ = nullptr;
    ReactanceSignFinder finder_;
    std::vector<std::int8_t> signs_;
    QString said_;  // the last word in the status bar, so it is said once

    // The range and mode a wide sweep was made for.
    struct WideKey {
        float FMin = 0.0f, FMax = 0.0f, TransmissionMode = 0.0f;
        bool operator==(const WideKey&) const = default;
    };
    struct WideSweep {
        WideKey key;
        std::vector<float> magnitude, phase;  // 0..Champ, as the buffers
        LossErrors errors;
    };
    WideSweepPlan plan_;
    std::optional<WideKey> due_;  // asked for, reply not yet in
    std::optional<WideSweep> wide_;
};
