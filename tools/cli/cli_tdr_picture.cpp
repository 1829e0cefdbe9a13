#include "cli_tdr_picture.h"

#include <QGuiApplication>

#include "timedomain/time_domain_paint.h"

namespace {
// The window's time view at its first size, less its controls.
constexpr QSize kGraphSize(880, 420);
}  // namespace

QByteArray CliTdrPicture(const CliTdr& tdr, const Settings& settings, PictureFormat format) {
    if (!tdr.response) {
        return {};
    }
    TimeDomainScene scene;
    scene.response = &*tdr.response;
    scene.unit = settings.DistanceInFeet ? DistanceUnit::Feet : DistanceUnit::Metres;
    scene.font = QGuiApplication::font();
    scene.lines = {TimeDomainSummary(*tdr.response, tdr.options, scene.unit),
                   TimeDomainPeaksLine(*tdr.response, scene.unit)};
    if (!tdr.response->Peaks.empty()) {
        const double binM = tdr.response->DistanceM[1];
        scene.marker = static_cast<std::size_t>(tdr.response->Peaks.front().DistanceM / binM + 0.5);
        scene.lines << QStringLiteral("Marker at the largest peak: ") +
                           TimeDomainMarkerText(*tdr.response, *scene.marker, scene.unit);
    }
    return TimeDomainPictureBytes(scene, kGraphSize, format);
}
