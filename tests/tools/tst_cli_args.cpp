// The command line of zezizav-cli and the sweep it turns into.

#include <QtTest>

#include <bit>

#include "cli_args.h"

namespace {

const QStringList kBase = {"sweep",  "--device", "/dev/ttyUSB0", "--start", "1",
                           "--stop", "180",      "--output",     "a.vec"};

QStringList With(const QStringList& extra) {
    return kBase + extra;
}

}  // namespace

class TestCliArgs : public QObject {
    Q_OBJECT

private slots:
    void accepted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<int>("points");  // 0: not given
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<qint64>("timeoutMs");  // 0: not given
        QTest::addColumn<QString>("settings");

        QTest::newRow("required only") << kBase << 1.0 << 180.0 << 0 << false << qint64(0) << "";
        QTest::newRow("everything") << With({"--points", "500", "--transmission", "--timeout-ms",
                                             "800", "--settings", "my.ini"})
                                    << 1.0 << 180.0 << 500 << true << qint64(800) << "my.ini";
        QTest::newRow("values after =")
            << QStringList{"--start=14.2",    "--stop=14.35",   "sweep",
                           "--device=/dev/x", "--output=o.vec", "--points=32767"}
            << 14.2 << 14.35 << 32767 << false << qint64(0) << "";
        QTest::newRow("negative start, exponent stop")
            << QStringList{"sweep",  "--device", "d",        "--start", "-1",
                           "--stop", "1.5e1",    "--output", "o"}
            << -1.0 << 15.0 << 0 << false << qint64(0) << "";
        QTest::newRow("one point")
            << With({"--points", "1"}) << 1.0 << 180.0 << 1 << false << qint64(0) << "";
    }
    void accepted() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        const SweepArguments& s = r.arguments->sweep;
        QVERIFY(!r.arguments->help);
        QVERIFY(!s.device.isEmpty());
        QVERIFY(!s.outputPath.isEmpty());
        QTEST(s.startMHz, "start");
        QTEST(s.stopMHz, "stop");
        QTEST(int(s.points.value_or(0)), "points");
        QTEST(s.transmission, "transmission");
        QTEST(s.timeoutMs.value_or(0), "timeoutMs");
        QTEST(s.settingsPath, "settings");
    }

    void help_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("alone") << QStringList{"--help"};
        QTest::newRow("short") << QStringList{"-h"};
        QTest::newRow("after the command") << QStringList{"sweep", "--device", "x", "--help"};
    }
    void help() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY(r.arguments.has_value());
        QVERIFY(r.arguments->help);
        QVERIFY(CliUsageText().contains(QStringLiteral("--output")));
    }

    void refused_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("nothing") << QStringList{} << "command";
        QTest::newRow("unknown command") << QStringList{"measure"} << "measure";
        QTest::newRow("command twice") << With({"sweep"}) << "sweep";
        QTest::newRow("stray argument") << With({"extra"}) << "extra";
        QTest::newRow("unknown option") << With({"--pints", "5"}) << "--pints";
        QTest::newRow("single dash") << With({"-p"}) << "-p";
        QTest::newRow("given twice") << With({"--start", "2"}) << "--start";
        QTest::newRow("value missing at the end") << With({"--points"}) << "--points";
        QTest::newRow("empty value") << With({"--settings="}) << "--settings";
        QTest::newRow("flag with a value") << With({"--transmission=1"}) << "--transmission";
        for (const char* option : {"device", "start", "stop", "output"}) {
            QStringList args = kBase;
            const qsizetype at = args.indexOf(QStringLiteral("--%1").arg(option));
            args.remove(at, 2);
            QTest::addRow("missing --%s", option) << args << QStringLiteral("--%1").arg(option);
        }
        // Numbers: "." only, finite, whole where whole is wanted.
        for (const char* mhz : {"1,5", "abc", "", "nan", "inf", "-inf", "1e400", "14.2MHz"}) {
            QTest::addRow("start \"%s\"", mhz)
                << QStringList{"sweep",  "--device", "d",        "--start", mhz,
                               "--stop", "2",        "--output", "o"}
                << "--start";
        }
        for (const char* points : {"0", "-5", "32768", "12abc", "1.5", "99999999999"}) {
            QTest::addRow("points \"%s\"", points) << With({"--points", points}) << "--points";
        }
        for (const char* ms : {"0", "-1", "x", "3600001"}) {
            QTest::addRow("timeout \"%s\"", ms) << With({"--timeout-ms", ms}) << "--timeout-ms";
        }
    }
    void refused() {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY(!r.arguments.has_value());
        QVERIFY2(r.error.contains(mentions), qPrintable(r.error));
        QVERIFY(!r.error.contains(QLatin1Char('\n')));
    }

    void plan_data() {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<int>("settingsChamp");
        QTest::addColumn<float>("FMin");
        QTest::addColumn<float>("FMax");
        QTest::addColumn<int>("Champ");
        QTest::addColumn<double>("FreqStep");
        QTest::addColumn<float>("mode");
        QTest::newRow("full range, 500 points")
            << QStringList{"--points", "500"} << 1.0 << 180.0 << 6000 << 1e6f << 180e6f << 500
            << 358000.0 << 0.0f;
        QTest::newRow("points from the settings") << QStringList{} << 1.0 << 180.0 << 6000 << 1e6f
                                                  << 180e6f << 6000 << 179e6 / 6000 << 0.0f;
        QTest::newRow("transmission") << QStringList{"--transmission", "--points", "100"} << 10.0
                                      << 20.0 << 6000 << 10e6f << 20e6f << 100 << 100e3 << 1.0f;
        // The limits are 32-bit floats, as the program keeps them: 14.35 MHz
        // is 14350000 exactly, 0.1234567 MHz is not 123456.7.
        QTest::newRow("float limits")
            << QStringList{"--points", "4"} << 0.1234567 << 14.35 << 6000 << 123456.7f << 14.35e6f
            << 4 << (double(14.35e6f) - double(123456.7f)) / 4 << 0.0f;
        QTest::newRow("downwards") << QStringList{"--points", "10"} << 30.0 << 10.0 << 6000 << 30e6f
                                   << 10e6f << 10 << -2e6 << 0.0f;
    }
    void plan() {
        QFETCH(QStringList, extra);
        QFETCH(double, start);
        QFETCH(double, stop);
        QFETCH(int, settingsChamp);
        const QStringList args = QStringList{"sweep",
                                             "--device",
                                             "d",
                                             "--output",
                                             "o",
                                             "--start",
                                             QString::number(start, 'g', 17),
                                             "--stop",
                                             QString::number(stop, 'g', 17)} +
                                 extra;
        const CliParseResult parsed = ParseCliArguments(args);
        QVERIFY2(parsed.arguments.has_value(), qPrintable(parsed.error));
        const SweepPlanResult r = PlanSweep(parsed.arguments->sweep, settingsChamp);
        QVERIFY2(r.plan.has_value(), qPrintable(r.error));
        QFETCH(float, FMin);
        QFETCH(float, FMax);
        QCOMPARE(std::bit_cast<quint32>(r.plan->FMin), std::bit_cast<quint32>(FMin));
        QCOMPARE(std::bit_cast<quint32>(r.plan->FMax), std::bit_cast<quint32>(FMax));
        QTEST(int(r.plan->Champ), "Champ");
        QTEST(r.plan->FreqStep, "FreqStep");
        QTEST(r.plan->TransmissionMode, "mode");
    }

    void planRefused_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<int>("points");  // 0: from the settings
        QTest::addColumn<int>("settingsChamp");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("FMin = FMax") << 14.2 << 14.2 << 500 << 6000 << "same frequency";
        // Different in MHz, the same once held as 32-bit floats.
        QTest::newRow("equal as floats") << 100.0 << 100.000001 << 500 << 6000 << "same frequency";
        QTest::newRow("start word beyond int32") << 250.0 << 260.0 << 500 << 6000 << "Start";
        QTest::newRow("step word beyond int32") << 0.0 << 201.0 << 1 << 6000 << "step";
        QTest::newRow("beyond a float") << 1e300 << 1.0 << 500 << 6000 << "Start";
        QTest::newRow("settings Champ 0") << 1.0 << 2.0 << 0 << 0 << "points";
        QTest::newRow("settings Champ too large") << 1.0 << 2.0 << 0 << 40000 << "points";
    }
    void planRefused() {
        QFETCH(double, start);
        QFETCH(double, stop);
        QFETCH(int, points);
        QFETCH(int, settingsChamp);
        QFETCH(QString, mentions);
        SweepArguments a;
        a.startMHz = start;
        a.stopMHz = stop;
        if (points > 0) {
            a.points = points;
        }
        const SweepPlanResult r = PlanSweep(a, settingsChamp);
        QVERIFY(!r.plan.has_value());
        QVERIFY2(r.error.contains(mentions, Qt::CaseInsensitive), qPrintable(r.error));
    }
};

QTEST_GUILESS_MAIN(TestCliArgs)
#include "tst_cli_args.moc"
