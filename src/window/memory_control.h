#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

#include "compare/memory_geometry.h"
#include "compare/memory_trace.h"
#include "window/window_calls.h"

class GraphView;
class GraphWidget;
class QAction;
class QMainWindow;
class QMenu;
struct Settings;
struct WindowFields;

// The "M&emory" menu: the sweep on the graph or a .vec, .s1p or .s2p file
// kept as a memory, up to four, and the memories drawn under the live
// traces. Their geometry is worked out again only when the memories, the
// limits, the scales, the traces shown or their colours change.
class MemoryControl : public QObject {
    Q_OBJECT
public:
    // What the memories are kept from and drawn on.
    struct Parts {
        QMainWindow& window;  // its menu bar
        GraphWidget& graph;
        const GraphView& view;       // its scales draw the memories too
        const Settings& settings;    // the limits
        const WindowFields& fields;  // the mode a file is read for
        std::function<TracePass()> tracePass;
        std::function<std::array<std::uint32_t, 6>()> traceColours;
        // The buffers hold a sweep taken or a file opened.
        std::function<bool()> sweepShown;
        ChooseFile chooseFile;
        Say warn;
    };
    explicit MemoryControl(const Parts& parts);

    const MemoryBank& bank() const { return bank_; }
    // A .vec, .s1p or .s2p file kept as a memory, read for the mode shown;
    // why not, in one line naming the file (and the line of a Touchstone
    // file), when it cannot be read. Nothing changes then.
    QString load(const QString& path);

    QMenu* mnuMemory = nullptr;
    QAction* mnuMemoryStore = nullptr;
    QAction* mnuMemoryLoad = nullptr;
    QAction* mnuMemoryClear = nullptr;

public slots:
    void mnuMemoryStore_Click();
    void mnuMemoryLoad_Click();
    void mnuMemoryClear_Click();
    // Draws the memories again if anything they are drawn by has changed.
    void refresh();
    // "Store sweep" only while there is a sweep to store.
    void showStorable();

private:
    void changed();

    Parts w_;
    MemoryBank bank_;
    // What the picture on the graph was drawn for.
    bool drawn_ = false;
    MemoryAxis axis_;
    std::array<std::uint32_t, 6> colours_{};
};
