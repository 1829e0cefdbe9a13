#include <QtTest>

#include <cmath>
#include <limits>
#include <vector>

#include "files/csv_file.h"

namespace {

const QByteArray ReflectionHeader = "\"Frequency(Hz)\",\"Return Loss(dB)\",\"Phase(deg)\"\r\n";

struct Sweep {
    std::vector<float> magnitude;
    std::vector<float> phase;
    CsvInput input;

    Sweep(std::int32_t champ, float fmin, float fmax)
        : magnitude(static_cast<std::size_t>(champ) + 1, 0.0f),
          phase(static_cast<std::size_t>(champ) + 1, 0.0f) {
        input.MagnitudeSamples = magnitude;
        input.PhaseSamples = phase;
        input.Champ = champ;
        input.FMin = fmin;
        input.FMax = fmax;
    }
};

QList<QByteArray> Lines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

}  // namespace

class TestCsvFile : public QObject {
    Q_OBJECT

private slots:
    void exampleSweepByteForByte();
    void transmissionChangesOnlyTheTitle();
    void pointValues_data();
    void pointValues();
    void decimalHalves_data();
    void decimalHalves();
    void frequencies_data();
    void frequencies();
    void moreThan32767Points();
    void refusals();
};

void TestCsvFile::exampleSweepByteForByte() {
    Sweep sweep(500, 1500000.0f, 2500000.0f);
    sweep.magnitude[1] = 600.0f;
    sweep.phase[1] = 512.0f;
    const CsvResult result = CsvText(sweep.input);
    QVERIFY2(result.text.has_value(), qPrintable(result.error));

    QByteArray expected = ReflectionHeader + "1502000,15.06,90.11\r\n";
    for (int i = 2; i <= 500; ++i) {
        expected += QByteArray::number(1500000 + 2000 * i) + ",-20.16,0\r\n";
    }
    expected += "1500000,2500000\r\n";
    QCOMPARE(*result.text, expected);
}

void TestCsvFile::transmissionChangesOnlyTheTitle() {
    Sweep sweep(3, 14000000.0f, 14350000.0f);
    const float counts[4][2] = {{0, 0}, {600, 300}, {410, 100}, {1023, 512}};
    for (std::size_t i = 0; i < 4; ++i) {
        sweep.magnitude[i] = counts[i][0];
        sweep.phase[i] = counts[i][1];
    }
    const QByteArray reflection = *CsvText(sweep.input).text;
    sweep.input.TransmissionMode = 1.0f;
    const QByteArray transmission = *CsvText(sweep.input).text;

    QCOMPARE(Lines(transmission).first(),
             QByteArray("\"Frequency(Hz)\",\"Transmission Loss(dB)\",\"Phase(deg)\"\r"));
    QCOMPARE(transmission.mid(transmission.indexOf('\n')),
             reflection.mid(reflection.indexOf('\n')));
    QCOMPARE(Lines(transmission).last(), QByteArray("1.4E+07,1.435E+07\r"));
}

void TestCsvFile::pointValues_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<float>("p");
    QTest::addColumn<int>("caloffsetvalue");
    QTest::addColumn<float>("CalOffsetDb");
    QTest::addColumn<double>("LossOffset");
    QTest::addColumn<QByteArray>("expected");  // loss,phase

    QTest::newRow("example point")
        << 600.f << 512.f << 0 << 0.f << 0.0 << QByteArray("15.06,90.11");
    QTest::newRow("no trailing zeros")
        << 400.f << 100.f << 0 << 0.f << 0.0 << QByteArray("3.32,17.6");
    QTest::newRow("leading zero") << 344.f << 1.f << 0 << 0.f << 0.0 << QByteArray("0.03,0.18");
    QTest::newRow("small negative") << 343.f << 0.f << 0 << 0.f << 0.016 << QByteArray("-0.01,0");
    QTest::newRow("no negative zero") << 343.f << 0.f << 0 << 0.f << 0.0219 << QByteArray("0,0");
    QTest::newRow("all offsets") << 600.f << 0.f << 5 << -1.5f << 2.25 << QByteArray("15.31,0");
    // 50 x 0.0587 - 20.16 = -17.225: a decimal half from the counts alone.
    QTest::newRow("half from counts") << 50.f << 0.f << 0 << 0.f << 0.0 << QByteArray("-17.22,0");
    QTest::newRow("half with setting") << 50.f << 0.f << 3 << 0.f << 0.0 << QByteArray("-17.52,0");
    // 0.3f lies 1.2e-8 above 0.3: -16.915 must stay a half, not drop to -16.91.
    QTest::newRow("half with float offset")
        << 50.f << 0.f << 0 << 0.3f << 0.01 << QByteArray("-16.92,0");
    QTest::newRow("half 0.125") << 0.f << 0.f << 0 << 0.f << 20.285 << QByteArray("0.12,0");
    QTest::newRow("half 0.165") << 0.f << 0.f << 0 << 0.f << 20.325 << QByteArray("0.16,0");
    QTest::newRow("half 2.675") << 0.f << 0.f << 0 << 0.f << 22.835 << QByteArray("2.68,0");
    QTest::newRow("half -0.015") << 0.f << 0.f << 0 << 0.f << 20.145 << QByteArray("-0.02,0");
    QTest::newRow("huge offset in full")
        << 0.f << 0.f << 0 << 0.f << 1e20 << QByteArray("100000000000000000000,0");
}

