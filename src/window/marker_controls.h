#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "cycle/marker_search.h"
#include "window/window_calls.h"

class GraphWidget;
class LineWidget;
class QAction;
class QLineEdit;
class QMainWindow;
class QMenu;
struct Settings;
struct WindowFields;

// Markers 1 and 2 beyond the mouse: the keys on the focused graph (1 and 2
// choose the active marker; Left, Right, Shift, Home and End move it) and
// the searches of the "&Markers" menu. Both place a marker as a mouse-up
// would, so it is switched on and its readouts follow on the next tick.
class MarkerControls : public QObject {
    Q_OBJECT
public:
    // What the markers are placed on and searched with.
    struct Parts {
        QMainWindow& window;  // its menu bar; the graph comes last in its focus chain
        GraphWidget& graph;
        const LineWidget& linM1;
        const LineWidget& linM2;
        const QLineEdit& lossOffset;           // txtLossOffset, as the readouts read it
        const WindowFields& fields;            // the mode; the point of the least SWR
        const Settings& settings;              // Step
        std::function<std::int32_t()> points;  // the points on the graph
        std::function<MarkerReadoutInputs()> readoutInputs;
        // A mouse-up of button 1 or 2 on the graph at x twips.
        std::function<void(int button, float x)> mouseUp;
        Say notify;  // a line in the status bar
    };
    explicit MarkerControls(const Parts& parts);

    int activeMarker() const { return active_; }
    QMenu* menu() const { return menu_; }

    void key(int qtKey, bool shift);
    void toMinimumSwr();
    void toMaximumZ();
    void toMinimumZ();
    void toSwrTwoToOnePoints();
    void toMinusThreeDbPoints();
    // A two-port's least loss (a filter's insertion loss) and most loss (a
    // notch or a trap), in the Transmission mode.
    void toMinimumLoss();
    // The frequency marker 1 or 2 stands on, Hz; and the marker placed on
    // the point nearest hz as a mouse-up would, false when hz lies outside
    // the sweep.
    double frequencyOf(int marker) const;
    bool placeAtFrequency(int marker, double hz);
    void toMaximumLoss();

private:
    MarkerPoints points() const;
    std::int32_t indexOf(int marker) const;
    void place(int marker, std::int32_t index);
    ReadoutPoints readouts() const;
    bool transmission() const;
    // Marker 1 and marker 2 to the sides found; says which side never
    // reaches what it was searched for, from the centre of the search.
    void placeEitherSide(const EitherSide& sides, const QString& what, const QString& from);
    using LossSearch = std::optional<std::int32_t> (*)(const ReadoutPoints&,
                                                       const std::vector<double>&);
    void toLossExtreme(LossSearch search);

    Parts w_;
    QMenu* menu_ = nullptr;
    int active_ = 1;
};
