#include "window/marker_controls.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "common/window_fields.h"
#include "cycle/bandwidth.h"
#include "display/menu_bar_order.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "settings/settings.h"

namespace {

struct Search {
    const char* name;
    const char* text;
    void (MarkerControls::*run)();
    bool transmissionOnly;
};

constexpr Search Searches[] = {
    {"mnuMkr1MinSwr", "Marker 1 to m&inimum SWR", &MarkerControls::toMinimumSwr, false},
    {"mnuMkr1MaxZ", "Marker 1 to ma&ximum |Z|", &MarkerControls::toMaximumZ, false},
    {"mnuMkr1MinZ", "Marker 1 to minimum |&Z|", &MarkerControls::toMinimumZ, false},
    {"mnuMkrSwr2to1", "Markers to SWR &2:1 points", &MarkerControls::toSwrTwoToOnePoints, false},
    {"mnuMkrMinus3dB", "Markers to \u2212&3 dB points", &MarkerControls::toMinusThreeDbPoints,
     true},
    {"mnuMkr1MinLoss", "Marker 1 to minimum &loss", &MarkerControls::toMinimumLoss, true},
    {"mnuMkr1MaxLoss", "Marker 1 to maximum l&oss", &MarkerControls::toMaximumLoss, true},
};

std::optional<MarkerKey> KeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_1:
            return MarkerKey::One;
        case Qt::Key_2:
            return MarkerKey::Two;
        case Qt::Key_Left:
            return MarkerKey::Left;
        case Qt::Key_Right:
            return MarkerKey::Right;
        case Qt::Key_Home:
            return MarkerKey::Home;
        case Qt::Key_End:
            return MarkerKey::End;
        default:
            return std::nullopt;
    }
}

}  // namespace

MarkerControls::MarkerControls(const Parts& parts) : QObject(&parts.window), w_(parts) {
    menu_ = new QMenu(QStringLiteral("&Markers"), &w_.window);
    NameMenu(menu_, "mnuMarkers");
    std::vector<std::pair<QAction*, bool>> items;
    for (const Search& s : Searches) {
        QAction* a = menu_->addAction(QString::fromUtf8(s.text));
        a->setObjectName(QLatin1String(s.name));
        connect(a, &QAction::triggered, this, s.run);
        items.emplace_back(a, s.transmissionOnly);
    }
    // The SWR and |Z| searches belong to the reflection modes, the -3 dB
    // points and the loss searches to Transmission.
    connect(menu_, &QMenu::aboutToShow, this, [this, items] {
        for (const auto& [action, transmissionOnly] : items) {
            action->setEnabled(transmissionOnly == transmission());
        }
    });
    QMainWindow* window = &w_.window;
    InsertInMenuBarOrder(window->menuBar(), menu_);
    connect(&w_.graph, &GraphWidget::markerKey, this, &MarkerControls::key);
    // Tab reaches the graph last, so the window opens with the focus where
    // it always had it.
    QWidget* last = nullptr;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && w != &w_.graph && (w->focusPolicy() & Qt::TabFocus) &&
            !w->isHidden()) {
            last = w;
        }
    }
    QWidget::setTabOrder(last, &w_.graph);
}

bool MarkerControls::transmission() const {
    return w_.fields.TransmissionMode != 0.0f;
}

MarkerPoints MarkerControls::points() const {
    return MarkerPointsOf(w_.points(), w_.settings.Step);
}

std::int32_t MarkerControls::indexOf(int marker) const {
    const LineWidget& line = marker == 1 ? w_.linM1 : w_.linM2;
    return MarkerIndex(line.X1(), w_.graph.ScaleWidth(), w_.points(), w_.settings.Step);
}

void MarkerControls::place(int marker, std::int32_t index) {
    const float x = MarkerLineX(index, w_.graph.ScaleWidth(), w_.points());
    w_.mouseUp(marker == 1 ? 1 : 2, x);
}

double MarkerControls::frequencyOf(int marker) const {
    const MarkerReadoutInputs in = w_.readoutInputs();
    return static_cast<double>(in.FMin) + indexOf(marker) * in.FreqStep;
}

bool MarkerControls::placeAtFrequency(int marker, double hz) {
    const MarkerReadoutInputs in = w_.readoutInputs();
    const auto index = MarkerPointAt(hz, in.FMin, in.FreqStep, points());
    if (index) {
        place(marker, *index);
    }
    return index.has_value();
}

