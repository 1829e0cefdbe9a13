#include "window/memory_control.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTime>
#include <algorithm>

#include "common/window_fields.h"
#include "compare/memory_drawing.h"
#include "window/graph_view.h"
#include "display/menu_bar_order.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"
#include "settings/settings.h"

namespace {

const QString kMemoryFilter =
    QStringLiteral("Sweeps and Touchstone files (*.vec *.s1p *.s2p);;All files (*)");

}  // namespace

MemoryControl::MemoryControl(const Parts& parts) : QObject(&parts.window), w_(parts) {
    mnuMemory = new QMenu(QStringLiteral("M&emory"), &w_.window);
    NameMenu(mnuMemory, "mnuMemory");
    const struct {
        QAction** action;
        const char* name;
        const char* caption;
        QKeySequence keys;
        void (MemoryControl::*handler)();
    } items[] = {
        {&mnuMemoryStore, "mnuMemoryStore", "&Store sweep", QKeySequence(Qt::CTRL | Qt::Key_M),
         &MemoryControl::mnuMemoryStore_Click},
        {&mnuMemoryLoad, "mnuMemoryLoad", "&Load memory\u2026", QKeySequence(),
         &MemoryControl::mnuMemoryLoad_Click},
        {&mnuMemoryClear, "mnuMemoryClear", "&Clear memories", QKeySequence(),
         &MemoryControl::mnuMemoryClear_Click},
    };
    for (const auto& item : items) {
        QAction* a = mnuMemory->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QLatin1String(item.name));
        a->setShortcut(item.keys);
        *item.action = a;
        connect(a, &QAction::triggered, this, item.handler);
    }
    InsertInMenuBarOrder(w_.window.menuBar(), mnuMemory);
    showStorable();
    connect(&w_.view, &GraphView::scalesChanged, this, &MemoryControl::refresh);
}

// Before the first sweep or file the buffers hold only zeros: nothing worth
// storing.
void MemoryControl::showStorable() {
    mnuMemoryStore->setEnabled(w_.sweepShown());
}

void MemoryControl::mnuMemoryStore_Click() {
    if (!w_.sweepShown()) {
        return;
    }
    const TracePass pass = w_.tracePass();
    const Settings& s = w_.settings;
    const auto points = static_cast<std::size_t>(std::max(pass.Champ, 0)) + 1;
    std::span<const float> magnitude(pass.MagnitudeSamples, points);
    // A normalised sweep is kept as it is drawn: the loss error taken off.
    std::vector<float> normalised;
    if (pass.LossErrors != nullptr) {
        normalised.resize(points);
        for (std::size_t i = 0; i < points; ++i) {
            normalised[i] = static_cast<float>(
                CountLessLossError(static_cast<double>(magnitude[i]), pass.LossErrors[i]));
        }
        magnitude = normalised;
    }
    bank_.add(MemoryFromSweep(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")), magnitude,
                              std::span<const float>(pass.PhaseSamples, points), pass.Champ, s.FMin,
                              s.FMax, pass.CalOffsetDb, pass.LossOffset));
    changed();
}

void MemoryControl::mnuMemoryLoad_Click() {
    const QString path = w_.chooseFile(FileDialog::Open, kMemoryFilter);
    if (path.isEmpty()) {
        return;
    }
    if (const QString error = load(path); !error.isEmpty()) {
        w_.warn(error);
    }
}

QString MemoryControl::load(const QString& path) {
    const TracePass pass = w_.tracePass();
    const QString error = LoadMemoryFile(path, w_.fields.TransmissionMode != 0.0f, pass.CalOffsetDb,
                                         pass.LossOffset, bank_);
    if (error.isEmpty()) {
        changed();
    }
    return error;
}

void MemoryControl::mnuMemoryClear_Click() {
    bank_.clear();
    changed();
}

void MemoryControl::changed() {
    drawn_ = false;
    refresh();
}

void MemoryControl::refresh() {
    const TracePass pass = w_.tracePass();
    const Settings& s = w_.settings;
    GraphWidget* g = &w_.graph;
    const MemoryAxis axis = MemoryAxisOf(pass, s.FMin, s.FMax);
    const std::array<std::uint32_t, 6> colours = w_.traceColours();
    if (drawn_ && axis == axis_ && colours == colours_) {
        return;
    }
    drawn_ = true;
    axis_ = axis;
    colours_ = colours;

    MemoryDrawing drawn = DrawMemories(bank_, axis, colours);
    g->setMemories(std::move(drawn.traces), std::move(drawn.names));
}
