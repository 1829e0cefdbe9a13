// The main window's definition: every widget with its name, caption, design
// position (in twips), colour and initial state. Handlers live elsewhere.
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

#include "window/chart1_resize.h"
#include "window/chart1_widgets.h"
#include "window/focus_mark.h"
#include "common/colour.h"
#include "common/twips.h"
#include "cycle/readout_captions.h"
#include "display/fit_text.h"
#include "display/mode_keys.h"
#include "display/vb_colour.h"
#include "files/touchstone_file.h"
#include "measure/graph_captions.h"
#include "measure/graph_overlays.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "range/band_presets.h"

namespace {

// The designed graph: 8835 x 3795 twips at top 480.
constexpr double GraphLeft = GraphDesign::Graph.left;
constexpr double GraphTop = GraphDesign::Graph.top;
constexpr double GraphWidth = GraphDesign::Graph.width;
constexpr double GraphHeight = GraphDesign::Graph.height;

// Room under the graph for the frequency axis. The panels move down by it
// into the space the design left free below them, so the window keeps its
// size and still fits 800 x 600 pixels.
constexpr double AxisRoom = 120;

// Form size: 800 x 600 pixels less the menu and status bars.
constexpr double FormWidth = GraphDesign::FormWidth;
constexpr double FormHeight = 8340;

// Rows of frames below the graph.
constexpr double Row1 = 4380 + AxisRoom;
constexpr double Row2 = 6180 + AxisRoom;

// The band list and the INFO frame under it. While sweeps are averaged the
// frame rises into the band list's lower room for a row of its own.
constexpr double BandsTop = Row1 + 60, BandsHeight = 600;
constexpr double InfoTop = Row1 + 720, InfoHeight = 1020;
constexpr double AverageRoom = 180, AverageBandsHeight = 450, AverageRowTop = 915;
// The normalisation mark's line, under the pass time or under the averaging
// row; the frame grows down by what reaches below its height.
constexpr double MarkTop = 930, AverageMarkTop = 1185, MarkHeight = 240, MarkMargin = 45;

void place(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(Twips::ToPixels(left), Twips::ToPixels(top), Twips::ToPixels(width),
                   Twips::ToPixels(height));
}

template <class W>
W* make(QWidget* parent, const char* name, double l, double t, double w, double h) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleDescription(QLatin1String(name));
    place(widget, l, t, w, h);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, double l, double t,
              double w, double h, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* x = make<QLabel>(parent, name, l, t, w, h);
    x->setText(caption);
    x->setAlignment(align);
    return x;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& accessibleName, double l, double t,
               double w, double h, bool readOnly) {
    auto* x = make<QLineEdit>(parent, name, l, t, w, h);
    x->setAccessibleName(accessibleName);
    x->setReadOnly(readOnly);
    return x;
}

// A readout: read-only, right-aligned, on its row's background colour.
QLineEdit* readout(QWidget* parent, const char* name, const QString& accessibleName, double l,
                   double t, double w, std::uint32_t back) {
    auto* x = box(parent, name, accessibleName, l, t, w, 285, true);
    x->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    x->setFocusPolicy(Qt::NoFocus);
    SetBackColour(x, back);
    SetForeColour(x, 0);
    QObject::connect(x, &QLineEdit::textChanged, x, [x] { FitReadoutText(x); });
    MarkFitsText(x);
    return x;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, double l, double t,
                 double w, bool checked) {
    auto* x = make<QCheckBox>(parent, name, l, t, w, 255);
    x->setText(caption);
    x->setChecked(checked);
    return x;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, double l, double t,
                    double w, double h) {
    auto* x = make<QPushButton>(parent, name, l, t, w, h);
    x->setText(caption);
    return x;
}

QPushButton* colourButton(QWidget* parent, const char* name, const QString& accessibleName,
                          double l, double t, std::uint32_t colour) {
    auto* x = make<QPushButton>(parent, name, l, t, 270, 240);
    x->setAccessibleName(accessibleName);
    x->setToolTip(accessibleName);
    SetBackColour(x, colour);
    return x;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, double l, double t,
                 double w, double h) {
    auto* x = make<QGroupBox>(parent, name, l, t, w, h);
    x->setTitle(caption);
    return x;
}

