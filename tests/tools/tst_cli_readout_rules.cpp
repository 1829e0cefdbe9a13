// The readouts zezizav-cli gives of a saved sweep: the window's readout rows,
// the defaults and snapping of the markers, the mode and offsets, the JSON,
// and the files refused.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <bit>
#include <cmath>
#include <limits>

#include "cli_args.h"
#include "cli_readout.h"
#include "files/vec_file.h"

namespace {

// A sweep of champ points, every point at magnitude / phase counts.
SweepBuffers Flat(std::int32_t champ, float magnitude, float phase) {
    SweepBuffers b;
    b.resize(champ);
    for (std::int32_t i = 1; i <= champ; ++i) {
        b.MagnitudeSamples[static_cast<std::size_t>(i)] = magnitude;
        b.PhaseSamples[static_cast<std::size_t>(i)] = phase;
    }
    return b;
}

CliReadout Readout(const SweepBuffers& b, float FMin, float FMax, const ReadoutArguments& a,
                   const Settings& settings = {}) {
    const CliReadoutResult r =
        ComputeCliReadout(QStringLiteral("t.vec"), VecFileBytes(b, FMin, FMax), a, settings);
    if (!r.readout) {
        qWarning("%s", qPrintable(r.error));
        return {};
    }
    return *r.readout;
}

}  // namespace

class TestCliReadoutRules : public QObject {
    Q_OBJECT

private slots:
    // Marker 1 at point 250 of 14.1..14.3 MHz over 500 points reads at
    // 14,200,000 Hz: the window's readout rows for these counts.
    void readoutRow_data() {
        QTest::addColumn<float>("magnitude");
        QTest::addColumn<float>("phase");
        QTest::addColumn<QStringList>("texts");  // loss phase xs rs swr z uh pf
        QTest::newRow("600 / 300")
            << 600.0f << 300.0f
            << QStringList{"15.06", "52.8", "17.21", "59.25", "1.43", "61.7", "0.19", "651.59"};
        QTest::newRow("400 / 100")
            << 400.0f << 100.0f
            << QStringList{"3.32", "17.6", "125.2", "162.21", "5.28", "204.91", "1.4", "89.57"};
        QTest::newRow("1023 / 512")
            << 1023.0f << 512.0f
            << QStringList{"39.89", "90.11", "1.02", "49.99", "1.02", "50.", "0.01", "10993.9"};
        QTest::newRow("700 / 1000")
            << 700.0f << 1000.0f
            << QStringList{"20.93", "176.", "0.55", "41.77", "1.2", "41.77", "0.01", "20388.69"};
    }
    void readoutRow() {
        QFETCH(float, magnitude);
        QFETCH(float, phase);
        QFETCH(QStringList, texts);
        SweepBuffers b = Flat(500, 300.0f, 50.0f);
        b.MagnitudeSamples[250] = magnitude;
        b.PhaseSamples[250] = phase;
        ReadoutArguments a;
        a.marker1 = 250;
        const CliReadout r = Readout(b, 14.1e6f, 14.3e6f, a);
        const CliMarkerTexts& m = r.markers[0];
        QCOMPARE(m.index, 250);
        QCOMPARE(m.frequency, QStringLiteral("14,200,000"));
        const QStringList got{m.loss, m.phase, m.xs, m.rs, m.swr, m.z, m.uh, m.pf};
        QCOMPARE(got, texts);
    }

