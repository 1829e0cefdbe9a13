#pragma once

#include <QMainWindow>
#include <QPointer>

#include "app/about_window.h"
#include "app/chart1_widgets.h"
#include "app/settings.h"
#include "common/sweep_buffers.h"
#include "common/window_fields.h"

class SerialPortService;
class ParallelPort;

// The main window. It owns its widgets and fields; the settings, the sample
// buffers, the serial port and the parallel port are handed in by start-up and
// outlive it. Each subsystem's handlers are member functions defined in that
// subsystem's folder.
class chart1 : public QMainWindow {
    Q_OBJECT
public:
    chart1(Settings& settings, SweepBuffers& buffers, SerialPortService& serial,
           ParallelPort& parallel, QWidget* parent = nullptr);
    ~chart1() override;

    // Runs once, before the window is first shown.
    void Form_Load();

    Chart1Widgets ui;
    WindowFields fields;
    float FullFMin = 0.0f;  // the settings file's limits, for "Full"
    float FullFMax = 0.0f;
    QString helpFile;       // named only; there is no help viewer
    QString CommonDialog1FileName;  // the file last chosen in a file dialog

    Settings& settings() { return settings_; }
    SweepBuffers& buffers() { return buffers_; }
    SerialPortService& MSComm1() { return serial_; }

    // The About window while it is open (null otherwise).
    AboutWindow* aboutWindow() const { return about_; }

public slots:
    void mnuExit_Click();
    void mnuAbout_Click();
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void applyTraceColours();
    void placeScalesAndLines();

    Settings& settings_;
    SweepBuffers& buffers_;
    SerialPortService& serial_;
    ParallelPort& parallel_;
    QPointer<AboutWindow> about_;
};
