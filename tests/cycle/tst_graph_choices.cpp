// The display's choices beyond the design: the scales and their automatic
// choice, the frequency axis texts, the marker keys and the marker searches.
#include <QtTest>

#include <cmath>
#include <functional>
#include <vector>

#include "cycle/frequency_axis.h"
#include "measure/trace_scale.h"
#include "cycle/marker_search.h"
#include "measure/trace_geometry.h"

Q_DECLARE_METATYPE(SwrScale)
Q_DECLARE_METATYPE(OhmScale)
Q_DECLARE_METATYPE(LossRange)
Q_DECLARE_METATYPE(MarkerKey)
Q_DECLARE_METATYPE(GraphScales)

namespace {

constexpr float H = 3795.0f;

ValueRange Range(float lo, float hi) {
    ValueRange r;
    r.take(lo);
    r.take(hi);
    return r;
}

// A synthetic sweep of 100 points (Step 1): counts by formula, index 0 left 0.
struct Sweep {
    std::vector<float> magnitude = std::vector<float>(101, 0.0f);
    std::vector<float> phase = std::vector<float>(101, 0.0f);

    Sweep(const std::function<float(int)>& n, float p) {
        for (int i = 1; i <= 100; ++i) {
            magnitude[static_cast<std::size_t>(i)] = n(i);
            phase[static_cast<std::size_t>(i)] = p;
        }
    }
    ReadoutPoints readouts() const {
        MarkerReadoutInputs in;
        in.MagnitudeSamples = magnitude;
        in.PhaseSamples = phase;
        in.FMin = 1e6f;
        in.FreqStep = 1000.0;
        in.txtLossOffset = "0";
        return ReadoutValuesAt(in, MarkerPointsOf(100, 1));
    }
};

// SWR readout 2.0 lies between counts 506 (shows 2.) and 507 (1.99), so the
// 2:1 points of this dip are 10 and 90.
float Dip(int i) {
    return static_cast<float>(900 - 10 * std::abs(i - 50));
}
float DipFlatAbove(int i) {
    return i <= 50 ? Dip(i) : static_cast<float>(900 - 2 * (i - 50));
}
// Transmission: least loss (3.32 dB) at 50; 3 dB more from count 452 on.
float PassBand(int i) {
    return static_cast<float>(400 + 2 * std::abs(i - 50));
}

}  // namespace

class TestGraphChoices : public QObject {
    Q_OBJECT

private slots:
    void scaleY_data() {
        QTest::addColumn<QString>("trace");
        QTest::addColumn<int>("scale");
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("y");
        auto swr = [](const char* row, SwrScale s, float v, float y) {
            QTest::newRow(row) << "swr" << static_cast<int>(s) << v << y;
        };
        auto ohm = [](const char* row, OhmScale s, float v, float y) {
            QTest::newRow(row) << "ohm" << static_cast<int>(s) << v << y;
        };
        auto loss = [](const char* row, LossRange s, float n, float y) {
            QTest::newRow(row) << "loss" << static_cast<int>(s) << n << y;
        };
        swr("SWR designed: 1 at 0.9 H", SwrScale::ZeroTo10, 1.0f, 3415.5f);
        swr("SWR 1 to 2: 1 at the bottom", SwrScale::OneTo2, 1.0f, 3795.0f);
        swr("SWR 1 to 2: 2 at the top", SwrScale::OneTo2, 2.0f, 0.0f);
        swr("SWR 1 to 2: 1.5 at mid height", SwrScale::OneTo2, 1.5f, 1897.5f);
        swr("SWR 1 to 5: 3 at mid height", SwrScale::OneTo5, 3.0f, 1897.5f);
        swr("SWR 1 to 3: 3 at the top", SwrScale::OneTo3, 3.0f, 0.0f);
        ohm("500 ohm designed: 50 ohm", OhmScale::To500, 50.0f, 3315.5f);
        ohm("200 ohm: 50 ohm", OhmScale::To200, 50.0f, 2746.25f);
        ohm("200 ohm: 0 ohm 100 above the bottom", OhmScale::To200, 0.0f, 3695.0f);
        ohm("200 ohm: 200 ohm 100 above the top", OhmScale::To200, 200.0f, -100.0f);
        ohm("2000 ohm: 500 ohm", OhmScale::To2000, 500.0f, 2746.25f);
        ohm("100 ohm: 50 ohm", OhmScale::To100, 50.0f, 1797.5f);
        loss("30 dB designed: count 400 (3.32 dB)", LossRange::To30, 400.0f, 419.84375f);
        loss("10 dB: count 400 three times as low", LossRange::To10, 400.0f, 1259.53125f);
        loss("3 dB: count 400 below the bottom", LossRange::To3, 400.0f, 4198.4375f);
        loss("10 dB: count 512", LossRange::To10, 512.0f, 3750.0f);
    }
    void scaleY() {
        QFETCH(QString, trace);
        QFETCH(int, scale);
        QFETCH(float, value);
        QFETCH(float, y);
        float got = 0.0f;
        if (trace == QLatin1String("swr")) {
            got = SwrYOn(static_cast<SwrScale>(scale), H, value);
        } else if (trace == QLatin1String("ohm")) {
            got = OhmYOn(static_cast<OhmScale>(scale), H, value);
        } else {
            got = LossYOn(static_cast<LossRange>(scale), H, value, 0.0f, 0.0, 1);
        }
        QVERIFY2(std::fabs(got - y) < 0.01f, qPrintable(QString::number(got)));
    }

