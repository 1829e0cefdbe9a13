#pragma once

// A plain RemoteInstrument for the session's tests, its fuzzer and its
// benchmark: values in fields, a sweep that completes when the test says so.
// Not a model of the window; just enough state to see each command land.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "remote/remote_instrument.h"

class PlainInstrument : public RemoteInstrument {
public:
    double start = 1e6;
    double stop = 30e6;
    int pointCount = 11;
    RemoteMode currentMode = RemoteMode::Antenna;
    bool run = false;
    bool sweeping = false;  // the window mid-sweep: the point count is locked
    int sweepsStarted = 0;
    int resets = 0;
    double markers[3] = {1e6, 2e6, 3e6};
    int minimumCalls = 0;
    std::vector<std::string> stored;
    std::optional<bool> limitFail;
    std::vector<double> traces[TraceKindCount];

    RemoteIdentity identity() const override { return {"VNA-1", "", "2.2.9"}; }
    void reset() override {
        ++resets;
        run = false;
    }
    double startHz() const override { return start; }
    double stopHz() const override { return stop; }
    int setRange(double a, double b) override {
        if (!(a >= 1e3 && b <= 200e6 && a < b)) {
            return -222;
        }
        start = a;
        stop = b;
        return 0;
    }
    int points() const override { return pointCount; }
    int setPoints(int n) override {
        if (sweeping) {
            return -221;
        }
        if (n < 1 || n > 32767) {
            return -222;
        }
        pointCount = n;
        return 0;
    }
    RemoteMode mode() const override { return currentMode; }
    int setMode(RemoteMode m) override {
        currentMode = m;
        return 0;
    }
    int startSweep() override {
        ++sweepsStarted;
        return 0;
    }
    bool continuous() const override { return run; }
    int setContinuous(bool on) override {
        run = on;
        return 0;
    }
    // The point frequencies of the last sweep: none until a trace is set.
    std::vector<double> frequencies() const override {
        std::vector<double> f;
        const std::size_t n = traces[0].size();
        for (std::size_t i = 0; i < n; ++i) {
            f.push_back(n == 1 ? start
                               : start + (stop - start) * static_cast<double>(i) /
                                             static_cast<double>(n - 1));
        }
        return f;
    }
    std::vector<double> trace(TraceKind kind) const override {
        return traces[static_cast<std::size_t>(kind)];
    }
    double markerHz(int n) const override { return markers[n - 1]; }
    int setMarkerHz(int n, double hz) override {
        if (hz < start || hz > stop) {
            return -222;
        }
        markers[n - 1] = hz;
        return 0;
    }
    double markerValue(int n, TraceKind kind) const override {
        return static_cast<double>(n) * 100.0 + static_cast<double>(kind);
    }
    int markerToMinimum() override {
        ++minimumCalls;
        return 0;
    }
    int store(const std::string& path) override {
        stored.push_back(path);
        return 0;
    }
    std::optional<bool> limitsFail() const override { return limitFail; }

    // Every trace of n points; SWR dips to minSwr at point dip.
    void fill(std::size_t n, std::size_t dip, double minSwr) {
        for (std::size_t k = 0; k < TraceKindCount; ++k) {
            traces[k].assign(n, 0.0);
            for (std::size_t i = 0; i < n; ++i) {
                traces[k][i] = static_cast<double>(k) + 0.25 * static_cast<double>(i);
            }
        }
        std::vector<double>& swr = traces[static_cast<std::size_t>(TraceKind::Swr)];
        for (std::size_t i = 0; i < n; ++i) {
            swr[i] = minSwr + std::fabs(static_cast<double>(i) - static_cast<double>(dip)) / 7.0;
        }
    }
};
