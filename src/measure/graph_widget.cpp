#include "measure/graph_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "common/colour.h"
#include "common/twips.h"
#include "display/vb_colour.h"

GraphWidget::GraphWidget(QWidget* parent) : QWidget(parent), backColour_(Colour::GraphGrey) {
    setObjectName(QStringLiteral("picGraph1"));
    setAccessibleName(tr("Graph"));
    setAccessibleDescription(objectName());
}

float GraphWidget::ScaleWidth() const { return static_cast<float>(Twips::FromPixels(width())); }
float GraphWidget::ScaleHeight() const { return static_cast<float>(Twips::FromPixels(height())); }

void GraphWidget::setBackColour(std::uint32_t colour) {
    backColour_ = colour;
    update();
}

void GraphWidget::Cls() {
    for (Batch& b : traces_) {
        b.polyline.clear();
        b.lines.clear();
        b.segments = 0;
    }
    update();
}

void GraphWidget::setTrace(Trace trace, const std::vector<Segment>& segments,
                           std::uint32_t colour) {
    Batch& b = traces_[trace];
    b.polyline.clear();
    b.lines.clear();
    b.segments = static_cast<qsizetype>(segments.size());
    b.colour = colour;
    constexpr double k = 1.0 / Twips::PerPixel;
    bool joined = true;
    for (std::size_t i = 1; i < segments.size() && joined; ++i) {
        joined = segments[i].x1 == segments[i - 1].x2 && segments[i].y1 == segments[i - 1].y2;
    }
    if (joined && !segments.empty()) {
        b.polyline.reserve(b.segments + 1);
        b.polyline.append(QPointF(segments.front().x1 * k, segments.front().y1 * k));
        for (const Segment& s : segments) {
            b.polyline.append(QPointF(s.x2 * k, s.y2 * k));
        }
    } else {
        b.lines.reserve(b.segments);
        for (const Segment& s : segments) {
            b.lines.append(QLineF(s.x1 * k, s.y1 * k, s.x2 * k, s.y2 * k));
        }
    }
    update();
}

void GraphWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), VbColour(backColour_));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setClipRect(rect());
    for (const Batch& b : traces_) {
        QPen pen(VbColour(b.colour));
        pen.setCosmetic(true);  // one pixel wide at any screen scale
        painter.setPen(pen);
        if (!b.polyline.isEmpty()) {
            painter.drawPolyline(b.polyline.constData(), static_cast<int>(b.polyline.size()));
        } else if (!b.lines.isEmpty()) {
            painter.drawLines(b.lines);
        }
    }
}

void GraphWidget::mouseReleaseEvent(QMouseEvent* event) {
    int button = 0;
    switch (event->button()) {
        case Qt::LeftButton:
            button = 1;
            break;
        case Qt::RightButton:
            button = 2;
            break;
        case Qt::MiddleButton:
            button = 4;
            break;
        default:
            break;
    }
    int shift = 0;
    const auto mods = event->modifiers();
    if (mods & Qt::ShiftModifier) shift |= 1;
    if (mods & Qt::ControlModifier) shift |= 2;
    if (mods & Qt::AltModifier) shift |= 4;
    const QPointF pos = event->position();
    emit mouseUp(button, shift, static_cast<float>(Twips::FromPixels(pos.x())),
                 static_cast<float>(Twips::FromPixels(pos.y())));
}
