#include "window/text_size.h"

#include <QActionGroup>
#include <QMenu>

#include "window/chart1_resize.h"
#include "window/settings_dialog.h"
#include "display/menu_bar_order.h"
#include "settings/settings.h"

namespace {

// Names and captions, each with an access key of its own in the menu.
constexpr struct {
    const char* name;
    const char* text;
} Items[] = {
    {"mnuTextSize100", "&100 %"},
    {"mnuTextSize125", "12&5 %"},
    {"mnuTextSize150", "15&0 %"},
    {"mnuTextSize200", "&200 %"},
};
static_assert(std::size(Items) == TextSizeControl::Sizes.size());

}  // namespace

TextSizeControl::TextSizeControl(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    // What the window's controllers have made is the design from here on.
    w_.layout.recordDesign();

    QMenu* view = &w_.viewMenu;
    view->addSeparator();
    menu_ = view->addMenu(QStringLiteral("&Text size"));
    NameMenu(menu_, "mnuTextSize");
    auto* exclusive = new QActionGroup(menu_);
    for (std::size_t i = 0; i < Sizes.size(); ++i) {
        QAction* a = menu_->addAction(QLatin1String(Items[i].text));
        a->setObjectName(QLatin1String(Items[i].name));
        a->setCheckable(true);
        exclusive->addAction(a);
        items_[i] = a;
        connect(a, &QAction::triggered, this, [this, percent = Sizes[i]] { choose(percent); });
    }
    apply(w_.settings.TextSize);
}

void TextSizeControl::choose(std::int32_t percent) {
    apply(percent);
    if (percent != w_.settings.TextSize && w_.settingsFile.rememberTextSize(percent)) {
        w_.settings.TextSize = percent;
    }
}

void TextSizeControl::apply(std::int32_t percent) {
    percent_ = percent;
    for (std::size_t i = 0; i < Sizes.size(); ++i) {
        items_[i]->setChecked(Sizes[i] == percent);
    }
    w_.layout.setScale(static_cast<double>(percent) / 100.0);
}
