#include "timedomain/time_domain_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// 1, 2 or 5 times a power of ten, the smallest of them at least raw.
double NiceStep(double raw) {
    if (!(raw > 0.0) || !std::isfinite(raw)) {
        return 1.0;
    }
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= raw * (1.0 - 1e-9)) {
            return m * p;
        }
    }
    return 10.0 * p;
}

constexpr int kDivisions = 8;  // about this many grid steps on each axis

const std::vector<double>& ValuesOf(const TimeDomainResponse& r, TimeDomainTrace trace) {
    switch (trace) {
        case TimeDomainTrace::Step:
            return r.Step;
        case TimeDomainTrace::Impedance:
            return r.Ohms;
        case TimeDomainTrace::Impulse:
            break;
    }
    return r.Impulse;
}

double InUnit(double metres, DistanceUnit unit) {
    return unit == DistanceUnit::Feet ? metres / MetresPerFoot : metres;
}

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

// Enough decimals for a grid of this step.
int DecimalsFor(double step) {
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 4);
}

struct Margins {
    int left, top, right, bottom;
};

Margins MarginsOf(const TimeDomainScene& scene) {
    const QFontMetrics m(scene.font);
    const int line = m.lineSpacing();
    return {m.horizontalAdvance(QStringLiteral("-0.000")) + line + 8, line, line,
            2 * line + 8 + static_cast<int>(scene.lines.size()) * line};
}

}  // namespace

QString TimeDomainTraceName(TimeDomainTrace trace) {
    switch (trace) {
        case TimeDomainTrace::Step:
            return QStringLiteral("Step");
        case TimeDomainTrace::Impedance:
            return QStringLiteral("Impedance");
        case TimeDomainTrace::Impulse:
            break;
    }
    return QStringLiteral("Impulse");
}

QString DistanceUnitSymbol(DistanceUnit unit) {
    return unit == DistanceUnit::Feet ? QStringLiteral("ft") : QStringLiteral("m");
}

QString TimeDomainDistanceText(double metres, DistanceUnit unit) {
    return Fixed(InUnit(metres, unit), 2) + QLatin1Char(' ') + DistanceUnitSymbol(unit);
}

TimeDomainAxes TimeDomainAxesFor(const TimeDomainResponse& r, TimeDomainTrace trace,
                                 DistanceUnit unit, double spanM) {
    TimeDomainAxes a;
    if (r.DistanceM.size() < 2) {
        return a;
    }
    const double lastM = r.DistanceM.back();
    double span = spanM;
    if (!(span > 0.0)) {
        double furthest = 0.0;
        for (const TimeDomainPeak& p : r.Peaks) {
            furthest = std::max(furthest, p.DistanceM);
        }
        span = std::max(1.25 * furthest + 2.0 * r.ResolutionM, 10.0 * r.ResolutionM);
    }
    span = std::min(span, lastM);
    a.XStep = NiceStep(InUnit(span, unit) / kDivisions);
    a.XMax = a.XStep * std::ceil(InUnit(span, unit) / a.XStep - 1e-9);
    const double binM = r.DistanceM[1];
    const double shownM =
        std::min(a.XMax * (unit == DistanceUnit::Feet ? MetresPerFoot : 1.0), lastM);
    a.LastBin = std::min(static_cast<std::size_t>(std::floor(shownM / binM + 1e-6)),
                         r.DistanceM.size() - 1);

    const std::vector<double>& v = ValuesOf(r, trace);
    const std::size_t last = std::min(a.LastBin, v.size() - 1);
    // An open end (or a break) heads for the impedance's ceiling; a scale
    // that held it, or its rise over the resolution before it, would
    // flatten the line before it, so both are left off.
    std::vector<bool> off(last + 1, false);
    if (trace == TimeDomainTrace::Impedance) {
        const double openOhms = 10.0 * TimeDomain::Z0;
        const auto edge = static_cast<std::ptrdiff_t>(std::ceil(r.ResolutionM / binM));
        std::ptrdiff_t lastOpen = -1 - edge;
        for (std::ptrdiff_t n = static_cast<std::ptrdiff_t>(last); n >= 0; --n) {
            if (v[static_cast<std::size_t>(n)] >= openOhms) {
                lastOpen = n;
            }
            off[static_cast<std::size_t>(n)] = lastOpen >= 0 && lastOpen - n <= edge;
        }
    }
    double lo = 0.0, hi = 0.0;
    for (std::size_t n = 0; n <= last; ++n) {
        if (!off[n]) {
            lo = std::min(lo, v[n]);
            hi = std::max(hi, v[n]);
        }
    }
    if (trace == TimeDomainTrace::Impedance) {
        a.YMin = 0.0;
        hi = std::clamp(1.15 * hi, 2.0 * TimeDomain::Z0, 20.0 * TimeDomain::Z0);
        a.YStep = NiceStep(hi / kDivisions);
    } else {
        // Reflections around 0, at least +-0.05 so that noise stays noise;
        // four steps each way.
        hi = std::max({std::abs(lo), std::abs(hi), 0.05}) * 1.05;
        a.YStep = NiceStep(hi / 4);
    }
    a.YMax = a.YStep * std::ceil(hi / a.YStep - 1e-9);
    if (trace != TimeDomainTrace::Impedance) {
        a.YMin = -a.YMax;
    }
    return a;
}

