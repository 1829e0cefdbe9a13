#include "window/chart1_resize.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRadioButton>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <vector>

#include "window/chart1_widgets.h"
#include "window/focus_mark.h"
#include "display/fit_text.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"

// The application's style, with the boxes of check boxes and option buttons
// at the text size.
class IndicatorStyle : public QProxyStyle {
public:
    double scale = 1.0;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int v = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight:
                return ScaledPixels(v, scale);
            default:
                return v;
        }
    }
};

FormLayout::FormLayout(QWidget* form, Chart1Widgets& ui)
    : QObject(form),
      form_(form),
      ui_(ui),
      designForm_(form->minimumSize()),
      designGraph_(ui.picGraph1->geometry()),
      designFileName_(ui.txtFileName->pos()),
      indicators_(new IndicatorStyle) {
    // A widget does not own its style: the window does, and deletes it after
    // the form it made earlier, boxes and all.
    indicators_->setParent(form->window());
    // Everything placed at design time below the graph is a panel; what
    // lies right of it, a caption.
    const auto& axis = ui.lblFreqAxis;
    for (QWidget* w : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == ui.picGraph1 || w == ui.txtFileName ||
            std::find(axis.begin(), axis.end(), w) != axis.end()) {
            continue;
        }
        if (w->y() > designGraph_.bottom()) {
            below_.push_back({w, w->pos()});
        } else if (w->x() > designGraph_.right()) {
            right_.push_back({w, w->pos()});
        }
    }
    form->installEventFilter(this);
    layOut();
}

void FormLayout::recordDesign() {
    designed_.clear();
    fonts_.clear();
    // The widgets the window's definition places: on the form, in a frame,
    // and the tags on the graph. The graph's lines follow its mapping, the
    // focus mark its control, and the parts of Qt's own widgets their
    // owners.
    for (QWidget* w : form_->findChildren<QWidget*>()) {
        QWidget* parent = w->parentWidget();
        const bool placed =
            parent == form_ || qobject_cast<QGroupBox*>(parent) || parent == ui_.picGraph1;
        if (!placed || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<LineWidget*>(w) ||
            qobject_cast<FocusMark*>(w)) {
            continue;
        }
        designed_.push_back({w, w->geometry()});
        // A font of its own (bold, smaller) keeps its size to the window's.
        if (w->testAttribute(Qt::WA_SetFont) && !FitsText(w) && w->font().pixelSize() > 0) {
            fonts_.push_back({w, w->font().pixelSize()});
        }
    }
    QWidget* window = form_->window();
    fonts_.push_back({window, window->font().pixelSize()});
    designIcons_ = ui_.Toolbar1->iconSize();
}

void FormLayout::setScale(double scale) {
    if (scale == scale_ || !(scale > 0.0)) {
        return;
    }
    // A window at its smallest stays at its smallest, the new one; one made
    // larger keeps its size.
    QWidget* window = form_->window();
    const bool smallest = form_->size() == ScaledSize(designForm_, scale_) &&
                          !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    scale_ = scale;
    ui_.textScale = scale;
    // The window's font first: every widget without a font of its own
    // inherits it.
    for (auto it = fonts_.rbegin(); it != fonts_.rend(); ++it) {
        if (it->widget) {
            QFont f = it->widget->font();
            f.setPixelSize(std::max(1, ScaledPixels(it->pixelSize, scale)));
            it->widget->setFont(f);
        }
    }
    for (const Designed& d : designed_) {
        if (d.widget) {
            d.widget->setGeometry(ScaledRect(d.rect, scale));
        }
    }
    ui_.Toolbar1->setIconSize(ScaledSize(designIcons_, scale));
    // The boxes to tick grow with their captions; the design keeps the
    // application's style itself.
    indicators_->scale = scale;
    for (QAbstractButton* b : form_->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
            b->setStyle(scale == 1.0 ? nullptr : indicators_);
        }
    }
    form_->setMinimumSize(ScaledSize(designForm_, scale));
    grown_ = 0;  // the panels are back at their design places
    layOut();
    ui_.picGraph1->setTagScale(scale);
    RefitTexts(form_);
    emit scaled();
    if (window->layout()) {
        window->layout()->activate();  // the smallest size as it is now
    }
    window->resize(smallest ? window->minimumSizeHint()
                            : window->size().expandedTo(window->minimumSizeHint()));
}

bool FormLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Resize) {
        layOut();
    }
    return false;
}

void FormLayout::layOut() {
    const QSize grow = (form_->size() - ScaledSize(designForm_, scale_)).expandedTo(QSize(0, 0));
    const QRect graph =
        ScaledRect(designGraph_, scale_).adjusted(0, 0, grow.width(), grow.height());
    ui_.picGraph1->setGeometry(graph);
    // By the change only: a panel that moved within its room for a row
    // shown at times (the INFO frame) keeps its place in it.
    for (const Placed& p : below_) {
        p.widget->move(p.widget->pos() + QPoint(0, grow.height() - grown_));
    }
    grown_ = grow.height();
    // Their heights are the scales' to set, level with the graph's lines.
    for (const Placed& p : right_) {
        p.widget->move(ScaledPixels(p.design.x(), scale_) + grow.width(), p.widget->y());
    }
    ui_.txtFileName->move(ScaledPixels(designFileName_.x(), scale_) + grow.width(),
                          ScaledPixels(designFileName_.y(), scale_));

    const auto axis = FrequencyAxisPlaces(graph.size(), scale_);
    for (std::size_t k = 0; k < axis.size(); ++k) {
        ui_.lblFreqAxis[k]->setGeometry(axis[k].translated(graph.topLeft()));
    }
}

FormLayout* FollowFormSize(QWidget* form, Chart1Widgets& ui) {
    return new FormLayout(form, ui);
}
