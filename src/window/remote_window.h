#pragma once

#include <QObject>
#include <memory>

#include "limits/limits.h"
#include "remote/remote_instrument.h"

class chart1;
class QLabel;
class RemoteServer;

// The remote commands on the window: every change goes through the window's
// own controls and handlers, as if the user made it, so the window shows
// it; every value read is one the window shows. One sweep (INIT) is a sweep
// started after the command and drawn; the server is told when it has been.
class RemoteWindow : public QObject, public RemoteInstrument {
    Q_OBJECT
public:
    explicit RemoteWindow(chart1& window);
    ~RemoteWindow() override;

    // Listens as the settings say ([REMOTE] Port, Address); nothing when the
    // port is 0. Why not, in the status bar, when it cannot.
    void start();
    RemoteServer* server() const { return server_; }
    QLabel* indicator() const { return lblRemote_; }

    RemoteIdentity identity() const override;
    void reset() override;
    double startHz() const override;
    double stopHz() const override;
    int setRange(double startHz, double stopHz) override;
    int points() const override;
    int setPoints(int points) override;
    RemoteMode mode() const override;
    int setMode(RemoteMode mode) override;
    int startSweep() override;
    bool continuous() const override;
    int setContinuous(bool on) override;
    std::vector<double> frequencies() const override;
    std::vector<double> trace(TraceKind kind) const override;
    double markerHz(int marker) const override;
    int setMarkerHz(int marker, double hz) override;
    double markerValue(int marker, TraceKind kind) const override;
    int markerToMinimum() override;
    int store(const std::string& path) override;
    std::optional<bool> limitsFail() const override;

private:
    void sweepDrawn();
    void sweepAbandoned();
    const LimitTraceValues& values() const;

    chart1& w_;
    RemoteServer* server_ = nullptr;
    QLabel* lblRemote_ = nullptr;
    // INIT: a sweep is owed; the sweeps to let by first (one already on the
    // wire when the command came); Hold to set again once it is drawn.
    bool owed_ = false;
    int skip_ = 0;
    bool acquired_ = false;
    bool holdAfter_ = false;
    mutable LimitTraceValues values_;  // the window's values, kept from query to query
};
