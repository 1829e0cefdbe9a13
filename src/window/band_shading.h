#pragma once

#include <QObject>
#include <array>
#include <vector>

#include "range/band_plan.h"

class GraphWidget;
class QAction;
class QMenu;
class SettingsController;
struct Settings;

// View → "Amateur bands": the amateur bands of one IARU region shaded
// lightly on the graph, from the band plan built into the program. Off by
// default; the choice is [DISPLAY] BandRegion in the settings and each one
// is written back there.
class BandShading : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QMenu& viewMenu;
        GraphWidget& graph;
        Settings& settings;  // BandRegion; FMin and FMax, the graph's edges
        SettingsController& settingsFile;
    };
    BandShading(const Parts& parts, QObject* parent);

    int region() const { return region_; }
    void choose(int region);
    // The bands of the region within the graph's range, on the graph.
    void update();
    QMenu* menu() const { return menu_; }

private:
    Parts w_;
    QMenu* menu_ = nullptr;
    std::array<QAction*, 4> items_{};
    int region_ = 0;
    std::vector<AmateurBand> bands_;  // of the region, from the band plan
};
