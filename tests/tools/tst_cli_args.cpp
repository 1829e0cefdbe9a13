// The command line of zezizav-cli and the sweep it turns into.

#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>

#include "cli_args.h"
#include "files/vec_file.h"

namespace {

const QStringList kBase = {"sweep",  "--device", "/dev/ttyUSB0", "--start", "1",
                           "--stop", "180",      "--output",     "a.vec"};

QStringList With(const QStringList& extra) {
    return kBase + extra;
}

// One field of the parsed arguments as text, for the table of values kept
// word for word.
QString Field(const CliArguments& a, const QString& field) {
    const ReadoutArguments& r = a.readout;
    const QMap<QString, QString> fields = {
        {"file", a.command == CliCommand::Convert ? a.convert.file : r.file},
        {"settings", r.settingsPath},
        {"open", r.normalisation.open},
        {"json", r.json ? "true" : "false"},
        {"marker1", QString::number(r.marker1.value_or(0))},
        {"memories", a.plot.memories.join(QLatin1Char('|'))},
        {"device", a.sweep.device},
    };
    return fields.value(field, QStringLiteral("no such field"));
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
        QTest::newRow("readout") << QStringList{"readout", "--json", "--help"};
    }
    void help() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY(r.arguments.has_value());
        QVERIFY(r.arguments->help);
        QVERIFY(CliUsageText().contains(QStringLiteral("--output")));
        QVERIFY(CliUsageText().contains(QStringLiteral("readout FILE.vec")));
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
        for (const char* mhz :
             {"1,5", "abc", "", "nan", "inf", "-inf", "1e400", "14.2MHz", "0x10", "1_0"}) {
            QTest::addRow("start \"%s\"", mhz)
                << QStringList{"sweep",  "--device", "d",        "--start", mhz,
                               "--stop", "2",        "--output", "o"}
                << "--start";
        }
        for (const char* points : {"0", "-5", "32768", "12abc", "1.5", "99999999999", "0x10"}) {
            QTest::addRow("points \"%s\"", points) << With({"--points", points}) << "--points";
        }
        for (const char* ms : {"0", "-1", "x", "3600001"}) {
            QTest::addRow("timeout \"%s\"", ms) << With({"--timeout-ms", ms}) << "--timeout-ms";
        }
        QTest::newRow("readout option to sweep") << With({"--json"}) << "--json";

