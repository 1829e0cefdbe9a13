#include "timedomain/smith_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kRs[] = {0.2, 0.5, 1.0, 2.0, 5.0};
constexpr double kZ0 = 50.0;

QString Number(double value) {
    return QString::number(value, 'g', 2);
}

struct Margins {
    int side, top, bottom;
};

// Room for the x labels outside the circle on every side, the caption above
// and the lines below.
Margins MarginsOf(const SmithScene& scene) {
    const QFontMetrics m(scene.font);
    const int line = m.lineSpacing();
    return {m.horizontalAdvance(QStringLiteral("+0.5")) + 6, line + 4,
            static_cast<int>(scene.lines.size()) * line + (scene.lines.isEmpty() ? 0 : 4)};
}

void DrawGrid(QPainter& painter, const SmithScene& scene, const QRect& plot) {
    const QFontMetrics fm(scene.font);
    const double radius = plot.width() / 2.0;
    const QPointF centre = SmithPixelOf(0.0, plot);
    QPainterPath unit;
    unit.addEllipse(centre, radius, radius);

    painter.save();
    painter.setClipPath(unit);
    painter.setPen(QPen(scene.grid, 1.0));
    painter.setBrush(Qt::NoBrush);
    for (const double r : kRs) {
        // |G - r/(1+r)| = 1/(1+r)
        const double c = r / (1.0 + r), rad = 1.0 / (1.0 + r);
        painter.drawEllipse(SmithPixelOf(c, plot), rad * radius, rad * radius);
    }
    for (const double x : kRs) {
        for (const double s : {1.0, -1.0}) {
            // |G - (1 + j/x)| = 1/x, seen only inside the unit circle.
            const QPointF c = SmithPixelOf({1.0, s / x}, plot);
            painter.drawEllipse(c, radius / x, radius / x);
        }
    }
    painter.drawLine(SmithPixelOf(-1.0, plot), SmithPixelOf(1.0, plot));
    painter.restore();

    painter.setPen(QPen(scene.frame, 1.0));
    painter.drawEllipse(centre, radius, radius);

    painter.setPen(scene.text);
    const int line = fm.lineSpacing();
    for (const double r : kRs) {
        // Above the axis, just inside the circle's left crossing.
        const QPointF at = SmithPixelOf((r - 1.0) / (r + 1.0), plot);
        painter.drawText(QPointF(at.x() + 2, at.y() - fm.descent() - 1), Number(r));
    }
    for (const double x : kRs) {
        for (const double s : {1.0, -1.0}) {
            // Where the arc meets the circle, a label's half width outside.
            const std::complex<double> jx(0.0, s * x);
            const std::complex<double> g = (jx - 1.0) / (jx + 1.0);
            const QString text = (s > 0 ? QStringLiteral("+") : QStringLiteral("-")) + Number(x);
            const double half = fm.horizontalAdvance(text) / 2.0 + 2;
            const QPointF at = SmithPixelOf(g * (1.0 + half / radius), plot);
            painter.drawText(QRectF(at.x() - half, at.y() - line / 2.0, 2 * half, line),
                             Qt::AlignCenter, text);
        }
    }
}