QRect TimeDomainPlotRect(const TimeDomainScene& scene, QSize size) {
    const Margins m = MarginsOf(scene);
    return QRect(m.left, m.top, std::max(1, size.width() - m.left - m.right),
                 std::max(1, size.height() - m.top - m.bottom));
}

std::optional<std::size_t> TimeDomainBinAt(const TimeDomainScene& scene, QSize size, int x) {
    if (!scene.response || scene.response->DistanceM.size() < 2) {
        return std::nullopt;
    }
    const TimeDomainResponse& r = *scene.response;
    const TimeDomainAxes a = TimeDomainAxesFor(r, scene.trace, scene.unit, scene.spanM);
    const QRect plot = TimeDomainPlotRect(scene, size);
    const double u = std::clamp(static_cast<double>(x - plot.left()) / plot.width(), 0.0, 1.0);
    const double metres = u * a.XMax * (scene.unit == DistanceUnit::Feet ? MetresPerFoot : 1.0);
    return std::min(static_cast<std::size_t>(std::lround(metres / r.DistanceM[1])), a.LastBin);
}

QString TimeDomainMarkerText(const TimeDomainResponse& r, std::size_t bin, DistanceUnit unit) {
    bin = std::min(bin, r.DistanceM.empty() ? 0 : r.DistanceM.size() - 1);
    if (r.DistanceM.empty()) {
        return {};
    }
    const double ohms = r.Ohms[bin];
    return QStringLiteral("%1   reflection %2   %3 ohm")
        .arg(TimeDomainDistanceText(r.DistanceM[bin], unit))
        .arg(QString::asprintf("%+.3f", r.Impulse[bin]))
        .arg(ohms >= 10000.0 ? QStringLiteral("> 10000") : Fixed(ohms, 1));
}

QStringList TimeDomainPeakLines(const TimeDomainResponse& r, DistanceUnit unit, std::size_t most) {
    QStringList lines;
    for (std::size_t i = 0; i < r.Peaks.size() && i < most; ++i) {
        lines << TimeDomainDistanceText(r.Peaks[i].DistanceM, unit) + QStringLiteral("  ") +
                     QString::asprintf("%+.3f", r.Peaks[i].Reflection);
    }
    return lines;
}