    // The designed scales keep the designed rules to the bit.
    void designedScalesUnchanged() {
        for (float v : {0.0f, 1.2345f, 47.5f, 333.3f, 1023.0f}) {
            QCOMPARE(SwrYOn(SwrScale::ZeroTo10, H, v), SwrY(H, v));
            QCOMPARE(OhmYOn(OhmScale::To500, H, v), OhmY(H, v));
            QCOMPARE(LossYOn(LossRange::To30, H, v, 0.5f, 1.5, 2), LossY(H, v, 0.5f, 1.5, 2));
        }
    }

    void captions() {
        const LossCaptions designed = LossCaptionsFor(false, LossRange::To30, SwrScale::ZeroTo10);
        QCOMPARE(QString::fromStdString(designed.lbl0db), QStringLiteral(" 0dB/10"));
        QCOMPARE(QString::fromStdString(designed.lbl30dB), QStringLiteral("30dB/1.0"));
        const LossCaptions narrow = LossCaptionsFor(true, LossRange::To10, SwrScale::OneTo2);
        QCOMPARE(narrow.LossScale, 2);
        QCOMPARE(QString::fromStdString(narrow.lbl0db), QStringLiteral(" 0dB/2"));
        QCOMPARE(QString::fromStdString(narrow.lbl10dB), QStringLiteral("6.7dB"));
        QCOMPARE(QString::fromStdString(narrow.lbl20dB), QStringLiteral("13.3dB"));
        QCOMPARE(QString::fromStdString(narrow.lbl30dB), QStringLiteral("20dB/1.0"));
        const auto ohm = OhmCaptionsFor(OhmScale::To200);
        QCOMPARE(QString::fromStdString(ohm[0]), QString::fromUtf8("180 \u00b0 / 200 ohm"));
        QCOMPARE(QString::fromStdString(ohm[1]), QString::fromUtf8("135\u00b0 / 150 ohm"));
        QCOMPARE(QString::fromStdString(ohm[4]), QString::fromUtf8("0\u00b0 / 0 ohm"));
        QCOMPARE(QString::fromStdString(OhmCaptionsFor(OhmScale::To500)[3]),
                 QString::fromUtf8("45\u00b0 / 125 ohm"));
    }

    void autoScale_data() {
        QTest::addColumn<GraphScales>("current");
        QTest::addColumn<bool>("on");  // the group's traces enabled
        QTest::addColumn<float>("lo");
        QTest::addColumn<float>("hi");
        QTest::addColumn<GraphScales>("expected");
        auto swr = [](SwrScale s) { return GraphScales{s, OhmScale::To500, LossRange::To30}; };
        QTest::newRow("SWR held by 1 to 2")
            << swr(SwrScale::OneTo2) << true << 1.2f << 1.8f << swr(SwrScale::OneTo2);
        QTest::newRow("SWR grows to the smallest that holds")
            << swr(SwrScale::OneTo2) << true << 1.2f << 2.4f << swr(SwrScale::OneTo3);
        QTest::newRow("SWR keeps a scale that still holds")
            << swr(SwrScale::OneTo3) << true << 1.2f << 1.8f << swr(SwrScale::OneTo3);
        QTest::newRow("SWR held by none: the widest")
            << swr(SwrScale::OneTo2) << true << 1.2f << 12.0f << swr(SwrScale::ZeroTo10);
        QTest::newRow("SWR trace off: kept")
            << swr(SwrScale::OneTo2) << false << 1.2f << 12.0f << swr(SwrScale::OneTo2);
    }
    void autoScale() {
        QFETCH(GraphScales, current);
        QFETCH(bool, on);
        QFETCH(float, lo);
        QFETCH(float, hi);
        QFETCH(GraphScales, expected);
        TracePass pass;
        pass.H = H;
        pass.Enabled.Swr = on;
        TraceExtremes e;
        e.Swr = Range(lo, hi);
        QCOMPARE(AutoScales(current, pass, e), expected);
    }

