#include <QtTest>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/display_format.h"
#include "cycle/marker_readouts.h"

namespace {
constexpr std::int32_t Champ = 6000;
const QString None = QString::fromLatin1(NoValueText.data(), NoValueText.size());

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// One sweep with the given counts at one point, everything else 0.
struct Sweep {
    std::vector<float> magnitude = std::vector<float>(Champ + 1, 0.0f);
    std::vector<float> phase = std::vector<float>(Champ + 1, 0.0f);

    MarkerReadout At(std::int32_t index, float n, float p, float FMin = 1000000.0f,
                     double FreqStep = 2200.0, float CalOffsetDb = 0.0f,
                     std::string_view lossOffset = "0") {
        magnitude[static_cast<std::size_t>(index)] = n;
        phase[static_cast<std::size_t>(index)] = p;
        return ComputeMarkerReadout({.Index = index,
                                     .MagnitudeSamples = magnitude,
                                     .PhaseSamples = phase,
                                     .FMin = FMin,
                                     .FreqStep = FreqStep,
                                     .CalOffsetDb = CalOffsetDb,
                                     .txtLossOffset = lossOffset});
    }
};

bool NoNonFiniteText(const MarkerReadout& r) {
    for (const std::string* s : {&r.Phase, &r.Loss, &r.Frequency, &r.Xs, &r.Rs, &r.Swr, &r.Z}) {
        if (s->find("nan") != std::string::npos || s->find("inf") != std::string::npos ||
            s->find("NaN") != std::string::npos || s->find("Inf") != std::string::npos ||
            s->empty()) {
            return false;
        }
    }
    return true;
}
}  // namespace

class TestMarkerReadouts : public QObject {
    Q_OBJECT

private slots:
    void readoutTable_data();
    void readoutTable();
    void phaseZeroHasMinimumReactance();
    void offsetsShiftTheLoss_data();
    void offsetsShiftTheLoss();
    void frequencyGuard();
    void openCircuitAtZeroPhase();
    void nonFiniteSamplesGivePlaceholders();
    void markerIndex_data();
    void markerIndex();
    void widgets_data();
    void widgets();
    void xcXl_data();
    void xcXl();
    void xcXlWithoutValues();
    void plainXsColumn();
};

void TestMarkerReadouts::readoutTable_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<float>("p");
    QTest::addColumn<QString>("loss");
    QTest::addColumn<QString>("phase");
    QTest::addColumn<QString>("xs");
    QTest::addColumn<QString>("rs");
    QTest::addColumn<QString>("swr");
    QTest::addColumn<QString>("z");
    QTest::addColumn<QString>("uh");
    QTest::addColumn<QString>("pf");
    QTest::newRow("600/300") << 600.0f << 300.0f << "15.06"
                             << "52.8"
                             << "17.21"
                             << "59.25"
                             << "1.43"
                             << "61.7"
                             << "0.19"
                             << "651.59";
    QTest::newRow("400/100") << 400.0f << 100.0f << "3.32"
                             << "17.6"
                             << "125.2"
                             << "162.21"
                             << "5.28"
                             << "204.91"
                             << "1.4"
                             << "89.57";
    QTest::newRow("1023/512") << 1023.0f << 512.0f << "39.89"
                              << "90.11"
                              << "1.02"
                              << "49.99"
                              << "1.02"
                              << "50."
                              << "0.01"
                              << "10993.9";
    QTest::newRow("700/1000") << 700.0f << 1000.0f << "20.93"
                              << "176."
                              << "0.55"
                              << "41.77"
                              << "1.2"
                              << "41.77"
                              << "0.01"
                              << "20388.69";
}

