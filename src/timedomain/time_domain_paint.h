#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

#include "files/picture.h"
#include "timedomain/time_domain.h"

class QPainter;

// The time domain's graph as plain values, painted by PaintTimeDomain: the
// window's time view, its saved picture and `zezizav-cli tdr --output` all
// draw through it. Nothing here knows a widget.

enum class TimeDomainTrace { Impulse, Step, Impedance };
QString TimeDomainTraceName(TimeDomainTrace trace);  // "Impulse", "Step", "Impedance"

enum class DistanceUnit { Metres, Feet };
constexpr double MetresPerFoot = 0.3048;
QString DistanceUnitSymbol(DistanceUnit unit);  // "m", "ft"

// What the axes show: distances in the unit, from 0 to XMax in steps of
// XStep, and values from YMin to YMax in steps of YStep.
struct TimeDomainAxes {
    double XMax = 1.0, XStep = 0.1;
    double YMin = -1.0, YMax = 1.0, YStep = 0.5;
    std::size_t LastBin = 0;  // the last bin within XMax
};

// spanM 0 shows a little beyond the furthest peak (at least ten
// resolutions, at most the alias-free range); the values' scale holds what
// is shown, but the impedance's leaves out 500 ohm and above and the
// resolution before it: past an open end it heads for its ceiling and would
// flatten the line before it.
TimeDomainAxes TimeDomainAxesFor(const TimeDomainResponse& response, TimeDomainTrace trace,
                                 DistanceUnit unit, double spanM = 0.0);

struct TimeDomainScene {
    const TimeDomainResponse* response = nullptr;  // not owned; null: only message
    TimeDomainTrace trace = TimeDomainTrace::Impulse;
    DistanceUnit unit = DistanceUnit::Metres;
    double spanM = 0.0;                 // 0: automatic
    std::optional<std::size_t> marker;  // a bin
    QString message;                    // shown in the middle when there is no response
    QStringList lines;                  // under the graph (a picture's caption block)
    QFont font;
    QColor back = Qt::white, frame = Qt::black, grid = QColor(0xC0, 0xC0, 0xC0);
    QColor text = Qt::black, traceColour = QColor(0x00, 0x00, 0xFF), markerColour = Qt::red;
};

// The plot's rectangle in a graph of size, inside the room for the axes'
// numbers and titles (and the scene's lines under it).
QRect TimeDomainPlotRect(const TimeDomainScene& scene, QSize size);
// The bin nearest to x pixels across the graph, within the axes shown.
std::optional<std::size_t> TimeDomainBinAt(const TimeDomainScene& scene, QSize size, int x);
// The marker's readout: distance, reflection (the impulse) and impedance
// at a bin, e.g. "3.01 m   reflection +0.199   74.8 ohm".
QString TimeDomainMarkerText(const TimeDomainResponse& response, std::size_t bin,
                             DistanceUnit unit);
// The peak list, one line per peak, largest first: "3.00 m  +0.200".
QStringList TimeDomainPeakLines(const TimeDomainResponse& response, DistanceUnit unit,
                                std::size_t most = 8);
QString TimeDomainDistanceText(double metres, DistanceUnit unit);

void PaintTimeDomain(QPainter& painter, const TimeDomainScene& scene, QSize size);
// The velocity factor, window, resolution and alias-free range, in one line.
QString TimeDomainSummary(const TimeDomainResponse& response, const TimeDomainOptions& options,
                          DistanceUnit unit);
// The largest peaks in one line: "Peaks: 3.00 m  +0.200,   5.00 m  +0.500".
QString TimeDomainPeaksLine(const TimeDomainResponse& response, DistanceUnit unit,
                            std::size_t most = 4);

// The scene at graphSize with its lines under it, as PNG or SVG bytes (empty
// when it could not be encoded).
QSize TimeDomainPictureSize(const TimeDomainScene& scene, QSize graphSize);
QByteArray TimeDomainPictureBytes(const TimeDomainScene& scene, QSize graphSize,
                                  PictureFormat format);
