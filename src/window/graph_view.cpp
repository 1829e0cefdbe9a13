#include "window/graph_view.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "cycle/frequency_axis.h"
#include "measure/trace_scale.h"
#include "display/menu_bar_order.h"
#include "measure/graph_widget.h"
#include "settings/settings.h"

namespace {

struct ScaleChoice {
    const char* name;
    const char* text;
    int value;
};

// Widest first in each group; the designed scale is the default. Every
// item has an access key of its own within its menu.
constexpr ScaleChoice SwrChoices[] = {
    {"mnuSwr0to10", "&0 to 10", static_cast<int>(SwrScale::ZeroTo10)},
    {"mnuSwr1to5", "1 to &5", static_cast<int>(SwrScale::OneTo5)},
    {"mnuSwr1to3", "1 to &3", static_cast<int>(SwrScale::OneTo3)},
    {"mnuSwr1to2", "1 to &2", static_cast<int>(SwrScale::OneTo2)},
};
constexpr ScaleChoice OhmChoices[] = {
    {"mnuOhm2000", "0 to 2000 &ohm", static_cast<int>(OhmScale::To2000)},
    {"mnuOhm1000", "0 &to 1000 ohm", static_cast<int>(OhmScale::To1000)},
    {"mnuOhm500", "0 to &500 ohm", static_cast<int>(OhmScale::To500)},
    {"mnuOhm200", "0 to &200 ohm", static_cast<int>(OhmScale::To200)},
    {"mnuOhm100", "0 to &100 ohm", static_cast<int>(OhmScale::To100)},
};
constexpr ScaleChoice LossChoices[] = {
    {"mnuLoss30", "0 to 3&0 dB", static_cast<int>(LossRange::To30)},
    {"mnuLoss10", "0 to &10 dB", static_cast<int>(LossRange::To10)},
    {"mnuLoss3", "0 to &3 dB", static_cast<int>(LossRange::To3)},
};

struct ScaleGroup {
    const char* name;
    const char* title;
    const ScaleChoice* choices;
    std::size_t count;
};
constexpr ScaleGroup Groups[] = {
    {"mnuSwrScale", "&SWR scale", SwrChoices, std::size(SwrChoices)},
    {"mnuImpedanceScale", "&Impedance scale", OhmChoices, std::size(OhmChoices)},
    {"mnuLossScale", "&Loss scale", LossChoices, std::size(LossChoices)},
};

int ValueOf(const GraphScales& s, int group) {
    switch (group) {
        case 0:
            return static_cast<int>(s.Swr);
        case 1:
            return static_cast<int>(s.Ohm);
        default:
            return static_cast<int>(s.Loss);
    }
}

GraphScales With(GraphScales s, int group, int value) {
    switch (group) {
        case 0:
            s.Swr = static_cast<SwrScale>(value);
            break;
        case 1:
            s.Ohm = static_cast<OhmScale>(value);
            break;
        default:
            s.Loss = static_cast<LossRange>(value);
            break;
    }
    return s;
}

QAction* CheckItem(QMenu* menu, const char* name, const QString& text, bool checked) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

}  // namespace

GraphView::GraphView(const Parts& parts) : QObject(&parts.window), w_(parts) {
    menu_ = new QMenu(QStringLiteral("&View"), &w_.window);
    NameMenu(menu_, "mnuView");
    for (int g = 0; g < static_cast<int>(std::size(Groups)); ++g) {
        const ScaleGroup& group = Groups[g];
        QMenu* sub = menu_->addMenu(QLatin1String(group.title));
        NameMenu(sub, group.name);
        auto* exclusive = new QActionGroup(sub);
        for (std::size_t i = 0; i < group.count; ++i) {
            const ScaleChoice& c = group.choices[i];
            QAction* a = CheckItem(sub, c.name, QLatin1String(c.text), false);
            exclusive->addAction(a);
            items_.push_back({a, g, c.value});
            connect(a, &QAction::triggered, this,
                    [this, g, value = c.value] { choose(With(scales_, g, value)); });
        }
    }
    autoScale_ = CheckItem(menu_, "mnuAutoScale", QStringLiteral("&Auto scale"), false);
    connect(autoScale_, &QAction::toggled, this, [this] { freshAuto_ = true; });
    menu_->addSeparator();
    grid_ = CheckItem(menu_, "mnuFrequencyGrid", QStringLiteral("&Frequency grid"), true);
    connect(grid_, &QAction::toggled, &w_.graph, &GraphWidget::setFrequencyGrid);
    w_.graph.setFrequencyGrid(grid_->isChecked());
    InsertInMenuBarOrder(w_.window.menuBar(), menu_);
    showChoices();

    auto* f11 = new QShortcut(QKeySequence(Qt::Key_F11), &w_.window);
    connect(f11, &QShortcut::activated, this, &GraphView::toggleFullScreen);
}

void GraphView::choose(const GraphScales& scales) {
    const bool changed = scales != scales_;
    scales_ = scales;
    showChoices();
    if (changed) {
        writeOhmCaptions();
        writeLossCaptions();
        emit scalesChanged();
    }
}

void GraphView::showChoices() {
    for (const Item& item : items_) {
        item.action->setChecked(ValueOf(scales_, item.group) == item.value);
    }
}

void GraphView::autoScale(const TracePass& pass) {
    if (!autoScale_->isChecked()) {
        return;
    }
    // Switched on just now: the smallest scales that hold, not the ones shown.
    const GraphScales from =
        freshAuto_ ? GraphScales{SwrScale::OneTo2, OhmScale::To100, LossRange::To3} : scales_;
    freshAuto_ = false;
    choose(AutoScales(from, pass, SweepExtremes(pass, converter_)));
}

unsigned char GraphView::writeLossCaptions() {
    const LossCaptions c = LossCaptionsFor(w_.lossX2.isChecked(), scales_.Loss, scales_.Swr);
    const std::string* const texts[] = {&c.lbl0db, &c.lbl10dB, &c.lbl20dB, &c.lbl30dB};
    for (std::size_t i = 0; i < w_.lossCaptions.size(); ++i) {
        w_.lossCaptions[i]->setText(QString::fromStdString(*texts[i]));
    }
    return c.LossScale;
}

void GraphView::writeOhmCaptions() {
    const std::array<std::string, 5> c = OhmCaptionsFor(scales_.Ohm);
    for (std::size_t i = 0; i < c.size(); ++i) {
        w_.ohmCaptions[i]->setText(QString::fromStdString(c[i]));
    }
}

void GraphView::showFrequencyAxis() {
    const std::array<std::string, 11> texts =
        FrequencyAxisTexts(w_.settings.FMin, w_.settings.FMax);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        QLabel* label = w_.frequencyAxis[k];
        const QString text = QString::fromStdString(texts[k]);
        label->setText(text);
        // A screen reader names each label by its frequency. Set only on a
        // change: every setting tells the accessibility clients, each tick.
        const QString name = text + QStringLiteral(" MHz");
        if (label->accessibleName() != name) {
            label->setAccessibleName(name);
        }
    }
}

void GraphView::toggleFullScreen() {
    QMainWindow& w = w_.window;
    if (w.isFullScreen()) {
        if (maximisedBeforeFullScreen_) {
            w.showMaximized();
        } else {
            w.showNormal();
        }
        return;
    }
    maximisedBeforeFullScreen_ = w.isMaximized();
    w.showFullScreen();
}
