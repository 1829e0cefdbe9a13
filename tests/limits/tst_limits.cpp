#include <QtTest>

#include <cmath>
#include <vector>

#include "common/display_format.h"
#include "cycle/marker_readouts.h"
#include "limits/limits.h"
#include "measure/conversion.h"

namespace {

using Segments = std::vector<LimitSegment>;
using Stretches = std::vector<std::pair<int, int>>;

LimitSegment Seg(TraceKind t, LimitKind k, double f1MHz, double v1, double f2MHz, double v2,
                 int line = 1) {
    return {t, k, f1MHz * 1e6, v1, f2MHz * 1e6, v2, line};
}

// Points at these MHz, every trace holding `values` (so each kind is read
// the same way) unless only `trace` is given them and the others hold `rest`.
LimitTraceValues Points(const std::vector<double>& mhz, const std::vector<double>& values,
                        std::optional<TraceKind> trace = std::nullopt, double rest = 0.0) {
    LimitTraceValues out;
    for (const double f : mhz) {
        out.frequencyHz.push_back(f * 1e6);
    }
    for (std::size_t k = 0; k < TraceKindCount; ++k) {
        out.values[k] = !trace || static_cast<std::size_t>(*trace) == k
                            ? values
                            : std::vector<double>(values.size(), rest);
    }
    return out;
}

Stretches StretchesOf(const SegmentVerdict& v) {
    Stretches out;
    for (const LimitStretch& s : v.failing) {
        out.emplace_back(static_cast<int>(s.first), static_cast<int>(s.last));
    }
    return out;
}

}  // namespace

Q_DECLARE_METATYPE(LimitSegment)
Q_DECLARE_METATYPE(Segments)
Q_DECLARE_METATYPE(LimitTraceValues)
Q_DECLARE_METATYPE(Stretches)

class TestLimits : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void traceModes();
    void verdicts_data();
    void verdicts();
    void eachTraceReadsItsOwnValues();
    void overlappingSegmentsEachAnswer();
    void valuesAreTheWindows();
};

void TestLimits::accepted_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Segments>("segments");
    using enum TraceKind;
    const auto Max = LimitKind::Max;
    const auto Min = LimitKind::Min;
    QTest::newRow("empty") << QByteArray() << Segments{};
    QTest::newRow("comments and blanks only")
        << QByteArray("# nothing\n\n  \t\n#swr max\n") << Segments{};
    QTest::newRow("one flat") << QByteArray("swr max 7.0 1.5 7.2 1.5\n")
                              << Segments{Seg(Swr, Max, 7.0, 1.5, 7.2, 1.5)};
    QTest::newRow("line numbers count every line")
        << QByteArray("# head\n\nloss min 1 40 5 40 # stop\n\r\nloss max 7 1 7.2 1")
        << Segments{Seg(Loss, Min, 1, 40, 5, 40, 3), Seg(Loss, Max, 7, 1, 7.2, 1, 5)};
    QTest::newRow("any case, tabs, CR LF, a UTF-8 mark")
        << QByteArray("\xEF\xBB\xBFSWR\tMAX 7 1.5\t7.2 2\r\nPhase Min 1 -90 2 +90\r\n")
        << Segments{Seg(Swr, Max, 7, 1.5, 7.2, 2, 1), Seg(Phase, Min, 1, -90, 2, 90, 2)};
    QTest::newRow("exponents and signs")
        << QByteArray("z max 1e0 5E1 .5e1 +1e3\nrs min 0 -0.5 1000000 1e9\nxs max 3 -1e9 4 0")
        << Segments{Seg(Z, Max, 1, 50, 5, 1000, 1), Seg(Rs, Min, 0, -0.5, 1e6, 1e9, 2),
                    Seg(Xs, Max, 3, -1e9, 4, 0, 3)};
}

void TestLimits::accepted() {
    QFETCH(QByteArray, text);
    QFETCH(Segments, segments);
    const LimitParse r = ParseLimits(text);
    QVERIFY2(r.limits.has_value(), qPrintable(r.error));
    QCOMPARE(r.errorLine, 0);
    QCOMPARE(r.limits->segments.size(), segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        QVERIFY2(r.limits->segments[i] == segments[i], qPrintable(QString::number(i)));
    }
}

