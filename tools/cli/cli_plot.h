#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/settings.h"
#include "calibrate/normalisation.h"
#include "compare/memory_trace.h"
#include "files/picture.h"

// `zezizav-cli plot`: a saved sweep shown in the program's own window, out of
// sight, and its picture taken as "Save Picture…" takes it.
struct PlotRequest {
    Settings settings;
    QString file;  // a .vec the readout has read whole
    std::int32_t points = 0;
    Normalisation normalisation;
    std::vector<MemoryTrace> memories;
    bool transmission = false;
    QString lossOffset;
    // The points of markers 1 and 2 as the readout gave them; marker 2 is
    // shown only when asked for.
    std::array<std::int32_t, 2> markerIndex{};
    bool showMarker2 = false;
    QSize graph;
    PictureFormat format = PictureFormat::Png;
    QDateTime when;
};

struct PlotResult {
    QByteArray bytes;  // empty on failure
    QString error;
};

// Needs a QApplication.
PlotResult PlotPicture(const PlotRequest& request);
