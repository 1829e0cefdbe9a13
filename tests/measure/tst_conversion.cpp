#include <QtTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "measure/conversion.h"

namespace {
// Half a unit of the last digit shown in the text.
double HalfLastDigit(const QString& shown) {
    const qsizetype point = shown.indexOf('.');
    const qsizetype decimals = point < 0 ? 0 : shown.size() - point - 1;
    return 0.5 * std::pow(10.0, -static_cast<double>(decimals)) + 1e-9;
}

// Every field, bit for bit: the looked-up path may not round differently.
bool SameBits(const PointValues& a, const PointValues& b) {
    return std::memcmp(&a, &b, sizeof(PointValues)) == 0;
}

bool AllFinite(const PointValues& v) {
    for (const float f :
         {v.L, v.a, v.Rho, v.CosPhi, v.SinPhi, v.GammaRe, v.GammaIm, v.Xs, v.Rs, v.Swr, v.Zmag}) {
        if (!std::isfinite(f)) {
            return false;
        }
    }
    return true;
}
}  // namespace

class TestConversion : public QObject {
    Q_OBJECT

private slots:
    void table_data();
    void table();
    void phaseZeroHasNoReactance();
    void faultsGiveDocumentedSubstitutes();
    void nonFiniteInputsCountAsZero();
    void extremeOffsetsStayFiniteAndInRange();
    void converterMatchesConvertPointBitForBit_data();
    void converterMatchesConvertPointBitForBit();
    void converterServesOnlyItsOffsets();
    void bestMatch_data();
    void bestMatch();
};

void TestConversion::table_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<float>("p");
    QTest::addColumn<QStringList>("shown");  // L, Rho, phase, Rs, Xs, Zmag, Swr
    QTest::newRow("600 300") << 600.0f << 300.0f << QStringList{"15.06", "0.1766", "52.8", "59.25",
                                                                "17.20", "61.70",  "1.429"};
    QTest::newRow("400 100") << 400.0f << 100.0f
                             << QStringList{"3.32",   "0.6823", "17.6", "162.21",
                                            "125.19", "204.90", "5.296"};
    QTest::newRow("1023 512") << 1023.0f << 512.0f
                              << QStringList{"39.89", "0.0101", "90.11", "49.99",
                                             "1.01",  "50.00",  "1.020"};
    QTest::newRow("index 0") << 0.0f << 0.0f << QStringList{"-20.16", "10.186", "0",    "60.89",
                                                            "0",      "60.89",  "1.218"};
}

void TestConversion::table() {
    QFETCH(float, n);
    QFETCH(float, p);
    QFETCH(QStringList, shown);
    const PointValues v = ConvertPoint(n, p, 0.0f, 0.0);
    // The phase comes back in the program's degrees (57.324 per radian).
    const double phase = std::atan2(v.SinPhi, v.CosPhi) * 57.324;
    const double got[] = {v.L, v.Rho, phase, v.Rs, v.Xs, v.Zmag, v.Swr};
    const char* names[] = {"L", "Rho", "phase", "Rs", "Xs", "Zmag", "Swr"};
    for (int k = 0; k < 7; ++k) {
        const double expected = shown[k].toDouble();
        QVERIFY2(std::fabs(got[k] - expected) <= HalfLastDigit(shown[k]),
                 qPrintable(QStringLiteral("%1 = %2, shown %3")
                                .arg(names[k])
                                .arg(got[k], 0, 'g', 9)
                                .arg(shown[k])));
    }
}

void TestConversion::phaseZeroHasNoReactance() {
    for (const float n : {0.0f, 350.0f, 1023.0f}) {
        const PointValues v = ConvertPoint(n, 0.0f, -1.5f, 2.25);
        QCOMPARE(v.GammaIm, 0.0f);
        QCOMPARE(v.Xs, 0.0f);
        QCOMPARE(v.Zmag, v.Rs);
    }
}

