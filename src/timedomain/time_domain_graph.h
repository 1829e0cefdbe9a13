#pragma once

#include <QWidget>

#include "timedomain/time_domain_paint.h"

// The time view's graph: paints its scene, and places the marker at the bin
// under a click or a drag; Left and Right move it a bin, Page Up and Page
// Down a tenth of the distance shown, Home and End to either edge.
class TimeDomainGraph : public QWidget {
    Q_OBJECT
public:
    explicit TimeDomainGraph(QWidget* parent = nullptr);

    const TimeDomainScene& scene() const { return scene_; }
    void setScene(const TimeDomainScene& scene);

signals:
    void markerMoved(std::size_t bin);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override { return {640, 360}; }

private:
    void moveTo(std::size_t bin);

    TimeDomainScene scene_;
};
