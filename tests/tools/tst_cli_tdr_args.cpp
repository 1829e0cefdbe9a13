// The command line of zezizav-cli tdr: what it keeps of the words given.
// Its refusals and its help are rows of tst_cli_args' tables.

#include <QtTest>

#include "cli_args.h"

class TestCliTdrArgs : public QObject {
    Q_OBJECT

private slots:
    void accepted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("velocityFactor");  // 0: not given, the settings'
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("json");
        QTest::addColumn<bool>("transmission");
        const int kaiser = int(TimeWindow::Kaiser);
        QTest::newRow("file only")
            << QStringList{"tdr", "a.vec"} << 0.0 << kaiser << "" << false << false;
        QTest::newRow("velocity factor 1, rect")
            << QStringList{"tdr", "a.vec", "--velocity-factor", "1", "--window", "rect"} << 1.0
            << int(TimeWindow::Rectangular) << "" << false << false;
        QTest::newRow("before the command, the window's own name")
            << QStringList{"--velocity-factor=0.66", "--window=rectangular", "tdr", "a.vec"} << 0.66
            << int(TimeWindow::Rectangular) << "" << false << false;
        QTest::newRow("json and a .CSV, normalised, hann")
            << QStringList{"tdr",      "a.vec",          "--json",     "--output", "T.CSV",
                           "--window", "hann",           "--open",     "o.vec",    "--short",
                           "s.vec",    "--loss-offset=", "--settings", "v.ini"}
            << 0.0 << int(TimeWindow::Hann) << "T.CSV" << true << false;
        QTest::newRow("transmission, through, tiny factor")
            << QStringList{"tdr",   "a.vec",  "--transmission",    "--through",
                           "t.vec", "--json", "--velocity-factor", "1e-3"}
            << 1e-3 << kaiser << "" << true << true;
    }
    void accepted() {
        QFETCH(QStringList, args);
        const CliParseResult r = ParseCliArguments(args);
        QVERIFY2(r.arguments.has_value(), qPrintable(r.error));
        QVERIFY(!r.arguments->help);
        QCOMPARE(r.arguments->command, CliCommand::Tdr);
        const TdrArguments& t = r.arguments->tdr;
        QCOMPARE(t.file, QStringLiteral("a.vec"));
        QTEST(t.velocityFactor.value_or(0.0), "velocityFactor");
        QTEST(int(t.window), "window");
        QTEST(t.outputPath, "output");
        QTEST(t.json, "json");
        QTEST(t.transmission, "transmission");
    }
};

QTEST_GUILESS_MAIN(TestCliTdrArgs)
#include "tst_cli_tdr_args.moc"