void TestMarkerReadouts::readoutTable() {
    QFETCH(float, n);
    QFETCH(float, p);
    Sweep sweep;
    // Marker 1 on the last point: 1 MHz + 6000 x 2200 Hz = 14.2 MHz
    const MarkerReadout r = sweep.At(Champ, n, p);
    QCOMPARE(Q(r.Frequency), QString("14,200,000"));
    QTEST(Q(r.Loss), "loss");
    QTEST(Q(r.Phase), "phase");
    QTEST(Q(r.Xs), "xs");
    QTEST(Q(r.Rs), "rs");
    QTEST(Q(r.Swr), "swr");
    QTEST(Q(r.Z), "z");
    QVERIFY(r.Uh && r.Pf);
    QTEST(Q(FloatText(*r.Uh)), "uh");
    QTEST(Q(FloatText(*r.Pf)), "pf");
    // The fields carry the two-decimal values as 32-bit floats.
    QFETCH(QString, uh);
    QCOMPARE(*r.Uh, uh.toFloat());
    // Rho is that of the rounded loss text.
    QFETCH(QString, loss);
    QCOMPARE(r.Rho, static_cast<float>(1.0 / std::pow(10.0, loss.toDouble() / 20.0)));
}

void TestMarkerReadouts::phaseZeroHasMinimumReactance() {
    Sweep sweep;
    const MarkerReadout r = sweep.At(100, 600.0f, 0.0f);
    QCOMPARE(Q(r.Phase), QString("0."));
    QCOMPARE(r.GammaIm, 0.0f);
    QCOMPARE(r.SinPhi, 0.0f);
    QCOMPARE(r.CosPhi, 1.0f);
    QCOMPARE(Q(r.Xs), QString("0.01"));
    // Pure resistance 50 (1 + rho) / (1 - rho) with rho = 10^(-15.06 / 20)
    QCOMPARE(Q(r.Rs), QString("71.45"));
}

void TestMarkerReadouts::offsetsShiftTheLoss_data() {
    QTest::addColumn<float>("calOffsetDb");
    QTest::addColumn<QString>("lossOffset");
    QTest::addColumn<QString>("loss");
    QTest::newRow("none") << 0.0f << "0"
                          << "15.06";
    QTest::newRow("both") << 1.0f << "-3"
                          << "13.06";
    QTest::newRow("text is no number") << 0.0f << "abc"
                                       << "15.06";
}

void TestMarkerReadouts::offsetsShiftTheLoss() {
    QFETCH(float, calOffsetDb);
    QFETCH(QString, lossOffset);
    Sweep sweep;
    const std::string text = lossOffset.toStdString();
    const MarkerReadout r = sweep.At(100, 600.0f, 300.0f, 1e6f, 2200.0, calOffsetDb, text);
    QTEST(Q(r.Loss), "loss");
}

void TestMarkerReadouts::frequencyGuard() {
    Sweep sweep;
    // FMin 0 and no step: the caption would be "0"
    const MarkerReadout r = sweep.At(100, 600.0f, 300.0f, 0.0f, 0.0);
    QCOMPARE(Q(r.Frequency), QString("0.0001"));
    QVERIFY(r.Uh && r.Pf);
    QVERIFY(std::isfinite(*r.Uh) && std::isfinite(*r.Pf));
    // 17.21 / (0.0001 x 6.28) x 10^6, to two decimals
    QCOMPARE(Q(FloatText(*r.Uh)), QString("2.740446E+10"));
    QVERIFY(NoNonFiniteText(r));
    // A small negative frequency rounds to "0" as well.
    QCOMPARE(Q(sweep.At(100, 600.0f, 300.0f, -0.4f, 0.0).Frequency), QString("0.0001"));
}

void TestMarkerReadouts::openCircuitAtZeroPhase() {
    Sweep sweep;
    // Count 343.44 cancels the 20.16 dB: a loss readout of exactly 0
    const MarkerReadout r = sweep.At(100, 343.4412f, 0.0f);
    QCOMPARE(Q(r.Loss), QString("0."));
    QCOMPARE(Q(r.Phase), QString("0."));
    QCOMPARE(r.Rho, 1.0f);
    QCOMPARE(Q(r.Xs), None);
    QCOMPARE(Q(r.Rs), None);
    QCOMPARE(Q(r.Z), None);
    QVERIFY(!r.Uh && !r.Pf);
    // 2 / 0.001
    QCOMPARE(Q(r.Swr), QString("2000."));
    QCOMPARE(Q(r.Frequency), QString("1,220,000"));
    QVERIFY(NoNonFiniteText(r));
}