void MarkerControls::key(int qtKey, bool shift) {
    const std::optional<MarkerKey> k = KeyOf(qtKey);
    if (!k) {
        return;
    }
    const MarkerKeyResult r = MarkerKeyMove(*k, shift, active_, indexOf(active_), points());
    active_ = r.active;
    if (r.moveTo) {
        place(active_, *r.moveTo);
    }
}

ReadoutPoints MarkerControls::readouts() const {
    const std::string offset = w_.lossOffset.text().toStdString();
    MarkerReadoutInputs in = w_.readoutInputs();
    in.txtLossOffset = offset;
    return ReadoutValuesAt(in, points());
}

void MarkerControls::toMinimumSwr() {
    const ReadoutPoints p = readouts();
    if (const auto i = LowestAt(p, p.swr)) {
        place(1, *i);
    }
}

void MarkerControls::toMaximumZ() {
    const ReadoutPoints p = readouts();
    if (const auto i = HighestAt(p, p.z)) {
        place(1, *i);
    }
}

void MarkerControls::toMinimumZ() {
    const ReadoutPoints p = readouts();
    if (const auto i = LowestAt(p, p.z)) {
        place(1, *i);
    }
}

void MarkerControls::placeEitherSide(const EitherSide& sides, const QString& what,
                                     const QString& from) {
    if (sides.below) {
        place(1, *sides.below);
    }
    if (sides.above) {
        place(2, *sides.above);
    }
    if (!sides.below && !sides.above) {
        w_.notify(QStringLiteral("The sweep does not reach %1 on either side of %2: the markers "
                                 "stay where they are.")
                      .arg(what, from));
    } else if (!sides.below) {
        w_.notify(
            QStringLiteral("The sweep does not reach %1 below %2: marker 1 stays where it is.")
                .arg(what, from));
    } else if (!sides.above) {
        w_.notify(
            QStringLiteral("The sweep does not reach %1 above %2: marker 2 stays where it is.")
                .arg(what, from));
    }
}

// Around the point marker 3 shows: the nearest points either side whose SWR
// is 2.0 or more.
void MarkerControls::toSwrTwoToOnePoints() {
    const float W = w_.graph.ScaleWidth();
    const std::int32_t champ = w_.points();
    const std::int32_t centre =
        MarkerIndex(MinSwrMarkerX(W, w_.fields.BestMatchPoint, champ), W, champ, w_.settings.Step);
    const ReadoutPoints p = readouts();
    const auto at = std::lower_bound(p.index.begin(), p.index.end(), centre) - p.index.begin();
    if (at < static_cast<std::ptrdiff_t>(p.index.size()) &&
        p.swr[static_cast<std::size_t>(at)] >= 2.0) {
        w_.notify(
            QStringLiteral("The SWR does not go below 2.0: the markers stay where they are."));
        return;
    }
    placeEitherSide(NearestReaching(p, p.swr, centre, 2.0), QStringLiteral("SWR 2.0"),
                    QStringLiteral("the minimum SWR"));
}

void MarkerControls::toMinimumLoss() {
    toLossExtreme(LowestAt);
}

void MarkerControls::toMaximumLoss() {
    toLossExtreme(HighestAt);
}

void MarkerControls::toLossExtreme(LossSearch search) {
    if (!transmission()) {
        w_.notify(QStringLiteral("The loss searches are made in the Transmission mode."));
        return;
    }
    const ReadoutPoints p = readouts();
    if (const auto i = search(p, p.loss)) {
        place(1, *i);
    }
}

// Around the point of least loss: the nearest points either side whose loss
// is 3 dB more or beyond.
void MarkerControls::toMinusThreeDbPoints() {
    if (!transmission()) {
        w_.notify(QStringLiteral("The \u22123 dB points are searched in the Transmission mode."));
        return;
    }
    const ReadoutPoints p = readouts();
    const auto centre = LowestAt(p, p.loss);
    if (!centre) {
        return;
    }
    const auto at = std::find(p.index.begin(), p.index.end(), *centre) - p.index.begin();
    placeEitherSide(NearestReaching(p, p.loss, *centre, p.loss[static_cast<std::size_t>(at)] + 3.0),
                    QStringLiteral("3 dB more loss"), QStringLiteral("the least loss"));
}
