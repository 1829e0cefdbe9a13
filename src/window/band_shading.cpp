#include "window/band_shading.h"

#include <QActionGroup>
#include <QMenu>

#include "display/menu_bar_order.h"
#include "measure/graph_widget.h"
#include "measure/trace_geometry.h"
#include "range/band_plan.h"
#include "settings/settings.h"
#include "window/settings_dialog.h"

namespace {

// A warm tint, painted lightly, that no trace colour of the design is near.
constexpr std::uint32_t kBandColour = 0x00A0FF;

constexpr std::array<const char*, 4> kNames = {"mnuBandsOff", "mnuBandsRegion1", "mnuBandsRegion2",
                                               "mnuBandsRegion3"};

}  // namespace

BandShading::BandShading(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    menu_ = w_.viewMenu.addMenu(QStringLiteral("Amateur &bands"));
    NameMenu(menu_, "mnuBands");
    auto* group = new QActionGroup(menu_);
    for (int r = 0; r < 4; ++r) {
        QAction* a = menu_->addAction(r == 0 ? QStringLiteral("&Off")
                                             : QStringLiteral("IARU Region &%1").arg(r));
        a->setObjectName(QLatin1String(kNames[static_cast<std::size_t>(r)]));
        a->setCheckable(true);
        group->addAction(a);
        items_[static_cast<std::size_t>(r)] = a;
        connect(a, &QAction::triggered, this, [this, r] {
            choose(r);
            w_.settingsFile.rememberBandRegion(r);
        });
    }
    choose(w_.settings.BandRegion);
}

void BandShading::choose(int region) {
    region_ = region >= 0 && region <= 3 ? region : 0;
    items_[static_cast<std::size_t>(region_)]->setChecked(true);
    bands_ = region_ == 0 ? std::vector<AmateurBand>{} : BuiltInBands(region_);
    update();
}

void BandShading::update() {
    std::vector<GraphBand> bands;
    if (!bands_.empty()) {
        const float W = w_.graph.ScaleWidth();
        const float FMin = w_.settings.FMin;
        const float FMax = w_.settings.FMax;
        for (const BandSpan& span : BandSpansIn(bands_, FMin, FMax)) {
            bands.push_back(
                {FrequencyX(span.lowHz, FMin, FMax, W), FrequencyX(span.highHz, FMin, FMax, W)});
        }
    }
    w_.graph.setBands(std::move(bands), kBandColour);
}
