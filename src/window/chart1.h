#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "window/about_window.h"
#include "window/chart1_widgets.h"
#include "settings/settings.h"
#include "window/status_line.h"
#include "window/window_calls.h"
#include "common/sweep_buffers.h"
#include "common/window_fields.h"
#include "cycle/marker_readouts.h"
#include "files/sweep_export.h"
#include "instrument/sweep_exchange.h"
#include "measure/trace_geometry.h"
#include "range/band_presets.h"

class SerialPortService;
class ParallelPort;
class PortMenu;
class SettingsController;
class GraphView;
class MarkerControls;
class CalibrateController;
class AverageControl;
class MemoryControl;
class PictureCommands;
class TextSizeControl;
class SmithView;
class TimeDomainView;
class ReactanceSignControl;
struct WideSweepPlan;
class LimitsControl;
class RemoteWindow;
class BandShading;
class MarkerSetControl;
struct MarkerSet;
class QMessageBox;

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
    QString helpFile;               // named only; there is no help viewer
    QString CommonDialog1FileName;  // the file last chosen in a file dialog
    qint64 TickNow = 0;             // pass-time clock, ms; wide enough never to wrap
    qint64 TickPrev = 0;
    float BestMatchCount = 0.0f;
    PointValues lastPoint;       // Rho, Rs, Xs, Zmag, Swr of the last point converted
    float SavedStartMHz = 0.0f;  // "Save" and "Recall"
    float SavedStopMHz = 0.0f;

    // The colour dialog: the colour chosen, or nothing when cancelled.
    // Replaceable, so that tests need no real dialog.
    std::function<std::optional<std::uint32_t>(QWidget*, std::uint32_t current)> chooseColour;
    enum class ColourButton { SWR, Z, RL, PH, RS, XS, Mkr1, Mkr2, Mkr3 };

    // The file dialog: the full path chosen, or empty when cancelled.
    // Replaceable, so that tests need no real dialog.
    using FileDialog = ::FileDialog;
    std::function<QString(QWidget*, FileDialog, const QString& filter, const QString& fileName)>
        chooseFile;

    Settings& settings() { return settings_; }
    SweepBuffers& buffers() { return buffers_; }
    SerialPortService& MSComm1() { return serial_; }

    // The "&Port" menu and the settings file's dialog and writer.
    PortMenu* portMenu() const { return portMenu_; }
    SettingsController* settingsController() const { return settingsController_; }
    // The View menu's "Average" choice and its count in the INFO frame.
    AverageControl& averageControl() { return *averageControl_; }
    // The "M&emory" menu and the memories drawn under the traces.
    MemoryControl& memoryControl() { return *memoryControl_; }
    // What a pass of the traces reads now: the buffers, the offsets, the
    // scales and the traces shown.
    TracePass tracePass() const;
    // The colours of the six traces from the settings, in the graph's drawing
    // order: phase, loss, |Z|, |Xs|, Rs, SWR.
    std::array<std::uint32_t, 6> traceColours() const;

    // The points the graph, the markers and the readouts work with: Champ,
    // or the number of points of the sweep file opened.
    std::int32_t points() const { return buffers_.champ(); }
    // The buffers hold a sweep taken or a file opened, not the zeros they
    // are sized with.
    bool sweepShown() const { return sweepShown_; }
    // Sizes the buffers (zeroed), the point width and the points shown for
    // champ points.
    void usePoints(std::int32_t champ);
    // Hz per point over the limits last read, for the points shown.
    double freqStep() const {
        return (static_cast<double>(settings_.FMax) - static_cast<double>(settings_.FMin)) /
               static_cast<double>(points());
    }

    // A line in the status bar; repeated text is not shown again while it stands.
    void notify(const QString& message);
    // A warning that does not stop the window; the box it shows.
    QMessageBox* warn(const QString& message);
    // The status bar's passing notes and standing lines.
    StatusLine& statusLine() { return status_; }

    // The About window while it is open (null otherwise).
    AboutWindow* aboutWindow() const { return about_; }

    // The View menu (scales, grid, axis, full screen) and the marker keys and
    // searches.
    GraphView& graphView() { return *graphView_; }
    // View → "Time domain": its own window, worked out after every tick.
    TimeDomainView& timeDomainView() { return *timeDomainView_; }
    ReactanceSignControl& reactanceSign() { return *reactanceSign_; }
    SmithView& smithView() { return *smithView_; }
    // The "&Limits" menu, View → "Amateur bands", and Markers → the marker sets.
    LimitsControl& limitsControl() { return *limits_; }
    // The remote commands' adapter and its server ([REMOTE] Port).
    RemoteWindow& remote() { return *remote_; }
    BandShading& bandShading() { return *bandShading_; }
    MarkerSetControl& markerSets() { return *markerSets_; }
    // The sweep on the graph as every export reads it: buffers, limits,
    // mode, offsets and the normalisation's loss errors.
    SweepExportInput sweepExportInput();
    MarkerControls& markerControls() { return *markerControls_; }
    // What a readout row reads at index, from the buffers as they stand.
    MarkerReadoutInputs markerReadoutInputs(std::int32_t index = 1) const;

    // What the window is waiting for in the middle of a tick.
    // WideSweep: the quick wide sweep that a narrow range takes the sign of
    // the reactance from, made before its own sweep.
    enum class TickWait { None, SingleFrequency, ZeroSpanPause, WideSweep, Sweep };
    TickWait tickWait() const { return tickWait_; }
    SweepExchange& exchange() { return exchange_; }
    // The "&Calibrate" menu and its normalisation.
    CalibrateController& calibrate() { return *calibrate_; }
    // "Save Picture…" and "Copy Picture".
    PictureCommands& pictureCommands() { return *pictureCommands_; }
    // View → "Text size".
    TextSizeControl& textSize() { return *textSize_; }

