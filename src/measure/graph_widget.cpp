#include "measure/graph_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "common/colour.h"
#include "display/vb_colour.h"
#include "measure/fork_join.h"
#include "measure/line_widget.h"

namespace {

// The design's pixel, kept for the gaps that stay as designed on a grown graph.
constexpr double DesignTwipsPerPixel = 15.0;

}  // namespace

// A tag keeps its designed distance, in pixels, from the bottom edge.
QPoint GraphWidget::TagPosition(const Tag& tag, const GraphMapping& m) {
    const double fromBottom = (GraphSpace::Height - tag.top) / DesignTwipsPerPixel;
    return QPoint(m.pixelX(tag.x) + tag.pixelOffset,
                  static_cast<int>(std::lround(m.toPixelY(GraphSpace::Height) - fromBottom)));
}

GraphWidget::GraphWidget(QWidget* parent) : QWidget(parent), backColour_(Colour::GraphGrey) {
    setObjectName(QStringLiteral("picGraph1"));
    setAccessibleName(tr("Graph"));
    setAccessibleDescription(objectName());
    // A click or Tab gives the graph the keys that move the markers.
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted: nothing under the graph needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float GraphWidget::ScaleWidth() const {
    return static_cast<float>(GraphSpace::Width);
}
float GraphWidget::ScaleHeight() const {
    return static_cast<float>(GraphSpace::Height);
}

GraphMapping GraphWidget::mappingFor(QSize pixels) {
    return GraphMapping{static_cast<double>(pixels.width()), static_cast<double>(pixels.height())};
}

GraphMapping GraphWidget::mapping() const {
    return mappingFor(size());
}

void GraphWidget::setBackColour(std::uint32_t colour) {
    backColour_ = colour;
    update();
}

void GraphWidget::setFrequencyGrid(bool on) {
    grid_ = on;
    update();
}

void GraphWidget::Cls() {
    for (Batch& b : traces_) {
        b.segments.clear();
        b.pixels.clear();
    }
    update();
}

void GraphWidget::thin(Batch& b) const {
    const GraphMapping m = mapping();
    ToPixelPolylines(b.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), thinnedRatio_, b.pixels,
                     m.heightPx);
}

void GraphWidget::takeTraces(std::span<const TraceTake> takes) {
    thinnedRatio_ = devicePixelRatioF();
    std::size_t total = 0;
    for (const TraceTake& t : takes) {
        Batch& b = traces_[t.trace];
        b.colour = t.colour;
        b.segments.swap(*t.segments);
        total += b.segments.size();
    }
    // Below this, handing work to the other core costs more than it saves.
    constexpr std::size_t kShared = 20000;
    // The batches split where half of the segments lie.
    std::size_t split = 0;
    for (std::size_t sum = 0; split < takes.size() && 2 * sum < total; ++split) {
        sum += traces_[takes[split].trace].segments.size();
    }
    const auto thinRange = [this, takes](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) {
            thin(traces_[takes[k].trace]);
        }
    };
    if (total < kShared) {
        thinRange(0, takes.size());
    } else {
        ForkJoin([&] { thinRange(split, takes.size()); }, [&] { thinRange(0, split); });
    }
    update();
}

void GraphWidget::setMemories(std::vector<MemoryLayer::Trace> traces,
                              std::vector<MemoryLayer::Name> names) {
    memories_.set(std::move(traces), std::move(names));
    thinnedRatio_ = devicePixelRatioF();
    memories_.thin(mapping(), thinnedRatio_, font());
    update();
}

GraphWidget::Tag& GraphWidget::tagFor(QWidget* widget) {
    for (Tag& t : tags_) {
        if (t.widget == widget) {
            return t;
        }
    }
    Tag t;
    t.widget = widget;
    t.top = static_cast<float>(GraphSpace::Height);
    tags_.push_back(t);
    // A tag fills its own background (eventFilter) instead of Qt doing it:
    // to Qt an auto-filled child is opaque, and cutting it out of the
    // graph's clip would leave the traces the slow path of the raster engine.
    if (widget->autoFillBackground()) {
        widget->setAutoFillBackground(false);
        widget->installEventFilter(this);
    }
    return tags_.back();
}

