#include <QRandomGenerator>
#include <QtTest>

#include <cfloat>
#include <cmath>
#include <string>

#include "common/leading_number.h"

class TestLeadingNumber : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void keepsCorrectRoundingPastManyDigits();
    void hugeInputs();
    void garbageStaysFinite();
};

void TestLeadingNumber::parse_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("number then unit") << QByteArray("3dB") << 3.0;
    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("blank between digits") << QByteArray(" 1 2") << 12.0;
    QTest::newRow("second point stops") << QByteArray("1.5.3") << 1.5;
    QTest::newRow("negative fraction") << QByteArray("-.5") << -0.5;
    QTest::newRow("exponent e") << QByteArray("1e3") << 1000.0;
    QTest::newRow("exponent D") << QByteArray("1D2") << 100.0;
    QTest::newRow("exponent d negative") << QByteArray("1d-1") << 0.1;
    QTest::newRow("letter without digits") << QByteArray("1e") << 1.0;
    QTest::newRow("no number") << QByteArray("abc") << 0.0;
    QTest::newRow("tabs and line feeds anywhere") << QByteArray("\t-\n4 .\t2 5x") << -4.25;
    QTest::newRow("blanks inside exponent") << QByteArray("1 e - 2") << 0.01;
    QTest::newRow("plus sign") << QByteArray("+7") << 7.0;
    QTest::newRow("sign alone") << QByteArray("-") << 0.0;
    QTest::newRow("double sign") << QByteArray("--5") << 0.0;
    QTest::newRow("sign after digits stops") << QByteArray("1-2") << 1.0;
    QTest::newRow("comma is no decimal point") << QByteArray("1,5") << 1.0;
    QTest::newRow("point in exponent stops") << QByteArray("1e2.5") << 100.0;
    QTest::newRow("carriage return stops") << QByteArray("1\r2") << 1.0;
    QTest::newRow("no hexadecimal") << QByteArray("0x10") << 0.0;
    QTest::newRow("negative zero is zero") << QByteArray("-0.000") << 0.0;
    QTest::newRow("largest double") << QByteArray("1.7976931348623157e308") << DBL_MAX;
    QTest::newRow("rounds past largest double") << QByteArray("1.8e308") << 0.0;
    QTest::newRow("too large") << QByteArray("1e400") << 0.0;
    QTest::newRow("huge exponent") << QByteArray("1e99999999999999999999") << 0.0;
    QTest::newRow("too small") << QByteArray("1e-400") << 0.0;
    QTest::newRow("many leading fraction zeros")
        << (QByteArray("0.") + QByteArray(400, '0') + QByteArray("1e400")) << 0.1;
    QTest::newRow("many integer digits")
        << (QByteArray("1") + QByteArray(1000, '0') + QByteArray("e-1000")) << 1.0;
    QTest::newRow("many leading zeros") << (QByteArray(5000, '0') + QByteArray("42")) << 42.0;
}

void TestLeadingNumber::parse() {
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const double actual = LeadingNumber(std::string_view(text.constData(), text.size()));
    // Exact, and a zero result must not carry a minus sign into a display.
    QVERIFY2(actual == expected && std::signbit(actual) == std::signbit(expected),
             qPrintable(QString::number(actual, 'g', 17)));
}

void TestLeadingNumber::keepsCorrectRoundingPastManyDigits() {
    // 2^53 + 1 lies halfway between two doubles; a non-zero digit far beyond
    // the kept ones must still tip it upwards.
    const std::string halfway = "9007199254740993";
    QCOMPARE(LeadingNumber(halfway), 9007199254740992.0);
    const std::string above = halfway + "." + std::string(2000, '0') + "1";
    QCOMPARE(LeadingNumber(above) == 9007199254740994.0, true);
    const std::string exactlyHalf = halfway + "." + std::string(2000, '0');
    QCOMPARE(LeadingNumber(exactlyHalf) == 9007199254740992.0, true);
}

void TestLeadingNumber::hugeInputs() {
    const std::size_t tenMegabytes = 10u * 1024u * 1024u;
    QCOMPARE(LeadingNumber(std::string(tenMegabytes, ' ') + "5"), 5.0);
    QCOMPARE(LeadingNumber(std::string(tenMegabytes, '9')), 0.0);               // too large
    QCOMPARE(LeadingNumber("0." + std::string(tenMegabytes, '0') + "1"), 0.0);  // too small
    QCOMPARE(LeadingNumber("2" + std::string(tenMegabytes, '.')), 2.0);
    QCOMPARE(LeadingNumber("1e" + std::string(tenMegabytes, '9')), 0.0);
    QCOMPARE(LeadingNumber("1e-" + std::string(tenMegabytes, '9')), 0.0);
}

void TestLeadingNumber::garbageStaysFinite() {
    QRandomGenerator random(20240611);
    const char alphabet[] = "0123456789.+-eEdD \t\nx";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random.bounded(1, 40), ' ');
        for (char& c : text) {
            c = alphabet[random.bounded(static_cast<int>(sizeof alphabet - 1))];
        }
        const double value = LeadingNumber(text);
        QVERIFY2(std::isfinite(value), text.c_str());
    }
}

QTEST_GUILESS_MAIN(TestLeadingNumber)
#include "tst_leading_number.moc"
