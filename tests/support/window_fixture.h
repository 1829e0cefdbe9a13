#pragma once

#include <QMessageBox>
#include <QSignalSpy>
#include <QStringList>
#include <memory>

#include "window/chart1.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"

namespace TestSupport {

// A loaded main window with default settings (unless changed before load),
// its timer stopped so that a test ticks it by hand.
struct WindowFixture {
    Settings settings = ParseSettings("").settings;
    SweepBuffers buffers;
    QtSerialPortService serial;
    RecordingParallelPort parallel;
    std::unique_ptr<chart1> w;

    void load() {
        w = std::make_unique<chart1>(settings, buffers, serial, parallel);
        w->Form_Load();
        w->ui.Timer1->stop();
    }
    // Runs one tick to its end; false when it did not end in time.
    bool tick(int timeoutMs = 8000) {
        QSignalSpy done(w.get(), &chart1::tickFinished);
        w->Timer1_Timer();
        return done.count() == 1 || done.wait(timeoutMs);
    }

    // Loaded on a serial device with Timer1 left running, as in use.
    void loadLive(const QString& device) {
        settings.device = device.toStdString();
        w = std::make_unique<chart1>(settings, buffers, serial, parallel);
        w->Form_Load();
    }
    bool running() const { return w->fields.Running == 1.0f; }
    // Waits for the end of the next tick the timer runs.
    bool nextTick(int timeoutMs = 8000) {
        QSignalSpy done(w.get(), &chart1::tickFinished);
        return done.wait(timeoutMs);
    }
    // The texts of the warning boxes shown so far, oldest first.
    QStringList warnings() const {
        QStringList texts;
        for (const QMessageBox* box : w->findChildren<QMessageBox*>(QStringLiteral("warningBox"))) {
            texts << box->text();
        }
        return texts;
    }
};

}  // namespace TestSupport
