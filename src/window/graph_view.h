#pragma once

#include <QObject>
#include <array>
#include <optional>
#include <vector>

#include "measure/conversion.h"
#include "measure/trace_scale.h"
#include "measure/trace_geometry.h"

class GraphWidget;
class QAction;
class QCheckBox;
class QLabel;
class QMainWindow;
class QMenu;
struct Settings;

// The "&View" menu and what it governs: the scales the traces are drawn on
// (chosen, or taken automatically after each sweep), their captions, the
// frequency grid, the frequency axis under the graph, and full screen (F11).
// The choices last as long as the window; nothing is written anywhere.
class GraphView : public QObject {
    Q_OBJECT
public:
    // What the view governs of the window.
    struct Parts {
        QMainWindow& window;  // its menu bar; what F11 shows full screen
        GraphWidget& graph;
        const QCheckBox& lossX2;              // "Scale X2"
        std::array<QLabel*, 4> lossCaptions;  // 0, 10, 20 and 30 dB
        std::array<QLabel*, 5> ohmCaptions;   // 0, 75, 150, 225 and 300 ohm
        std::array<QLabel*, 11> frequencyAxis;
        const Settings& settings;  // the limits the axis shows
    };
    explicit GraphView(const Parts& parts);

    const GraphScales& scales() const { return scales_; }
    QMenu* menu() const { return menu_; }

    // With "Auto scale" on, takes the scales for the pass about to be drawn.
    void autoScale(const TracePass& pass);
    // Writes the loss captions of the scales in use and "Scale X2"; returns
    // the LossScale they stand for.
    unsigned char writeLossCaptions();

public slots:
    // The MHz under the graph, for the limits last read (after each tick).
    void showFrequencyAxis();

signals:
    // The scales changed: the 50-ohm line moves, the captions are rewritten.
    void scalesChanged();

private:
    void choose(const GraphScales& scales);
    void showChoices();
    void writeOhmCaptions();
    void toggleFullScreen();

    struct Item {
        QAction* action;
        int group;  // 0 SWR, 1 impedance, 2 loss
        int value;
    };

    Parts w_;
    GraphScales scales_;
    QMenu* menu_ = nullptr;
    QAction* autoScale_ = nullptr;
    QAction* grid_ = nullptr;
    std::vector<Item> items_;
    bool freshAuto_ = true;  // the next automatic choice starts from the smallest
    bool maximisedBeforeFullScreen_ = false;
    std::optional<PointConverter> converter_;
};
