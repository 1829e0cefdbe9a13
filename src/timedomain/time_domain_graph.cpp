#include "timedomain/time_domain_graph.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

TimeDomainGraph::TimeDomainGraph(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
}

void TimeDomainGraph::setScene(const TimeDomainScene& scene) {
    scene_ = scene;
    update();
}

void TimeDomainGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintTimeDomain(painter, scene_, size());
    if (hasFocus()) {
        // Where the keys go: a dotted frame inside the edge.
        QPen pen(scene_.frame);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TimeDomainGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const auto bin = TimeDomainBinAt(scene_, size(), event->position().toPoint().x())) {
            moveTo(*bin);
        }
    }
}

void TimeDomainGraph::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        mousePressEvent(event);
    }
}

void TimeDomainGraph::keyPressEvent(QKeyEvent* event) {
    if (!scene_.response || scene_.response->DistanceM.size() < 2) {
        QWidget::keyPressEvent(event);
        return;
    }
    const TimeDomainAxes axes =
        TimeDomainAxesFor(*scene_.response, scene_.trace, scene_.unit, scene_.spanM);
    const auto at = static_cast<std::ptrdiff_t>(scene_.marker.value_or(0));
    const auto page = std::max<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(axes.LastBin) / 10);
    std::ptrdiff_t to = at;
    switch (event->key()) {
        case Qt::Key_Left:
            to = at - 1;
            break;
        case Qt::Key_Right:
            to = at + 1;
            break;
        case Qt::Key_PageDown:
            to = at + page;
            break;
        case Qt::Key_PageUp:
            to = at - page;
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = static_cast<std::ptrdiff_t>(axes.LastBin);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    moveTo(static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(to, 0, static_cast<std::ptrdiff_t>(axes.LastBin))));
}

void TimeDomainGraph::moveTo(std::size_t bin) {
    scene_.marker = bin;
    update();
    emit markerMoved(bin);
}
