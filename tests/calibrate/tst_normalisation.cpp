// The normalisation rule on synthetic references: where the error comes from,
// how it is interpolated and averaged, which points and modes it leaves alone,
// what it does to the traces and readouts, and the .norm file.
#include <QtTest>

#include <cstring>
#include <vector>

#include "calibrate/norm_file.h"
#include "calibrate/normalisation.h"
#include "measure/trace_geometry.h"

Q_DECLARE_METATYPE(Normalisation)

namespace {

// Step 1 of the conversion without offsets.
double Loss(double n) {
    return n * 0.0587 - 20.16;
}

// counts first, first + step, ... at FMin + j (FMax - FMin) / points.
Reference Ramp(float FMin, float FMax, int points, float first, float step) {
    Reference r{FMin, FMax, {}};
    for (int j = 0; j < points; ++j) {
        r.Counts.push_back(first + step * static_cast<float>(j));
    }
    return r;
}

// All six traces of a sweep at the graph's design height, with offsets.
TracePass SixTraces(const std::vector<float>& magnitude, const std::vector<float>& phase,
                    const double* errors) {
    TracePass pass;
    pass.MagnitudeSamples = magnitude.data();
    pass.PhaseSamples = phase.data();
    pass.Champ = static_cast<std::int32_t>(magnitude.size()) - 1;
    pass.H = 3795;
    pass.PointWidth = 8835.0f / static_cast<float>(pass.Champ);
    pass.Enabled = {true, true, true, true, true, true};
    pass.LossErrors = errors;
    return pass;
}

Normalisation With(std::optional<Reference> open, std::optional<Reference> shortRef = {},
                   std::optional<Reference> through = {}) {
    Normalisation n;
    n[Standard::Open] = std::move(open);
    n[Standard::Short] = std::move(shortRef);
    n[Standard::Through] = std::move(through);
    return n;
}

}  // namespace

class TestNormalisation : public QObject {
    Q_OBJECT

private slots:
    // References with points every 100 Hz from 100 to 1000 Hz (open counts
    // 343, 353, ..., short 10 counts higher), against sweeps around them.
    void lossErrors_data() {
        QTest::addColumn<Normalisation>("normalisation");
        QTest::addColumn<float>("FMin");
        QTest::addColumn<float>("FMax");
        QTest::addColumn<int>("Champ");
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<int>("caloffsettx");
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("error");
        QTest::addColumn<int>("outside");
        QTest::addColumn<QString>("standards");
        const Reference open = Ramp(0, 1000, 10, 343, 10);
        const Reference shortRef = Ramp(0, 1000, 10, 353, 10);
        QTest::newRow("on the reference's own points")
            << With(open) << 0.0f << 1000.0f << 10 << false << 0 << 3 << Loss(363) << 0 << "open";
        QTest::newRow("half-way: linear in dB")
            << With(open) << 0.0f << 1000.0f << 20 << false << 0 << 5 << Loss(358) << 1 << "open";
        QTest::newRow("a quarter of the way")
            << With(open) << 0.0f << 1000.0f << 40 << false << 0 << 9 << Loss(355.5) << 3 << "open";
        QTest::newRow("open and short: the mean")
            << With(open, shortRef) << 0.0f << 1000.0f << 10 << false << 0 << 3 << Loss(368) << 0
            << "open+short";
        QTest::newRow("only the open covers the point")
            << With(open, Ramp(0, 500, 5, 353, 10)) << 0.0f << 1000.0f << 10 << false << 0 << 8
            << Loss(413) << 0 << "open+short";
        QTest::newRow("outside the range: not corrected")
            << With(open) << 0.0f << 2000.0f << 20 << false << 0 << 15 << 0.0 << 10 << "open";
        QTest::newRow("sweep running downwards")
            << With(open) << 1000.0f << 0.0f << 10 << false << 0 << 1 << Loss(423) << 1 << "open";
        QTest::newRow("single-point reference") << With(Ramp(0, 100, 1, 400, 0)) << 0.0f << 100.0f
                                                << 1 << false << 0 << 1 << Loss(400) << 0 << "open";
        QTest::newRow("open and short do nothing in Transmission")
            << With(open, shortRef) << 0.0f << 1000.0f << 10 << true << 0 << 3 << 0.0 << 0 << "";
        QTest::newRow("a through does nothing in reflection")
            << With({}, {}, open) << 0.0f << 1000.0f << 10 << false << 0 << 3 << 0.0 << 0 << "";
        QTest::newRow("a through in Transmission, with its mode's offset")
            << With(shortRef, {}, open) << 0.0f << 1000.0f << 10 << true << 5 << 3
            << Loss(363) + 0.5 << 0 << "through";
    }
    void lossErrors() {
        QFETCH(Normalisation, normalisation);
        QFETCH(float, FMin);
        QFETCH(float, FMax);
        QFETCH(int, Champ);
        QFETCH(bool, transmission);
        QFETCH(int, caloffsettx);
        QFETCH(int, index);
        QFETCH(int, outside);
        const LossErrors e =
            ComputeLossErrors(normalisation, FMin, FMax, Champ, transmission ? 1.0f : 0.0f, 0,
                              static_cast<std::int16_t>(caloffsettx));
        QTEST(QString::fromStdString(StandardsText(e.Standards)), "standards");
        if (e.Standards.empty()) {
            QVERIFY(e.Error.empty());  // converts exactly as without a normalisation
            return;
        }
        QCOMPARE(e.Error.size(), static_cast<std::size_t>(Champ) + 1);
        QFETCH(double, error);
        QVERIFY2(std::fabs(e.Error[static_cast<std::size_t>(index)] - error) < 1e-9,
                 qPrintable(QString::number(e.Error[static_cast<std::size_t>(index)], 'g', 17)));
        QCOMPARE(e.Outside, outside);
        QCOMPARE(OutsideText(e).empty(), outside == 0);
    }

