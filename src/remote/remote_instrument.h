#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/trace_kind.h"

// The window's four measurement modes, in the toolbar's order.
enum class RemoteMode { Antenna, CableLoss, CableLength, Transmission };

struct RemoteIdentity {
    std::string model;
    std::string serial;  // empty when the analyser gives none
    std::string version;
};

// What the remote commands drive: the window, through an adapter of its own.
// Plain values only. A setter returns 0, or the negative error number of the
// command's refusal (-222 out of range, -221 a conflict with what the window
// is doing, -250 a save that failed, and so on).
class RemoteInstrument {
public:
    virtual ~RemoteInstrument() = default;

    virtual RemoteIdentity identity() const = 0;
    // As a user starting afresh: the window's defaults, Hold.
    virtual void reset() = 0;

    virtual double startHz() const = 0;
    virtual double stopHz() const = 0;
    // Both limits at once, so that no half-changed range is ever swept.
    virtual int setRange(double startHz, double stopHz) = 0;
    virtual int points() const = 0;
    virtual int setPoints(int points) = 0;
    virtual RemoteMode mode() const = 0;
    virtual int setMode(RemoteMode mode) = 0;

    // Starts one sweep and returns at once; the window calls the session's
    // operationComplete() when it has been drawn.
    virtual int startSweep() = 0;
    virtual bool continuous() const = 0;  // RUN (true) or Hold
    virtual int setContinuous(bool on) = 0;

    // One value per point of the last sweep, as the window shows them.
    virtual std::vector<double> frequencies() const = 0;
    virtual std::vector<double> trace(TraceKind kind) const = 0;

    // Markers 1..3.
    virtual double markerHz(int marker) const = 0;
    virtual int setMarkerHz(int marker, double hz) = 0;
    virtual double markerValue(int marker, TraceKind kind) const = 0;
    // The minimum-SWR marker to the sweep's lowest SWR.
    virtual int markerToMinimum() = 0;

    // path is inside the saves folder (StorePath has checked it); the type
    // follows its extension.
    virtual int store(const std::string& path) = 0;
    // Whether the sweep fails the limit lines; nothing when none are loaded.
    virtual std::optional<bool> limitsFail() const = 0;
};
