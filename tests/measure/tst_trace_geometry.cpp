#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "measure/trace_geometry.h"

namespace {
constexpr float H = 3795.0f;

struct Sweep {
    std::vector<float> magnitude;
    std::vector<float> phase;
    explicit Sweep(int champ, float n = 0.0f, float p = 0.0f)
        : magnitude(static_cast<std::size_t>(champ) + 1, n),
          phase(static_cast<std::size_t>(champ) + 1, p) {}
    TracePass Pass(int step, TraceEnables enabled) const {
        TracePass pass;
        pass.MagnitudeSamples = magnitude.data();
        pass.PhaseSamples = phase.data();
        pass.Champ = static_cast<std::int32_t>(magnitude.size()) - 1;
        pass.Step = static_cast<std::int16_t>(step);
        pass.H = H;
        pass.PointWidth = 1.0f;
        pass.LossScale = 1;
        pass.Enabled = enabled;
        return pass;
    }
};

constexpr TraceEnables AllOn{true, true, true, true, true, true};
}  // namespace

class TestTraceGeometry : public QObject {
    Q_OBJECT

private slots:
    void lossY_data();
    void lossY();
    void impedanceScales();
    void pointWidthAndLastImpedanceX();
    void phaseAndLossStartAtLeftEdgeAndCarry();
    void impedancePenCarriesWhileTraceIsOff();
    void largeStepJoinsOnlyPhaseAndLoss();
    void lastConvertedPointIsReturned();
    void batchesAreReusedWithoutAllocation();
    void extremeInputsGiveFiniteCoordinates();
};

void TestTraceGeometry::lossY_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<int>("scale");
    QTest::addColumn<float>("y");
    QTest::newRow("343 just above the top") << 343.0f << 1 << -2.6465f;
    QTest::newRow("855 near the bottom") << 855.0f << 1 << 3792.3535f;
    QTest::newRow("855 at mid height with X2") << 855.0f << 2 << 1896.1768f;
}

void TestTraceGeometry::lossY() {
    QFETCH(float, n);
    QFETCH(int, scale);
    QFETCH(float, y);
    Sweep sweep(1, n);
    TracePass pass = sweep.Pass(1, TraceEnables{false, true});
    pass.LossScale = static_cast<std::uint8_t>(scale);
    PenState pen;
    LossPhaseGeometry out;
    PlotLossPhasePass(pass, pen, out);
    QCOMPARE(out.Loss.size(), std::size_t{1});
    QVERIFY(std::fabs(out.Loss[0].y2 - y) < 0.01f);
    QCOMPARE(out.Loss[0].y2, LossY(H, n, 0.0f, 0.0, static_cast<std::uint8_t>(scale)));
    // The offsets shift the trace by 129 twips per dB, before the scale divides.
    QVERIFY(std::fabs(LossY(H, n, 0.5f, 1.5, static_cast<std::uint8_t>(scale)) -
                      (y + 258.0f / static_cast<float>(scale))) < 0.01f);
}

void TestTraceGeometry::impedanceScales() {
    QCOMPARE(SwrY(H, 1.0f), 0.9f * H);
    QCOMPARE(OhmY(H, 50.0f), 0.9f * H - 100.0f);
    QCOMPARE(OhmY(H, 500.0f), -100.0f);
    QCOMPARE(PhaseY(H, 1024.0f), 0.0f);
    QCOMPARE(PhaseY(H, 0.0f), H);
}

void TestTraceGeometry::pointWidthAndLastImpedanceX() {
    QCOMPARE(ComputePointWidth(8835.0f, 6000), 1.4725f);
    QCOMPARE(ComputePointWidth(8835.0f, 0), 0.0f);
    Sweep sweep(6000, 600.0f, 300.0f);
    TracePass pass = sweep.Pass(1, TraceEnables{false, false, true});
    pass.PointWidth = 1.4725f;
    PenState pen;
    ImpedanceGeometry out;
    PlotImpedancePass(pass, pen, out);
    QCOMPARE(out.Z.size(), std::size_t{6001});
    QCOMPARE(out.Z.front().x1, 0.0f);
    QVERIFY(qFuzzyCompare(out.Z.back().x1, 8835.0f));
    QVERIFY(qFuzzyCompare(out.Z.back().x2, 6001.0f * 1.4725f));
}

void TestTraceGeometry::phaseAndLossStartAtLeftEdgeAndCarry() {
    Sweep sweep(4, 256.0f, 512.0f);
    sweep.magnitude[4] = 128.0f;
    sweep.phase[4] = 768.0f;
    PenState pen;
    LossPhaseGeometry out;
    // Both traces off: the carries still follow the last point.
    PlotLossPhasePass(sweep.Pass(1, TraceEnables{}), pen, out);
    QVERIFY(out.Phase.empty() && out.Loss.empty());
    QCOMPARE(pen.CarryYLoss, H - H * 128.0f / 512.0f);
    QCOMPARE(pen.CarryYPhase, H * 768.0f / 1024.0f);

    PlotLossPhasePass(sweep.Pass(1, TraceEnables{true, true}), pen, out);
    QCOMPARE(out.Phase.size(), std::size_t{4});
    const Segment firstPhase = out.Phase.front();
    QCOMPARE(firstPhase.x1, 1.0f);
    QCOMPARE(firstPhase.y1, 0.0f);  // the top edge, not the carry
    QCOMPARE(firstPhase.y2, PhaseY(H, 512.0f));
    const Segment firstLoss = out.Loss.front();
    QCOMPARE(firstLoss.x1, 1.0f);
    QCOMPARE(firstLoss.y1, H - H * 128.0f / 512.0f);
    QCOMPARE(firstLoss.y2, LossY(H, 256.0f, 0.0f, 0.0, 1));
}