void TestCsvFile::pointValues() {
    QFETCH(float, n);
    QFETCH(float, p);
    QFETCH(int, caloffsetvalue);
    QFETCH(float, CalOffsetDb);
    QFETCH(double, LossOffset);
    QFETCH(QByteArray, expected);

    Sweep sweep(1, 0.0f, 1000.0f);
    sweep.magnitude[1] = n;
    sweep.phase[1] = p;
    sweep.input.caloffsetvalue = static_cast<std::int16_t>(caloffsetvalue);
    sweep.input.CalOffsetDb = CalOffsetDb;
    sweep.input.LossOffset = LossOffset;
    const CsvResult result = CsvText(sweep.input);
    QVERIFY2(result.text.has_value(), qPrintable(result.error));
    QCOMPARE(Lines(*result.text).at(1), "1000," + expected + "\r");
}

void TestCsvFile::decimalHalves_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1.005 stored below the half") << 1.005 << 2 << 1.005 << "1";
    QTest::newRow("carry adds a digit") << 99.995 << 2 << 99.995 << "100";
    QTest::newRow("1.5 to even") << 1.5 << 0 << 1.5 << "2";
    QTest::newRow("cancelled large terms") << (20.285 - 20.16) << 2 << 20.285 << "0.12";
    QTest::newRow("beyond trusted digits")
        << 123456789012345.67 << 2 << 1.0 << "123456789012345.67";
}

void TestCsvFile::decimalHalves() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, scale);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(DecimalHalfEvenText(value, decimals, scale)), expected);
}

void TestCsvFile::frequencies_data() {
    QTest::addColumn<float>("FMin");
    QTest::addColumn<float>("FMax");
    QTest::addColumn<int>("Champ");
    QTest::addColumn<int>("i");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first point") << 1500000.f << 2500000.f << 500 << 1 << "1502000";
    QTest::newRow("last point is FMax") << 1000000.f << 180000000.f << 6000 << 6000 << "180000000";
    QTest::newRow("half down to even") << 1000000.f << 1000005.f << 2 << 1 << "1000002";
    // The double step gives 7.4999999999999991 and 10.500000000000002 here.
    QTest::newRow("exact half the step misses") << 0.f << 15.f << 22 << 11 << "8";
    QTest::newRow("exact half the step overshoots") << 0.f << 21.f << 38 << 19 << "10";
    // 500000.5000005: half a micro-hertz past the half, which 14 digits would miss.
    QTest::newRow("near half, not a half") << 0.f << 1e8f << 999999 << 5000 << "500001";
    QTest::newRow("limits with fractions") << 0.5f << 2.5f << 1 << 1 << "2";
    // Above 2^30 the double form decides; halves still go to even.
    QTest::newRow("large limits, half down")
        << 2147483648.f << 2147484160.f << 1024 << 1 << "2147483648";
    QTest::newRow("no step guards itself") << 0.f << 1.f << 0 << 1 << "0";
}

void TestCsvFile::frequencies() {
    QFETCH(float, FMin);
    QFETCH(float, FMax);
    QFETCH(int, Champ);
    QFETCH(int, i);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(SweepFrequencyText(FMin, FMax, Champ, i)), expected);
}

void TestCsvFile::moreThan32767Points() {
    const std::int32_t champ = 40000;
    const Sweep sweep(champ, 1000000.0f, 41000000.0f);
    const CsvResult result = CsvText(sweep.input);
    QVERIFY(result.text.has_value());
    const QList<QByteArray> lines = Lines(*result.text);
    QCOMPARE(lines.size(), champ + 2);
    QCOMPARE(lines.at(32768), QByteArray("33768000,-20.16,0\r"));
    QCOMPARE(lines.at(champ), QByteArray("41000000,-20.16,0\r"));
}

void TestCsvFile::refusals() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Sweep sweep(4, 1e6f, 2e6f);
    const auto refused = [&sweep] {
        const CsvResult result = CsvText(sweep.input);
        return !result.text.has_value() && !result.error.isEmpty();
    };
    sweep.input.Champ = 0;
    QVERIFY(refused());
    sweep.input.Champ = 5;  // more than the arrays hold
    QVERIFY(refused());
    sweep.input.Champ = 4;
    sweep.input.FMax = std::numeric_limits<float>::infinity();
    QVERIFY(refused());
    sweep.input.FMax = 2e6f;
    sweep.input.CalOffsetDb = nan;
    QVERIFY(refused());
    sweep.input.CalOffsetDb = 0.0f;
    sweep.magnitude[2] = nan;
    QVERIFY(refused());
    sweep.magnitude[2] = 0.0f;
    QVERIFY(!refused());
}

QTEST_GUILESS_MAIN(TestCsvFile)
#include "tst_csv_file.moc"
