// The band plan compiled in from src/range/iaru_bands.txt, its strict reader,
// and the spans the graph shades.
#include <QtTest>

#include <string>

#include "range/band_plan.h"

namespace {

std::vector<AmateurBand> Bands(const char* text) {
    return ParseBandPlan(text).bands;
}

// "low-high name|..." in Hz, for comparing spans at a glance.
QString SpansText(const std::vector<BandSpan>& spans) {
    QStringList parts;
    for (const BandSpan& s : spans) {
        parts << QStringLiteral("%1-%2 %3")
                     .arg(s.lowHz, 0, 'f', 0)
                     .arg(s.highHz, 0, 'f', 0)
                     .arg(QString::fromStdString(s.name));
    }
    return parts.join(QLatin1Char('|'));
}

}  // namespace

class BandPlanTest : public QObject {
    Q_OBJECT

private slots:
    void builtInPlanHoldsEachRegionsBands_data() {
        QTest::addColumn<int>("region");
        QTest::addColumn<double>("top40mHz");
        QTest::addColumn<double>("top80mHz");
        QTest::addColumn<double>("low160mHz");
        QTest::addColumn<double>("top2mHz");
        QTest::newRow("region 1") << 1 << 7.2e6 << 3.8e6 << 1.81e6 << 146e6;
        QTest::newRow("region 2") << 2 << 7.3e6 << 4.0e6 << 1.8e6 << 148e6;
        QTest::newRow("region 3") << 3 << 7.2e6 << 3.9e6 << 1.8e6 << 148e6;
    }
    void builtInPlanHoldsEachRegionsBands() {
        QFETCH(int, region);
        QFETCH(double, top40mHz);
        QFETCH(double, top80mHz);
        QFETCH(double, low160mHz);
        QFETCH(double, top2mHz);

        const BandPlanParse parse = ParseBandPlan(BuiltInBandPlanText());
        QVERIFY2(parse.error.empty(), qPrintable(QStringLiteral("line %1: %2")
                                                     .arg(parse.errorLine)
                                                     .arg(QString::fromStdString(parse.error))));

        const std::vector<AmateurBand> bands = BuiltInBands(region);
        QStringList names;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            const AmateurBand& b = bands[i];
            names << QString::fromStdString(b.name);
            QCOMPARE(b.region, region);
            QVERIFY2(b.lowHz >= 1.8e6 && b.highHz <= 148e6, b.name.c_str());
            QVERIFY2(b.lowHz < b.highHz, b.name.c_str());
            if (i > 0) {
                QVERIFY2(bands[i - 1].highHz <= b.lowHz, b.name.c_str());  // sorted, apart
            }
        }
        QCOMPARE(names.join(QLatin1Char(' ')),
                 QStringLiteral("160m 80m 60m 40m 30m 20m 17m 15m 12m 10m 6m 2m"));
        // The edges that differ between the regions, and the 60 m channel.
        QCOMPARE(bands[0].lowHz, low160mHz);
        QCOMPARE(bands[1].highHz, top80mHz);
        QCOMPARE(bands[2].lowHz, 5351500.0);
        QCOMPARE(bands[2].highHz, 5366500.0);
        QCOMPARE(bands[3].highHz, top40mHz);
        QCOMPARE(bands[11].highHz, top2mHz);
    }

    void noBandsWhenTheShadingIsOff() {
        QVERIFY(BuiltInBands(0).empty());
        QVERIFY(BuiltInBands(4).empty());
    }

    void strictReaderNamesTheFaultyLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("bands");
        QTest::addColumn<int>("errorLine");
        QTest::newRow("comments, blanks, CRLF, tabs")
            << QByteArray("# plan\r\n\r\n  # indented\n1\t40m 7 7.2\r\n2 20m 14.000 14.350") << 2
            << 0;
        QTest::newRow("empty") << QByteArray("") << 0 << 0;
        QTest::newRow("region 0") << QByteArray("1 a 1 2\n0 40m 7 7.2\n") << 0 << 2;
        QTest::newRow("region 12") << QByteArray("12 40m 7 7.2\n") << 0 << 1;
        QTest::newRow("three words") << QByteArray("\n1 40m 7\n") << 0 << 2;
        QTest::newRow("trailing comment") << QByteArray("1 40m 7 7.2 # no\n") << 0 << 1;
        QTest::newRow("comma decimal") << QByteArray("1 40m 7,0 7.2\n") << 0 << 1;
        QTest::newRow("exponent") << QByteArray("1 40m 7e0 7.2\n") << 0 << 1;
        QTest::newRow("not finite") << QByteArray("1 40m 7 inf\n") << 0 << 1;
        QTest::newRow("low equals high") << QByteArray("1 40m 7.2 7.2\n") << 0 << 1;
        QTest::newRow("low above high") << QByteArray("1 40m 7.3 7.2\n") << 0 << 1;
        QTest::newRow("low 0") << QByteArray("1 x 0 7.2\n") << 0 << 1;
        QTest::newRow("overlap in a region")
            << QByteArray("1 40m 7 7.2\n2 40m 7 7.3\n1 x 7.1999 7.5\n") << 0 << 3;
        QTest::newRow("touching is no overlap") << QByteArray("1 a 7 7.2\n1 b 7.2 7.3\n") << 2 << 0;
    }
    void strictReaderNamesTheFaultyLine() {
        QFETCH(QByteArray, text);
        QFETCH(int, bands);
        QFETCH(int, errorLine);
        const BandPlanParse parse = ParseBandPlan(std::string_view(text.constData(), text.size()));
        QCOMPARE(static_cast<int>(parse.bands.size()), bands);
        QCOMPARE(parse.errorLine, errorLine);
        QCOMPARE(parse.error.empty(), errorLine == 0);
    }

    void spansAreClippedToTheRange_data() {
        QTest::addColumn<double>("fMin");
        QTest::addColumn<double>("fMax");
        QTest::addColumn<QString>("spans");
        QTest::newRow("clipped at both ends") << 7.1e6 << 14.2e6
                                              << "7100000-7200000 40m|10100000-10150000 30m|"
                                                 "14000000-14200000 20m";
        QTest::newRow("inside one band") << 7.05e6 << 7.15e6 << "7050000-7150000 40m";
        QTest::newRow("whole bands") << 6e6 << 11e6 << "7000000-7200000 40m|10100000-10150000 30m";
        QTest::newRow("none in range") << 7.3e6 << 10e6 << "";
        QTest::newRow("touching an edge only") << 7.2e6 << 10.1e6 << "";
        QTest::newRow("fMin above fMax") << 14.2e6 << 7.1e6 << "";
        QTest::newRow("empty range in a band") << 7.1e6 << 7.1e6 << "";
        QTest::newRow("not finite") << qQNaN() << 14.2e6 << "";
    }
    void spansAreClippedToTheRange() {
        QFETCH(double, fMin);
        QFETCH(double, fMax);
        QFETCH(QString, spans);
        // Out of order on purpose: the spans come lowest first all the same.
        const std::vector<AmateurBand> bands =
            Bands("1 20m 14 14.35\n1 40m 7 7.2\n1 30m 10.1 10.15\n");
        QCOMPARE(SpansText(BandSpansIn(bands, fMin, fMax)), spans);
    }
};

QTEST_MAIN(BandPlanTest)
#include "tst_band_plan.moc"