void PaintTimeDomain(QPainter& painter, const TimeDomainScene& scene, QSize size) {
    painter.save();
    painter.setFont(scene.font);
    painter.fillRect(QRect(QPoint(0, 0), size), scene.back);
    const QRect plot = TimeDomainPlotRect(scene, size);
    const QFontMetrics fm(scene.font);
    const int line = fm.lineSpacing();
    const TimeDomainResponse* r = scene.response;
    if (!r || r->DistanceM.size() < 2) {
        painter.setPen(scene.frame);
        painter.drawRect(plot.adjusted(0, 0, -1, -1));
        painter.setPen(scene.text);
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, scene.message);
        painter.restore();
        return;
    }
    const TimeDomainAxes a = TimeDomainAxesFor(*r, scene.trace, scene.unit, scene.spanM);
    const auto px = [&](double x) { return plot.left() + x / a.XMax * plot.width(); };
    const auto py = [&](double y) {
        const double t = std::clamp((y - a.YMin) / (a.YMax - a.YMin), -0.01, 1.01);
        return plot.bottom() + 1 - t * plot.height();
    };

    // Grid and the numbers along both axes.
    QPen gridPen(scene.grid);
    gridPen.setStyle(Qt::DotLine);
    const int xDecimals = DecimalsFor(a.XStep), yDecimals = DecimalsFor(a.YStep);
    for (int k = 0; k * a.XStep <= a.XMax * (1 + 1e-9); ++k) {
        const double x = px(k * a.XStep);
        painter.setPen(gridPen);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(scene.text);
        const QString t = Fixed(k * a.XStep, xDecimals);
        painter.drawText(QRectF(x - 40, plot.bottom() + 4, 80, line),
                         Qt::AlignHCenter | Qt::AlignTop, t);
    }
    for (int k = 0; a.YMin + k * a.YStep <= a.YMax * (1 + 1e-9) + 1e-12; ++k) {
        const double v = a.YMin + k * a.YStep;
        const double y = py(v);
        painter.setPen(std::abs(v) < a.YStep / 2 ? QPen(scene.frame) : gridPen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(scene.text);
        painter.drawText(QRectF(0, y - line / 2.0, plot.left() - 4, line),
                         Qt::AlignRight | Qt::AlignVCenter, Fixed(v, yDecimals));
    }
    painter.setPen(scene.text);
    painter.drawText(QRect(plot.left(), plot.bottom() + 4 + line, plot.width(), line),
                     Qt::AlignHCenter,
                     QStringLiteral("Distance (%1)").arg(DistanceUnitSymbol(scene.unit)));
    painter.save();
    painter.translate(line / 2.0 + 2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, -line / 2, plot.height(), line), Qt::AlignCenter,
                     scene.trace == TimeDomainTrace::Impedance
                         ? QStringLiteral("Impedance (ohm)")
                         : TimeDomainTraceName(scene.trace) + QStringLiteral(" (reflection)"));
    painter.restore();

    // The trace: one point a bin, or the least and most of each pixel
    // column when bins outnumber the pixels.
    const std::vector<double>& v = ValuesOf(*r, scene.trace);
    const double perBin = InUnit(r->DistanceM[1], scene.unit);
    QPainterPath path;
    const std::size_t last = std::min(a.LastBin, v.size() - 1);
    const double binsPerPixel = static_cast<double>(last + 1) / plot.width();
    if (binsPerPixel <= 2.0) {
        for (std::size_t n = 0; n <= last; ++n) {
            const QPointF p(px(static_cast<double>(n) * perBin), py(v[n]));
            n == 0 ? path.moveTo(p) : path.lineTo(p);
        }
    } else {
        std::size_t n = 0;
        for (int col = 0; col < plot.width() && n <= last; ++col) {
            const auto end =
                std::min(last + 1, static_cast<std::size_t>(std::ceil((col + 1) * binsPerPixel)));
            double lo = v[n], hi = v[n];
            for (; n < end; ++n) {
                lo = std::min(lo, v[n]);
                hi = std::max(hi, v[n]);
            }
            const double x = plot.left() + col + 0.5;
            col == 0 ? path.moveTo(x, py(hi)) : path.lineTo(x, py(hi));
            path.lineTo(x, py(lo));
        }
    }
    painter.save();
    painter.setClipRect(plot.adjusted(0, -1, 1, 1));
    // One pixel wide and not smoothed, like the frequency graph's traces: a
    // smoothed 1.5 px line cost the time graph half of its paint.
    painter.setPen(QPen(scene.traceColour));
    painter.drawPath(path);
    painter.restore();

    if (scene.marker && *scene.marker <= last) {
        const double x = px(static_cast<double>(*scene.marker) * perBin);
        QPen pen(scene.markerColour);
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    painter.setPen(scene.frame);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));

    painter.setPen(scene.text);
    int y = plot.bottom() + 8 + 2 * line + fm.ascent();
    for (const QString& text : scene.lines) {
        painter.drawText(4, y, text);
        y += line;
    }
    painter.restore();
}

QString TimeDomainSummary(const TimeDomainResponse& r, const TimeDomainOptions& o,
                          DistanceUnit unit) {
    QString window = QString::fromUtf8(TimeWindowName(o.Window).data());
    window[0] = window[0].toUpper();
    QString text = QStringLiteral("VF %1   %2 window   resolution %3   alias-free range %4")
                       .arg(QString::number(o.VelocityFactor, 'g', 3), window,
                            TimeDomainDistanceText(r.ResolutionM, unit),
                            TimeDomainDistanceText(r.AliasFreeM, unit));
    return text;
}

QString TimeDomainPeaksLine(const TimeDomainResponse& r, DistanceUnit unit, std::size_t most) {
    const QStringList peaks = TimeDomainPeakLines(r, unit, most);
    return peaks.isEmpty() ? QStringLiteral("No reflection above 1 % of the largest")
                           : QStringLiteral("Peaks: ") + peaks.join(QStringLiteral(",   "));
}

QSize TimeDomainPictureSize(const TimeDomainScene& scene, QSize graphSize) {
    const int line = QFontMetrics(scene.font).lineSpacing();
    return graphSize + QSize(0, static_cast<int>(scene.lines.size()) * line);
}

QByteArray TimeDomainPictureBytes(const TimeDomainScene& scene, QSize graphSize,
                                  PictureFormat format) {
    const QSize size = TimeDomainPictureSize(scene, graphSize);
    return PaintedBytes(size, format,
                        [&](QPainter& painter) { PaintTimeDomain(painter, scene, size); });
}