        QTest::newRow("readout without file") << QStringList{"readout", "--json"} << "FILE";
        QTest::newRow("readout empty file name") << QStringList{"readout", ""} << "empty";
        QTest::newRow("readout two files") << QStringList{"readout", "a.vec", "b.vec"} << "b.vec";
        // A stray word is refused before a fault of the words after it.
        QTest::newRow("stray word, then a value missing") << With({"extra", "--points"}) << "extra";
        QTest::newRow("second file, then an unknown option")
            << QStringList{"readout", "a.vec", "b.vec", "--pints"} << "b.vec";
        QTest::newRow("empty file name, then a flag's value")
            << QStringList{"convert", "", "--json=1"} << "empty";
        QTest::newRow("readout unknown option")
            << QStringList{"readout", "a.vec", "--marker3", "5"} << "--marker3";
        QTest::newRow("sweep option to readout")
            << QStringList{"readout", "a.vec", "--points", "5"} << "--points";
        QTest::newRow("json with a value")
            << QStringList{"readout", "a.vec", "--json=1"} << "--json";
        QTest::newRow("marker given twice")
            << QStringList{"readout", "a.vec", "--marker1", "2", "--marker1=3"} << "--marker1";
        // Trailing text is refused in every number of the command line.
        for (const char* offset : {"12abc", "-2.5dB", "1,5", "abc", "inf"}) {
            QTest::addRow("loss offset \"%s\"", offset)
                << QStringList{"readout", "a.vec", "--loss-offset", offset} << "--loss-offset";
            QTest::addRow("convert loss offset \"%s\"", offset)
                << QStringList{"convert", "a.vec", "--output", "a.csv",
                               QStringLiteral("--loss-offset=%1").arg(offset)}
                << "--loss-offset";
        }
        QTest::newRow("loss offset without value")
            << QStringList{"readout", "a.vec", "--loss-offset"} << "--loss-offset";
        QTest::newRow("convert without output")
            << QStringList{"convert", "a.vec", "--settings", "v.ini"} << "--output";
        QTest::newRow("convert without file")
            << QStringList{"convert", "--output", "a.csv"} << "FILE";
        for (const char* name : {"a.vec", "a.txt", "a", "a.csv.bak", "a.s3p"}) {
            QTest::addRow("convert to \"%s\"", name)
                << QStringList{"convert", "a.vec", "--output", name} << name;
        }
        QTest::newRow("convert s1p in transmission")
            << QStringList{"convert", "a.vec", "--output", "a.s1p", "--transmission"} << ".s2p";
        QTest::newRow("sweep s1p in transmission")
            << With({"--transmission"}).replaceInStrings("a.vec", "a.s1p") << ".s2p";
        QTest::newRow("readout option to convert")
            << QStringList{"convert", "a.vec", "--output", "a.csv", "--json"} << "--json";
        QTest::newRow("sweep option to convert")
            << QStringList{"convert", "a.vec", "--output", "a.csv", "--points", "5"} << "--points";
        QTest::newRow("convert two files")
            << QStringList{"convert", "a.vec", "b.vec", "--output", "a.csv"} << "b.vec";
        // The normalisation options: one kind of reference file, of the mode.
        QTest::newRow("normalise with open")
            << QStringList{"readout", "a.vec", "--normalise", "n.norm", "--open", "o.vec"}
            << "--normalise";
        QTest::newRow("through without transmission")
            << QStringList{"readout", "a.vec", "--through", "t.vec"} << "--transmission";
        QTest::newRow("short with transmission")
            << QStringList{"convert", "a.vec", "--output", "a.s2p", "--short", "s.vec"}
            << "--through";
        QTest::newRow("open to sweep") << With({"--open", "o.vec"}) << "--open";
        QTest::newRow("open without a file")
            << QStringList{"readout", "a.vec", "--open="} << "--open";
        const QStringList plot = {"plot", "a.vec", "--output", "a.png"};
        QTest::newRow("plot without output") << QStringList{"plot", "a.vec"} << "--output";
        QTest::newRow("plot to a jpeg")
            << QStringList{"plot", "a.vec", "--output", "a.jpg"} << "a.jpg";
        QTest::newRow("plot narrower than the window")
            << plot + QStringList{"--width=588"} << "589";
        QTest::newRow("plot taller than a picture")
            << plot + QStringList{"--height", "8193"} << "8192";
        QTest::newRow("plot json") << plot + QStringList{"--json"} << "--json";
        QTest::newRow("memory to readout")
            << QStringList{"readout", "a.vec", "--memory", "m.s1p"} << "--memory";
        QTest::newRow("plot width twice")
            << plot + QStringList{"--width=600", "--width=700"} << "twice";
        for (const char* vf : {"0", "1.01", "-1", "0,66", "abc", "nan", ""}) {
            QTest::addRow("tdr velocity factor \"%s\"", vf)
                << QStringList{"tdr", "a.vec", QStringLiteral("--velocity-factor=%1").arg(vf)}
                << "--velocity-factor";
        }
        QTest::newRow("tdr window") << QStringList{"tdr", "a.vec", "--window", "Hann"} << "rect";
        QTest::newRow("tdr to a picture of another kind")
            << QStringList{"tdr", "a.vec", "--output", "a.jpg"} << ".csv, .png or .svg";
        QTest::newRow("tdr arrays in transmission")
            << QStringList{"tdr", "a.vec", "--output=a.csv", "--transmission"} << "--output";
        for (const char* index : {"0", "-3", "32768", "1.5", "12x", ""}) {
            QTest::addRow("marker2 \"%s\"", index)
                << QStringList{"readout", "a.vec", QStringLiteral("--marker2=%1").arg(index)}
                << "--marker2";
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

    // The help comes before a fault of the values and after a fault of the
    // words; nothing after it is read. After a command it is that command's.
    void helpOrRefusal_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("helpCommand");  // -1: the whole usage; -2: refused
        QTest::addColumn<QString>("mentions");
        const int all = -1;
        const int refused = -2;
        QTest::newRow("a command's help")
            << QStringList{"--marker1", "600", "readout", "x.vec", "--help"}
            << int(CliCommand::Readout) << "";
        QTest::newRow("before an option of another command")
            << QStringList{"plot", "--json", "-h"} << int(CliCommand::Plot) << "";
        QTest::newRow("after a bad value")
            << QStringList{"sweep", "--start", "x", "--help"} << int(CliCommand::Sweep) << "";
        QTest::newRow("before the command") << QStringList{"--help", "readout"} << all << "";
        QTest::newRow("before an unknown option") << QStringList{"--help", "--pints"} << all << "";
        QTest::newRow("after an empty offset") << QStringList{"--loss-offset=", "-h"} << all << "";
        QTest::newRow("after an unknown option")
            << QStringList{"--pints", "--help"} << refused << "--pints";
        QTest::newRow("after a flag's value")
            << QStringList{"--json=1", "-h"} << refused << "--json";
        QTest::newRow("after an option twice, no command")
            << QStringList{"--start", "1", "--start", "2", "--help"} << refused << "twice";
        QTest::newRow("after a stray word")
            << QStringList{"readout", "a.vec", "b.vec", "--help"} << refused << "b.vec";
        QTest::newRow("after an empty file name")
            << QStringList{"readout", "", "-h"} << refused << "empty";
        QTest::newRow("-hx after the file is a word")
            << QStringList{"readout", "a.vec", "-hx"} << refused << "-hx";
        QTest::newRow("-hx to sweep is a word") << With({"-hx"}) << refused << "-hx";
        QTest::newRow("--help with a value") << QStringList{"--help=1"} << refused << "--help";
        QTest::newRow("-- alone") << QStringList{"readout", "--", "a.vec"} << refused << "--";
    }
    void helpOrRefusal() {
        QFETCH(QStringList, args);
        QFETCH(int, helpCommand);
        const CliParseResult r = ParseCliArguments(args);
        if (helpCommand == -2) {
            QVERIFY(!r.arguments.has_value());
            QFETCH(QString, mentions);
            QVERIFY2(r.error.contains(mentions), qPrintable(r.error));
            return;
        }
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QVERIFY(r.arguments->help);
        QCOMPARE(r.arguments->helpCommand.has_value(), helpCommand >= 0);
        if (helpCommand >= 0) {
            QCOMPARE(int(*r.arguments->helpCommand), helpCommand);
        }
    }