    // 1.5..2.5 MHz over 500 points, 600 / 300 everywhere but a better match
    // at point 400; markers where the window starts them.
    void readoutDefaults() {
        SweepBuffers b = Flat(500, 600.0f, 300.0f);
        b.MagnitudeSamples[400] = 1000.0f;
        const CliReadout r = Readout(b, 1.5e6f, 2.5e6f, {});
        QCOMPARE(r.points, 500);
        QCOMPARE(r.FMin, 1.5e6f);
        QCOMPARE(r.FMax, 2.5e6f);
        // 500 / 8835 x 2160 = 122.2, x 6480 = 366.7
        QCOMPARE(r.markers[0].index, 122);
        QCOMPARE(r.markers[1].index, 367);
        QCOMPARE(r.markers[2].index, 400);
        QCOMPARE(r.markers[0].frequency, QStringLiteral("1,744,000"));
        QCOMPARE(r.markers[1].frequency, QStringLiteral("2,234,000"));
        QCOMPARE(r.markers[2].frequency, QStringLiteral("2,300,000"));
        for (const CliMarkerTexts& m : {r.markers[0], r.markers[1]}) {
            const QStringList got{m.loss, m.phase, m.xs, m.rs, m.swr, m.z};
            QCOMPARE(got, (QStringList{"15.06", "52.8", "17.21", "59.25", "1.43", "61.7"}));
        }
        QCOMPARE(r.markers[2].loss, QStringLiteral("38.54"));  // 1000 x 0.0587 - 20.16
        // 490 kHz apart around 1.989 MHz; 3E8 / 490000 / 2 x 0.66 m.
        QCOMPARE(r.bandwidth, QStringLiteral("490,000"));
        QCOMPARE(r.q, QStringLiteral("4"));
        QCOMPARE(r.cableLossMin, QStringLiteral("7.53"));
        QCOMPARE(r.cableLossAvg, QStringLiteral("7.53"));
        QCOMPARE(r.cableLossMax, QStringLiteral("7.53"));
        QCOMPARE(r.cableLengthMetres, QStringLiteral("202.04"));
    }

    void readoutMarkerSnap_data() {
        QTest::addColumn<int>("champ");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("point");  // 0: the default position
        QTest::addColumn<int>("index");
        QTest::newRow("on a point") << 500 << 1 << 250 << 250;
        QTest::newRow("first point") << 500 << 1 << 1 << 1;
        QTest::newRow("last point") << 500 << 1 << 500 << 500;
        QTest::newRow("step 7") << 6000 << 7 << 3000 << 3003;
        QTest::newRow("step 7 at point 1") << 500 << 7 << 1 << 7;
        QTest::newRow("step 7, last point") << 500 << 7 << 500 << 497;
        QTest::newRow("default, step 7") << 500 << 7 << 0 << 119;
        QTest::newRow("default, 6000 points") << 6000 << 1 << 0 << 1467;
        QTest::newRow("default, one point") << 1 << 1 << 0 << 1;
    }
    void readoutMarkerSnap() {
        QFETCH(int, champ);
        QFETCH(int, step);
        QFETCH(int, point);
        ReadoutArguments a;
        if (point > 0) {
            a.marker1 = point;
        }
        Settings settings;
        settings.Step = static_cast<std::int16_t>(step);
        const CliReadout r = Readout(Flat(champ, 500.0f, 100.0f), 1e6f, 2e6f, a, settings);
        QTEST(int(r.markers[0].index), "index");
        if (point > 0) {
            QTEST(int(MarkerIndexAtPoint(point, champ, settings.Step)), "index");
        }
    }

