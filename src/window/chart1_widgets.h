#pragma once

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <array>

class FormLayout;
class GraphWidget;
class LineWidget;

// The widgets of the main window, by the names the program uses for them.
// BuildChart1 creates them with their captions, colours, positions and
// initial states; the handlers only change them.
struct Chart1Widgets {
    // Menus and toolbar
    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSaveVec = nullptr;
    QAction* mnuSaveCsv = nullptr;
    QAction* mnuSaveTouchstone = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuAbout = nullptr;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 4> toolbarButtons{};  // "Antenna", "Cable Loss", "Cable Length", "Transmission"

    // Graph, its lines and scales
    GraphWidget* picGraph1 = nullptr;
    LineWidget* linM1 = nullptr;
    LineWidget* linM2 = nullptr;
    LineWidget* linM3 = nullptr;
    LineWidget* lin10dB = nullptr;
    LineWidget* lin20dB = nullptr;
    LineWidget* lin225ohm = nullptr;
    LineWidget* lin150ohm = nullptr;
    LineWidget* lin75ohm = nullptr;
    LineWidget* lin50ohm = nullptr;
    QLabel* lblM1 = nullptr;
    QLabel* lblM2 = nullptr;
    QLabel* lbl0db = nullptr;
    QLabel* lbl10dB = nullptr;
    QLabel* lbl20dB = nullptr;
    QLabel* lbl30dB = nullptr;
    QLabel* lbl0ohm = nullptr;
    QLabel* lbl75ohm = nullptr;
    QLabel* lbl150ohm = nullptr;
    QLabel* lbl225ohm = nullptr;
    QLabel* lbl300ohm = nullptr;
    QLabel* lbl50ohm = nullptr;
    QLabel* lblRL_SWR = nullptr;
    QLabel* lblTL_SWR = nullptr;
    std::array<QLabel*, 11> lblFreqAxis{};  // lblFreqAxis0..10: MHz under the graph
    QLineEdit* txtFileName = nullptr;

    // "CONTROLS" and RUN
    QGroupBox* fraControls = nullptr;
    QCheckBox* Checkzerospan = nullptr;
    QCheckBox* chkBands = nullptr;
    QCheckBox* chkHold = nullptr;
    QPushButton* cmdRUN = nullptr;

    // "FREQUENCY SWEEP LIMITS"
    QGroupBox* fraFreqSwpLim = nullptr;
    QLabel* lblStart = nullptr;
    QLabel* lblStop = nullptr;
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtStop = nullptr;
    QPushButton* cmdSaveSweep = nullptr;
    QPushButton* cmdZoomSweep = nullptr;
    QPushButton* cmdFullSweep = nullptr;
    QPushButton* cmdRecallSweep = nullptr;

    // Band presets
    QGroupBox* fraHFAmateur = nullptr;
    QGroupBox* fraVHFAmateur = nullptr;
    std::array<QRadioButton*, 10> optA{};  // optA1..optA10
    std::array<QRadioButton*, 3> optB{};   // optB1..optB3
    QListWidget* lstBands = nullptr;

    // "TRACE ENABLE AND COLOURS"
    QGroupBox* fraTraceEnable = nullptr;
    QCheckBox* chkSWR = nullptr;
    QCheckBox* chkZ = nullptr;
    QCheckBox* chkRL = nullptr;
    QCheckBox* chkPH = nullptr;
    QCheckBox* chkRS = nullptr;
    QCheckBox* chkXS = nullptr;
    QLabel* lblSWR = nullptr;
    QLabel* lblZ = nullptr;
    QLabel* lblRL = nullptr;
    QLabel* lblPH = nullptr;
    QLabel* lblRS = nullptr;
    QLabel* lblXS = nullptr;
    QPushButton* cmdSWRColour = nullptr;
    QPushButton* cmdZColour = nullptr;
    QPushButton* cmdRLColour = nullptr;
    QPushButton* cmdPHColour = nullptr;
    QPushButton* cmdRSColour = nullptr;
    QPushButton* cmdXSColour = nullptr;
    QPushButton* cmdAllTraces = nullptr;
    QPushButton* cmdNoTraces = nullptr;

    // "MARKERS"
    QGroupBox* fraMarkers = nullptr;
    QCheckBox* chkMkr1 = nullptr;
    QCheckBox* chkMkr2 = nullptr;
    QPushButton* cmdMkr1Colour = nullptr;
    QPushButton* cmdMkr2Colour = nullptr;