void TestLimits::refused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("error");
    const QByteArray good = "swr max 7 1.5 7.2 1.5\n# fine\n";
    QTest::newRow("unknown trace")
        << good + "sqr max 7 1 8 1" << 3
        << "line 3: unknown trace \"sqr\" (loss, phase, swr, rs, xs or z)";
    QTest::newRow("kind missing") << QByteArray("loss") << 1
                                  << "line 1: max or min wanted after \"loss\"";
    QTest::newRow("unknown kind") << QByteArray("loss below 1 2 3 4") << 1
                                  << "line 1: unknown kind \"below\" (max or min)";
    QTest::newRow("a number short")
        << good + "\nloss max 7 1 8" << 4
        << "line 4: 4 numbers wanted after \"loss max\" (F1 in MHz, V1, F2 in MHz, V2), found 3";
    QTest::newRow("text after V2") << QByteArray("z min 1 2 3 4 ohm") << 1
                                   << "line 1: \"ohm\" after V2 (a comment begins with #)";
    QTest::newRow("decimal comma") << QByteArray("swr max 7,0 1.5 7.2 1.5") << 1
                                   << "line 1: F1 \"7,0\" is not a number (\".\" for decimals)";
    QTest::newRow("infinity") << QByteArray("swr max 7 1 7.2 inf") << 1
                              << "line 1: V2 \"inf\" is not a number";
    QTest::newRow("hex") << QByteArray("swr max 0x7 1 7.2 1") << 1
                         << "line 1: F1 \"0x7\" is not a number";
    QTest::newRow("negative frequency") << QByteArray("swr max -1 1 7.2 1") << 1
                                        << "line 1: F1 \"-1\" MHz lies outside 0 to 1000000 MHz";
    QTest::newRow("value too large")
        << QByteArray("z max 1 1e10 2 1") << 1 << "line 1: V1 \"1e10\" lies beyond +-1e9";
    QTest::newRow("F1 above F2") << QByteArray("swr max 7.2 1.5 7.0 1.5") << 1
                                 << "line 1: F1 \"7.2\" MHz is not below F2 \"7.0\" MHz";
    QTest::newRow("F1 equal to F2") << QByteArray("swr max 7 1.5 7.000 1.5") << 1
                                    << "line 1: F1 \"7\" MHz is not below F2 \"7.000\" MHz";
    QTest::newRow("control bytes and a long field quoted plainly")
        << QByteArray("loss max 1 2 3 4 \x01\x1b[2Jxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n") << 1
        << "line 1: \"??[2Jxxxxxxxxxxxxxxxxxxx...\" after V2 (a comment begins with #)";
    QTest::newRow("a NUL inside a keyword")
        << QByteArray("sw\0r max 1 2 3 4", 16) << 1
        << "line 1: unknown trace \"sw?r\" (loss, phase, swr, rs, xs or z)";
}

void TestLimits::refused() {
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, error);
    const LimitParse r = ParseLimits(text);
    QVERIFY(!r.limits);  // nothing half-loaded
    QCOMPARE(r.errorLine, line);
    QCOMPARE(r.error, error);
}

void TestLimits::traceModes() {
    const LimitParse r = ParseLimits("loss max 7 1 7.2 1\nphase min 7 0 7.2 0\nswr max 7 2 8 2\n");
    QVERIFY(r.limits);
    QVERIFY(!LimitsModeRefusal(*r.limits, false));
    QCOMPARE(LimitsModeRefusal(*r.limits, true).value_or(QString()),
             QStringLiteral("line 3: the Transmission mode shows no swr (only loss and phase)"));
    LimitSet lossOnly = *r.limits;
    lossOnly.segments.pop_back();
    QVERIFY(!LimitsModeRefusal(lossOnly, true));
}

