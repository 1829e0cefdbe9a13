#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <span>

#include "calibrate/normalisation.h"
#include "window/window_calls.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QWidget;
struct Settings;
struct SweepBuffers;
struct WindowFields;

// The "&Calibrate" menu of the main window and the normalisation it holds:
// each "Normalise to ..." takes the sweep now in the buffers as that
// standard's reference, "Clear normalisation" drops them all, and the last
// two save and load them as a .norm file. The mark lblNorm in the INFO frame
// names the references that correct the sweep in the current mode.
class CalibrateController : public QObject {
    Q_OBJECT
public:
    // Where the menu and the mark go, and the sweep references are taken from.
    struct Parts {
        QMenuBar& menuBar;
        QAction& about;              // "&About": the menu goes before it, or before "&Port"
        QWidget& info;               // the INFO frame, where the mark shows
        const Settings& settings;    // the limits and the calibration offsets
        const WindowFields& fields;  // the mode
        const SweepBuffers& buffers;
        std::function<std::int32_t()> points;  // the points on the graph
        // Places the INFO frame's rows after the mark shows or hides.
        std::function<void(QLabel* mark)> placeInfoRows;
        ChooseFile chooseFile;
        Say notify;
        Say warn;
    };
    explicit CalibrateController(const Parts& parts);

    // The loss error of every point 0..Champ of the sweep in the buffers, at
    // the limits and in the mode as they stand; empty when no reference
    // applies. Worked out again only when those change; the first time some
    // points lie outside the references, the status bar says so.
    std::span<const double> lossErrors();
    // The references behind lossErrors(), such as "open+short".
    std::string inUseText();
    // What the status bar says of the points lossErrors() leaves
    // uncorrected; empty when it corrects them all.
    std::string outsideText();

    const Normalisation& normalisation() const { return normalisation_; }
    // References read elsewhere (a command line's) in place of those held.
    void use(Normalisation normalisation);

    QMenu* mnuCalibrate = nullptr;
    QAction* mnuNormOpen = nullptr;
    QAction* mnuNormShort = nullptr;
    QAction* mnuNormThrough = nullptr;
    QAction* mnuNormClear = nullptr;
    QAction* mnuNormSave = nullptr;
    QAction* mnuNormLoad = nullptr;
    QLabel* lblNorm = nullptr;

public slots:
    void normaliseTo(Standard standard);
    void mnuNormClear_Click();
    void mnuNormSave_Click();
    void mnuNormLoad_Click();

private:
    void buildMenu();
    // After the references changed: the errors are worked out afresh.
    void changed();
    void showMark(const std::vector<Standard>& inUse);

    // What the errors depend on; the calibration offsets can change while
    // the program runs (the settings dialog applies them at once).
    struct Key {
        float FMin = 0.0f;
        float FMax = 0.0f;
        std::int32_t Champ = 0;
        bool transmission = false;
        std::int16_t caloffsetrx = 0;
        std::int16_t caloffsettx = 0;
        bool operator==(const Key&) const = default;
    };

    Parts w_;
    Normalisation normalisation_;
    bool valid_ = false;
    Key key_;
    LossErrors errors_;
};