void TestMarkerReadouts::nonFiniteSamplesGivePlaceholders() {
    Sweep sweep;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    MarkerReadout r = sweep.At(100, nan, 300.0f);
    QCOMPARE(Q(r.Loss), None);
    QCOMPARE(Q(r.Phase), QString("52.8"));
    QCOMPARE(Q(r.Swr), None);
    QCOMPARE(Q(r.Xs), None);
    QVERIFY(NoNonFiniteText(r));

    r = sweep.At(100, 600.0f, inf);
    QCOMPARE(Q(r.Phase), None);
    QCOMPARE(Q(r.Loss), QString("15.06"));
    QCOMPARE(Q(r.Swr), QString("1.43"));
    QCOMPARE(Q(r.Z), None);
    QVERIFY(!r.Uh);
    QVERIFY(NoNonFiniteText(r));

    // A huge negative offset makes 1 / 10^(L/20) overflow a float.
    r = sweep.At(100, 600.0f, 300.0f, 1e6f, 2200.0, 0.0f, "-1e4");
    QVERIFY(std::isfinite(r.Rho));
    QVERIFY(NoNonFiniteText(r));
}

void TestMarkerReadouts::markerIndex_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("W");
    QTest::addColumn<int>("champ");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("index");
    QTest::newRow("middle, step 1") << 4417.5 << 8835.0 << 6000 << 1 << 3000;
    QTest::newRow("middle, step 7") << 4417.5 << 8835.0 << 6000 << 7 << 3003;
    QTest::newRow("left edge gives Step") << 0.0 << 8835.0 << 6000 << 7 << 7;
    QTest::newRow("right edge") << 8835.0 << 8835.0 << 6000 << 1 << 6000;
    // 6000 / 7 = 857.1 steps: the nearest multiple of 7 is 5999
    QTest::newRow("right edge, step 7") << 8835.0 << 8835.0 << 6000 << 7 << 5999;
    QTest::newRow("beyond right edge") << 20000.0 << 8835.0 << 6000 << 7 << 6000;
    QTest::newRow("left of graph") << -500.0 << 8835.0 << 6000 << 3 << 3;
    // 10 points on 1000 twips: x = 250 is point 2.5, which goes to 2
    QTest::newRow("half to even down") << 250.0 << 1000.0 << 10 << 1 << 2;
    QTest::newRow("half to even up") << 350.0 << 1000.0 << 10 << 1 << 4;
    // point 6 over step 4 is 1.5 steps, which goes to 2 steps
    QTest::newRow("step half to even") << 600.0 << 1000.0 << 10 << 4 << 8;
    QTest::newRow("Step beyond Champ") << 500.0 << 1000.0 << 10 << 50 << 10;
    QTest::newRow("no width") << 500.0 << 0.0 << 6000 << 7 << 7;
    QTest::newRow("NaN x") << std::numeric_limits<double>::quiet_NaN() << 8835.0 << 6000 << 7 << 7;
    QTest::newRow("infinite x") << std::numeric_limits<double>::infinity() << 8835.0 << 6000 << 7
                                << 6000;
    QTest::newRow("Step 0 counts as 1") << 4417.5 << 8835.0 << 6000 << 0 << 3000;
}

void TestMarkerReadouts::markerIndex() {
    QFETCH(double, x);
    QFETCH(double, W);
    QFETCH(int, champ);
    QFETCH(int, step);
    QTEST(static_cast<int>(MarkerIndex(x, W, champ, static_cast<std::int16_t>(step))), "index");
}

void TestMarkerReadouts::widgets_data() {
    QTest::addColumn<bool>("checked");
    QTest::addColumn<float>("mode");
    // line, name, frequency, swr, z, loss, phase, rs, xs, colour button
    QTest::addColumn<QString>("shown");
    QTest::newRow("unchecked reflection") << false << 0.0f << "0000000000";
    QTest::newRow("unchecked transmission") << false << 1.0f << "0000000000";
    QTest::newRow("checked reflection") << true << 0.0f << "1111111111";
    QTest::newRow("checked transmission") << true << 1.0f << "1010011000";
}

void TestMarkerReadouts::widgets() {
    QFETCH(bool, checked);
    QFETCH(float, mode);
    const MarkerWidgets w = MarkerWidgetsShown(checked, mode);
    QString shown;
    for (const bool b : {w.Line, w.NameLabel, w.Frequency, w.Swr, w.Z, w.Loss, w.Phase, w.Rs, w.Xs,
                         w.ColourButton}) {
        shown += b ? '1' : '0';
    }
    QTEST(shown, "shown");
}

