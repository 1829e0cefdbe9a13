#include "window/focus_mark.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>

namespace {
// From the control outwards: a gap, the black line, a white edge.
constexpr int Gap = 1;
constexpr int Line = 2;
constexpr int Edge = 1;

void FrameBand(QPainter& p, const QRect& r, int width, const QColor& colour) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), colour);
    p.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), colour);
}
}  // namespace

FocusMark::FocusMark(QWidget* form) : QWidget(form), form_(form) {
    setObjectName(QStringLiteral("focusMark"));
    setAccessibleDescription(objectName());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    qApp->installEventFilter(this);
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget == nullptr || !form_->isAncestorOf(widget)) {
                break;
            }
            switch (static_cast<QFocusEvent*>(event)->reason()) {
                case Qt::TabFocusReason:
                case Qt::BacktabFocusReason:
                case Qt::ShortcutFocusReason:
                    follow(widget);
                    break;
                case Qt::MouseFocusReason:
                    follow(nullptr);
                    break;
                default:
                    // Back from a menu or another window: the mark stays
                    // with the control only if it was there already.
                    if (widget != target_) {
                        follow(nullptr);
                    }
                    break;
            }
            break;
        }
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (target_ != nullptr && watched->isWidgetType() &&
                (watched == target_ || static_cast<QWidget*>(watched)->isAncestorOf(target_))) {
                place();
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::follow(QWidget* widget) {
    target_ = widget;
    place();
}

void FocusMark::place() {
    if (target_ == nullptr || !target_->isVisibleTo(form_)) {
        hide();
        return;
    }
    const int m = Gap + Line + Edge;
    const QRect r(target_->mapTo(form_, QPoint(0, 0)), target_->size());
    setGeometry(r.adjusted(-m, -m, m, m));
    raise();
    show();
    update();
}

void FocusMark::paintEvent(QPaintEvent*) {
    // Black on a white edge: plain on the grey frames and beside a colour
    // button of any colour.
    QPainter p(this);
    FrameBand(p, rect(), Edge, Qt::white);
    FrameBand(p, rect().adjusted(Edge, Edge, -Edge, -Edge), Line, Qt::black);
}
