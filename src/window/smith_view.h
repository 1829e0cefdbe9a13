#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "files/sweep_export.h"
#include "timedomain/reactance_sign.h"
#include "timedomain/smith_paint.h"
#include "window/view_window.h"
#include "window/window_calls.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;
class SmithGraph;

// View → "Smith chart": a window of its own with the reflection sweep on the
// graph as G on a Smith chart, Im G signed by causality (the detector gives
// |phi| only), the points whose sign is unknown drawn apart. A click or the
// arrow keys choose a point, read out as Rs, the signed Xs and L or C. It is
// worked out again after every tick while it is shown, and not at all while
// it is hidden.
class SmithView : public QObject {
    Q_OBJECT
public:
    using Parts = ViewWindowParts;
    SmithView(const Parts& parts, QObject* parent);

    QAction* action() const { return mnuSmith_; }
    QWidget* view() const { return view_; }
    SmithGraph* graph() const { return graph_; }
    // The signs of the last sweep read, one per point (empty when refused).
    const std::vector<ReactanceSign>& signs() const { return signs_; }
    std::size_t chosen() const { return chosen_; }

public slots:
    // The sweep again, if the view is shown.
    void refresh();
    void show();
    void savePicture();

private:
    void build();
    void showPoints();
    SmithScene scene() const;

    Parts w_;
    QAction* mnuSmith_ = nullptr;
    QPointer<QWidget> view_;
    SmithGraph* graph_ = nullptr;
    QLabel* marker_ = nullptr;
    QLabel* info_ = nullptr;
    QPushButton* save_ = nullptr;

    ReactanceSignFinder finder_;
    TimeDomainSweep sweep_;
    std::vector<ReactanceSign> signs_;
    QString message_;  // why there are no points
    std::size_t chosen_ = 0;
};
