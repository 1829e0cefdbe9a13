#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/settings.h"
#include "calibrate/normalisation.h"
#include "cli_readout.h"
#include "files/picture_compose.h"
#include "measure/trace_geometry.h"

// `zezizav-cli plot`: the picture "Save Picture…" takes of a saved sweep
// opened in the window and held, drawn from the sweep and the choices by the
// rules the window draws by, without the window.
struct PlotRequest {
    Settings settings;
    QString file;  // a .vec the readout has read whole, named as given
    QByteArray fileBytes;
    std::int32_t points = 0;
    Normalisation normalisation;
    QStringList memories;  // files, loaded as "Load memory…" loads them
    bool transmission = false;
    QString lossOffset;
    // Points markers 1 and 2 are put at, as a click there would; else they
    // stay where the window starts them (marker 2 then hidden).
    std::array<std::optional<std::int32_t>, 2> markerAt;
    // The readouts of the sweep for these markers, for the caption block.
    CliReadout readout;
    QSize graph;
    PictureFormat format = PictureFormat::Png;
    QDateTime when;
};

struct PlotResult {
    QByteArray bytes;  // empty on failure
    QString error;
};

// Needs a QGuiApplication.
PlotResult PlotPicture(const PlotRequest& request);

// The caption block's readout rows of the picture: markers 1 and 2 as the
// window's rows show them for the mode and the traces it presets. A saved
// sweep held has no marker 3, and the other frames are off.
std::vector<CaptionRow> PlotCaptionRows(const PlotRequest& request, const TraceEnables& traces);