bool GraphWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        if (auto* tag = qobject_cast<QWidget*>(watched)) {
            QPainter painter(tag);
            painter.fillRect(tag->rect(), tag->palette().brush(tag->backgroundRole()));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GraphWidget::placeTagWidget(const Tag& tag) {
    if (!tag.widget) {
        return;
    }
    tag.widget->move(TagPosition(tag, mapping()));
}

void GraphWidget::placeTag(QWidget* tag, float x, int pixelOffset) {
    Tag& t = tagFor(tag);
    t.x = x;
    t.pixelOffset = pixelOffset;
    placeTagWidget(t);
}

void GraphWidget::setTagTop(QWidget* tag, float top) {
    Tag& t = tagFor(tag);
    t.top = top;
    placeTagWidget(t);
}

void GraphWidget::resizeEvent(QResizeEvent*) {
    thinnedRatio_ = devicePixelRatioF();
    for (Batch& b : traces_) {
        thin(b);
    }
    memories_.thin(mapping(), thinnedRatio_, font());
    for (LineWidget* line : findChildren<LineWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        line->followGraph();
    }
    for (const Tag& t : tags_) {
        placeTagWidget(t);
    }
    emit resized();
}

void GraphWidget::paintGraph(QPainter& painter, QSize size, qreal devicePixelRatio,
                             bool overlays) const {
    const QRect area(QPoint(0, 0), size);
    const GraphMapping m = mappingFor(size);
    painter.save();
    painter.fillRect(area, VbColour(backColour_));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setClipRect(area);
    if (grid_) {
        const std::uint32_t gridColour = VbFromQColor(palette().color(QPalette::Shadow));
        for (int tenth = 1; tenth < 10; ++tenth) {
            const int x = m.pixelX(GraphSpace::Width * tenth / 10.0);
            LineWidget::paintLine(painter, QRect(x, 0, 1, size.height()), LineWidget::Style::Dot,
                                  gridColour);
        }
    }
    // The window's own size and ratio were thinned to when the traces were
    // set; any other picture thins its own copy.
    const bool cached = size == this->size() && devicePixelRatio == thinnedRatio_;
    memories_.paint(painter, m, devicePixelRatio, cached, font());
    TracePolylines scratch;
    for (const Batch& b : traces_) {
        const TracePolylines* pixels = &b.pixels;
        if (!cached) {
            ToPixelPolylines(b.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), devicePixelRatio,
                             scratch, m.heightPx);
            pixels = &scratch;
        }
        QPen pen(VbColour(b.colour));
        pen.setCosmetic(true);  // one device pixel wide at any screen scale
        painter.setPen(pen);
        std::size_t start = 0;
        for (const std::size_t end : pixels->runEnds) {
            painter.drawPolyline(pixels->points.data() + start, static_cast<int>(end - start));
            start = end;
        }
    }
    if (overlays) {
        for (const LineWidget* line :
             findChildren<LineWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!line->isHidden()) {
                LineWidget::paintLine(painter, line->pixelRect(m), line->style(),
                                      line->borderColour());
            }
        }
        for (const Tag& t : tags_) {
            if (t.widget && !t.widget->isHidden()) {
                t.widget->render(&painter, TagPosition(t, m), QRegion(),
                                 QWidget::DrawWindowBackground);
            }
        }
    }
    painter.restore();
}

void GraphWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (devicePixelRatioF() != thinnedRatio_) {  // moved to a screen of another ratio
        thinnedRatio_ = devicePixelRatioF();
        for (Batch& b : traces_) {
            thin(b);
        }
        memories_.thin(mapping(), thinnedRatio_, font());
    }
    paintGraph(painter, size(), devicePixelRatioF(), false);
    if (hasFocus()) {
        // The keys go to the markers: a frame just inside the edge says so.
        QPen focus(palette().color(QPalette::Highlight));
        focus.setStyle(Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
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
    const GraphMapping m = mapping();
    emit mouseUp(button, shift, static_cast<float>(m.toTwipX(pos.x())),
                 static_cast<float>(m.toTwipY(pos.y())));
}

void GraphWidget::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers other =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    switch (event->key()) {
        case Qt::Key_1:
        case Qt::Key_2:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (other == Qt::NoModifier) {
                emit markerKey(event->key(), event->modifiers().testFlag(Qt::ShiftModifier));
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}