void TestLimits::verdicts_data() {
    QTest::addColumn<LimitSegment>("segment");
    QTest::addColumn<LimitTraceValues>("values");
    QTest::addColumn<int>("checked");
    QTest::addColumn<Stretches>("failing");
    QTest::addColumn<int>("worst");  // -1: none
    QTest::addColumn<double>("worstMargin");
    using enum TraceKind;
    const auto Max = LimitKind::Max;
    const auto Min = LimitKind::Min;
    const std::vector<double> mhz{6.9, 7.0, 7.1, 7.2, 7.3};

    QTest::newRow("flat max, all under")
        << Seg(Swr, Max, 7.0, 1.5, 7.2, 1.5) << Points(mhz, {9, 1.2, 1.1, 1.4, 9}) << 3
        << Stretches{} << 3 << 0.1;
    // The ends are checked; 6.9 and 7.3 MHz lie outside and are not.
    QTest::newRow("touching at both ends and inside")
        << Seg(Swr, Max, 7.0, 1.5, 7.2, 1.5) << Points(mhz, {9, 1.5, 1.5, 1.5, 9}) << 3
        << Stretches{} << 1 << 0.0;
    QTest::newRow("just over at the far end")
        << Seg(Swr, Max, 7.0, 1.5, 7.2, 1.5) << Points(mhz, {9, 1.2, 1.2, 1.5001, 9}) << 3
        << Stretches{{3, 3}} << 3 << -0.0001;
    // 1 at 7.0 MHz rising to 2 at 7.3 MHz: 4/3 at 7.1, 5/3 at 7.2.
    QTest::newRow("sloped max, on the line")
        << Seg(Loss, Max, 7.0, 1.0, 7.3, 2.0) << Points(mhz, {50, 1.0, 4.0 / 3, 5.0 / 3, 2.0}) << 4
        << Stretches{} << 1 << 0.0;
    QTest::newRow("sloped max, over in the middle")
        << Seg(Loss, Max, 7.0, 1.0, 7.3, 2.0) << Points(mhz, {50, 0.5, 1.34, 1.7, 1.0}) << 4
        << Stretches{{2, 3}} << 3 << 5.0 / 3 - 1.7;
    QTest::newRow("sloped min, falling")
        << Seg(Loss, Min, 6.9, 40, 7.3, 20) << Points(mhz, {40, 36, 26, 25, 20}) << 5
        << Stretches{{2, 2}} << 2 << -4.0;
    QTest::newRow("runs part at a passing point")
        << Seg(Z, Min, 6.9, 50, 7.3, 50) << Points(mhz, {10, 20, 60, 10, 10}) << 5
        << Stretches{{0, 1}, {3, 4}} << 0 << -40.0;
    QTest::newRow("no point in range passes")
        << Seg(Rs, Max, 8, 1, 9, 1) << Points(mhz, {9, 9, 9, 9, 9}) << 0 << Stretches{} << -1
        << 0.0;
    QTest::newRow("first of equal worst points")
        << Seg(Xs, Max, 6.9, 10, 7.3, 10) << Points(mhz, {12, 5, 12, 9, 12}) << 5
        << Stretches{{0, 0}, {2, 2}, {4, 4}} << 0 << -2.0;
}

void TestLimits::verdicts() {
    QFETCH(LimitSegment, segment);
    QFETCH(LimitTraceValues, values);
    QFETCH(int, checked);
    QFETCH(Stretches, failing);
    QFETCH(int, worst);
    QFETCH(double, worstMargin);
    const LimitVerdict v = EvaluateLimits(LimitSet{{segment}}, values);
    QCOMPARE(v.segments.size(), std::size_t{1});
    const SegmentVerdict& s = v.segments[0];
    QCOMPARE(s.checkedPoints, checked);
    QCOMPARE(StretchesOf(s), failing);
    int failed = 0;
    for (const auto& [first, last] : failing) {
        failed += last - first + 1;
    }
    QCOMPARE(s.failedPoints, failed);
    QCOMPARE(s.pass, failing.empty());
    QCOMPARE(v.pass, failing.empty());
    QCOMPARE(s.worst.has_value(), worst >= 0);
    if (worst >= 0) {
        const auto w = static_cast<std::size_t>(worst);
        QCOMPARE(*s.worst, w);
        QCOMPARE(s.worstFrequencyHz, values.frequencyHz[w]);
        QCOMPARE(s.worstValue, values.values[static_cast<std::size_t>(segment.trace)][w]);
        QVERIFY2(std::fabs(s.worstMargin - worstMargin) < 1e-9,
                 qPrintable(QString::number(s.worstMargin, 'g', 17)));
    }
}

void TestLimits::eachTraceReadsItsOwnValues() {
    const std::vector<double> mhz{1, 2, 3};
    for (std::size_t k = 0; k < TraceKindCount; ++k) {
        const auto kind = static_cast<TraceKind>(k);
        // Only this trace holds values over the ceiling of 10.
        const LimitTraceValues values = Points(mhz, {20, 30, 5}, kind, 1.0);
        for (std::size_t other = 0; other < TraceKindCount; ++other) {
            const LimitSegment s = Seg(static_cast<TraceKind>(other), LimitKind::Max, 1, 10, 3, 10);
            const LimitVerdict v = EvaluateLimits(LimitSet{{s}}, values);
            QCOMPARE(v.pass, other != k);
            QCOMPARE(v.segments[0].failedPoints, other == k ? 2 : 0);
        }
    }
}