    void autoScaleImpedanceAndLoss() {
        TracePass pass;
        pass.H = H;
        pass.Enabled.Z = true;
        pass.Enabled.Loss = true;
        TraceExtremes e;
        const auto pick = [&](GraphScales from, float zLo, float zHi, float nLo, float nHi) {
            e.Z = Range(zLo, zHi);
            e.LossCount = Range(nLo, nHi);
            return AutoScales(from, pass, e);
        };
        const GraphScales narrowest{SwrScale::ZeroTo10, OhmScale::To100, LossRange::To3};
        // 95 ohm still lies inside the 100-ohm scale (its top edge is 97.4 ohm).
        GraphScales s = pick(narrowest, 20.0f, 95.0f, 350.0f, 370.0f);
        QCOMPARE(s.Ohm, OhmScale::To100);
        QCOMPARE(s.Loss, LossRange::To3);  // 0.4 to 1.6 dB
        s = pick(s, 20.0f, 150.0f, 400.0f, 420.0f);
        QCOMPARE(s.Ohm, OhmScale::To200);
        QCOMPARE(s.Loss, LossRange::To10);          // 3.3 to 4.5 dB
        s = pick(s, 20.0f, 60.0f, 350.0f, 370.0f);  // fits the smaller again: no jump back
        QCOMPARE(s.Ohm, OhmScale::To200);
        QCOMPARE(s.Loss, LossRange::To10);
        pass.Enabled.Xs = true;  // a trace of the group that needs more
        e.Xs = Range(0.0f, 900.0f);
        QCOMPARE(AutoScales(s, pass, e).Ohm, OhmScale::To1000);
    }

    void axisTexts_data() {
        QTest::addColumn<float>("FMin");
        QTest::addColumn<float>("FMax");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("default 1 to 180")
            << 1e6f << 180e6f
            << QStringList{"1", "19", "37", "55", "73", "90", "108", "126", "144", "162", "180"};
        QTest::newRow("14 to 14.5")
            << 14e6f << 14.5e6f << QStringList{"14",   "14.05", "14.1", "14.15", "14.2", "14.25",
                                               "14.3", "14.35", "14.4", "14.45", "14.5"};
        QTest::newRow("2 m band") << 144e6f << 146e6f
                                  << QStringList{"144",   "144.2", "144.4", "144.6", "144.8", "145",
                                                 "145.2", "145.4", "145.6", "145.8", "146"};
        QTest::newRow("reversed") << 30e6f << 20e6f
                                  << QStringList{"30", "29", "28", "27", "26", "25",
                                                 "24", "23", "22", "21", "20"};
        QTest::newRow("no span: to the Hz")
            << 14.2001e6f << 14.2001e6f << QStringList(11, QStringLiteral("14.2001"));
        QTest::newRow("kHz span") << 7e6f << 7.0003e6f
                                  << QStringList{"7",       "7.00003", "7.00006", "7.00009",
                                                 "7.00012", "7.00015", "7.00018", "7.00021",
                                                 "7.00024", "7.00027", "7.0003"};
    }
    void axisTexts() {
        QFETCH(float, FMin);
        QFETCH(float, FMax);
        QFETCH(QStringList, texts);
        QStringList got;
        for (const std::string& t : FrequencyAxisTexts(FMin, FMax)) {
            got << QString::fromStdString(t);
        }
        QCOMPARE(got, texts);
    }