void TestConversion::faultsGiveDocumentedSubstitutes() {
    // -20.16 + 20.16 is exactly 0 dB: Rho exactly 1, the SWR denominator 0.
    const PointValues unity = ConvertPoint(0.0f, 300.0f, 0.0f, 20.16);
    QCOMPARE(unity.L, 0.0f);
    QCOMPARE(unity.Rho, 1.0f);
    QCOMPARE(unity.Swr, Conversion::SwrCeiling);
    QVERIFY(AllFinite(unity));
    QVERIFY(unity.Rs < 1e-3f);  // |Gamma| = 1 is a pure reactance

    // The same with phase 0: Gamma is exactly 1 + 0j, so D = 0 (an open circuit).
    const PointValues open = ConvertPoint(0.0f, 0.0f, 0.0f, 20.16);
    QCOMPARE(open.GammaRe, 1.0f);
    QCOMPARE(open.GammaIm, 0.0f);
    QCOMPARE(open.Rs, Conversion::OhmCeiling);
    QCOMPARE(open.Xs, 0.0f);
    QCOMPARE(open.Zmag, Conversion::OhmCeiling);
    QCOMPARE(open.Swr, Conversion::SwrCeiling);

    // Just short of the open circuit the true values pass the ceilings.
    const PointValues nearOpen = ConvertPoint(0.0f, 0.0f, 0.0f, 20.16 + 1e-5);
    QVERIFY(nearOpen.Rho < 1.0f);
    QCOMPARE(nearOpen.Rs, Conversion::OhmCeiling);
    QCOMPARE(nearOpen.Swr, Conversion::SwrCeiling);

    // 10^(L/20) overflows a float: Rho becomes tiny, the point a perfect match.
    const PointValues huge = ConvertPoint(600.0f, 300.0f, 0.0f, 1e30);
    QCOMPARE(huge.L, 1e30f);
    QCOMPARE(huge.a, FLT_MAX);
    QVERIFY(huge.Rho > 0.0f && huge.Rho < 1e-38f);
    QVERIFY(AllFinite(huge));
    QCOMPARE(huge.Swr, 1.0f);
    QCOMPARE(huge.Rs, 50.0f);

    // 10^(L/20) underflows to 0: Rho is held at FLT_MAX, Z tends to -50 ohm.
    const PointValues tiny = ConvertPoint(600.0f, 300.0f, 0.0f, -1e30);
    QCOMPARE(tiny.a, 0.0f);
    QCOMPARE(tiny.Rho, FLT_MAX);
    QVERIFY(AllFinite(tiny));
    QCOMPARE(tiny.Swr, 1.0f);
    QVERIFY(qFuzzyCompare(tiny.Rs, 50.0f));

    // An offset beyond the float range (the offset box can give DBL_MAX).
    QCOMPARE(ConvertPoint(0.0f, 0.0f, 0.0f, DBL_MAX).L, FLT_MAX);
    QCOMPARE(ConvertPoint(0.0f, 0.0f, 0.0f, -DBL_MAX).L, -FLT_MAX);
}

void TestConversion::nonFiniteInputsCountAsZero() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const PointValues ref = ConvertPoint(0.0f, 0.0f, 0.0f, 0.0);
    for (const PointValues& v :
         {ConvertPoint(nan, 0.0f, 0.0f, 0.0), ConvertPoint(0.0f, nan, 0.0f, 0.0),
          ConvertPoint(0.0f, 0.0f, inf, 0.0), ConvertPoint(0.0f, 0.0f, 0.0f, -HUGE_VAL)}) {
        QCOMPARE(v.L, ref.L);
        QCOMPARE(v.Rs, ref.Rs);
    }
}

void TestConversion::extremeOffsetsStayFiniteAndInRange() {
    const double offsets[] = {-DBL_MAX, -1e30, -800.0, -20.16, 0.0, 20.16, 19.5, 800.0, 1e30};
    for (const double offset : offsets) {
        for (float n = 0.0f; n <= 1023.0f; n += 31.0f) {
            for (float p = 0.0f; p <= 1023.0f; p += 31.0f) {
                const PointValues v = ConvertPoint(n, p, 0.0f, offset);
                QVERIFY(AllFinite(v));
                QVERIFY(v.Swr >= 1.0f && v.Swr <= Conversion::SwrCeiling);
                QVERIFY(v.Rs >= 0.0f && v.Rs <= Conversion::OhmCeiling);
                QVERIFY(v.Xs >= 0.0f && v.Xs <= Conversion::OhmCeiling);
                QVERIFY(v.Zmag >= 0.0f && v.Zmag <= Conversion::OhmCeiling);
            }
        }
    }
}