void TestLimits::overlappingSegmentsEachAnswer() {
    // A ceiling over the whole band and a tighter one over its middle, and a
    // floor crossing both: a point answers to every segment it lies in.
    const LimitSet limits{{Seg(TraceKind::Swr, LimitKind::Max, 1, 3, 5, 3, 1),
                           Seg(TraceKind::Swr, LimitKind::Max, 2, 1.5, 4, 1.5, 2),
                           Seg(TraceKind::Swr, LimitKind::Min, 3, 1.0, 5, 1.0, 3)}};
    const LimitTraceValues values = Points({1, 2, 3, 4, 5}, {2.5, 1.4, 2.0, 1.2, 1.1});
    const LimitVerdict v = EvaluateLimits(limits, values);
    QVERIFY(!v.pass);
    QCOMPARE(v.segments.size(), std::size_t{3});
    QVERIFY(v.segments[0].pass);
    QCOMPARE(v.segments[0].checkedPoints, 5);
    QVERIFY(!v.segments[1].pass);
    QCOMPARE(v.segments[1].checkedPoints, 3);
    QCOMPARE(StretchesOf(v.segments[1]), (Stretches{{2, 2}}));
    QVERIFY(v.segments[2].pass);
    QCOMPARE(v.segments[2].checkedPoints, 3);
    QCOMPARE(*v.segments[2].worst, std::size_t{4});
}

// The values held to the limits are those the readouts show and the graph
// draws, offsets and normalisation included.
void TestLimits::valuesAreTheWindows() {
    const std::int32_t Champ = 4;
    const std::vector<float> n{0, 120, 343.5f, 700, 1023};
    const std::vector<float> p{0, 0, 255, 512, 1023};
    const std::vector<double> errors{0, 0.25, -1.5, 0, 3};
    SweepExportInput in;
    in.MagnitudeSamples = n;
    in.PhaseSamples = p;
    in.Champ = Champ;
    in.FMin = 7.0e6f;
    in.FMax = 7.2e6f;
    in.CalOffsetDb = 0.3f;
    in.LossOffset = 1.5;
    in.LossErrors = errors;
    const LimitTraceValues v = LimitTraceValuesOf(in);
    QCOMPARE(v.frequencyHz.size(), std::size_t(Champ));
    const double step = (7.2e6 - 7.0e6) / Champ;
    for (std::int32_t i = 1; i <= Champ; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        QCOMPARE(v.frequencyHz[k], 7.0e6 + i * step);
        MarkerReadoutInputs r;
        r.Index = i;
        r.MagnitudeSamples = n;
        r.PhaseSamples = p;
        r.FMin = in.FMin;
        r.FreqStep = step;
        r.CalOffsetDb = in.CalOffsetDb;
        r.txtLossOffset = "1.5";
        const MarkerReadout shown = ComputeMarkerReadout(r, errors[k + 1]);
        const auto at = [&v, k](TraceKind t) { return v.values[static_cast<std::size_t>(t)][k]; };
        // The readouts show two decimals of the same numbers.
        QVERIFY(std::fabs(at(TraceKind::Loss) - ParseReadout(shown.Loss)) <= 0.005 + 1e-9);
        QVERIFY(std::fabs(at(TraceKind::Phase) - ParseReadout(shown.Phase)) <= 0.005 + 1e-9);
        const PointValues c = ConvertPoint(n[k + 1], p[k + 1], 0.3f, 1.5, errors[k + 1]);
        QCOMPARE(at(TraceKind::Swr), double(c.Swr));
        QCOMPARE(at(TraceKind::Rs), double(c.Rs));
        QCOMPARE(at(TraceKind::Xs), double(c.Xs));
        QCOMPARE(at(TraceKind::Z), double(c.Zmag));
    }
    // Values kept from tick to tick take a shorter sweep's points alone.
    LimitTraceValues kept = v;
    in.Champ = 2;
    LimitTraceValuesOf(in, kept);
    QCOMPARE(kept.frequencyHz.size(), std::size_t{2});
    for (std::size_t t = 0; t < TraceKindCount; ++t) {
        QCOMPARE(kept.values[t].size(), std::size_t{2});
        QCOMPARE(kept.values[t][1], v.values[t][1]);
    }
    // A sweep whose arrays are short gives no points rather than a read
    // past them.
    in.Champ = 9;
    QVERIFY(LimitTraceValuesOf(in).frequencyHz.empty());
    LimitTraceValuesOf(in, kept);
    QVERIFY(kept.frequencyHz.empty() && kept.values[0].empty());
}

QTEST_APPLESS_MAIN(TestLimits)
#include "tst_limits.moc"