void TestTraceGeometry::impedancePenCarriesWhileTraceIsOff() {
    Sweep first(3, 600.0f, 300.0f);
    Sweep other(3, 400.0f, 100.0f);
    PenState pen;
    ImpedanceGeometry out;
    PlotImpedancePass(first.Pass(1, AllOn), pen, out);
    const float stoppedZ = out.Z.back().y2;
    QCOMPARE(pen.LastYZ, stoppedZ);

    PlotImpedancePass(other.Pass(1, TraceEnables{false, false, false, true, true, true}), pen, out);
    QVERIFY(out.Z.empty());
    QCOMPARE(pen.LastYZ, stoppedZ);
    QCOMPARE(pen.LastYRs, out.Rs.back().y2);

    PlotImpedancePass(other.Pass(1, AllOn), pen, out);
    QCOMPARE(out.Z.front().x1, 0.0f);
    QCOMPARE(out.Z.front().y1, stoppedZ);
    QVERIFY(out.Z.front().y2 != stoppedZ);
}

void TestTraceGeometry::largeStepJoinsOnlyPhaseAndLoss() {
    Sweep sweep(6, 500.0f, 200.0f);
    for (std::size_t i = 0; i < sweep.magnitude.size(); ++i) {
        sweep.magnitude[i] += 40.0f * static_cast<float>(i);
    }
    PenState pen;
    LossPhaseGeometry lossPhase;
    ImpedanceGeometry impedance;
    PlotLossPhasePass(sweep.Pass(2, AllOn), pen, lossPhase);
    PlotImpedancePass(sweep.Pass(2, AllOn), pen, impedance);

    for (const auto* batch : {&lossPhase.Phase, &lossPhase.Loss}) {
        QCOMPARE(batch->size(), std::size_t{3});  // points 1, 3, 5
        for (std::size_t k = 1; k < batch->size(); ++k) {
            QCOMPARE((*batch)[k].x1, (*batch)[k - 1].x2);
            QCOMPARE((*batch)[k].y1, (*batch)[k - 1].y2);
        }
        QCOMPARE(batch->back().x2, 5.0f);
    }
    for (const auto* batch : {&impedance.Z, &impedance.Xs, &impedance.Rs, &impedance.Swr}) {
        QCOMPARE(batch->size(), std::size_t{4});  // points 0, 2, 4, 6
        for (std::size_t k = 0; k < batch->size(); ++k) {
            QCOMPARE((*batch)[k].x1, 2.0f * static_cast<float>(k));
            QCOMPARE((*batch)[k].x2, 2.0f * static_cast<float>(k) + 1.0f);
        }
    }
}

void TestTraceGeometry::lastConvertedPointIsReturned() {
    Sweep sweep(6, 300.0f, 100.0f);
    sweep.magnitude[4] = 600.0f;  // Step 4 visits 0 and 4 only
    sweep.phase[4] = 300.0f;
    TracePass pass = sweep.Pass(4, TraceEnables{});
    pass.CalOffsetDb = 1.5f;
    pass.LossOffset = -0.5;
    PenState pen;
    ImpedanceGeometry out;
    PlotImpedancePass(pass, pen, out);
    const PointValues expected = ConvertPoint(600.0f, 300.0f, 1.5f, -0.5);
    QCOMPARE(out.Last.Rho, expected.Rho);
    QCOMPARE(out.Last.Zmag, expected.Zmag);
    QCOMPARE(out.Last.Swr, expected.Swr);
}

void TestTraceGeometry::batchesAreReusedWithoutAllocation() {
    Sweep sweep(6000, 600.0f, 300.0f);
    PenState pen;
    LossPhaseGeometry lossPhase;
    ImpedanceGeometry impedance;
    PlotLossPhasePass(sweep.Pass(1, AllOn), pen, lossPhase);
    PlotImpedancePass(sweep.Pass(1, AllOn), pen, impedance);
    const Segment* phaseData = lossPhase.Phase.data();
    const Segment* swrData = impedance.Swr.data();
    PlotLossPhasePass(sweep.Pass(1, AllOn), pen, lossPhase);
    PlotImpedancePass(sweep.Pass(1, AllOn), pen, impedance);
    QCOMPARE(lossPhase.Phase.data(), phaseData);
    QCOMPARE(impedance.Swr.data(), swrData);
    QCOMPARE(impedance.Swr.size(), std::size_t{6001});
}

void TestTraceGeometry::extremeInputsGiveFiniteCoordinates() {
    Sweep sweep(3, FLT_MAX, std::numeric_limits<float>::infinity());
    sweep.magnitude[2] = std::numeric_limits<float>::quiet_NaN();
    for (const double offset : {DBL_MAX, -DBL_MAX, 20.16}) {
        TracePass pass = sweep.Pass(1, AllOn);
        pass.LossOffset = offset;
        pass.LossScale = 0;  // not yet set by the tick: counts as 1
        PenState pen;
        LossPhaseGeometry lossPhase;
        ImpedanceGeometry impedance;
        PlotLossPhasePass(pass, pen, lossPhase);
        PlotImpedancePass(pass, pen, impedance);
        for (const auto* batch : {&lossPhase.Phase, &lossPhase.Loss, &impedance.Z, &impedance.Xs,
                                  &impedance.Rs, &impedance.Swr}) {
            for (const Segment& s : *batch) {
                QVERIFY(std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) &&
                        std::isfinite(s.y2));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestTraceGeometry)
#include "tst_trace_geometry.moc"