    // Values CLI11 would read its own way are kept as the words given.
    void keptVerbatim_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("file beginning with -") << QStringList{"readout", "-x.vec"} << "file"
                                               << "-x.vec";
        QTest::newRow("-h as a value")
            << QStringList{"readout", "a.vec", "--settings", "-h"} << "settings"
            << "-h";
        QTest::newRow("= in the value")
            << QStringList{"readout", "--settings=a=b", "a.vec"} << "settings"
            << "a=b";
        QTest::newRow("quotes") << QStringList{"readout", "a.vec", "--settings", "\"q\""}
                                << "settings"
                                << "\"q\"";
        QTest::newRow("an option's name as a value")
            << QStringList{"readout", "a.vec", "--open", "--json"} << "open"
            << "--json";
        QTest::newRow("... which is then not given")
            << QStringList{"readout", "a.vec", "--open", "--json"} << "json"
            << "false";
        QTest::newRow("leading zero is decimal")
            << QStringList{"readout", "a.vec", "--marker1=010"} << "marker1"
            << "10";
        QTest::newRow("memories with brackets and braces")
            << QStringList{"plot",     "a.vec", "--output=a.png", "--memory=[a,b]",
                           "--memory", "{}",    "--memory=%%"}
            << "memories"
            << "[a,b]|{}|%%";
        QTest::newRow("-- as a value")
            << QStringList{"sweep",  "--device", "--",       "--start", "1",
                           "--stop", "2",        "--output", "o"}
            << "device"
            << "--";
    }
    void keptVerbatim() {
        QFETCH(QStringList, args);
        QFETCH(QString, field);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QVERIFY(!r.arguments->help);
        QTEST(Field(*r.arguments, field), "value");
    }

    // The help of a command lists its options, each with its words, and no
    // option of another command; every line fits 79 columns.
    void usage_data() {
        QTest::addColumn<int>("command");  // -1: the whole usage
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("absent");
        const QStringList normalisation{"--open", "--short", "--through", "--normalise"};
        const QStringList sweep{"--device",       "--start",      "--stop",
                                "--points",       "--timeout-ms", "--output",
                                "--transmission", "--settings",   "--loss-offset"};
        const QStringList readout =
            QStringList{"FILE.vec",   "--marker1",     "--marker2", "--transmission",
                        "--settings", "--loss-offset", "--json"} +
            normalisation;
        const QStringList convert =
            QStringList{"FILE.vec", "--output", "--settings", "--transmission", "--loss-offset"} +
            normalisation;
        const QStringList plot = QStringList{"FILE.vec", "--output",  "--memory", "--width",
                                             "--height", "--marker1", "--marker2"} +
                                 normalisation;
        QTest::newRow("sweep") << int(CliCommand::Sweep) << sweep
                               << (QStringList{"--json", "--memory", "--marker1"} + normalisation);
        QTest::newRow("readout") << int(CliCommand::Readout) << readout
                                 << QStringList{"--output", "--points", "--memory", "--device"};
        QTest::newRow("convert") << int(CliCommand::Convert) << convert
                                 << QStringList{"--json", "--marker1", "--memory", "--points"};
        QTest::newRow("plot") << int(CliCommand::Plot) << plot
                              << QStringList{"--json", "--points", "--device"};
        const QStringList tdr = QStringList{"FILE.vec", "--velocity-factor", "--window", "--output",
                                            "--json",   "--transmission"} +
                                normalisation;
        QTest::newRow("tdr") << int(CliCommand::Tdr) << tdr
                             << QStringList{"--marker1", "--points", "--memory", "--device"};
        QTest::newRow("all") << -1 << sweep + readout + plot + tdr << QStringList{};
    }
    void usage() {
        QFETCH(int, command);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, absent);
        const QString text =
            command < 0 ? CliUsageText() : CliUsageText(static_cast<CliCommand>(command));
        for (const QString& option : listed) {
            // The name, its value, and at least one word of description.
            const QRegularExpression line(
                QStringLiteral("^  %1( \\S+)?  +\\w").arg(QRegularExpression::escape(option)),
                QRegularExpression::MultilineOption);
            QVERIFY2(text.contains(line), qPrintable(option));
        }
        for (const QString& option : absent) {
            QVERIFY2(!text.contains(QStringLiteral("\n  %1 ").arg(option)), qPrintable(option));
            QVERIFY2(!text.contains(QStringLiteral("[%1").arg(option)), qPrintable(option));
        }
        for (const QString& l : text.split(QLatin1Char('\n'))) {
            QVERIFY2(l.size() <= 79, qPrintable(l));
        }
        QVERIFY(text.contains(QStringLiteral("  -h, --help ")));
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

    // --memory alone may come again; the readout's options fill the readout.
    void plotAccepted() {
        const CliParseResult r = ParseCliArguments(
            {"--memory", "m1.s1p", "plot", "a.vec", "--output=a.SVG", "--memory=m2.vec", "--width",
             "700", "--marker2", "9", "--loss-offset", "", "--open", "o.vec"});
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QCOMPARE(r.arguments->command, CliCommand::Plot);
        const PlotArguments& p = r.arguments->plot;
        QCOMPARE(p.outputPath, QStringLiteral("a.SVG"));
        QCOMPARE(p.memories, (QStringList{"m1.s1p", "m2.vec"}));
        QCOMPARE(p.width, std::optional<int>(700));
        QCOMPARE(p.height, std::optional<int>());
        QCOMPARE(r.arguments->readout.file, QStringLiteral("a.vec"));
        QCOMPARE(r.arguments->readout.marker2, std::optional<std::int32_t>(9));
        QCOMPARE(r.arguments->readout.normalisation.open, QStringLiteral("o.vec"));
    }

    void readoutAccepted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("marker1");  // 0: not given
        QTest::addColumn<int>("marker2");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("lossOffset");
        QTest::addColumn<bool>("json");
        QTest::newRow("file only")
            << QStringList{"readout", "s.vec"} << "s.vec" << 0 << 0 << "" << false << "" << false;
        QTest::newRow("everything, options first")
            << QStringList{"--marker1",      "600",           "--marker2=900", "--json",
                           "--transmission", "readout",       "x.vec",         "--settings",
                           "v.ini",          "--loss-offset", "-2.5"}
            << "x.vec" << 600 << 900 << "v.ini" << true << "-2.5" << true;
        // The empty offset box counts as 0; its text may be given empty.
        QTest::newRow("empty loss offset") << QStringList{"readout", "s.vec", "--loss-offset", ""}
                                           << "s.vec" << 0 << 0 << "" << false << "" << false;
        QTest::newRow("empty loss offset after =")
            << QStringList{"readout", "--loss-offset=", "s.vec"} << "s.vec" << 0 << 0 << "" << false
            << "" << false;
        // The file is any plain word after the command, even a command's name.
        QTest::newRow("file named sweep") << QStringList{"readout", "sweep", "--marker1=32767"}
                                          << "sweep" << 32767 << 0 << "" << false << "" << false;
    }
    void readoutAccepted() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QCOMPARE(r.arguments->command, CliCommand::Readout);
        const ReadoutArguments& a = r.arguments->readout;
        QTEST(a.file, "file");
        QTEST(int(a.marker1.value_or(0)), "marker1");
        QTEST(int(a.marker2.value_or(0)), "marker2");
        QTEST(a.settingsPath, "settings");
        QTEST(a.transmission, "transmission");
        QTEST(a.lossOffset, "lossOffset");
        QTEST(a.json, "json");
    }

    void convertAccepted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("lossOffset");
        QTest::newRow("csv") << QStringList{"convert", "s.vec", "--output", "s.csv"} << "s.vec"
                             << "s.csv"
                             << "" << false << "";
        QTest::newRow("everything, options first")
            << QStringList{"--transmission", "--output=o.CSV", "convert",       "x.vec",
                           "--settings",     "v.ini",          "--loss-offset", "-2.5"}
            << "x.vec"
            << "o.CSV"
            << "v.ini" << true << "-2.5";
        QTest::newRow("s1p reflection")
            << QStringList{"convert", "a.vec", "--output", "a.s1p"} << "a.vec"
            << "a.s1p"
            << "" << false << "";
        QTest::newRow("s2p implies transmission")
            << QStringList{"convert", "a.vec", "--output", "dir.x/a.S2P"} << "a.vec"
            << "dir.x/a.S2P"
            << "" << true << "";
        QTest::newRow("s2p with transmission")
            << QStringList{"convert", "a.vec", "--transmission", "--output", "a.s2p"} << "a.vec"
            << "a.s2p"
            << "" << true << "";
    }
    void convertAccepted() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QCOMPARE(r.arguments->command, CliCommand::Convert);
        const ConvertArguments& a = r.arguments->convert;
        QTEST(a.file, "file");
        QTEST(a.outputPath, "output");
        QTEST(a.settingsPath, "settings");
        QTEST(a.transmission, "transmission");
        QTEST(a.lossOffset, "lossOffset");
    }

    // The sweep's output name picks its writer; .s2p takes the Transmission mode.
    void sweepOutputKind_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("transmission");
        QTest::newRow("vec") << "a.vec" << int(CliOutputKind::Vec) << false;
        QTest::newRow("no extension") << "a" << int(CliOutputKind::Vec) << false;
        QTest::newRow("csv in a dotted folder") << "x.csv/a" << int(CliOutputKind::Vec) << false;
        QTest::newRow("csv") << "a.csv" << int(CliOutputKind::Csv) << false;
        QTest::newRow("s1p") << "a.S1p" << int(CliOutputKind::S1p) << false;
        QTest::newRow("s2p") << "a.s2p" << int(CliOutputKind::S2p) << true;
    }
    void sweepOutputKind() {
        QFETCH(QString, output);
        QStringList args = kBase;
        args[args.indexOf(QStringLiteral("a.vec"))] = output;
        const CliParseResult r = ParseCliArguments(args << "--loss-offset"
                                                        << "1.5");
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QTEST(int(CliOutputKindOf(r.arguments->sweep.outputPath)), "kind");
        QTEST(r.arguments->sweep.transmission, "transmission");
        QCOMPARE(r.arguments->sweep.lossOffset, QStringLiteral("1.5"));
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
