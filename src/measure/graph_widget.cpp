#include "measure/graph_widget.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "common/colour.h"
#include "display/vb_colour.h"
#include "measure/fork_join.h"
#include "measure/line_widget.h"

namespace {

// Below this many segments to thin, handing half of the work to the other
// core costs more than it saves.
constexpr std::size_t kShared = 20000;

}  // namespace

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

GraphTag GraphWidget::sceneTag(const Tag& tag) const {
    GraphTag g;
    g.x = tag.x;
    g.pixelOffset = tag.pixelOffset;
    g.top = tag.top;
    g.scale = tagScale_;
    return g;
}

void GraphWidget::placeTagWidget(const Tag& tag) {
    if (!tag.widget) {
        return;
    }
    tag.widget->move(TagPosition(sceneTag(tag), mapping()));
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

void GraphWidget::setBands(std::vector<GraphBand> bands, std::uint32_t colour) {
    if (colour == bandColour_ && bands == bands_) {
        return;
    }
    bands_ = std::move(bands);
    bandColour_ = colour;
    update();
}

void GraphWidget::setStrokes(std::vector<GraphStroke> strokes) {
    if (strokes == strokes_) {
        return;
    }
    strokes_ = std::move(strokes);
    update();
}

GraphScene GraphWidget::scene(bool overlays) const {
    GraphScene s;
    s.back = backColour_;
    s.frame = palette().color(QPalette::Dark);
    s.frequencyGrid = grid_;
    s.grid = VbFromQColor(palette().color(QPalette::Shadow));
    s.font = font();
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        s.traces[t] = {traces_[t].segments, &traces_[t].pixels, traces_[t].colour};
    }
    s.thinnedSize = size();
    s.thinnedRatio = thinnedRatio_;
    s.memories = &memories_;
    s.bands = bands_;
    s.bandColour = bandColour_;
    s.strokes = strokes_;
    if (!overlays) {
        return s;
    }
    for (const LineWidget* line :
         findChildren<LineWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!line->isHidden()) {
            s.lines.push_back(line->line());
        }
    }
    for (const Tag& t : tags_) {
        if (t.widget && !t.widget->isHidden()) {
            GraphTag tag = sceneTag(t);
            tag.size = t.widget->size();
            tag.font = t.widget->font();
            tag.fore = t.widget->palette().color(t.widget->foregroundRole());
            tag.back = t.widget->palette().color(t.widget->backgroundRole());
            if (const auto* label = qobject_cast<const QLabel*>(t.widget.data())) {
                tag.text = label->text();
                tag.alignment = label->alignment();
            }
            s.tags.push_back(tag);
        }
    }
    return s;
}

bool GraphWidget::paintGraph(QPainter& painter, QSize size, qreal devicePixelRatio, bool overlays,
                             Sharing sharing) const {
    return PaintGraph(painter, scene(overlays), size, devicePixelRatio, sharing);
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
