#include "app/chart1_resize.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <vector>

#include "app/chart1_widgets.h"
#include "measure/graph_widget.h"

namespace {

class FormLayout : public QObject {
public:
    FormLayout(QWidget* form, Chart1Widgets& ui)
        : QObject(form),
          form_(form),
          ui_(ui),
          designForm_(form->minimumSize()),
          designGraph_(ui.picGraph1->geometry()),
          designFileName_(ui.txtFileName->pos()) {
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && event->type() == QEvent::Resize) {
            layOut();
        }
        return false;
    }

private:
    struct Placed {
        QWidget* widget;
        QPoint design;
    };

    void layOut() {
        const QSize grow = (form_->size() - designForm_).expandedTo(QSize(0, 0));
        const QRect graph = designGraph_.adjusted(0, 0, grow.width(), grow.height());
        ui_.picGraph1->setGeometry(graph);
        // By the change only: a panel that moved within its room for a row
        // shown at times (the INFO frame) keeps its place in it.
        for (const Placed& p : below_) {
            p.widget->move(p.widget->pos() + QPoint(0, grow.height() - grown_));
        }
        grown_ = grow.height();
        // Their heights are the scales' to set, level with the graph's lines.
        for (const Placed& p : right_) {
            p.widget->move(p.design.x() + grow.width(), p.widget->y());
        }
        ui_.txtFileName->move(designFileName_ + QPoint(grow.width(), 0));

        // One label a tenth wide at each tenth, the end ones inside the graph.
        const GraphMapping m = GraphWidget::mappingFor(graph.size());
        const int tenth = std::max(1, m.pixelX(GraphSpace::Width / 10.0));
        const auto& axis = ui_.lblFreqAxis;
        const int last = static_cast<int>(axis.size()) - 1;
        for (int k = 0; k <= last; ++k) {
            const int at = graph.left() + m.pixelX(GraphSpace::Width * k / 10.0);
            const int left = k == 0 ? at : k == last ? at - tenth : at - tenth / 2;
            axis[static_cast<std::size_t>(k)]->setGeometry(left, graph.bottom() + 2, tenth,
                                                           axis[0]->height());
        }
    }

    QWidget* form_;
    Chart1Widgets& ui_;
    QSize designForm_;
    QRect designGraph_;
    QPoint designFileName_;
    int grown_ = 0;  // how far the panels below the graph have moved down
    std::vector<Placed> below_;
    std::vector<Placed> right_;
};

}  // namespace

void FollowFormSize(QWidget* form, Chart1Widgets& ui) {
    new FormLayout(form, ui);
}
