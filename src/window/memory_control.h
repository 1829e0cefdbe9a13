#pragma once

#include <QObject>
#include <array>
#include <cstdint>

#include "compare/memory_geometry.h"
#include "compare/memory_trace.h"

class chart1;
class QAction;
class QMenu;

// The "M&emory" menu: the sweep on the graph or a .vec, .s1p or .s2p file
// kept as a memory, up to four, and the memories drawn under the live
// traces. Their geometry is worked out again only when the memories, the
// limits, the scales, the traces shown or their colours change.
class MemoryControl : public QObject {
    Q_OBJECT
public:
    explicit MemoryControl(chart1& window);

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

private:
    void changed();

    chart1& w_;
    MemoryBank bank_;
    // What the picture on the graph was drawn for.
    bool drawn_ = false;
    MemoryAxis axis_;
    std::array<std::uint32_t, 6> colours_{};
};
