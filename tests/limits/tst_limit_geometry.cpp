// A limit line lies where its trace draws the limit's value: at every point,
// the line through the value the point shows meets the trace's own segment
// end, on each trace's scale, designed or chosen in the View menu; and a
// failing stretch is marked along its segment, at least a point wide.
#include <QtTest>

#include "limits/limit_geometry.h"
#include "measure/conversion.h"
#include "measure/trace_geometry.h"

namespace {

constexpr std::int32_t kChamp = 50;
constexpr float kH = 3795.0f;

// A flat segment of trace at value over the whole range.
LimitSegment Flat(TraceKind trace, double value) {
    return {trace, LimitKind::Max, 0.0, value, 1e9, value, 1};
}

}  // namespace

class LimitGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void linesMeetTheirTraces_data() {
        QTest::addColumn<bool>("designed");
        QTest::addColumn<float>("calOffset");
        QTest::addColumn<double>("lossOffset");
        QTest::addColumn<int>("lossScale");
        QTest::newRow("designed scales") << true << 0.0f << 0.0 << 1;
        QTest::newRow("offsets and Scale X2") << true << 1.5f << -2.25 << 2;
        QTest::newRow("View menu scales") << false << 0.0f << 3.0 << 1;
    }
    void linesMeetTheirTraces() {
        QFETCH(bool, designed);
        QFETCH(float, calOffset);
        QFETCH(double, lossOffset);
        QFETCH(int, lossScale);
        std::vector<float> magnitude(kChamp + 1), phase(kChamp + 1);
        for (std::int32_t i = 0; i <= kChamp; ++i) {
            magnitude[i] = static_cast<float>(40 + 13 * i % 600);
            phase[i] = static_cast<float>(7 + 19 * i % 1000);
        }
        TracePass pass;
        pass.MagnitudeSamples = magnitude.data();
        pass.PhaseSamples = phase.data();
        pass.Champ = kChamp;
        pass.H = kH;
        pass.PointWidth = ComputePointWidth(8835.0f, kChamp);
        pass.CalOffsetDb = calOffset;
        pass.LossOffset = lossOffset;
        pass.LossScale = static_cast<std::uint8_t>(lossScale);
        pass.Enabled = {true, true, true, true, true, true};
        if (!designed) {
            pass.Scales = {SwrScale::OneTo3, OhmScale::To100, LossRange::To10};
        }
        PenState pen;
        LossPhaseGeometry lp;
        ImpedanceGeometry imp;
        PlotLossPhasePass(pass, pen, lp);
        PlotImpedancePass(pass, pen, imp);

        LimitGeometryInput in;
        in.H = kH;
        in.W = 8835.0f;
        in.Scales = pass.Scales;
        in.CalOffsetDb = calOffset;
        in.LossOffset = lossOffset;
        in.LossScale = static_cast<std::uint8_t>(lossScale);
        for (std::int32_t i = 1; i < kChamp; ++i) {
            const PointValues v = ConvertPoint(magnitude[i], phase[i], calOffset, lossOffset);
            // Loss and phase segments k end at point 1 + k; impedance segments at i.
            const std::size_t k = static_cast<std::size_t>(i - 1);
            const std::size_t at = static_cast<std::size_t>(i);
            const std::pair<TraceKind, std::pair<double, float>> rows[] = {
                {TraceKind::Loss, {v.L, lp.Loss[k].y2}},
                {TraceKind::Phase, {phase[i] * Conversion::DegreesPerCount, lp.Phase[k].y2}},
                {TraceKind::Swr, {v.Swr, imp.Swr[at].y2}},
                {TraceKind::Rs, {v.Rs, imp.Rs[at].y2}},
                {TraceKind::Xs, {v.Xs, imp.Xs[at].y2}},
                {TraceKind::Z, {v.Zmag, imp.Z[at].y2}},
            };
            for (const auto& [trace, expected] : rows) {
                const float y = LimitY(trace, expected.first, in);
                QVERIFY2(std::abs(y - expected.second) < 0.5f,
                         qPrintable(QStringLiteral("%1 at point %2: %3, trace at %4")
                                        .arg(QLatin1String(TraceKindName(trace).data()))
                                        .arg(i)
                                        .arg(y)
                                        .arg(expected.second)));
            }
        }
    }

    // Segments are clipped to the graph's range; a failing stretch of one
    // point is a point wide, centred on it, and stays within its segment.
    void clippedLinesAndFailingStretches() {
        LimitGeometryInput in;
        in.FMin = 10e6f;
        in.FMax = 20e6f;
        in.W = 1000.0f;
        in.H = kH;
        LimitSet limits;
        limits.segments = {
            {TraceKind::Swr, LimitKind::Max, 5e6, 2.0, 15e6, 1.5, 1},   // starts before the graph
            {TraceKind::Swr, LimitKind::Max, 25e6, 2.0, 30e6, 2.0, 2},  // beyond it
            Flat(TraceKind::Z, 50.0),
        };
        LimitTraceValues values;
        for (int i = 1; i <= 10; ++i) {
            values.frequencyHz.push_back(10e6 + i * 1e6);
        }
        LimitVerdict verdict;
        verdict.pass = false;
        verdict.segments.resize(3);
        verdict.segments[0].failing = {{2, 2}};  // the point at 13 MHz
        const std::vector<LimitLine> lines = LimitLines(limits, verdict, values, in);
        QCOMPARE(lines.size(), std::size_t{3});  // two lines (one out of range), one stretch
        QCOMPARE(lines[0].x1, 0.0f);
        QCOMPARE(lines[0].x2, 500.0f);  // 15 MHz
        QCOMPARE(lines[0].y1, LimitY(TraceKind::Swr, 1.75, in));
        QCOMPARE(lines[1].trace, TraceKind::Z);
        QCOMPARE(lines[1].x2, 1000.0f);
        QVERIFY(lines[2].failing);
        QCOMPARE(lines[2].x1, 250.0f);  // 12.5 to 13.5 MHz
        QCOMPARE(lines[2].x2, 350.0f);
    }
};

QTEST_MAIN(LimitGeometryTest)
#include "tst_limit_geometry.moc"
