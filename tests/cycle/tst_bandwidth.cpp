#include <QtTest>

#include <limits>
#include <string>

#include "common/display_format.h"
#include "cycle/bandwidth.h"

class TestBandwidth : public QObject {
    Q_OBJECT

private slots:
    void bandwidthAndQ_data();
    void bandwidthAndQ();
    void nonFiniteStepGivesPlaceholders();
    void minSwrMarkerX_data();
    void minSwrMarkerX();
};

void TestBandwidth::bandwidthAndQ_data() {
    QTest::addColumn<int>("mkr1");
    QTest::addColumn<int>("mkr2");
    QTest::addColumn<double>("freqStep");
    QTest::addColumn<float>("fMin");
    QTest::addColumn<double>("bandwidth");
    QTest::addColumn<QString>("bwText");
    QTest::addColumn<QString>("qText");
    QTest::newRow("100 and 200") << 100 << 200 << 1000.0 << 1e6f << 100000.0 << "100,000"
                                 << "11";
    QTest::newRow("swapped") << 200 << 100 << 1000.0 << 1e6f << 100000.0 << "100,000"
                             << "11";
    QTest::newRow("same point") << 100 << 100 << 1000.0 << 1e6f << 0.0 << "0"
                                << "11,000,000,000";
    // 1..180 MHz over 6000 points, 2 MHz apart around 14.2 MHz
    QTest::newRow("default sweep")
        << 442 << 509 << 29833.333333333332 << 1e6f << 67 * 29833.333333333332 << "1,998,833"
        << "8";
    QTest::newRow("Q rounds half away") << 1 << 3 << 1.0 << 2.0f << 2.0 << "2"
                                        << "2";
}

void TestBandwidth::bandwidthAndQ() {
    QFETCH(int, mkr1);
    QFETCH(int, mkr2);
    QFETCH(double, freqStep);
    QFETCH(float, fMin);
    QFETCH(double, bandwidth);
    const BandwidthReadout r = ComputeBandwidth(mkr1, mkr2, freqStep, fMin);
    QCOMPARE(r.Bandwidth, bandwidth);
    QTEST(QString::fromStdString(r.txtBandwidth), "bwText");
    QTEST(QString::fromStdString(r.txtQ), "qText");
}

void TestBandwidth::nonFiniteStepGivesPlaceholders() {
    const BandwidthReadout r =
        ComputeBandwidth(100, 200, std::numeric_limits<double>::quiet_NaN(), 1e6f);
    QCOMPARE(r.txtBandwidth, std::string(NoValueText));
    QCOMPARE(r.txtQ, std::string(NoValueText));
}

void TestBandwidth::minSwrMarkerX_data() {
    QTest::addColumn<float>("W");
    QTest::addColumn<float>("best");
    QTest::addColumn<int>("champ");
    QTest::addColumn<float>("x");
    QTest::newRow("1500 of 6000") << 8835.0f << 1500.0f << 6000 << 2208.75f;
    QTest::newRow("no match found") << 8835.0f << 0.0f << 6000 << 0.0f;
    QTest::newRow("last point") << 8835.0f << 6000.0f << 6000 << 8835.0f;
    // Single precision: 8835 x 1 / 7 rounds as a float does
    QTest::newRow("single precision") << 8835.0f << 1.0f << 7 << 8835.0f / 7.0f;
    QTest::newRow("Champ 0") << 8835.0f << 10.0f << 0 << 0.0f;
    QTest::newRow("overflow") << 3e38f << 1e10f << 1 << 0.0f;
}

void TestBandwidth::minSwrMarkerX() {
    QFETCH(float, W);
    QFETCH(float, best);
    QFETCH(int, champ);
    QTEST(MinSwrMarkerX(W, best, champ), "x");
}

QTEST_GUILESS_MAIN(TestBandwidth)
#include "tst_bandwidth.moc"