    // Transmission takes caloffsettx, reflection caloffsetrx; the loss offset
    // is the leading number of its text.
    void readoutModeAndOffsets_data() {
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("lossOffset");
        QTest::addColumn<QString>("loss");
        QTest::newRow("reflection") << false << ""
                                    << "16.06";
        QTest::newRow("transmission") << true << ""
                                      << "17.06";
        QTest::newRow("offset text") << false << "1.5 dB"
                                     << "17.56";
        QTest::newRow("offset without number") << true << "abc"
                                               << "17.06";
    }
    void readoutModeAndOffsets() {
        QFETCH(bool, transmission);
        QFETCH(QString, lossOffset);
        Settings settings;
        settings.caloffsetrx = 10;
        settings.caloffsettx = 20;
        ReadoutArguments a;
        a.transmission = transmission;
        a.lossOffset = lossOffset;
        const CliReadout r = Readout(Flat(500, 600.0f, 300.0f), 1.5e6f, 2.5e6f, a, settings);
        QCOMPARE(r.transmission, transmission);
        for (const CliMarkerTexts& m : r.markers) {
            QTEST(m.loss, "loss");
        }

        const QJsonObject json = QJsonDocument::fromJson(CliReadoutJson(r)).object();
        QCOMPARE(json.value("transmission").toBool(), transmission);
        const QJsonObject markers = json.value("markers").toObject();
        QCOMPARE(markers.keys(), (QStringList{"1", "2", "3"}));
        QStringList keys1{"frequency", "index", "loss", "phase"};
        QStringList keys3 = keys1;
        if (!transmission) {
            keys1 = QStringList{"frequency", "index", "loss", "pf", "phase",
                                "rs",        "swr",   "uh",   "xs", "z"};
            keys3 = QStringList{"frequency", "index", "loss", "phase", "rs", "swr", "xs", "z"};
        }
        // Each text has its number beside it.
        for (QStringList* keys : {&keys1, &keys3}) {
            for (const QString& key : QStringList(*keys)) {
                if (key != QLatin1String("index")) {
                    *keys << key + QStringLiteral("_value");
                }
            }
            keys->sort();
        }
        QCOMPARE(markers.value("1").toObject().keys(), keys1);
        QCOMPARE(markers.value("2").toObject().keys(), keys1);
        QCOMPARE(markers.value("3").toObject().keys(), keys3);
        QCOMPARE(markers.value("2").toObject().value("loss").toString(), r.markers[1].loss);
        QCOMPARE(markers.value("3").toObject().value("index").toInt(), r.markers[2].index);

        const QString table = CliReadoutTable(r);
        QCOMPARE(table.contains(QStringLiteral("SWR:")), !transmission);
        QVERIFY(table.contains(r.markers[0].loss));
    }