    void markerKeys_data() {
        QTest::addColumn<int>("champ");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("from");
        QTest::addColumn<MarkerKey>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("active");  // after the key
        QTest::addColumn<int>("to");      // -1: no move
        QTest::newRow("Right") << 6000 << 1 << 3000 << MarkerKey::Right << false << 1 << 3001;
        QTest::newRow("Left") << 6000 << 1 << 3000 << MarkerKey::Left << false << 1 << 2999;
        QTest::newRow("Shift+Right: a hundredth")
            << 6000 << 1 << 3000 << MarkerKey::Right << true << 1 << 3060;
        QTest::newRow("Left at the first point stays")
            << 6000 << 1 << 1 << MarkerKey::Left << false << 1 << 1;
        QTest::newRow("Home") << 6000 << 1 << 3000 << MarkerKey::Home << false << 1 << 1;
        QTest::newRow("End") << 6000 << 1 << 3000 << MarkerKey::End << false << 1 << 6000;
        QTest::newRow("2 chooses marker 2")
            << 6000 << 1 << 3000 << MarkerKey::Two << false << 2 << -1;
        QTest::newRow("Step 7: Right by 7")
            << 6000 << 7 << 3003 << MarkerKey::Right << false << 1 << 3010;
        QTest::newRow("Step 7: Shift+Right by 9 points")
            << 6000 << 7 << 3003 << MarkerKey::Right << true << 1 << 3066;
        QTest::newRow("Step 7: End on the last multiple")
            << 6000 << 7 << 7 << MarkerKey::End << false << 1 << 5999;
        QTest::newRow("Step beyond Champ: only Champ")
            << 5 << 7 << 5 << MarkerKey::Home << false << 1 << 5;
    }
    void markerKeys() {
        QFETCH(int, champ);
        QFETCH(int, step);
        QFETCH(int, from);
        QFETCH(MarkerKey, key);
        QFETCH(bool, shift);
        QFETCH(int, active);
        QFETCH(int, to);
        const MarkerPoints points = MarkerPointsOf(champ, static_cast<std::int16_t>(step));
        const MarkerKeyResult r = MarkerKeyMove(key, shift, 1, from, points);
        QCOMPARE(r.active, active);
        QCOMPARE(r.moveTo.value_or(-1), to);
        if (r.moveTo) {  // the marker line put there reads back the same point
            const float x = MarkerLineX(*r.moveTo, 8835.0f, champ);
            QCOMPARE(MarkerIndex(x, 8835.0, champ, static_cast<std::int16_t>(step)), *r.moveTo);
        }
    }

    // A saved marker's frequency back to a point: the nearest one a marker
    // can stand on, none beyond half a step past the ends.
    void markerPointAt_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("point");  // -1: none
        // 1 MHz + k x 10 kHz, points 1..1000.
        QTest::newRow("on a point") << 7.05 << 1 << 605;
        QTest::newRow("between, nearer the next") << 7.0561 << 1 << 606;
        QTest::newRow("within half a step below the first") << 1.0051 << 1 << 1;
        QTest::newRow("below that") << 1.0049 << 1 << -1;
        QTest::newRow("the last point") << 11.0 << 1 << 1000;
        QTest::newRow("beyond the last") << 11.006 << 1 << -1;
        QTest::newRow("Step 7: the nearest multiple") << 7.05 << 7 << 602;
        QTest::newRow("Step 7: near the last multiple") << 10.96 << 7 << 994;
        QTest::newRow("Step 7: half a stride past it") << 11.0 << 7 << -1;
    }
    void markerPointAt() {
        QFETCH(double, mhz);
        QFETCH(int, step);
        QFETCH(int, point);
        const MarkerPoints points = MarkerPointsOf(1000, static_cast<std::int16_t>(step));
        QCOMPARE(MarkerPointAt(mhz * 1e6, 1e6, 1e4, points).value_or(-1), point);
    }

    void searches() {
        const ReadoutPoints dip = Sweep(Dip, 0.0f).readouts();
        // Points 48 to 52 all read SWR 1.05: the first of them.
        QCOMPARE(LowestAt(dip, dip.swr).value_or(-1), 48);
        QCOMPARE(HighestAt(dip, dip.z).value_or(-1), 100);  // phase 0: largest Rho, largest |Z|
        QCOMPARE(LowestAt(dip, dip.z).value_or(-1), 50);
        const EitherSide twoToOne = NearestReaching(dip, dip.swr, 50, 2.0);
        QCOMPARE(twoToOne.below.value_or(-1), 10);
        QCOMPARE(twoToOne.above.value_or(-1), 90);

        const ReadoutPoints oneSided = Sweep(DipFlatAbove, 512.0f).readouts();
        const EitherSide half = NearestReaching(oneSided, oneSided.swr, 50, 2.0);
        QCOMPARE(half.below.value_or(-1), 10);
        QVERIFY(!half.above);

        const ReadoutPoints band = Sweep(PassBand, 300.0f).readouts();
        const std::int32_t least = LowestAt(band, band.loss).value_or(-1);
        QCOMPARE(least, 50);
        const EitherSide edges = NearestReaching(band, band.loss, least, band.loss[49] + 3.0);
        QCOMPARE(edges.below.value_or(-1), 24);
        QCOMPARE(edges.above.value_or(-1), 76);
    }
};

QTEST_MAIN(TestGraphChoices)
#include "tst_graph_choices.moc"
