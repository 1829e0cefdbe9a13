#include "window/chart1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>

#include "common/version.h"
#include "instrument/parallel_port.h"
#include "instrument/serial_port_service.h"
#include "measure/graph_widget.h"
#include "window/about_window.h"
#include "window/average_control.h"
#include "window/calibrate_controller.h"
#include "window/chart1_resize.h"
#include "window/graph_view.h"
#include "window/marker_controls.h"
#include "window/memory_control.h"
#include "window/picture_menu.h"
#include "window/port_menu.h"
#include "window/reactance_sign_control.h"
#include "window/remote_window.h"
#include "window/settings_dialog.h"
#include "window/smith_view.h"
#include "window/text_size.h"
#include "window/time_domain_view.h"

chart1::chart1(Settings& settings, SweepBuffers& buffers, SerialPortService& serial,
               ParallelPort& parallel, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      buffers_(buffers),
      serial_(serial),
      parallel_(parallel),
      exchange_(serial) {
    BuildChart1(this, ui);
    setWindowTitle(QStringLiteral("%1 %2.%3.%4 - two-port vector network analyser on a serial "
                                  "(RS-232 or USB) link")
                       .arg(QLatin1String(Version::ProductName))
                       .arg(Version::Major)
                       .arg(Version::Minor)
                       .arg(Version::Revision));
    connect(ui.mnuExit, &QAction::triggered, this, &chart1::mnuExit_Click);
    connect(ui.mnuAbout, &QAction::triggered, this, &chart1::mnuAbout_Click);
    connect(ui.Timer1, &QTimer::timeout, this, &chart1::Timer1_Timer);
    connect(ui.cmdRUN, &QPushButton::clicked, this, &chart1::cmdRUN_Click);
    // A check box's handler also runs when code changes its value.
    connect(ui.chkHold, &QCheckBox::toggled, this, &chart1::chkHold_Click);
    connect(ui.chkBands, &QCheckBox::toggled, this, &chart1::chkBands_Click);
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, &chart1::cmdRUN_Click);

    connect(&exchange_, &SweepExchange::finished, this, &chart1::onExchangeFinished);
    connect(this, &chart1::sweepAcquired, this, [this] { sweepShown_ = true; });
    connect(this, &chart1::sweepOpened, this, [this] { sweepShown_ = true; });
    connect(&serial_, &SerialPortService::failed, this, &chart1::onSerialFailed);
    connectDisplayHandlers();
    connectRangeHandlers();
    connectFileHandlers();
    // What the controllers ask of the window, as calls.
    const Say say = [this](const QString& m) { notify(m); };
    const Say sayWarning = [this](const QString& m) { warn(m); };
    const ChooseFile askFile = [this](FileDialog kind, const QString& filter) {
        return chooseFile(this, kind, filter, {});
    };
    const auto pointsShown = [this] { return points(); };
    settingsController_ = new SettingsController(
        {.window = *this,
         .fileMenu = *ui.mnuFile,
         .exit = *ui.mnuExit,
         .settings = settings_,
         .velocityFactor = *ui.txtVF,
         .fullFMin = FullFMin,
         .fullFMax = FullFMax,
         .serial = serial_,
         .useDevice = [this](const QString& device) { portMenu_->useDevice(device); },
         .notify = say,
         .warn = sayWarning});
    portMenu_ = new PortMenu({.window = *this,
                              .about = *ui.mnuAbout,
                              .serial = serial_,
                              .settings = settings_,
                              .fields = fields,
                              .settingsFile = *settingsController_,
                              .pressRun = [this] { cmdRUN_Click(); },
                              .notify = say});
    graphView_ = new GraphView(
        {.window = *this,
         .graph = *ui.picGraph1,
         .lossX2 = *ui.chkLossx2,
         .lossCaptions = {ui.lbl0db, ui.lbl10dB, ui.lbl20dB, ui.lbl30dB},
         .ohmCaptions = {ui.lbl0ohm, ui.lbl75ohm, ui.lbl150ohm, ui.lbl225ohm, ui.lbl300ohm},
         .frequencyAxis = ui.lblFreqAxis,
         .settings = settings_});
    connect(this, &chart1::tickFinished, graphView_, &GraphView::showFrequencyAxis);
    markerControls_ = new MarkerControls(
        {.window = *this,
         .graph = *ui.picGraph1,
         .linM1 = *ui.linM1,
         .linM2 = *ui.linM2,
         .lossOffset = *ui.txtLossOffset,
         .fields = fields,
         .settings = settings_,
         .points = pointsShown,
         .readoutInputs = [this] { return markerReadoutInputs(); },
         .mouseUp = [this](int button, float x) { picGraph1_MouseUp(button, 0, x, 0.0f); },
         .notify = say});
    // A grown graph, or the 50-ohm line on another impedance scale, moves
    // the captions and lines.
    connect(ui.picGraph1, &GraphWidget::resized, this, &chart1::placeScalesAndLines);
    connect(graphView_, &GraphView::scalesChanged, this, &chart1::placeScalesAndLines);
    calibrate_ = std::make_unique<CalibrateController>(CalibrateController::Parts{
        .menuBar = *menuBar(),
        .about = *ui.mnuAbout,
        .info = *ui.fraInfo,
        .settings = settings_,
        .fields = fields,
        .buffers = buffers_,
        .points = pointsShown,
        .placeInfoRows = [this](QLabel* mark) { PlaceInfoRows(ui, mark); },
        .chooseFile = askFile,
        .notify = say,
        .warn = sayWarning});
    const auto placeInfoRows = [this] { PlaceInfoRows(ui, calibrate_->lblNorm); };
    averageControl_ = new AverageControl({.viewMenu = *graphView_->menu(),
                                          .buffers = buffers_,
                                          .count = *ui.lblAverage,
                                          .placeInfoRows = placeInfoRows},
                                         this);
    memoryControl_ = new MemoryControl({.window = *this,
                                        .graph = *ui.picGraph1,
                                        .view = *graphView_,
                                        .settings = settings_,
                                        .fields = fields,
                                        .tracePass = [this] { return tracePass(); },
                                        .traceColours = [this] { return traceColours(); },
                                        .sweepShown = [this] { return sweepShown(); },
                                        .chooseFile = askFile,
                                        .warn = sayWarning});
    for (auto signal : {&chart1::sweepAcquired, &chart1::sweepOpened, &chart1::tickFinished}) {
        connect(this, signal, memoryControl_, &MemoryControl::showStorable);
    }
    connect(this, &chart1::tickFinished, memoryControl_, &MemoryControl::refresh);
    pictureCommands_ = new PictureCommands(*this);
    // Last: the widgets every controller made are the design it scales.
    connect(ui.layout, &FormLayout::scaled, this, [this, placeInfoRows] {
        placeInfoRows();
        placeScalesAndLines();
    });
    textSize_ = new TextSizeControl({.viewMenu = *graphView_->menu(),
                                     .layout = *ui.layout,
                                     .settings = settings_,
                                     .settingsFile = *settingsController_},
                                    this);
    const ViewWindowParts viewParts{.window = *this,
                                    .viewMenu = *graphView_->menu(),
                                    .sweep = [this] { return sweepExportInput(); },
                                    .chooseFile = askFile,
                                    .notify = say,
                                    .warn = sayWarning};
    timeDomainView_ = new TimeDomainView(
        {.view = viewParts, .settings = settings_, .settingsFile = *settingsController_}, this);
    smithView_ = new SmithView(viewParts, this);
    for (auto signal : {&chart1::sweepOpened, &chart1::tickFinished}) {
        connect(this, signal, timeDomainView_, &TimeDomainView::refresh);
        connect(this, signal, smithView_, &SmithView::refresh);
    }
    reactanceSign_ = new ReactanceSignControl(
        {.viewMenu = *graphView_->menu(),
         .graph = *ui.picGraph1,
         .sweep = [this] { return sweepExportInput(); },
         .xsColour = [this] { return traceColours()[GraphWidget::Xs]; },
         .notify = [this](const QString& m) { notify(m); },
         .wideLossErrors =
             [this](const WideSweepPlan& plan) {
                 return ComputeLossErrors(calibrate_->normalisation(), plan.FMin, plan.FMax,
                                          plan.Champ, 0.0f, settings_.caloffsetrx,
                                          settings_.caloffsettx);
             }},
        this);
    connect(this, &chart1::sweepOpened, reactanceSign_, &ReactanceSignControl::forgetWideSweep);
    makeChecks(say, sayWarning, askFile);
    remote_ = new RemoteWindow(*this);
    zeroSpanPause_.setSingleShot(true);
    connect(&zeroSpanPause_, &QTimer::timeout, this, &chart1::tickSweep);
}

chart1::~chart1() = default;

void chart1::mnuExit_Click() { close(); }

void chart1::mnuAbout_Click() { ShowAboutWindow(about_, this); }

// Form_Unload: closing the main window closes every other window of the
// program; the application ends when the last one is gone. Nothing is saved.
void chart1::closeEvent(QCloseEvent* event) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) {
            w->close();
        }
    }
    event->accept();
}