public slots:
    void mnuExit_Click();
    void mnuAbout_Click();
    void Timer1_Timer();
    void cmdRUN_Click();
    void chkHold_Click();
    void chkBands_Click();
    void picGraph1_MouseUp(int button, int shift, float x, float y);
    void Toolbar1_ButtonClick(const QString& text);
    void cmdAllTraces_Click();
    void cmdNoTraces_Click();
    void colourButton_Click(ColourButton which);
    void cmdZoomSweep_Click();
    void cmdFullSweep_Click();
    void cmdSaveSweep_Click();
    void cmdRecallSweep_Click();
    void bandPreset_Click(const BandPreset& band);
    void lstBands_Click();
    void mnuOpen_Click();
    void mnuSaveVec_Click();
    void mnuSaveCsv_Click();
    void mnuSaveTouchstone_Click();

signals:
    // A tick has run to its end (after the instrument exchange and redraw).
    void tickFinished();
    // A sweep was decoded into the buffers.
    void sweepAcquired();
    // A sweep file was read into the buffers.
    void sweepOpened();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The remote commands work the window as its own handlers do.
    friend class RemoteWindow;
    // The normalisation's loss error of each point of the sweep in the
    // buffers; empty without one.
    std::span<const double> lossErrors() const;
    void connectDisplayHandlers();
    void connectRangeHandlers();
    void connectFileHandlers();
    QString askFileName(FileDialog kind, const QString& filter, const QString& fileName);
    // Each is true when the file was read or written whole.
    bool OpenVecFile(const QString& path);
    bool SaveVecFile(const QString& path);
    bool ExportCsvFile(const QString& path);
    bool ExportTouchstoneFile(const QString& path);
    bool writeExport(const QString& path, const std::optional<QByteArray>& text,
                     const QString& whyNot);
    // The name shown while held becomes path only when ok: a file that could
    // not be read or written must not be named as if it held the sweep.
    void keepFileName(const QString& path, bool ok);
    void applyTraceColours();
    // The points shown and the point width, for the buffers as they are.
    void showPoints();
    void placeScalesAndLines();

    // The tick, in the order it runs; the exchange of step 12 is awaited
    // without blocking, and no tick starts while one is unfinished.
    void tickControlsAndReadouts();
    // Steps 5 to 11: markers, readouts, cable, bandwidth and visibility.
    void tickMarkerReadouts();
    void tickInstrument();
    void tickSweep();
    void tickRedrawAndFinish();
    // The traces: conversion and geometry rules, painted by picGraph1.
    // Both trace passes: loss and phase, then the impedance traces.
    void PlotTraces();
    void ApplyCableMarkerRules();
    void SetSingleFrequency();
    void AcquireSweep();
    void AcquireWideSweep(const WideSweepPlan& plan);
    // The limit lines, the band shading and the marker sets, made last.
    void makeChecks(const Say& say, const Say& sayWarning, const ChooseFile& askFile);
    // Markers 1 and 2 where a set has them, and which markers are on; what
    // could not be placed, in words.
    QStringList applyMarkerSet(const MarkerSet& set);
    void onExchangeFinished(const ExchangeResult& result);

    // Stops RUN as the RUN button does, and says why.
    void stopRunning(const QString& why);
    void onSerialFailed(const QString& message, bool deviceGone);
    void showParallelNotice();

    Settings& settings_;
    SweepBuffers& buffers_;
    SerialPortService& serial_;
    ParallelPort& parallel_;
    QPointer<AboutWindow> about_;
    PortMenu* portMenu_ = nullptr;
    SettingsController* settingsController_ = nullptr;
    StatusLine status_{this};
    AverageControl* averageControl_ = nullptr;
    MemoryControl* memoryControl_ = nullptr;
    SweepExchange exchange_;
    QTimer zeroSpanPause_;
    TickWait tickWait_ = TickWait::None;
    bool waitedForSweep_ = false;
    bool sweepShown_ = false;
    PenState pen_;
    LossPhaseGeometry lossPhase_;
    ImpedanceGeometry impedance_;
    GraphView* graphView_ = nullptr;  // both owned by the window as children
    MarkerControls* markerControls_ = nullptr;
    std::unique_ptr<CalibrateController> calibrate_;
    PictureCommands* pictureCommands_ = nullptr;
    TextSizeControl* textSize_ = nullptr;
    TimeDomainView* timeDomainView_ = nullptr;
    ReactanceSignControl* reactanceSign_ = nullptr;
    SmithView* smithView_ = nullptr;
    LimitsControl* limits_ = nullptr;
    RemoteWindow* remote_ = nullptr;
    BandShading* bandShading_ = nullptr;
    MarkerSetControl* markerSets_ = nullptr;
};
