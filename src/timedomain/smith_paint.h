#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <complex>
#include <optional>
#include <vector>

#include "files/picture.h"
#include "timedomain/reactance_sign.h"

class QPainter;

// The Smith chart of a reflection sweep as plain values, painted by
// PaintSmith: the window's Smith view and its saved picture draw through it.
// The detector gives |phi| only, so Im G is shown with the sign the
// causality rules inferred; a point whose sign is unknown is drawn apart (its
// Im G positive, as SignedGamma gives it) and left out of the line.

struct SmithMarker {
    std::size_t index = 0;  // into the scene's points
    QString label;          // "1"
    QColor colour = Qt::red;
    QStringList readout;  // in the chart's top left corner
};

struct SmithScene {
    std::vector<std::complex<double>> points;  // G, sign applied
    std::vector<bool> known;                   // per point: its sign is inferred
    std::vector<SmithMarker> markers;
    QString caption = QStringLiteral("Im G: sign inferred by causality");
    QString message;    // instead of the chart's points when there are none
    QStringList lines;  // under the chart (a picture's caption block)
    QFont font;
    QColor back = Qt::white, frame = Qt::black, grid = QColor(0xA8, 0xBC, 0xD8);
    QColor text = Qt::black, traceColour = QColor(0x00, 0x00, 0xFF);
    QColor unknownColour = QColor(0x80, 0x80, 0x80);
};

// The square that holds the unit circle in a chart of size, inside the room
// for the caption above and the grid's labels around it.
QRect SmithPlotRect(const SmithScene& scene, QSize size);
// Where G lies in the plot, and the G under a pixel.
QPointF SmithPixelOf(std::complex<double> gamma, const QRect& plot);
std::complex<double> SmithGammaAt(QPointF pixel, const QRect& plot);
// The point drawn nearest to pixel; none when there are no points.
std::optional<std::size_t> SmithNearestPoint(const SmithScene& scene, QSize size, QPointF pixel);

void PaintSmith(QPainter& painter, const SmithScene& scene, QSize size);

// The series impedance of G against 50 ohm; infinite parts at G = 1.
std::complex<double> SmithImpedance(std::complex<double> gamma);
// A point's readout, one part a line: "12.500 MHz", "Rs 23.4 ohm",
// "Xs -45.6 ohm (- inferred)", "C 277 pF" (L in uH for +); with the sign
// unknown "Xs ?45.6 ohm (sign unknown)" and "L/C ?".
QStringList SmithPointLines(double hz, std::complex<double> gamma, ReactanceSign sign);
// The same in one line, the parts three spaces apart.
QString SmithPointText(double hz, std::complex<double> gamma, ReactanceSign sign);

// The chart at chartSize with its lines under it, as PNG or SVG bytes (empty
// when it could not be encoded).
QSize SmithPictureSize(const SmithScene& scene, QSize chartSize);
QByteArray SmithPictureBytes(const SmithScene& scene, QSize chartSize, PictureFormat format);