void TestConversion::converterMatchesConvertPointBitForBit_data() {
    QTest::addColumn<float>("cal");
    QTest::addColumn<double>("offset");
    QTest::newRow("no offsets") << 0.0f << 0.0;
    QTest::newRow("reflection calibration, typed offset") << -1.5f << 2.25;
    QTest::newRow("Rho exactly 1 at n 0") << 0.0f << 20.16;
    QTest::newRow("a overflowing") << 0.0f << 1e30;
    QTest::newRow("non-finite offsets count as 0")
        << std::numeric_limits<float>::infinity() << std::numeric_limits<double>::quiet_NaN();
}

void TestConversion::converterMatchesConvertPointBitForBit() {
    QFETCH(float, cal);
    QFETCH(double, offset);
    PointConverter convert(cal, offset);
    // Every whole count of both, the table filling as it goes, then again
    // from the filled table; then counts the tables do not hold.
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < PointConverter::Counts; ++n) {
            for (int p = (n * 7) % 5; p < PointConverter::Counts; p += 5) {
                const auto nf = static_cast<float>(n);
                const auto pf = static_cast<float>(p);
                if (!SameBits(convert(nf, pf), ConvertPoint(nf, pf, cal, offset))) {
                    QFAIL(qPrintable(QStringLiteral("n %1, p %2 differ").arg(n).arg(p)));
                }
            }
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float odd[] = {-1.0f,   -0.0f, 0.5f,         511.25f,  1022.999f, 1023.5f,
                         1024.0f, 1e9f,  FLT_TRUE_MIN, -FLT_MAX, nan,       HUGE_VALF};
    for (const float n : odd) {
        for (const float p : odd) {
            QVERIFY2(SameBits(convert(n, p), ConvertPoint(n, p, cal, offset)),
                     qPrintable(QStringLiteral("n %1, p %2 differ").arg(n).arg(p)));
        }
    }
}

void TestConversion::converterServesOnlyItsOffsets() {
    const PointConverter convert(-1.5f, 2.25);
    QVERIFY(convert.serves(-1.5f, 2.25));
    QVERIFY(!convert.serves(-1.5f, 2.2500000001));
    QVERIFY(!convert.serves(-1.25f, 2.25));
    // Non-finite offsets count as 0, so they share a table with 0.
    const PointConverter zero(0.0f, std::numeric_limits<double>::infinity());
    QVERIFY(zero.serves(std::numeric_limits<float>::quiet_NaN(), 0.0));
}

void TestConversion::bestMatch_data() {
    QTest::addColumn<std::vector<float>>("magnitude");
    QTest::addColumn<int>("champ");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("point");
    QTest::addColumn<float>("count");

    // Only 1, 3, 5 are visited: index 0, the even points and those past Champ never win.
    QTest::newRow("step 2 visits 1 3 5")
        << std::vector<float>{1023, 5, 999, 20, 999, 10, 999, 1000} << 6 << 2 << 3 << 20.0f;
    std::vector<float> ties(31, 0.0f);
    ties[20] = 700.0f;
    ties[10] = 700.0f;
    QTest::newRow("first of equal maxima") << ties << 30 << 1 << 10 << 700.0f;
    QTest::newRow("all zero") << std::vector<float>(7, 0.0f) << 6 << 1 << 0 << 0.0f;
    QTest::newRow("step below 1 counts as 1")
        << std::vector<float>{0, 1, 2, 9, 4} << 4 << 0 << 3 << 9.0f;
    std::vector<float> longSweep(32769, 1.0f);
    longSweep[32767] = 2.0f;
    longSweep[32768] = 3.0f;
    QTest::newRow("counter stops at 32767") << longSweep << 32768 << 1 << 32767 << 2.0f;
    QTest::newRow("step past the counter's reach ends") << longSweep << 32767 << 32767 << 1 << 1.0f;
}

void TestConversion::bestMatch() {
    QFETCH(std::vector<float>, magnitude);
    QFETCH(int, champ);
    QFETCH(int, step);
    QFETCH(int, point);
    QFETCH(float, count);
    const BestMatchResult best =
        BestMatch(magnitude.data(), champ, static_cast<std::int16_t>(step));
    QCOMPARE(best.BestMatchPoint, point);
    QCOMPARE(best.BestMatchCount, count);
}

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
