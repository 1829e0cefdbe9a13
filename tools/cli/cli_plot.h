#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

#include "settings/settings.h"
#include "calibrate/normalisation.h"
#include "files/picture.h"

// `zezizav-cli plot`: a saved sweep shown in the program's own window, out of
// sight, and its picture taken as "Save Picture…" takes it.
struct PlotRequest {
    Settings settings;
    QString file;  // a .vec the readout has read whole
    std::int32_t points = 0;
    Normalisation normalisation;
    QStringList memories;  // files, loaded as "Load memory…" loads them
    bool transmission = false;
    QString lossOffset;
    // Points markers 1 and 2 are put at, as a click there would; else they
    // stay where the window starts them (marker 2 then hidden).
    std::array<std::optional<std::int32_t>, 2> markerAt;
    // The indices the readout gave them, which the window must agree with.
    std::array<std::int32_t, 2> markerIndex{};
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
