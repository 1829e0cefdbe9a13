#include "display/menu_bar_order.h"

#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char*, 8> Order = {"&File",      "&View",   "&Markers", "M&emory",
                                              "&Calibrate", "&Limits", "&Port",    "&About"};

int Rank(const QString& text) {
    const auto at = std::find_if(Order.begin(), Order.end(),
                                 [&](const char* t) { return text == QLatin1String(t); });
    return at == Order.end() ? -1 : static_cast<int>(at - Order.begin());
}

}  // namespace

void InsertInMenuBarOrder(QMenuBar* bar, QMenu* menu) {
    const int mine = Rank(menu->title());
    for (QAction* a : bar->actions()) {
        if (Rank(a->text()) > mine) {
            bar->insertMenu(a, menu);
            return;
        }
    }
    bar->addMenu(menu);
}

void NameMenu(QMenu* menu, const char* name) {
    menu->setObjectName(QLatin1String(name));
    menu->setAccessibleDescription(menu->objectName());
}
