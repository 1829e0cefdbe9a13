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

float GraphWidget::ScaleWidth() const {
    return static_cast<float>(Twips::FromPixels(width()));
}
float GraphWidget::ScaleHeight() const {
    return static_cast<float>(Twips::FromPixels(height()));
}

void GraphWidget::setBackColour(std::uint32_t colour) {
    backColour_ = colour;
    update();
}

void GraphWidget::Cls() {
    for (Batch& b : traces_) {
        b.pixels.clear();
    }
    update();
}

void GraphWidget::setTrace(Trace trace, const std::vector<Segment>& segments,
                           std::uint32_t colour) {
    Batch& b = traces_[trace];
    b.colour = colour;
    ToPixelPolylines(segments, 1.0 / Twips::PerPixel, devicePixelRatioF(), b.pixels);
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
        std::size_t start = 0;
        for (const std::size_t end : b.pixels.runEnds) {
            painter.drawPolyline(b.pixels.points.data() + start, static_cast<int>(end - start));
            start = end;
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
    if (mods & Qt::ShiftModifier)
        shift |= 1;
    if (mods & Qt::ControlModifier)
        shift |= 2;
    if (mods & Qt::AltModifier)
        shift |= 4;
    const QPointF pos = event->position();
    emit mouseUp(button, shift, static_cast<float>(Twips::FromPixels(pos.x())),
                 static_cast<float>(Twips::FromPixels(pos.y())));
}
