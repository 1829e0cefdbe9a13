#include "timedomain/smith_graph.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

SmithGraph::SmithGraph(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(280, 280);
}

void SmithGraph::setScene(const SmithScene& scene) {
    scene_ = scene;
    update();
}

std::optional<std::size_t> SmithGraph::chosen() const {
    if (scene_.markers.empty() || scene_.points.empty()) {
        return std::nullopt;
    }
    return std::min(scene_.markers.front().index, scene_.points.size() - 1);
}

void SmithGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintSmith(painter, scene_, size());
    if (hasFocus()) {
        // Where the keys go: a dotted frame inside the edge.
        QPen pen(scene_.frame);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void SmithGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (const auto at = SmithNearestPoint(scene_, size(), event->position())) {
            moveTo(*at);
        }
    }
}

void SmithGraph::keyPressEvent(QKeyEvent* event) {
    const std::optional<std::size_t> at = chosen();
    if (!at) {
        QWidget::keyPressEvent(event);
        return;
    }
    const auto last = static_cast<std::ptrdiff_t>(scene_.points.size() - 1);
    const auto from = static_cast<std::ptrdiff_t>(*at);
    const std::ptrdiff_t page = std::max<std::ptrdiff_t>(1, (last + 1) / 20);
    std::ptrdiff_t to = from;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            to = from - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            to = from + 1;
            break;
        case Qt::Key_PageUp:
            to = from - page;
            break;
        case Qt::Key_PageDown:
            to = from + page;
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = last;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    moveTo(static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(to, 0, last)));
}

void SmithGraph::moveTo(std::size_t index) {
    if (!scene_.markers.empty()) {
        scene_.markers.front().index = index;
    }
    update();
    emit pointChosen(index);
}
