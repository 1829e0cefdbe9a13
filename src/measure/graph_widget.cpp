#include "measure/graph_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "common/colour.h"
#include "display/vb_colour.h"
#include "measure/fork_join.h"
#include "measure/line_widget.h"
#include "measure/trace_paint.h"

namespace {

// The design's pixel, kept for the gaps that stay as designed on a grown graph.
constexpr double DesignTwipsPerPixel = 15.0;

// Below this many segments to thin, or points to draw, handing half of the
// work to the other core costs more than it saves.
constexpr std::size_t kShared = 20000;

}  // namespace

// A tag keeps its designed distance, in pixels, from the bottom edge.
QPoint GraphWidget::TagPosition(const Tag& tag, const GraphMapping& m) const {
    const double fromBottom = (GraphSpace::Height - tag.top) / DesignTwipsPerPixel * tagScale_;
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

bool GraphWidget::followRatio() {
    if (devicePixelRatioF() == thinnedRatio_) {
        return false;
    }
    thinnedRatio_ = devicePixelRatioF();
    for (Batch& b : traces_) {
        thin(b);
    }
    memories_.thin(mapping(), thinnedRatio_, font());
    return true;
}

void GraphWidget::takeTraces(std::span<const TraceTake> takes) {
    followRatio();  // the memories too, not only the traces taken
    std::size_t total = 0;
    for (const TraceTake& t : takes) {
        Batch& b = traces_[t.trace];
        b.colour = t.colour;
        b.segments.swap(*t.segments);
        total += b.segments.size();
    }
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
    // After a change of ratio the traces are thinned again too.
    if (!followRatio()) {
        memories_.thin(mapping(), thinnedRatio_, font());
    }
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

void GraphWidget::setTagScale(double scale) {
    tagScale_ = scale;
    for (Tag& t : tags_) {
        if (t.widget && t.pixelOffset < 0) {
            t.pixelOffset = -t.widget->width();
        }
        placeTagWidget(t);
    }
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

void GraphWidget::paintPlate(QPainter& painter, const Plate& plate, QRect part) const {
    const QRect area(QPoint(0, 0), plate.size);
    const GraphMapping m = mappingFor(plate.size);
    painter.save();
    painter.setClipRect(part, Qt::IntersectClip);
    painter.fillRect(area, plate.back);
    painter.setPen(plate.frame);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    if (grid_) {
        for (int tenth = 1; tenth < 10; ++tenth) {
            const int x = m.pixelX(GraphSpace::Width * tenth / 10.0);
            LineWidget::paintLine(painter, QRect(x, 0, 1, plate.size.height()),
                                  LineWidget::Style::Dot, plate.grid);
        }
    }
    memories_.paint(painter, m, plate.ratio, plate.cached, plate.font);
    TracePolylines scratch;
    for (const Batch& b : traces_) {
        const TracePolylines* pixels = &b.pixels;
        if (!plate.cached) {
            ToPixelPolylines(b.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), plate.ratio,
                             scratch, m.heightPx);
            pixels = &scratch;
        }
        QPen pen(VbColour(b.colour));
        pen.setCosmetic(true);  // one device pixel wide at any screen scale
        painter.setPen(pen);
        DrawRuns(painter, *pixels, part.left(), part.left() + part.width());
    }
    painter.restore();
}

bool GraphWidget::paintPlateShared(QPainter& painter, const Plate& plate) const {
    std::size_t points = 0;
    for (const Batch& b : traces_) {
        points += b.pixels.points.size();
    }
    QPaintEngine* engine = painter.paintEngine();
    if (!plate.cached || points < kShared || engine == nullptr ||
        engine->type() != QPaintEngine::Raster || engine->paintDevice() == nullptr ||
        engine->paintDevice()->devType() != QInternal::Image) {
        return false;
    }
    const auto* image = static_cast<const QImage*>(engine->paintDevice());
    // Whole device pixels to a logical one, so that the two halves meet on a
    // pixel edge; and an image the other thread can reach row by row.
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != toDevice.m22() ||
        toDevice.m11() != std::floor(toDevice.m11()) || image->depth() != 32) {
        return false;
    }
    // Where the painter may paint, in device pixels: the other painter keeps
    // to the same, so nothing outside the region being painted is touched.
    QRegion allowed = engine->systemClip();
    if (allowed.isEmpty()) {
        allowed = QRegion(image->rect());
    }
    if (painter.hasClipping()) {
        allowed &= toDevice.map(painter.clipRegion());
    }
    const int half = plate.size.width() / 2;
    const QRect left(0, 0, half, plate.size.height());
    const QRect right(half, 0, plate.size.width() - half, plate.size.height());
    ForkJoin(
        [&] {
            // The same pixels under a painter of its own; the halves never
            // share a pixel, and the lines in each are drawn exactly as in
            // the whole.
            QImage same(const_cast<uchar*>(image->constBits()), image->width(), image->height(),
                        image->bytesPerLine(), image->format());
            QPainter other(&same);
            other.setClipRegion(allowed);
            other.setTransform(toDevice);
            paintPlate(other, plate, right);
        },
        [&] { paintPlate(painter, plate, left); });
    return true;
}

bool GraphWidget::paintGraph(QPainter& painter, QSize size, qreal devicePixelRatio, bool overlays,
                             Sharing sharing) const {
    const QRect area(QPoint(0, 0), size);
    const GraphMapping m = mappingFor(size);
    // Read here, on the window's thread: the plate may be painted on two.
    Plate plate;
    plate.size = size;
    plate.ratio = devicePixelRatio;
    // The window's own size and ratio were thinned to when the traces were
    // set; any other picture thins its own copy.
    plate.cached = size == this->size() && devicePixelRatio == thinnedRatio_;
    plate.back = VbColour(backColour_);
    plate.frame = palette().color(QPalette::Dark);
    plate.grid = VbFromQColor(palette().color(QPalette::Shadow));
    plate.font = font();
    painter.save();
    const bool shared = sharing == Sharing::Allowed && paintPlateShared(painter, plate);
    if (!shared) {
        paintPlate(painter, plate, area);
    }
    if (overlays) {
        painter.setClipRect(area);
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
    return shared;
}

void GraphWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    followRatio();
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