    // An open 2 dB off at the top and a 25-ohm load measured through the same
    // detector: corrected, every point reads the load's 163 counts above the
    // open (9.57 dB), whatever the raw counts did.
    void normalisedTracesAreFlat() {
        constexpr int champ = 100;
        const Reference open = Ramp(1e6f, 180e6f, champ, 343, 0.34f);
        std::vector<float> magnitude(champ + 1, 0.0f);
        std::vector<float> phase(champ + 1, 1023.0f);
        for (int i = 1; i <= champ; ++i) {
            magnitude[static_cast<std::size_t>(i)] =
                open.Counts[static_cast<std::size_t>(i - 1)] + 163;
        }
        const LossErrors e = ComputeLossErrors(With(open), 1e6f, 180e6f, champ, 0.0f, 0, 0);

        // The loss trace is flat at the load's loss; the SWR trace too.
        const TracePass pass = SixTraces(magnitude, phase, e.Error.data());
        PenState pen;
        LossPhaseGeometry lossPhase;
        ImpedanceGeometry impedance;
        PlotLossPhasePass(pass, pen, lossPhase);
        PlotImpedancePass(pass, pen, impedance);
        const float flat = LossY(3795, static_cast<float>(163 + 20.16 / 0.0587), 0, 0, 1);
        for (const Segment& s : lossPhase.Loss) {
            QVERIFY2(std::fabs(s.y2 - flat) < 0.5f, qPrintable(QString::number(s.y2)));
        }
        for (std::size_t k = 1; k < impedance.Swr.size(); ++k) {
            QVERIFY(std::fabs(impedance.Swr[k].y2 - impedance.Swr[1].y2) < 1.0f);
        }

        // The best match is the largest corrected loss, not the largest count.
        magnitude[30] += 2;
        PlotLossPhasePass(pass, pen, lossPhase);
        QCOMPARE(lossPhase.Best.BestMatchPoint, 30);
        QCOMPARE(BestMatch(magnitude.data(), champ, 1).BestMatchPoint, champ);
    }