void TestMarkerReadouts::xcXl_data() {
    QTest::addColumn<float>("pf1");
    QTest::addColumn<float>("pf2");
    QTest::addColumn<double>("f1");
    QTest::addColumn<double>("f2");
    QTest::addColumn<bool>("inductive");
    QTest::addColumn<QString>("xj1");
    QTest::addColumn<QString>("xj2");
    QTest::newRow("marker 2 lower: inductive") << 651.59f << 89.57f << 7e6 << 14e6 << true << "0.19"
                                               << "1.4";
    QTest::newRow("marker 2 higher: capacitive")
        << 89.57f << 651.59f << 7e6 << 14e6 << false << "89.57"
        << "651.59";
    QTest::newRow("equal: capacitive") << 651.59f << 651.59f << 7e6 << 14e6 << false << "651.59"
                                       << "651.59";
    // Equal in their seven-digit texts although the floats differ
    QTest::newRow("equal as text")
        << 12345678.0f << 12345679.0f << 7e6 << 14e6 << false << "1.234568E+07"
        << "1.234568E+07";
    // Marker 1 above marker 2: the one at the higher frequency decides.
    QTest::newRow("swapped, higher lower: inductive")
        << 89.57f << 651.59f << 14e6 << 7e6 << true << "0.19"
        << "1.4";
    QTest::newRow("swapped, higher higher: capacitive")
        << 651.59f << 89.57f << 14e6 << 7e6 << false << "651.59"
        << "89.57";
    QTest::newRow("same frequency: marker 2 counts as higher")
        << 651.59f << 89.57f << 7e6 << 7e6 << true << "0.19"
        << "1.4";
}

void TestMarkerReadouts::xcXl() {
    QFETCH(float, pf1);
    QFETCH(float, pf2);
    QFETCH(double, f1);
    QFETCH(double, f2);
    QFETCH(bool, inductive);
    const XsColumnDisplay d = XcXlDisplay(pf1, pf2, 0.19f, 1.4f, f1, f2);
    QVERIFY(d.XjShown);
    QCOMPARE(d.Inductive, inductive);
    QCOMPARE(Q(d.lblMkrXSCaption), inductive ? QString("| Xs | +j") : QString("| Xs | -j"));
    QCOMPARE(Q(d.lblMkrXJCaption), inductive ? QString("Xl to uH") : QString("Xc to pf"));
    const std::uint32_t colour = inductive ? 255u : 0xFF0000u;
    QCOMPARE(d.lblMkrXSColour, colour);
    QCOMPARE(d.lblMkrXJColour, colour);
    QTEST(Q(d.txtMkr1XJ), "xj1");
    QTEST(Q(d.txtMkr2XJ), "xj2");
}

void TestMarkerReadouts::xcXlWithoutValues() {
    const XsColumnDisplay d = XcXlDisplay(std::nullopt, 10.0f, std::nullopt, 1.0f, 7e6, 14e6);
    QVERIFY(!d.Inductive);
    QCOMPARE(Q(d.txtMkr1XJ), None);
    QCOMPARE(Q(d.txtMkr2XJ), QString("10"));
    const XsColumnDisplay n =
        XcXlDisplay(std::numeric_limits<float>::quiet_NaN(), 10.0f, 1.0f, 1.0f, 7e6, 14e6);
    QCOMPARE(Q(n.txtMkr1XJ), None);
}

void TestMarkerReadouts::plainXsColumn() {
    const XsColumnDisplay d = PlainXsColumn(65280.0f);
    QVERIFY(!d.XjShown);
    QCOMPARE(Q(d.lblMkrXSCaption), QString("| Xs |"));
    QCOMPARE(d.lblMkrXSColour, 65280u);
    // A float that is no 24-bit colour shows black.
    QCOMPARE(PlainXsColumn(3.0e7f).lblMkrXSColour, 0u);
    QCOMPARE(PlainXsColumn(std::numeric_limits<float>::quiet_NaN()).lblMkrXSColour, 0u);
}

QTEST_GUILESS_MAIN(TestMarkerReadouts)
#include "tst_marker_readouts.moc"