    void readoutJson() {
        SweepBuffers b = Flat(500, 650.0f, 300.0f);
        b.MagnitudeSamples[250] = 400.0f;
        b.PhaseSamples[250] = 100.0f;
        ReadoutArguments a;
        a.marker2 = 250;
        const CliReadout r = Readout(b, 14.1e6f, 14.3e6f, a);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(CliReadoutJson(r), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject o = doc.object();
        QCOMPARE(o.value("points").toInt(), 500);
        QCOMPARE(o.value("fmin_hz").toDouble(), 14.1e6);
        QCOMPARE(o.value("fmax_hz").toDouble(), 14.3e6);
        const QJsonObject m2 = o.value("markers").toObject().value("2").toObject();
        QCOMPARE(m2.value("index").toInt(), 250);
        QCOMPARE(m2.value("frequency").toString(), QStringLiteral("14,200,000"));
        QCOMPARE(m2.value("z").toString(), QStringLiteral("204.91"));
        QCOMPARE(m2.value("uh").toString(), QStringLiteral("1.4"));
        QCOMPARE(m2.value("pf").toString(), QStringLiteral("89.57"));
        QCOMPARE(o.value("bandwidth").toString(), r.bandwidth);
        QCOMPARE(o.value("q").toString(), r.q);
        const QJsonObject cable = o.value("cable_loss").toObject();
        // (n x 0.0587 - 20.16) / 2: 8.9975 at marker 1 (650), 1.66 at marker 2.
        QCOMPARE(cable.value("min").toString(), QStringLiteral("9."));
        QCOMPARE(cable.value("max").toString(), QStringLiteral("1.66"));
        QCOMPARE(cable.value("avg").toString(), QStringLiteral("5.33"));
        QCOMPARE(o.value("cable_length_m").toString(), r.cableLengthMetres);
    }

    // Beside every text NAME, NAME_value holds the number the text shows,
    // its grouping commas gone, or null when it shows none. Marker 1 here
    // stands on an open circuit at zero phase, whose reactance has no value.
    void readoutJsonValues() {
        SweepBuffers b = Flat(500, 650.0f, 300.0f);
        b.MagnitudeSamples[250] = 400.0f;
        b.PhaseSamples[250] = 100.0f;
        b.MagnitudeSamples[120] = 600.0f;  // 15.06 dB, less the offset: 0.
        b.PhaseSamples[120] = 0.0f;
        ReadoutArguments a;
        a.marker1 = 120;
        a.marker2 = 250;
        a.lossOffset = QStringLiteral("-15.06");
        const QJsonObject o =
            QJsonDocument::fromJson(CliReadoutJson(Readout(b, 14.1e6f, 14.3e6f, a))).object();
        const QJsonObject m2 = o.value("markers").toObject().value("2").toObject();
        QCOMPARE(m2.value("frequency_value").toDouble(), 14200000.0);  // "14,200,000"
        QCOMPARE(o.value("cable_loss").toObject().value("max_value").toDouble(), 1.66);

        // Every text of the object, however deep, against its number.
        int nulls = 0;
        std::function<void(const QJsonObject&)> check = [&](const QJsonObject& object) {
            for (const QString& key : object.keys()) {
                const QJsonValue text = object.value(key);
                if (text.isObject()) {
                    check(text.toObject());
                } else if (text.isString()) {
                    bool ok = false;
                    const double shown = text.toString().remove(QLatin1Char(',')).toDouble(&ok);
                    const QJsonValue value = object.value(key + QStringLiteral("_value"));
                    QVERIFY2(ok ? value.toDouble() == shown : value.isNull(), qPrintable(key));
                    nulls += value.isNull();
                }
            }
        };
        check(o);
        QVERIFY(nulls > 0);
    }

    void readoutRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("marker1");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("mentions");
        const QByteArray good = VecFileBytes(Flat(500, 600.0f, 300.0f), 1e6f, 2e6f);
        SweepBuffers nan = Flat(10, 600.0f, 300.0f);
        nan.PhaseSamples[3] = std::numeric_limits<float>::quiet_NaN();
        const int file = int(CliReadoutFailure::File);
        QTest::newRow("empty") << QByteArray() << 0 << file << "0 bytes";
        QTest::newRow("no point") << QByteArray(24, '\0') << 0 << file << "24 bytes";
        QTest::newRow("one byte short") << good.left(good.size() - 1) << 0 << file << "t.vec";
        QTest::newRow("one byte more") << good + QByteArray(1, '\0') << 0 << file << "t.vec";
        QTest::newRow("not finite") << VecFileBytes(nan, 1e6f, 2e6f) << 0 << file << "t.vec";
        SweepBuffers huge = Flat(10, 600.0f, 300.0f);
        huge.MagnitudeSamples[4] = 1e30f;
        QTest::newRow("count beyond 10 bits")
            << VecFileBytes(huge, 1e6f, 2e6f) << 0 << file << "magnitude count of point 4";
        QTest::newRow("limit below 0")
            << VecFileBytes(Flat(10, 600.0f, 300.0f), -1e9f, 2e6f) << 0 << file << "start limit";
        QTest::newRow("marker beyond the points")
            << good << 501 << int(CliReadoutFailure::Arguments) << "--marker1 501";
    }
    void readoutRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, marker1);
        QFETCH(QString, mentions);
        ReadoutArguments a;
        if (marker1 > 0) {
            a.marker1 = marker1;
        }
        const CliReadoutResult r = ComputeCliReadout(QStringLiteral("t.vec"), bytes, a, {});
        QVERIFY(!r.readout);
        QTEST(int(r.failure), "failure");
        QVERIFY2(r.error.contains(mentions), qPrintable(r.error));
        QVERIFY(!r.error.contains(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestCliReadoutRules)
#include "tst_cli_readout_rules.moc"