    // Errors of 0 everywhere (a reference exactly 0 dB) draw the very same
    // traces as no normalisation: the corrected path rounds nothing else.
    void zeroErrorsChangeNoBit() {
        constexpr int champ = 300;
        std::vector<float> magnitude(champ + 1);
        std::vector<float> phase(champ + 1);
        for (int i = 0; i <= champ; ++i) {
            magnitude[static_cast<std::size_t>(i)] = static_cast<float>((i * 37) % 1024);
            phase[static_cast<std::size_t>(i)] = static_cast<float>((i * 11) % 1024);
        }
        const std::vector<double> zeros(champ + 1, 0.0);
        const auto run = [&](const double* errors) {
            TracePass pass = SixTraces(magnitude, phase, errors);
            pass.CalOffsetDb = 0.3f;
            pass.LossOffset = 1.25;
            PenState pen;
            LossPhaseGeometry lp;
            ImpedanceGeometry im;
            PlotLossPhasePass(pass, pen, lp);
            PlotImpedancePass(pass, pen, im);
            std::vector<Segment> all = lp.Loss;
            for (const auto* trace : {&im.Z, &im.Xs, &im.Rs, &im.Swr}) {
                all.insert(all.end(), trace->begin(), trace->end());
            }
            return all;
        };
        const std::vector<Segment> plain = run(nullptr);
        const std::vector<Segment> zero = run(zeros.data());
        QCOMPARE(plain.size(), zero.size());
        QVERIFY(std::memcmp(plain.data(), zero.data(), plain.size() * sizeof(Segment)) == 0);
    }

    void normFileRoundTrip() {
        Normalisation n;
        n[Standard::Open] = Reference{1.5e6f, 14.35e6f, {343, 343.25f, 1023, 0.1f}};
        n[Standard::Through] = Reference{180e6f, 1e6f, {400}};
        const std::string text = NormFileText(n);
        QVERIFY(
            text.starts_with("Zezizav normalisation 1\nopen 1500000 14350000 4\n343\n343.25\n"));
        const NormReadResult back = ReadNormText(text);
        QVERIFY2(back.normalisation, back.error.c_str());
        QVERIFY(*back.normalisation == n);
        // Written on Windows: CR LF line ends and a blank line at the end.
        std::string crlf;
        for (const char c : text) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        QVERIFY(ReadNormText(crlf + "\r\n").normalisation == n);
    }

    void normFileRefusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        const QString v = QStringLiteral("Zezizav normalisation 1\n");
        QTest::newRow("empty") << ""
                               << "line 1: this is no normalisation file";
        QTest::newRow("other version") << "Zezizav normalisation 2\nopen 1 2 1\n5\n"
                                       << "line 1: version 2 is not one";
        QTest::newRow("no reference") << v << "holds no reference";
        QTest::newRow("unknown standard") << v + "load 1 2 1\n5\n"
                                          << "line 2: the standard";
        QTest::newRow("three fields") << v + "open 1 2\n5\n"
                                      << "line 2: a reference starts";
        QTest::newRow("twice") << v + "open 1 2 1\n5\nopen 1 2 1\n5\n"
                               << "line 4: a second open";
        QTest::newRow("limit no number") << v + "open 1MHz 2 1\n5\n"
                                         << "are no numbers";
        QTest::newRow("limit infinite") << v + "open inf 2 1\n5\n"
                                        << "are no numbers";
        QTest::newRow("no points") << v + "open 1 2 0\n"
                                   << "wants 1 to 32767 points";
        QTest::newRow("count missing") << v + "open 1 2 3\n5\n6\n"
                                       << "line 5: the open reference ends after 2";
        QTest::newRow("count left over") << v + "open 1 2 1\n5\n6\n"
                                         << "line 4: a reference starts";
        QTest::newRow("count not a number") << v + "open 1 2 2\n5\nx\n"
                                            << "line 4: a count";
        QTest::newRow("count beyond 1023") << v + "short 1 2 2\n5\n1024\n"
                                           << "point 2 holds no detector count";
        QTest::newRow("negative count") << v + "short 1 2 1\n-1\n"
                                        << "point 1 holds no detector count";
        QTest::newRow("same limits") << v + "open 2 2 1\n5\n"
                                     << "same frequency";
        QTest::newRow("all zero") << v + "through 1 2 2\n0\n0\n"
                                  << "every count is 0";
    }
    void normFileRefusals() {
        QFETCH(QString, text);
        const std::string bytes = text.toStdString();
        const NormReadResult r = ReadNormText(bytes);
        QVERIFY(!r.normalisation);
        QFETCH(QString, error);
        QVERIFY2(QString::fromStdString(r.error).contains(error), r.error.c_str());
    }
};

QTEST_APPLESS_MAIN(TestNormalisation)
#include "tst_normalisation.moc"
