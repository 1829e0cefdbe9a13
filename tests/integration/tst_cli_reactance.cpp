// zezizav-cli reactance and convert --sign causal on sweeps of the
// simulator's devices of known sign, taken over a real pseudo-terminal by
// zezizav-cli sweep: the signs are those of the model, the magnitudes those
// measured, and every failure is one line on stderr with the exit status of
// its kind.

#include <QtTest>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <complex>

#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

QJsonArray Points(const CliRun& run) {
    return QJsonDocument::fromJson(run.out).object().value(QStringLiteral("points")).toArray();
}

// The impedances a .s1p holds, one a data line.
std::vector<std::complex<double>> S1pImpedances(const QString& path) {
    QFile file(path);
    std::vector<std::complex<double>> out;
    if (!file.open(QIODevice::ReadOnly)) {
        return out;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (line.isEmpty() || line.startsWith('!') || line.startsWith('#') || f.size() < 3) {
            continue;
        }
        const std::complex<double> g(f[1].toDouble(), f[2].toDouble());
        out.push_back(50.0 * (1.0 + g) / (1.0 - g));
    }
    return out;
}

}  // namespace

class TestCliReactance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    // The device swept into NAME.vec; empty when it failed.
    QString sweep(const QString& name, const QStringList& simArgs, const QString& start,
                  const QString& stop, const QString& points) {
        TestSupport::SimProcess sim;
        QString error;
        if (!sim.start(simArgs, &error)) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        const QString vec = dir_.filePath(name + QStringLiteral(".vec"));
        const CliRun run = RunCli({"sweep", "--device", sim.ptyPath(), "--start", start, "--stop",
                                   stop, "--points", points, "--output", vec});
        if (run.exitCode != 0) {
            qWarning("exit %d: %s", run.exitCode, run.err.constData());
            return {};
        }
        return vec;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Below and above the frequencies where the model turns: whip tuned to
    // 14.2 MHz capacitive below and inductive above, the short dipole
    // capacitive throughout, a 5 m stub at VF 0.66 inductive below its
    // quarter wave at 9.9 MHz and capacitive above it.
    void signsOfTheModels_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<double>("turnMHz");  // 0: one sign throughout
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("above");
        QTest::addColumn<double>("judgedToMHz");
        QTest::newRow("whip") << QStringList{"--dut", "whip"} << 14.2 << "-"
                              << "+" << 180.0;
        QTest::newRow("dipole") << QStringList{"--dut", "dipole"} << 0.0 << "-"
                                << "-" << 180.0;
        // The stub turns again at every quarter wave: up to its half wave.
        QTest::newRow("stub") << QStringList{"--dut", "stub", "--length", "5", "--vf", "0.66"}
                              << 9.89 << "+"
                              << "-" << 19.0;
    }
    void signsOfTheModels() {
        QFETCH(QStringList, simArgs);
        QFETCH(double, turnMHz);
        QFETCH(QString, below);
        QFETCH(QString, above);
        QFETCH(double, judgedToMHz);
        const QString vec = sweep(QTest::currentDataTag(), simArgs, "1", "180", "400");
        QVERIFY(!vec.isEmpty());
        const CliRun run = RunCli({"reactance", vec, "--json"});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray points = Points(run);
        QCOMPARE(points.size(), 400);
        int right = 0, unknown = 0, judged = 0;
        for (const QJsonValue& v : points) {
            const QJsonObject p = v.toObject();
            const double mhz = p.value("frequency_hz").toDouble() / 1e6;
            const QString sign = p.value("sign").toString();
            const double xs = p.value("xs_ohm").toDouble();
            QVERIFY(sign != "?" || xs >= 0.0);  // unknown: the measured magnitude
            QCOMPARE(sign == "-", xs < 0.0);
            // A step or more away from the turn, where the model's sign is sure.
            if (turnMHz > 0.0 && std::abs(mhz - turnMHz) < 1.0) {
                continue;
            }
            if (mhz > judgedToMHz) {
                continue;
            }
            ++judged;
            unknown += sign == "?";
            right += sign == (mhz < turnMHz || turnMHz == 0.0 ? below : above);
        }
        QVERIFY2(
            right >= 0.97 * (judged - unknown) && unknown <= 0.05 * judged,
            qPrintable(
                QStringLiteral("%1 right, %2 unknown of %3").arg(right).arg(unknown).arg(judged)));

        // The magnitude is the one measured: the unsigned .s1p holds it.
        const QString plain = dir_.filePath(QStringLiteral("plain.s1p"));
        const QString causal = dir_.filePath(QStringLiteral("causal.s1p"));
        QCOMPARE(RunCli({"convert", vec, "--output", plain}).exitCode, 0);
        QCOMPARE(RunCli({"convert", vec, "--output", causal, "--sign", "causal"}).exitCode, 0);
        const auto z = S1pImpedances(plain);
        const auto signedZ = S1pImpedances(causal);
        QCOMPARE(z.size(), std::size_t{400});
        QCOMPARE(signedZ.size(), z.size());
        for (std::size_t i = 0; i < z.size(); ++i) {
            const QJsonObject p = points[static_cast<qsizetype>(i)].toObject();
            const double xs = p.value("xs_ohm").toDouble();
            QVERIFY(std::abs(std::abs(xs) - std::abs(z[i].imag())) <= 1e-3 * (1 + std::abs(xs)));
            QVERIFY(std::abs(signedZ[i].imag() - xs) <= 1e-3 * (1 + std::abs(xs)));
        }
    }

    // 6.9 to 7.3 MHz alone gives "?"; with a quick wide sweep of the same
    // whip, its capacitive sign.
    void narrowWithWide() {
        const QString narrow = sweep("narrow", {"--dut", "whip"}, "6.9", "7.3", "100");
        const QString wide = sweep("wide", {"--dut", "whip"}, "1", "180", "300");
        QVERIFY(!narrow.isEmpty() && !wide.isEmpty());
        const auto count = [](const QJsonArray& points, const QString& sign) {
            return std::count_if(points.begin(), points.end(), [&](const QJsonValue& v) {
                return v.toObject().value("sign").toString() == sign;
            });
        };
        const CliRun alone = RunCli({"reactance", narrow, "--json"});
        QCOMPARE(alone.exitCode, 0);
        QCOMPARE(count(Points(alone), "?"), 100);
        const CliRun helped = RunCli({"reactance", narrow, "--wide", wide, "--json"});
        QCOMPARE(helped.exitCode, 0);
        QCOMPARE(count(Points(helped), "-"), 100);
        const CliRun table = RunCli({"reactance", narrow, "--wide", wide});
        QCOMPARE(table.exitCode, 0);
        QVERIFY(table.out.startsWith("Frequency (MHz)"));
        QCOMPARE(table.out.count('\n'), 101);
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("no such file") << QStringList{"reactance", "missing.vec"} << 1 << "missing";
        QTest::newRow("no such wide file")
            << QStringList{"reactance", "two.vec", "--wide", "missing.vec"} << 1 << "missing";
        QTest::newRow("two points") << QStringList{"reactance", "two.vec"} << 2 << "at least 3";
        QTest::newRow("--sign into a .csv")
            << QStringList{"convert", "two.vec", "--output", "x.csv", "--sign", "causal"} << 2
            << "writes a .s1p";
        QTest::newRow("--sign other")
            << QStringList{"convert", "two.vec", "--output", "x.s1p", "--sign", "guess"} << 2
            << "--sign wants causal";
        QTest::newRow("--wide without --sign")
            << QStringList{"convert", "two.vec", "--output", "x.s1p", "--wide", "two.vec"} << 2
            << "only with --sign causal";
    }
    void failures() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        SweepBuffers two;
        two.resize(2);
        QFile file(dir_.filePath(QStringLiteral("two.vec")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(VecFileBytes(two, 1e6f, 3e6f));
        file.close();
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".vec")) || a.endsWith(QLatin1String(".csv")) ||
                a.endsWith(QLatin1String(".s1p"))) {
                a = dir_.filePath(a);
            }
        }
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.contains(says.toUtf8()), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliReactance)
#include "tst_cli_reactance.moc"