    // "VALUES": headings and the rows of markers 1 and 2
    QGroupBox* fraDataReadout = nullptr;
    QLabel* lblMkrFreq = nullptr;
    QLabel* lblMkrSWR = nullptr;
    QLabel* lblMkrZ = nullptr;
    QLabel* lblMkrRL = nullptr;
    QLabel* lblMkrTL = nullptr;
    QLabel* lblMkrPH = nullptr;
    QLabel* lblMKrRS = nullptr;
    QLabel* lblMkrXS = nullptr;
    QLabel* lblMkrXJ = nullptr;
    QLabel* lblMkr1Freq = nullptr;
    QLineEdit* txtMkr1SWR = nullptr;
    QLineEdit* txtMkr1Z = nullptr;
    QLineEdit* txtMkr1RL = nullptr;
    QLineEdit* txtMkr1PH = nullptr;
    QLineEdit* txtMkr1RS = nullptr;
    QLineEdit* txtMkr1XS = nullptr;
    QLineEdit* txtMkr1XJ = nullptr;
    QLabel* lblMkr2Freq = nullptr;
    QLineEdit* txtMkr2SWR = nullptr;
    QLineEdit* txtMkr2Z = nullptr;
    QLineEdit* txtMkr2RL = nullptr;
    QLineEdit* txtMkr2PH = nullptr;
    QLineEdit* txtMkr2RS = nullptr;
    QLineEdit* txtMkr2XS = nullptr;
    QLineEdit* txtMkr2XJ = nullptr;

    // "DISPLAY"
    QGroupBox* Frame1 = nullptr;
    QCheckBox* chk50Ref = nullptr;
    QCheckBox* chkMkrFull = nullptr;
    QCheckBox* chkXJ = nullptr;

    // "MIN. SWR" and the row of marker 3
    QGroupBox* fraMinMkr = nullptr;
    QCheckBox* chkMinSWR = nullptr;
    QPushButton* cmdMkr3Colour = nullptr;
    QGroupBox* fraMinSWR = nullptr;
    QLabel* lblMkr3Freq = nullptr;
    QLineEdit* txtMkr3SWR = nullptr;
    QLineEdit* txtMkr3Z = nullptr;
    QLineEdit* txtMkr3RL = nullptr;
    QLineEdit* txtMkr3PH = nullptr;
    QLineEdit* txtMkr3RS = nullptr;
    QLineEdit* txtMkr3XS = nullptr;

    // "BANDWIDTH and Q" and "BW and Q"
    QGroupBox* fraBWandQ = nullptr;
    QLabel* lblBandwidth = nullptr;
    QLabel* lblQ = nullptr;
    QLineEdit* txtBandwidth = nullptr;
    QLineEdit* txtQ = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* chkBW = nullptr;

    // "CABLE LOSS dB" and "CABLE LENGTH"
    QGroupBox* fraCableLoss = nullptr;
    QLabel* lblMinCL = nullptr;
    QLabel* lblAvgCL = nullptr;
    QLabel* lblMaxCL = nullptr;
    QLineEdit* txtMinCL = nullptr;
    QLineEdit* txtAvgCL = nullptr;
    QLineEdit* txtMaxCL = nullptr;
    QGroupBox* fraCableLength = nullptr;
    QLineEdit* txtMeters = nullptr;
    QLabel* lblMeters = nullptr;
    QLabel* lblVelFactor = nullptr;
    QLabel* lblVF = nullptr;
    QLineEdit* txtVF = nullptr;

    // "LOSS"
    QGroupBox* fraLoss = nullptr;
    QCheckBox* chkLossx2 = nullptr;
    QLabel* lblLossOffset = nullptr;
    QLineEdit* txtLossOffset = nullptr;

    // Points and pass time
    QGroupBox* fraInfo = nullptr;
    QLabel* lblPointsCaption = nullptr;
    QLabel* lblPoints = nullptr;
    QLineEdit* txtSpeed = nullptr;
    QLabel* lblmS = nullptr;
    // How many sweeps the mean holds, "Avg 3/8"; shown only while averaging.
    QLabel* lblAverage = nullptr;

    QTimer* Timer1 = nullptr;

    // The View menu's text size as a factor of the design (1 at 100 %), and
    // the layout that scales the window by it.
    double textScale = 1.0;
    FormLayout* layout = nullptr;
};

// Creates every widget of the main window on window (a QMainWindow whose
// central widget becomes the twip-addressed form).
void BuildChart1(QMainWindow* window, Chart1Widgets& ui);

// Places the INFO frame's rows that show only at times, the averaging count
// (ui.lblAverage) and the normalisation mark, by whether they are hidden:
// with neither, the frame and the band list are as designed.
void PlaceInfoRows(Chart1Widgets& ui, QLabel* mark);