void DrawPoints(QPainter& painter, const SmithScene& scene, const QRect& plot) {
    // The line through the known points, broken where the sign is unknown.
    QPainterPath path;
    bool open = false;
    for (std::size_t i = 0; i < scene.points.size(); ++i) {
        const bool known = i < scene.known.size() && scene.known[i];
        if (!known) {
            open = false;
            continue;
        }
        const QPointF p = SmithPixelOf(scene.points[i], plot);
        open ? path.lineTo(p) : path.moveTo(p);
        open = true;
    }
    painter.setPen(QPen(scene.traceColour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    painter.setPen(QPen(scene.unknownColour, 1.2));
    for (std::size_t i = 0; i < scene.points.size(); ++i) {
        if (i >= scene.known.size() || !scene.known[i]) {
            painter.drawEllipse(SmithPixelOf(scene.points[i], plot), 3.0, 3.0);
        }
    }
}

void DrawMarkers(QPainter& painter, const SmithScene& scene, const QRect& plot, QSize size) {
    const QFontMetrics fm(scene.font);
    QStringList readout;
    for (const SmithMarker& m : scene.markers) {
        if (m.index >= scene.points.size()) {
            continue;
        }
        const QPointF p = SmithPixelOf(scene.points[m.index], plot);
        painter.setPen(QPen(scene.frame, 1.0));
        painter.setBrush(m.colour);
        painter.drawEllipse(p, 4.0, 4.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(m.colour);
        painter.drawText(QPointF(p.x() + 6, p.y() - 6), m.label);
        for (qsizetype k = 0; k < m.readout.size(); ++k) {
            readout << (k == 0 ? m.label + QStringLiteral(": ") : QStringLiteral("   ")) +
                           m.readout[k];
        }
    }
    if (readout.isEmpty()) {
        return;
    }
    // Top left, on a veil of the background over the grid it covers.
    int width = 0;
    for (const QString& text : readout) {
        width = std::max(width, fm.horizontalAdvance(text));
    }
    const int line = fm.lineSpacing();
    const QRect box(4, MarginsOf(scene).top, std::min(width + 8, size.width() - 8),
                    static_cast<int>(readout.size()) * line + 4);
    QColor veil = scene.back;
    veil.setAlpha(220);
    painter.fillRect(box, veil);
    painter.setPen(scene.text);
    int y = box.top() + 2 + fm.ascent();
    for (const QString& text : readout) {
        painter.drawText(box.left() + 4, y, text);
        y += line;
    }
}

}  // namespace

QRect SmithPlotRect(const SmithScene& scene, QSize size) {
    const Margins m = MarginsOf(scene);
    const int width = size.width() - 2 * m.side;
    const int height = size.height() - m.top - m.bottom - 2 * m.side;
    const int side = std::max(1, std::min(width, height));
    return QRect((size.width() - side) / 2, m.top + m.side + std::max(0, (height - side) / 2), side,
                 side);
}

QPointF SmithPixelOf(std::complex<double> gamma, const QRect& plot) {
    const double radius = plot.width() / 2.0;
    return {plot.left() + radius + gamma.real() * radius,
            plot.top() + plot.height() / 2.0 - gamma.imag() * radius};
}

std::complex<double> SmithGammaAt(QPointF pixel, const QRect& plot) {
    const double radius = plot.width() / 2.0;
    return {(pixel.x() - plot.left() - radius) / radius,
            (plot.top() + plot.height() / 2.0 - pixel.y()) / radius};
}

std::optional<std::size_t> SmithNearestPoint(const SmithScene& scene, QSize size, QPointF pixel) {
    const QRect plot = SmithPlotRect(scene, size);
    std::optional<std::size_t> best;
    double bestSq = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < scene.points.size(); ++i) {
        const QPointF d = SmithPixelOf(scene.points[i], plot) - pixel;
        const double sq = d.x() * d.x() + d.y() * d.y();
        if (sq < bestSq) {
            bestSq = sq;
            best = i;
        }
    }
    return best;
}

void PaintSmith(QPainter& painter, const SmithScene& scene, QSize size) {
    painter.save();
    painter.setFont(scene.font);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRect(QPoint(0, 0), size), scene.back);
    const QRect plot = SmithPlotRect(scene, size);
    const QFontMetrics fm(scene.font);
    const int line = fm.lineSpacing();

    DrawGrid(painter, scene, plot);
    painter.setPen(scene.text);
    painter.drawText(QRect(4, 2, size.width() - 8, line), Qt::AlignHCenter | Qt::AlignTop,
                     scene.caption);
    if (scene.points.empty()) {
        QRectF inner(plot);
        inner.adjust(plot.width() * 0.15, plot.height() * 0.3, -plot.width() * 0.15,
                     -plot.height() * 0.3);
        QColor veil = scene.back;
        veil.setAlpha(220);
        painter.fillRect(inner, veil);
        painter.setPen(scene.text);
        painter.drawText(inner, Qt::AlignCenter | Qt::TextWordWrap, scene.message);
    } else {
        DrawPoints(painter, scene, plot);
        DrawMarkers(painter, scene, plot, size);
    }

    painter.setPen(scene.text);
    int y = size.height() - static_cast<int>(scene.lines.size()) * line + fm.ascent();
    for (const QString& text : scene.lines) {
        painter.drawText(4, y, text);
        y += line;
    }
    painter.restore();
}

std::complex<double> SmithImpedance(std::complex<double> gamma) {
    const std::complex<double> below = 1.0 - gamma;
    if (std::abs(below) < 1e-12) {
        const double inf = std::numeric_limits<double>::infinity();
        return {inf, inf};
    }
    return kZ0 * (1.0 + gamma) / below;
}

QStringList SmithPointLines(double hz, std::complex<double> gamma, ReactanceSign sign) {
    const std::complex<double> z = SmithImpedance(gamma);
    const auto ohms = [](double v) {
        return std::isfinite(v) ? QString::number(v, 'f', 1) : QStringLiteral("inf");
    };
    QStringList lines{QString::number(hz / 1e6, 'f', 3) + QStringLiteral(" MHz"),
                      QStringLiteral("Rs ") + ohms(z.real()) + QStringLiteral(" ohm")};
    const double x = std::abs(z.imag());
    if (sign == ReactanceSign::Unknown) {
        lines << QStringLiteral("Xs ?") + ohms(x) + QStringLiteral(" ohm (sign unknown)")
              << QStringLiteral("L/C ?");
        return lines;
    }
    const QChar c = QLatin1Char(ReactanceSignChar(sign));
    lines << QStringLiteral("Xs ") + c + ohms(x) + QStringLiteral(" ohm (") + c +
                 QStringLiteral(" inferred)");
    const double w = 2.0 * std::numbers::pi * hz;
    if (sign == ReactanceSign::Plus) {
        lines << QStringLiteral("L ") + QString::number(x / w * 1e6, 'g', 4) +
                     QStringLiteral(" \u00b5H");
    } else {
        lines << QStringLiteral("C ") + QString::number(1.0 / (w * x) * 1e12, 'g', 4) +
                     QStringLiteral(" pF");
    }
    return lines;
}

QString SmithPointText(double hz, std::complex<double> gamma, ReactanceSign sign) {
    return SmithPointLines(hz, gamma, sign).join(QStringLiteral("   "));
}

QSize SmithPictureSize(const SmithScene& scene, QSize chartSize) {
    const int line = QFontMetrics(scene.font).lineSpacing();
    return chartSize + QSize(0, static_cast<int>(scene.lines.size()) * line + 4);
}

QByteArray SmithPictureBytes(const SmithScene& scene, QSize chartSize, PictureFormat format) {
    const QSize size = SmithPictureSize(scene, chartSize);
    return PaintedBytes(size, format, [&](QPainter& painter) { PaintSmith(painter, scene, size); });
}
