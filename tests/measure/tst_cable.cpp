#include <QtTest>

#include <cmath>
#include <limits>
#include <string>

#include "common/display_format.h"
#include "measure/cable.h"

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

class TestCable : public QObject {
    Q_OBJECT

private slots:
    void cableLoss_data();
    void cableLoss();
    void lossTexts_data();
    void lossTexts();
    void hugeLossesStayFinite();
    void cableLength_data();
    void cableLength();
    void markerRules_data();
    void markerRules();
};

void TestCable::cableLoss_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<int>("caloffsetvalue");
    QTest::addColumn<float>("calOffsetDb");
    QTest::addColumn<float>("loss");
    QTest::addColumn<QString>("text");
    QTest::newRow("600") << 600.0f << 0 << 0.0f << 7.53f << "7.53";
    QTest::newRow("600, caloffsetvalue 20") << 600.0f << 20 << 0.0f << 6.53f << "6.53";
    QTest::newRow("343 just below zero") << 343.0f << 0 << 0.0f << -0.01295f << "-0.01";
    QTest::newRow("calibration offset") << 600.0f << 0 << -2.0f << 6.53f << "6.53";
    QTest::newRow("count 0") << 0.0f << 0 << 0.0f << -10.08f << "-10.08";
}

void TestCable::cableLoss() {
    QFETCH(float, n);
    QFETCH(int, caloffsetvalue);
    QFETCH(float, calOffsetDb);
    const float loss = CableLoss(n, static_cast<std::int16_t>(caloffsetvalue), calOffsetDb);
    QTEST(loss, "loss");
    QTEST(Q(FormatTwoDecimals(loss)), "text");
}

void TestCable::lossTexts_data() {
    QTest::addColumn<float>("n1");
    QTest::addColumn<float>("n2");
    QTest::addColumn<QString>("minText");
    QTest::addColumn<QString>("maxText");
    QTest::addColumn<QString>("avgText");
    QTest::newRow("600 and 700") << 600.0f << 700.0f << "7.53"
                                 << "10.47"
                                 << "9.";
    // Not sorted: "Min." is simply marker 1
    QTest::newRow("marker 1 higher") << 700.0f << 600.0f << "10.47"
                                     << "7.53"
                                     << "9.";
    QTest::newRow("around zero") << 343.0f << 400.0f << "-0.01"
                                 << "1.66"
                                 << "0.82";
}

void TestCable::lossTexts() {
    QFETCH(float, n1);
    QFETCH(float, n2);
    const CableLossReadout r = ComputeCableLoss(n1, n2, 0, 0.0f);
    QCOMPARE(r.MinCableLoss, CableLoss(n1, 0, 0.0f));
    QCOMPARE(r.MaxCableLoss, CableLoss(n2, 0, 0.0f));
    QTEST(Q(r.txtMinCL), "minText");
    QTEST(Q(r.txtMaxCL), "maxText");
    QTEST(Q(r.txtAvgCL), "avgText");
}

void TestCable::hugeLossesStayFinite() {
    // Counts from a damaged file, far outside 0..1023
    const CableLossReadout r = ComputeCableLoss(1e38f, 1e38f, 0, 0.0f);
    QVERIFY(std::isfinite(r.MinCableLoss));
    QVERIFY(std::isfinite(r.MaxCableLoss));
    QVERIFY(r.txtAvgCL != NoValueText);
    QCOMPARE(ParseReadout(r.txtAvgCL), ParseReadout(r.txtMinCL));
    const CableLossReadout n = ComputeCableLoss(std::numeric_limits<float>::quiet_NaN(), 600, 0, 0);
    QCOMPARE(Q(n.txtMinCL), QString::fromLatin1(NoValueText.data(), NoValueText.size()));
    QCOMPARE(Q(n.txtMaxCL), QString("7.53"));
}

void TestCable::cableLength_data() {
    QTest::addColumn<double>("bandwidth");
    QTest::addColumn<float>("vf");
    QTest::addColumn<QString>("vfText");
    QTest::addColumn<QString>("metres");
    QTest::newRow("1 MHz apart") << 1e6 << 0.66f << "0.66"
                                 << "99.00";
    QTest::newRow("2 MHz, foam") << 2e6 << 0.82f << "0.82"
                                 << "61.50";
    // 300000000 / 0.0001 / 2 x 0.66f, the float 0.66 being slightly above
    QTest::newRow("same point") << 0.0 << 0.66f << "0.66"
                                << "990000039339.07";
    QTest::newRow("no bandwidth value")
        << std::numeric_limits<double>::quiet_NaN() << 0.66f << "0.66"
        << "---";
}

void TestCable::cableLength() {
    QFETCH(double, bandwidth);
    QFETCH(float, vf);
    const CableLengthReadout r = ComputeCableLength(bandwidth, vf);
    QTEST(Q(r.lblVF), "vfText");
    QTEST(Q(r.txtMeters), "metres");
    if (bandwidth == 0.0) {
        QVERIFY(std::fabs(r.Metres - 9.9e11) < 1e6);
    }
}

void TestCable::markerRules_data() {
    QTest::addColumn<bool>("lossFrame");
    QTest::addColumn<bool>("lengthFrame");
    QTest::addColumn<bool>("mkr1");
    QTest::addColumn<bool>("mkr2");
    QTest::addColumn<bool>("newMkr1");
    QTest::addColumn<bool>("newMkr2");
    QTest::addColumn<QString>("minCaption");
    QTest::addColumn<bool>("avgMax");
    QTest::newRow("loss mode, marker 2 off")
        << true << false << true << false << true << false << "" << false;
    QTest::newRow("loss mode, marker 1 unchecked comes back")
        << true << false << false << true << true << true << "Min." << true;
    QTest::newRow("length mode forces both")
        << false << true << false << false << true << true << "Min." << true;
    QTest::newRow("other mode, both")
        << false << false << true << true << true << true << "Min." << true;
    QTest::newRow("other mode, none")
        << false << false << false << false << false << false << "" << false;
}

void TestCable::markerRules() {
    QFETCH(bool, lossFrame);
    QFETCH(bool, lengthFrame);
    QFETCH(bool, mkr1);
    QFETCH(bool, mkr2);
    const CableMarkerState s = ApplyCableMarkerRules(lossFrame, lengthFrame, mkr1, mkr2);
    QTEST(s.chkMkr1, "newMkr1");
    QTEST(s.chkMkr2, "newMkr2");
    QTEST(Q(s.lblMinCLCaption), "minCaption");
    QTEST(s.AvgMaxShown, "avgMax");
}

QTEST_GUILESS_MAIN(TestCable)
#include "tst_cable.moc"
