#include "window/smith_view.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "timedomain/smith_graph.h"
#include "timedomain/sweep_input.h"
#include "window/view_window.h"

SmithView::SmithView(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    // Ctrl+M stores a memory.
    mnuSmith_ = AddViewItem(w_.viewMenu, QStringLiteral("S&mith chart\u2026"), "mnuSmith",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    connect(mnuSmith_, &QAction::triggered, this, &SmithView::show);
    build();
}

void SmithView::build() {
    view_ = NewViewWindow(w_.window, "frmSmith", QStringLiteral("Smith chart"));
    auto* grid = new QGridLayout(view_);
    graph_ = Named(new SmithGraph(view_), "picSmith");
    graph_->setAccessibleName(QStringLiteral("Smith chart"));
    marker_ = Named(new QLabel(view_), "lblSmithMarker");
    marker_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    info_ = Named(new QLabel(view_), "lblSmithInfo");
    info_->setWordWrap(true);
    save_ =
        Named(new QPushButton(QStringLiteral("Save P&icture\u2026"), view_), "cmdSmithSavePicture");
    grid->addWidget(graph_, 0, 0, 1, 2);
    grid->addWidget(marker_, 1, 0, 1, 2);
    grid->addWidget(info_, 2, 0);
    grid->addWidget(save_, 2, 1, Qt::AlignRight);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    view_->resize(620, 700);

    connect(save_, &QPushButton::clicked, this, &SmithView::savePicture);
    connect(graph_, &SmithGraph::pointChosen, this, [this](std::size_t index) {
        chosen_ = index;
        showPoints();
    });
}

void SmithView::show() {
    RaiseViewWindow(*view_);
    refresh();
}

void SmithView::refresh() {
    if (!view_ || !view_->isVisible()) {
        return;
    }
    const SweepExportInput in = w_.sweep();
    signs_.clear();
    sweep_ = {};
    message_.clear();
    if (in.TransmissionMode != 0.0f) {
        message_ = QStringLiteral(
            "The Smith chart shows reflection: switch to Reflection mode to see it.");
    } else {
        sweep_ = TimeDomainSweepFrom(in);
        ReactanceSigns found = finder_.signs(sweep_);
        if (found.Signs.size() != sweep_.Rho.size() || sweep_.Rho.empty()) {
            message_ = found.error.empty() ? QStringLiteral("No sweep to show yet.")
                                           : QString::fromStdString(found.error);
            sweep_ = {};
        } else {
            signs_ = std::move(found.Signs);
        }
    }
    showPoints();
}

SmithScene SmithView::scene() const {
    SmithScene s;
    s.font = graph_->font();
    s.message = message_;
    s.points.reserve(signs_.size());
    s.known.reserve(signs_.size());
    for (std::size_t i = 0; i < signs_.size(); ++i) {
        s.points.push_back(SignedGamma(sweep_.Rho[i], sweep_.PhaseDeg[i], signs_[i]));
        s.known.push_back(signs_[i] != ReactanceSign::Unknown);
    }
    if (!signs_.empty()) {
        const std::size_t at = std::min(chosen_, signs_.size() - 1);
        SmithMarker m;
        m.index = at;
        m.label = QStringLiteral("1");
        m.readout = SmithPointLines(sweep_.StartHz + static_cast<double>(at) * sweep_.StepHz,
                                    s.points[at], signs_[at]);
        s.markers.push_back(m);
    }
    return s;
}

void SmithView::showPoints() {
    const SmithScene s = scene();
    graph_->setScene(s);
    if (s.markers.empty()) {
        marker_->clear();
        info_->setText(message_);
        return;
    }
    const std::size_t at = s.markers.front().index;
    // Numbered as the buffers number their points, from 1.
    marker_->setText(QStringLiteral("Point %1: ").arg(at + 1) +
                     SmithPointText(sweep_.StartHz + static_cast<double>(at) * sweep_.StepHz,
                                    s.points[at], signs_[at]));
    const auto known = static_cast<std::size_t>(std::count(s.known.begin(), s.known.end(), true));
    info_->setText(QStringLiteral("Sign of Xs inferred at %1 of %2 points (grey rings: unknown)")
                       .arg(known)
                       .arg(s.points.size()));
}

void SmithView::savePicture() {
    SaveViewPicture({w_.chooseFile, w_.notify, w_.warn},
                    [this](PictureFormat format, const QString& date) {
                        SmithScene s = scene();
                        s.lines = {date, info_->text()};
                        if (!marker_->text().isEmpty()) {
                            s.lines << marker_->text();
                        }
                        return SmithPictureBytes(s, graph_->size(), format);
                    });
}
