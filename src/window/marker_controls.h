#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "cycle/marker_search.h"

class chart1;
class QAction;
class QMenu;

// Markers 1 and 2 beyond the mouse: the keys on the focused graph (1 and 2
// choose the active marker; Left, Right, Shift, Home and End move it) and
// the searches of the "&Markers" menu. Both place a marker as a mouse-up
// would, so it is switched on and its readouts follow on the next tick.
class MarkerControls : public QObject {
    Q_OBJECT
public:
    // notify puts a line in the status bar.
    MarkerControls(chart1& window, std::function<void(const QString&)> notify);

    int activeMarker() const { return active_; }
    QMenu* menu() const { return menu_; }

    void key(int qtKey, bool shift);
    void toMinimumSwr();
    void toMaximumZ();
    void toMinimumZ();
    void toSwrTwoToOnePoints();
    void toMinusThreeDbPoints();

private:
    MarkerPoints points() const;
    std::int32_t indexOf(int marker) const;
    void place(int marker, std::int32_t index);
    ReadoutPoints readouts() const;
    bool transmission() const;
    // Marker 1 and marker 2 to the sides found; says which side never
    // reaches what it was searched for, from the centre of the search.
    void placeEitherSide(const EitherSide& sides, const QString& what, const QString& from);

    chart1& w_;
    std::function<void(const QString&)> notify_;
    QMenu* menu_ = nullptr;
    int active_ = 1;
};