void buildMenus(QMainWindow* window, Chart1Widgets& ui) {
    QMenuBar* bar = window->menuBar();
    ui.mnuFile = bar->addMenu(QStringLiteral("&File"));
    ui.mnuFile->setObjectName(QStringLiteral("mnuFile"));
    ui.mnuFile->setAccessibleDescription(ui.mnuFile->objectName());
    bar->setObjectName(QStringLiteral("menuBar"));
    bar->setAccessibleDescription(bar->objectName());
    auto item = [&](const char* name, const QString& caption, const QKeySequence& keys = {}) {
        QAction* a = ui.mnuFile->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        return a;
    };
    ui.mnuOpen = item("mnuOpen", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    ui.mnuFile->addSeparator();
    ui.mnuSaveVec =
        item("mnuSaveVec", QStringLiteral("&Save As (.vec)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    ui.mnuSaveCsv = item("mnuSaveCsv", QStringLiteral("S&ave As (.csv)"));
    ui.mnuSaveTouchstone = item("mnuSaveTouchstone", TouchstoneMenuCaption(0.0f));
    ui.mnuFile->addSeparator();
    ui.mnuExit = item("mnuExit", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    ui.mnuAbout = bar->addAction(QStringLiteral("&About"));
    ui.mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
}

void buildGraph(QWidget* form, Chart1Widgets& ui) {
    ui.picGraph1 = new GraphWidget(form);
    place(ui.picGraph1, GraphLeft, GraphTop, GraphWidth, GraphHeight);
    QWidget* g = ui.picGraph1;
    const std::uint32_t frameColour = VbFromQColor(form->palette().color(QPalette::Shadow));
    // Reference lines span the graph; load puts them at their heights.
    auto line = [&](GraphLineId id) {
        const GraphLineDesign& d = GraphLineDesignOf(id);
        auto* l = new LineWidget(QLatin1String(d.name), d.style,
                                 d.inFrameColour ? frameColour : d.colour, g);
        l->setX1(d.x1);
        l->setY1(d.y1);
        l->setX2(d.x2);
        l->setY2(d.y2);
        return l;
    };
    using L = GraphLineId;
    ui.lin10dB = line(L::Db10);
    ui.lin20dB = line(L::Db20);
    ui.lin225ohm = line(L::Ohm225);
    ui.lin150ohm = line(L::Ohm150);
    ui.lin75ohm = line(L::Ohm75);
    ui.lin50ohm = line(L::Ohm50);
    ui.linM1 = line(L::M1);
    ui.linM2 = line(L::M2);
    ui.linM3 = line(L::M3);

    auto tag = [&](std::size_t marker) {
        const MarkerTagDesign& d = MarkerTagDesignOf(marker);
        const DesignTwips& at = d.place;
        QLabel* l = label(g, d.name, QLatin1String(d.text), at.left, at.top, at.width, at.height,
                          Qt::AlignCenter);
        SetForeColour(l, d.colour);
        SetBackColour(l, kMarkerTagBack);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        ui.picGraph1->placeTag(l, static_cast<float>(at.left), 0);
        ui.picGraph1->setTagTop(l, static_cast<float>(at.top));
        return l;
    };
    ui.lblM1 = tag(0);
    ui.lblM2 = tag(1);

    // Scales: dB to the left, ohms and degrees to the right.
    const auto scale = [&](const char* name, const QString& caption, ScaleCaption which) {
        const DesignTwips d = ScaleCaptionDesign(which);
        return label(form, name, caption, d.left, d.top, d.width, d.height,
                     ScaleCaptionAlignment(which));
    };
    using C = ScaleCaption;
    ui.lblRL_SWR = scale("lblRL_SWR", QLatin1String(kLossScaleHeadings[0]), C::RL_SWR);
    ui.lblTL_SWR = scale("lblTL_SWR", QLatin1String(kLossScaleHeadings[1]), C::TL_SWR);
    ui.lblTL_SWR->setVisible(false);
    ui.lbl0db = scale("lbl0db", QStringLiteral("0 dB / 10"), C::Db0);
    ui.lbl10dB = scale("lbl10dB", QStringLiteral("-10 dB"), C::Db10);
    ui.lbl20dB = scale("lbl20dB", QStringLiteral("-20 dB"), C::Db20);
    ui.lbl30dB = scale("lbl30dB", QStringLiteral("-30 dB / 1.0 "), C::Db30);
    ui.lbl0ohm = scale("lbl0ohm", QStringLiteral("180 ° / 500 ohm"), C::Ohm0);
    ui.lbl75ohm = scale("lbl75ohm", QStringLiteral("135° / 375 ohm"), C::Ohm75);
    ui.lbl150ohm = scale("lbl150ohm", QStringLiteral("90° / 250 ohm"), C::Ohm150);
    ui.lbl225ohm = scale("lbl225ohm", QStringLiteral("45° / 125 ohm"), C::Ohm225);
    ui.lbl300ohm = scale("lbl300ohm", QStringLiteral("0° / 0 ohm"), C::Ohm300);
    ui.lbl50ohm = scale("lbl50ohm", QLatin1String(kFiftyOhmCaption), C::Ohm50);
    SetForeColour(ui.lbl50ohm, Colour::Red);

    // The frequency axis; the form's layout places the labels under the graph.
    for (std::size_t i = 0; i < ui.lblFreqAxis.size(); ++i) {
        const QByteArray name = "lblFreqAxis" + QByteArray::number(static_cast<int>(i));
        const DesignTwips d = kFrequencyAxisDesign;
        ui.lblFreqAxis[i] = label(form, name.constData(), QString(), d.left, d.top, d.width,
                                  d.height, FrequencyAxisAlignment(i));
        ui.lblFreqAxis[i]->setAccessibleName(QStringLiteral("Frequency axis, MHz"));
    }
}

void buildToolbar(QWidget* form, Chart1Widgets& ui) {
    ui.Toolbar1 = make<QToolBar>(form, "Toolbar1", GraphLeft, 0, 6420, 450);
    ui.Toolbar1->setAccessibleName(QStringLiteral("Measurement modes"));
    ui.Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ui.Toolbar1->setIconSize(QSize(16, 16));
    for (std::size_t i = 0; i < ui.toolbarButtons.size(); ++i) {
        const QString text = QLatin1String(ReadoutCaptions::Modes[i]);
        QAction* a = ui.Toolbar1->addAction(QIcon(QStringLiteral(":/toolbar/%1.svg").arg(i + 1)), text);
        a->setObjectName(QStringLiteral("Toolbar1_") + QString(text).remove(QLatin1Char(' ')));
        a->setShortcut(
            QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + static_cast<int>(i))));
        ui.toolbarButtons[i] = a;
    }
    ReachByKeyboard(ui.Toolbar1);
    ui.txtFileName = box(form, "txtFileName", QStringLiteral("File name"), 7560, 60, 4290, 300, true);
    ui.txtFileName->setFocusPolicy(Qt::NoFocus);
}

void buildControls(QWidget* form, Chart1Widgets& ui) {
    ui.fraControls = frame(form, "fraControls", QStringLiteral("CONTROLS"), 60, Row1, 1440, 1020);
    ui.Checkzerospan = check(ui.fraControls, "Checkzerospan", QStringLiteral("Zero span"), 90, 240, 1300, false);
    ui.Checkzerospan->setEnabled(false);
    ui.chkBands = check(ui.fraControls, "chkBands", QStringLiteral("Bands"), 90, 495, 1300, false);
    ui.chkHold = check(ui.fraControls, "chkHold", QStringLiteral("Hold"), 90, 750, 1300, false);
    SetBackColour(ui.chkHold, Colour::Orange);

    ui.cmdRUN = button(form, "cmdRUN", QStringLiteral("RUN"), 60, Row1 + 1080, 1440, 660);
    ui.cmdRUN->setAccessibleName(QStringLiteral("Run"));
    ui.cmdRUN->setToolTip(QStringLiteral("Start or stop the sweeps (F5)"));
    QFont f = ui.cmdRUN->font();
    f.setBold(true);
    ui.cmdRUN->setFont(f);
    SetBackColour(ui.cmdRUN, Colour::Red);
}

void buildSweepLimits(QWidget* form, Chart1Widgets& ui) {
    constexpr double L = 1560, W = 2760, H = 1740;
    ui.fraFreqSwpLim = frame(form, "fraFreqSwpLim", QStringLiteral("FREQUENCY SWEEP LIMITS"), L, Row1, W, H);
    QWidget* f = ui.fraFreqSwpLim;
    ui.lblStart = label(f, "lblStart", QStringLiteral("Start MHz"), 90, 285, 1050, 285);
    ui.txtStart = box(f, "txtStart", QStringLiteral("Start frequency (MHz)"), 1170, 270, 1440, 300, false);
    ui.lblStop = label(f, "lblStop", QStringLiteral("Stop MHz"), 90, 645, 1050, 285);
    ui.txtStop = box(f, "txtStop", QStringLiteral("Stop frequency (MHz)"), 1170, 630, 1440, 300, false);
    ui.cmdSaveSweep = button(f, "cmdSaveSweep", QStringLiteral("Save"), 90, 1020, 1230, 315);
    ui.cmdRecallSweep = button(f, "cmdRecallSweep", QStringLiteral("Recall"), 1380, 1020, 1230, 315);
    ui.cmdZoomSweep = button(f, "cmdZoomSweep", QStringLiteral("Zoom"), 90, 1365, 1230, 315);
    ui.cmdFullSweep = button(f, "cmdFullSweep", QStringLiteral("Full"), 1380, 1365, 1230, 315);

    // The list comes before the buttons it chooses between, in the Tab order too.
    ui.lstBands = make<QListWidget>(form, "lstBands", L + W + 60, BandsTop, 1260, BandsHeight);
    ui.lstBands->setAccessibleName(QStringLiteral("Band groups"));

    // The band frames lie under the sweep-limits frame, in the same place,
    // hidden until "Bands" uncovers the one the list chooses.
    ui.fraHFAmateur = frame(form, "fraHFAmateur", QStringLiteral("HF AMATEUR BANDS"), L, Row1, W, H);
    for (std::size_t i = 0; i < ui.optA.size(); ++i) {
        const BandPreset& band = HfBandPresets[i];
        const double col = i < 5 ? 90 : 1410;
        const double top = 240 + static_cast<double>(i % 5) * 285;
        ui.optA[i] = make<QRadioButton>(ui.fraHFAmateur, band.name, col, top, 1300, 270);
        ui.optA[i]->setText(QLatin1String(band.caption));
    }
    ui.fraVHFAmateur = frame(form, "fraVHFAmateur", QStringLiteral("VHF AMATEUR BANDS"), L, Row1, W, H);
    for (std::size_t i = 0; i < ui.optB.size(); ++i) {
        const BandPreset& band = VhfBandPresets[i];
        ui.optB[i] = make<QRadioButton>(ui.fraVHFAmateur, band.name, 120,
                                        300 + static_cast<double>(i) * 420, 2500, 300);
        ui.optB[i]->setText(QLatin1String(band.caption));
    }
    ui.fraHFAmateur->setVisible(false);
    ui.fraVHFAmateur->setVisible(false);
    // The sweep limits cover the band frames until "Bands" hides them.
    ui.fraFreqSwpLim->setAutoFillBackground(true);
    ui.fraFreqSwpLim->raise();
}

void buildTraceEnable(QWidget* form, Chart1Widgets& ui) {
    ui.fraTraceEnable = frame(form, "fraTraceEnable", QStringLiteral("TRACE ENABLE AND COLOURS"),
                              5760, Row1, 3540, 1740);
    QWidget* f = ui.fraTraceEnable;
    struct Row {
        QCheckBox** chk;
        const char* chkName;
        QLabel** lbl;
        const char* lblName;
        const char* caption;
        QPushButton** btn;
        const char* btnName;
        const char* accessible;
    };
    const Row rows[] = {
        {&ui.chkSWR, "chkSWR", &ui.lblSWR, "lblSWR", "SWR", &ui.cmdSWRColour, "cmdSWRColour", "SWR trace colour"},
        {&ui.chkZ, "chkZ", &ui.lblZ, "lblZ", "| Z | / ohm", &ui.cmdZColour, "cmdZColour", "|Z| trace colour"},
        {&ui.chkRL, "chkRL", &ui.lblRL, "lblRL", "Loss / dB", &ui.cmdRLColour, "cmdRLColour", "Loss trace colour"},
        {&ui.chkPH, "chkPH", &ui.lblPH, "lblPH", "PHASE /\u00b0 ", &ui.cmdPHColour, "cmdPHColour", "Phase trace colour"},
        {&ui.chkRS, "chkRS", &ui.lblRS, "lblRS", "Rs / ohm", &ui.cmdRSColour, "cmdRSColour", "Rs trace colour"},
        {&ui.chkXS, "chkXS", &ui.lblXS, "lblXS", "| Xs | / ohm", &ui.cmdXSColour, "cmdXSColour", "|Xs| trace colour"},
    };
    const char* const traceNames[] = {"SWR trace", "|Z| trace", "Loss trace",
                                      "Phase trace", "Rs trace", "|Xs| trace"};
    for (std::size_t i = 0; i < 6; ++i) {
        const double col = (i % 2 == 0) ? 90 : 1800;
        const double top = 270 + static_cast<double>(i / 2) * 345;
        const Row& r = rows[i];
        *r.chk = check(f, r.chkName, QString(), col, top, 255, i < 2);
        (*r.chk)->setAccessibleName(QLatin1String(traceNames[i]));
        *r.lbl = label(f, r.lblName, QString::fromUtf8(r.caption), col + 270, top, 1020, 255);
        (*r.lbl)->setBuddy(*r.chk);
        *r.btn = colourButton(f, r.btnName, QLatin1String(r.accessible), col + 1300, top + 8, 0);
    }
    ui.cmdAllTraces = button(f, "cmdAllTraces", QStringLiteral("All"), 90, 1320, 1560, 315);
    ui.cmdNoTraces = button(f, "cmdNoTraces", QStringLiteral("None"), 1800, 1320, 1560, 315);
}

void buildLossAndDisplay(QWidget* form, Chart1Widgets& ui) {
    ui.fraLoss = frame(form, "fraLoss", QStringLiteral("LOSS"), 9360, Row1, 1260, 1020);
    ui.chkLossx2 = check(ui.fraLoss, "chkLossx2", QStringLiteral("Scale X2"), 90, 270, 1140, false);
    ui.lblLossOffset = label(ui.fraLoss, "lblLossOffset", QStringLiteral("Offset"), 90, 630, 510, 285);
    ui.txtLossOffset = box(ui.fraLoss, "txtLossOffset", QStringLiteral("Loss offset (dB)"), 600, 615, 600, 300, false);
    ui.txtLossOffset->setText(QStringLiteral("0"));

    ui.Frame1 = frame(form, "Frame1", QStringLiteral("DISPLAY"), 10650, Row1, 1200, 1020);
    ui.chk50Ref = check(ui.Frame1, "chk50Ref", QStringLiteral("50 ohm"), 90, 240, 1080, false);
    ui.chkMkrFull = check(ui.Frame1, "chkMkrFull", QStringLiteral("Full"), 90, 495, 1080, false);
    ui.chkXJ = check(ui.Frame1, "chkXJ", QStringLiteral("Xc / Xl"), 90, 750, 1080, false);

    ui.Frame2 = frame(form, "Frame2", QStringLiteral("BW and Q"), 9360, Row1 + 1080, 1050, 660);
    ui.chkBW = check(ui.Frame2, "chkBW", QStringLiteral("Enable"), 90, 300, 930, false);

    ui.fraMinMkr = frame(form, "fraMinMkr", QStringLiteral("MIN. SWR"), 10470, Row1 + 1080, 1380, 660);
    ui.chkMinSWR = check(ui.fraMinMkr, "chkMinSWR", QStringLiteral("Min. SWR"), 45, 300, 1110, false);
    ui.cmdMkr3Colour = colourButton(ui.fraMinMkr, "cmdMkr3Colour", QStringLiteral("Marker 3 colour"),
                                    1155, 308, Colour::MarkerGreen);
    ui.cmdMkr3Colour->resize(Twips::ToPixels(195), ui.cmdMkr3Colour->height());
}

void buildInfo(QWidget* form, Chart1Widgets& ui) {
    ui.fraInfo = frame(form, "fraInfo", QStringLiteral("INFO"), 4380, InfoTop, 1320, InfoHeight);
    QWidget* f = ui.fraInfo;
    ui.lblPointsCaption =
        label(f, "lblPointsCaption", QLatin1String(ReadoutCaptions::Points), 90, 255, 600, 285);
    ui.lblPoints = label(f, "lblPoints", QString(), 660, 255, 600, 285, Qt::AlignRight | Qt::AlignVCenter);
    ui.txtSpeed = box(f, "txtSpeed", QStringLiteral("Pass time (ms)"), 90, 600, 780, 300, true);
    ui.txtSpeed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui.txtSpeed->setFocusPolicy(Qt::NoFocus);
    ui.lblmS = label(f, "lblmS", QStringLiteral("mS"), 900, 615, 360, 285);
    ui.lblAverage = label(f, "lblAverage", QString(), 90, AverageRowTop, 1170, 255);
    ui.lblAverage->setVisible(false);
}

void buildMarkers(QWidget* form, Chart1Widgets& ui) {
    ui.fraMarkers = frame(form, "fraMarkers", QStringLiteral("MARKERS"), 60, Row2, 1440, 1020);
    ui.chkMkr1 = check(ui.fraMarkers, "chkMkr1", QLatin1String(ReadoutCaptions::Markers[0]), 60,
                       300, 1080, true);
    ui.cmdMkr1Colour = colourButton(ui.fraMarkers, "cmdMkr1Colour", QStringLiteral("Marker 1 colour"),
                                    1110, 308, Colour::Red);
    ui.chkMkr2 = check(ui.fraMarkers, "chkMkr2", QLatin1String(ReadoutCaptions::Markers[1]), 60,
                       660, 1080, false);
    ui.cmdMkr2Colour = colourButton(ui.fraMarkers, "cmdMkr2Colour", QStringLiteral("Marker 2 colour"),
                                    1110, 668, Colour::Blue);
}

// Columns of the readout rows, shared by "VALUES" and the marker-3 row.
constexpr double ColFreq = 90, ColSWR = 1230, ColZ = 2010, ColRL = 2790, ColPH = 3570,
                 ColRS = 4350, ColXS = 5130, ColXJ = 5910, ColW = 765;
constexpr double ValuesWidth = 6780;

void buildValues(QWidget* form, Chart1Widgets& ui) {
    ui.fraDataReadout = frame(form, "fraDataReadout", QStringLiteral("VALUES"), 1560, Row2, ValuesWidth, 1260);
    QWidget* f = ui.fraDataReadout;
    const auto head = [f](const char* name, const char* caption, double left, double width) {
        return label(f, name, QLatin1String(caption), left, 225, width, 255, Qt::AlignCenter);
    };
    namespace C = ReadoutCaptions;
    ui.lblMkrFreq = head("lblMkrFreq", C::Frequency, ColFreq, 1110);
    ui.lblMkrSWR = head("lblMkrSWR", C::Swr, ColSWR, ColW);
    ui.lblMkrZ = head("lblMkrZ", C::Z, ColZ, ColW);
    ui.lblMkrRL = head("lblMkrRL", C::ReturnLoss, ColRL, ColW);
    ui.lblMkrTL = head("lblMkrTL", C::TransmissionLoss, ColRL, ColW);
    ui.lblMkrTL->setVisible(false);
    ui.lblMkrPH = head("lblMkrPH", C::Phase, ColPH, ColW);
    ui.lblMKrRS = head("lblMKrRS", C::Rs, ColRS, ColW);
    ui.lblMkrXS = head("lblMkrXS", C::Xs, ColXS, ColW);
    ui.lblMkrXJ = head("lblMkrXJ", C::Xj, ColXJ, ColW);

    const std::uint32_t back = Colour::ReadoutBack12;
    auto row = [&](int m, double top, QLabel*& freq, QLineEdit*& swr, QLineEdit*& z, QLineEdit*& rl,
                   QLineEdit*& ph, QLineEdit*& rs, QLineEdit*& xs, QLineEdit*& xj) {
        const QByteArray p = "Mkr" + QByteArray::number(m);
        const QString who = QStringLiteral("Marker %1 ").arg(m);
        freq = label(f, ("lbl" + p + "Freq").constData(), QString(), ColFreq, top, 1110, 285,
                     Qt::AlignRight | Qt::AlignVCenter);
        MarkFitsText(freq);
        swr = readout(f, ("txt" + p + "SWR").constData(), who + QStringLiteral("SWR"), ColSWR, top, ColW, back);
        z = readout(f, ("txt" + p + "Z").constData(), who + QStringLiteral("|Z| (ohm)"), ColZ, top, ColW, back);
        rl = readout(f, ("txt" + p + "RL").constData(), who + QStringLiteral("loss (dB)"), ColRL, top, ColW, back);
        ph = readout(f, ("txt" + p + "PH").constData(), who + QStringLiteral("phase (degrees)"), ColPH, top, ColW, back);
        rs = readout(f, ("txt" + p + "RS").constData(), who + QStringLiteral("Rs (ohm)"), ColRS, top, ColW, back);
        xs = readout(f, ("txt" + p + "XS").constData(), who + QStringLiteral("|Xs| (ohm)"), ColXS, top, ColW, back);
        xj = readout(f, ("txt" + p + "XJ").constData(), who + QStringLiteral("reactance as L or C"), ColXJ, top, ColW, back);
    };
    row(1, 525, ui.lblMkr1Freq, ui.txtMkr1SWR, ui.txtMkr1Z, ui.txtMkr1RL, ui.txtMkr1PH, ui.txtMkr1RS,
        ui.txtMkr1XS, ui.txtMkr1XJ);
    row(2, 870, ui.lblMkr2Freq, ui.txtMkr2SWR, ui.txtMkr2Z, ui.txtMkr2RL, ui.txtMkr2PH, ui.txtMkr2RS,
        ui.txtMkr2XS, ui.txtMkr2XJ);
    SetForeColour(ui.lblMkr1Freq, Colour::Red);
    SetForeColour(ui.lblMkr2Freq, Colour::Blue);
    ui.lblMkrXJ->setVisible(false);
    ui.txtMkr1XJ->setVisible(false);
    ui.txtMkr2XJ->setVisible(false);

    // Marker 3's row, in a frame of its own below "VALUES".
    ui.fraMinSWR = frame(form, "fraMinSWR", QString(), 1560, Row2 + 1290, ValuesWidth, 480);
    QWidget* m = ui.fraMinSWR;
    const std::uint32_t back3 = Colour::ReadoutBack3;
    const QString who = QStringLiteral("Marker 3 ");
    ui.lblMkr3Freq = label(m, "lblMkr3Freq", QString(), ColFreq, 105, 1110, 285, Qt::AlignRight | Qt::AlignVCenter);
    SetForeColour(ui.lblMkr3Freq, Colour::MarkerGreen);
    MarkFitsText(ui.lblMkr3Freq);
    ui.txtMkr3SWR = readout(m, "txtMkr3SWR", who + QStringLiteral("SWR"), ColSWR, 105, ColW, back3);
    ui.txtMkr3Z = readout(m, "txtMkr3Z", who + QStringLiteral("|Z| (ohm)"), ColZ, 105, ColW, back3);
    ui.txtMkr3RL = readout(m, "txtMkr3RL", who + QStringLiteral("loss (dB)"), ColRL, 105, ColW, back3);
    ui.txtMkr3PH = readout(m, "txtMkr3PH", who + QStringLiteral("phase (degrees)"), ColPH, 105, ColW, back3);
    ui.txtMkr3RS = readout(m, "txtMkr3RS", who + QStringLiteral("Rs (ohm)"), ColRS, 105, ColW, back3);
    ui.txtMkr3XS = readout(m, "txtMkr3XS", who + QStringLiteral("|Xs| (ohm)"), ColXS, 105, ColW, back3);
    ui.fraMinSWR->setVisible(false);
}

void buildBandwidthAndCable(QWidget* form, Chart1Widgets& ui) {
    ui.fraBWandQ = frame(form, "fraBWandQ", QStringLiteral("BANDWIDTH and Q"), 8400, Row2, 1680, 1140);
    QWidget* b = ui.fraBWandQ;
    ui.lblBandwidth = label(b, "lblBandwidth", QStringLiteral("Bandwidth"), 60, 210, 1560, 255);
    ui.txtBandwidth = readout(b, "txtBandwidth", QStringLiteral("Bandwidth (Hz)"), 60, 465, 1560, 0xFFFFFF);
    ui.lblQ = label(b, "lblQ", QStringLiteral("Q"), 60, 795, 300, 285);
    ui.txtQ = readout(b, "txtQ", QStringLiteral("Q"), 360, 795, 1260, 0xFFFFFF);
    ui.fraBWandQ->setVisible(false);

    ui.fraCableLoss = frame(form, "fraCableLoss", QStringLiteral("CABLE LOSS dB"), 10140, Row2, 1710, 1260);
    QWidget* c = ui.fraCableLoss;
    ui.lblMinCL = label(c, "lblMinCL", QStringLiteral("Min."), 60, 255, 600, 285);
    ui.txtMinCL = readout(c, "txtMinCL", QStringLiteral("Cable loss at marker 1 (dB)"), 660, 255, 1020, 0xFFFFFF);
    ui.lblAvgCL = label(c, "lblAvgCL", QStringLiteral("Avg."), 60, 585, 600, 285);
    ui.txtAvgCL = readout(c, "txtAvgCL", QStringLiteral("Average cable loss (dB)"), 660, 585, 1020, 0xFFFFFF);
    ui.lblMaxCL = label(c, "lblMaxCL", QStringLiteral("Max."), 60, 915, 600, 285);
    ui.txtMaxCL = readout(c, "txtMaxCL", QStringLiteral("Cable loss at marker 2 (dB)"), 660, 915, 1020, 0xFFFFFF);
    ui.fraCableLoss->setVisible(false);

    ui.fraCableLength = frame(form, "fraCableLength", QStringLiteral("CABLE LENGTH"), 10140, Row2, 1710, 1260);
    QWidget* l = ui.fraCableLength;
    ui.txtMeters = readout(l, "txtMeters", QStringLiteral("Cable length (m)"), 60, 255, 1020, 0xFFFFFF);
    ui.lblMeters = label(l, "lblMeters", QStringLiteral("Meters"), 1110, 255, 660, 285);
    ui.lblVelFactor = label(l, "lblVelFactor", QStringLiteral("Velocity Factor"), 60, 600, 1700, 285);
    ui.lblVF = label(l, "lblVF", QString(), 60, 900, 1020, 285);
    ui.lblVF->setVisible(false);
    // Written at load and never read back; kept out of sight.
    ui.txtVF = box(l, "txtVF", QStringLiteral("Velocity factor / 100"), 1110, 900, 630, 285, true);
    ui.txtVF->setVisible(false);
    ui.fraCableLength->setVisible(false);
}

}  // namespace

void BuildChart1(QMainWindow* window, Chart1Widgets& ui) {
    // The icons live in a static library, whose resources need registering.
    Q_INIT_RESOURCE(resources);
    window->setObjectName(QStringLiteral("chart1"));
    window->setAccessibleDescription(QStringLiteral("chart1"));
    auto* form = new QWidget(window);
    form->setObjectName(QStringLiteral("chart1Form"));
    form->setAccessibleDescription(form->objectName());
    // The smallest size is the design's; the graph takes whatever is more.
    form->setMinimumSize(Twips::ToPixels(FormWidth), Twips::ToPixels(FormHeight));
    window->setCentralWidget(form);
    QFont small = window->font();
    small.setPixelSize(GraphDesign::FontPixels);
    window->setFont(small);

    buildMenus(window, ui);
    buildToolbar(form, ui);
    buildGraph(form, ui);
    buildControls(form, ui);
    buildSweepLimits(form, ui);
    buildTraceEnable(form, ui);
    buildLossAndDisplay(form, ui);
    buildInfo(form, ui);
    buildMarkers(form, ui);
    buildValues(form, ui);
    buildBandwidthAndCable(form, ui);

    window->statusBar()->setObjectName(QStringLiteral("statusBar"));
    window->statusBar()->setAccessibleDescription(QStringLiteral("statusBar"));
    window->statusBar()->setSizeGripEnabled(false);

    new FocusMark(form);

    ui.Timer1 = new QTimer(window);
    ui.Timer1->setObjectName(QStringLiteral("Timer1"));

    ui.layout = FollowFormSize(form, ui);
    window->resize(window->minimumSizeHint());
}

void PlaceInfoRows(Chart1Widgets& ui, QLabel* mark) {
    // Design twips at the text size.
    const auto ToPixels = [&ui](double twips) {
        return ScaledPixels(Twips::ToPixels(twips), ui.textScale);
    };
    const bool average = !ui.lblAverage->isHidden();
    // The band list moves only with the window's height: the frame keeps
    // its place under it.
    const int grown = ui.lstBands->y() - ToPixels(BandsTop);
    ui.lstBands->resize(ui.lstBands->width(), ToPixels(average ? AverageBandsHeight : BandsHeight));
    QGroupBox* info = ui.fraInfo;
    const int top = ToPixels(average ? InfoTop - AverageRoom : InfoTop) + grown;
    int height = ToPixels(average ? InfoHeight + AverageRoom : InfoHeight);
    if (mark) {
        mark->setGeometry(ToPixels(MarkMargin), ToPixels(average ? AverageMarkTop : MarkTop),
                          info->width() - 2 * ToPixels(MarkMargin), ToPixels(MarkHeight));
        if (!mark->isHidden()) {
            height = std::max(height, mark->geometry().bottom() + ToPixels(MarkMargin));
        }
    }
    info->setGeometry(info->x(), top, info->width(), height);
    if (average || (mark && !mark->isHidden())) {
        info->raise();
    }
}
