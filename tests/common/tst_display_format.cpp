#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "common/display_format.h"

namespace {
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

class TestDisplayFormat : public QObject {
    Q_OBJECT

private slots:
    // The program runs in the user's locale (Qt sets it at start-up); a
    // decimal comma there must never reach a readout or a file.
    void ignoresADecimalCommaLocale() {
        const std::string saved = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
            QSKIP("no de_DE locale on this machine");
        }
        const QString floatText = Q(FloatText(11500000.0f));
        const QString plain = Q(FloatText(1500000.5f));
        const QString twoDecimals = Q(FormatTwoDecimals(12.345));
        const QString thousands = Q(FormatThousands(14200000.0));
        const QString fixed = Q(FormatFixed(99.0));
        const double parsed = ParseReadout("14,200,000.5");
        std::setlocale(LC_ALL, saved.c_str());
        QCOMPARE(floatText, QStringLiteral("1.15E+07"));
        QCOMPARE(plain, QStringLiteral("1500000"));
        QCOMPARE(twoDecimals, QStringLiteral("12.35"));
        QCOMPARE(thousands, QStringLiteral("14,200,000"));
        QCOMPARE(fixed, QStringLiteral("99.00"));
        QCOMPARE(parsed, 14200000.5);
    }

    void twoDecimals_data();
    void twoDecimals();
    void thousands_data();
    void thousands();
    void fixed_data();
    void fixed();
    void nonFiniteGivesPlaceholder_data();
    void nonFiniteGivesPlaceholder();
    void parse_data();
    void parse();
    void formatsReadBack_data();
    void formatsReadBack();
};

void TestDisplayFormat::twoDecimals_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole keeps point") << 12.0 << "12.";
    QTest::newRow("one decimal") << 1.5 << "1.5";
    QTest::newRow("rounded down") << 0.123 << "0.12";
    QTest::newRow("negative rounded away") << -3.456 << "-3.46";
    QTest::newRow("zero") << 0.0 << "0.";
    QTest::newRow("small positive") << 0.004 << "0.";
    QTest::newRow("small negative loses sign") << -0.004 << "0.";
    QTest::newRow("half up") << 0.005 << "0.01";
    QTest::newRow("exact binary half away") << 0.125 << "0.13";
    QTest::newRow("decimal half just below in binary") << 2.675 << "2.68";
    QTest::newRow("carry into new digit") << 999.995 << "1000.";
    QTest::newRow("no grouping") << 1234567.891 << "1234567.89";
    QTest::newRow("large whole") << 1e20 << "100000000000000000000.";
    QTest::newRow("cable loss float") << static_cast<double>(7.53f) << "7.53";
}

void TestDisplayFormat::twoDecimals() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Q(FormatTwoDecimals(value)), text);
}

void TestDisplayFormat::thousands_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("frequency") << 14200000.0 << "14,200,000";
    QTest::newRow("eleven billion") << 11000000000.0 << "11,000,000,000";
    QTest::newRow("negative") << -1234.0 << "-1,234";
    QTest::newRow("four digits") << 1000.0 << "1,000";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("small negative loses sign") << -0.4 << "0";
    QTest::newRow("half away from zero") << 0.5 << "1";
    QTest::newRow("negative half") << -2.5 << "-3";
    QTest::newRow("Q just below half") << 11.4999999885 << "11";
    QTest::newRow("huge") << 1e21 << "1,000,000,000,000,000,000,000";
}

void TestDisplayFormat::thousands() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Q(FormatThousands(value)), text);
}

void TestDisplayFormat::fixed_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 99.0 << "99.00";
    QTest::newRow("one decimal") << 1234.5 << "1234.50";
    QTest::newRow("large") << 9.9e11 << "990000000000.00";
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("small negative loses sign") << -0.001 << "0.00";
    QTest::newRow("negative") << -2.345 << "-2.35";
    QTest::newRow("carry") << 9.995 << "10.00";
}

void TestDisplayFormat::fixed() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Q(FormatFixed(value)), text);
}

void TestDisplayFormat::nonFiniteGivesPlaceholder_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("NaN") << NaN;
    QTest::newRow("+inf") << Inf;
    QTest::newRow("-inf") << -Inf;
}

void TestDisplayFormat::nonFiniteGivesPlaceholder() {
    QFETCH(double, value);
    const std::string none(NoValueText);
    QCOMPARE(FormatTwoDecimals(value), none);
    QCOMPARE(FormatThousands(value), none);
    QCOMPARE(FormatFixed(value), none);
}

void TestDisplayFormat::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("grouped") << "14,200,000" << 14200000.0;
    QTest::newRow("trailing point") << "12." << 12.0;
    QTest::newRow("frequency guard") << "0.0001" << 0.0001;
    QTest::newRow("exponent") << "1.1E+10" << 1.1e10;
    QTest::newRow("negative exponent") << "6.6E-06" << 6.6e-6;
    QTest::newRow("negative grouped") << "-1,234" << -1234.0;
    QTest::newRow("placeholder") << QString::fromLatin1(NoValueText.data(), NoValueText.size())
                                 << 0.0;
    QTest::newRow("NaN text") << "NaN" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("leading comma is no digit") << ",5" << 0.0;
    QTest::newRow("E without digits stops") << "2E" << 2.0;
    QTest::newRow("beyond double") << "1E+400" << 0.0;
    QTest::newRow("negative zero is zero") << "-0." << 0.0;
}

void TestDisplayFormat::parse() {
    QFETCH(QString, text);
    QFETCH(double, value);
    const double got = ParseReadout(text.toStdString());
    QCOMPARE(got, value);
    QVERIFY(!std::signbit(got) || got != 0.0);
}

// Every text a format writes reads back to the value within half its last
// digit, and formatting that again gives the same text.
void TestDisplayFormat::formatsReadBack_data() {
    QTest::addColumn<double>("value");
    for (const double v : {0.0, -1.0, 0.015, -42.424242, 1234567.891, 9.87654e14, 651.5949}) {
        QTest::newRow(QByteArray::number(v, 'g', 17).constData()) << v;
    }
}

void TestDisplayFormat::formatsReadBack() {
    QFETCH(double, value);
    const double tolerance = std::fabs(value) * 1e-14;
    const std::string two = FormatTwoDecimals(value);
    QVERIFY2(std::fabs(ParseReadout(two) - value) <= 0.005 + tolerance, two.c_str());
    QCOMPARE(FormatTwoDecimals(ParseReadout(two)), two);
    const std::string grouped = FormatThousands(value);
    QVERIFY2(std::fabs(ParseReadout(grouped) - value) <= 0.5 + tolerance, grouped.c_str());
    QCOMPARE(FormatThousands(ParseReadout(grouped)), grouped);
    const std::string fixed = FormatFixed(value);
    QVERIFY2(std::fabs(ParseReadout(fixed) - value) <= 0.005 + tolerance, fixed.c_str());
}

QTEST_GUILESS_MAIN(TestDisplayFormat)
#include "tst_display_format.moc"
