#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "files/sweep_export.h"
#include "limits/limit_geometry.h"
#include "limits/limits.h"
#include "window/window_calls.h"

class GraphWidget;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class SettingsController;
struct Settings;

// The "&Limits" menu: limit lines loaded from a .limits file, drawn dashed
// over the traces in their trace's colour with the failing stretches marked,
// and a PASS or FAIL in the status bar that every tick works out again from
// the sweep as the window shows it. The file's path (and the beep) are
// remembered in the settings; a file that cannot be loaded changes nothing.
// With no limits nothing of the window changes.
class LimitsControl : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QMainWindow& window;  // its menu bar and status bar
        GraphWidget& graph;
        Settings& settings;                // [LIMITS] File and Beep
        SettingsController& settingsFile;  // where those are written
        std::function<SweepExportInput()> sweep;
        // The graph's scales and offsets as the trace pass reads them.
        std::function<LimitGeometryInput()> geometry;
        // Whether a trace is drawn, and its colour.
        std::function<bool(TraceKind)> traceShown;
        std::function<std::uint32_t(TraceKind)> traceColour;
        ChooseFile chooseFile;
        Say notify;
        Say warn;
        std::function<void()> beep;
    };
    LimitsControl(const Parts& parts, QObject* parent);

    // Loads the limits the settings name, saying in the status bar why not
    // when they cannot be (a missing file is no error at start-up).
    void loadRemembered();
    // Loads a limits file; on any error the limits held stay and false.
    bool load(const QString& path);
    void clear();

    // Evaluates the sweep as it stands, redraws the lines and the verdict.
    void update();

    bool loaded() const { return limits_.has_value(); }
    // The verdict of the last update; none without limits.
    const std::optional<LimitVerdict>& verdict() const { return verdict_; }
    QString path() const { return path_; }
    QMenu* menu() const { return menu_; }
    QLabel* indicator() const { return lblLimits_; }

signals:
    // The verdict went from PASS to FAIL (it beeps as well when asked to).
    void turnedToFail();

private:
    void mnuLimitsLoad_Click();
    void showVerdict();
    void showIndicator(const QString& text, std::uint32_t back, const QString& tip);

    Parts w_;
    QMenu* menu_ = nullptr;
    QAction* mnuLimitsLoad_ = nullptr;
    QAction* mnuLimitsClear_ = nullptr;
    QAction* mnuLimitsBeep_ = nullptr;
    QLabel* lblLimits_ = nullptr;
    std::optional<LimitSet> limits_;
    QString path_;
    LimitTraceValues values_;  // kept from tick to tick: no allocation
    std::optional<LimitVerdict> verdict_;
    QString refused_;               // why the mode cannot check the limits, said once
    std::optional<bool> lastPass_;  // for the beep on a change to FAIL
};
