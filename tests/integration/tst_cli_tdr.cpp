// zezizav-cli tdr on sweeps of the simulator's cable, taken over a real
// pseudo-terminal by zezizav-cli sweep: the strongest reflection lies at the
// cable's end with the sign of that end, and every failure is one line on
// stderr with the exit status of its kind.

#include <QImage>
#include <QtTest>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

}  // namespace

class TestCliTdr : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString settings_;  // InputVelFactor=0.8

    QString write(const QString& name, const QByteArray& bytes) {
        const QString file = dir_.filePath(name);
        QString error;
        return WriteFileSafely(file, bytes, &error) ? file : QString();
    }

    // The cable swept 1 to 180 MHz into NAME.vec; empty when it failed.
    QString sweepCable(const QString& name, const QStringList& simArgs) {
        TestSupport::SimProcess sim;
        QString error;
        if (!sim.start(QStringList{"--dut", "cable"} + simArgs, &error)) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        const QString vec = dir_.filePath(name + QStringLiteral(".vec"));
        const CliRun run = RunCli({"sweep", "--device", sim.ptyPath(), "--start", "1", "--stop",
                                   "180", "--points", "1500", "--output", vec});
        if (run.exitCode != 0) {
            qWarning("exit %d: %s", run.exitCode, run.err.constData());
            return {};
        }
        return vec;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        settings_ = write(QStringLiteral("vf.ini"), "[PARAMETERS]\r\nInputVelFactor=0.8\r\n");
        QVERIFY(!settings_.isEmpty());
    }

    // The cable's velocity factor is the simulator's --vf; the transform's
    // comes from the settings unless --velocity-factor gives it.
    void strongestPeakAtTheEnd_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("tdrArgs");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("velocityFactor");
        QTest::addColumn<int>("sign");
        QTest::newRow("open 5 m, VF of the settings")
            << QStringList{"--length", "5", "--end", "open", "--vf", "0.8"} << QStringList{} << 5.0
            << 0.8 << 1;
        QTest::newRow("short 5 m, VF of the settings")
            << QStringList{"--length", "5", "--end", "short", "--vf", "0.8"} << QStringList{} << 5.0
            << 0.8 << -1;
        QTest::newRow("open 12 m, --velocity-factor, hann")
            << QStringList{"--length", "12", "--end", "open"}
            << QStringList{"--velocity-factor", "0.66", "--window", "hann"} << 12.0 << 0.66 << 1;
        QTest::newRow("short 20 m, --velocity-factor, rect")
            << QStringList{"--length", "20", "--end", "short"}
            << QStringList{"--velocity-factor=0.66", "--window=rect"} << 20.0 << 0.66 << -1;
    }
    void strongestPeakAtTheEnd() {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, tdrArgs);
        QFETCH(double, length);
        QFETCH(double, velocityFactor);
        QFETCH(int, sign);
        const QString vec = sweepCable(QStringLiteral("cable"), simArgs);
        QVERIFY(!vec.isEmpty());
        const CliRun run =
            RunCli(QStringList{"tdr", vec, "--json", "--settings", settings_} + tdrArgs);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        QJsonParseError error;
        const QJsonObject got = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        // The settings keep it as a float.
        QVERIFY(std::fabs(got.value("velocity_factor").toDouble() - velocityFactor) < 1e-6);

        const QJsonArray distance = got.value("distance_m").toArray();
        QVERIFY(distance.size() > 100);
        for (const char* name : {"impulse", "step", "impedance_ohm"}) {
            QVERIFY2(got.value(name).toArray().size() == distance.size(), name);
        }
        QCOMPARE(distance.first().toDouble(), 0.0);
        QVERIFY(distance.last().toDouble() > distance.first().toDouble());
        QVERIFY(distance.last().toDouble() <= got.value("range_m").toDouble() * 1.001);

        const QJsonArray peaks = got.value("peaks").toArray();
        QVERIFY(!peaks.isEmpty());
        const QJsonObject strongest = peaks.first().toObject();
        const double at = strongest.value("distance_m").toDouble();
        const double reflection = strongest.value("reflection").toDouble();
        qInfo("strongest peak %.3f m, %.3f (resolution %.3f m)", at, reflection,
              got.value("resolution_m").toDouble());
        QVERIFY2(std::fabs(at - length) < 0.25, qPrintable(QString::number(at)));
        QCOMPARE(reflection > 0 ? 1 : -1, sign);
        QVERIFY(std::fabs(reflection) > 0.5);  // a slightly lossy line
        for (const QJsonValue& p : peaks) {
            QVERIFY(std::fabs(p.toObject().value("reflection").toDouble()) <=
                    std::fabs(reflection));
        }

        // The same arrays as columns, and nothing on stdout.
        const QString csv = dir_.filePath(QStringLiteral("x.csv"));
        const CliRun written =
            RunCli(QStringList{"tdr", vec, "--output", csv, "--settings", settings_} + tdrArgs);
        QCOMPARE(written.exitCode, 0);
        QVERIFY(written.out.isEmpty());
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), distance.size() + 1);
        QCOMPARE(lines.first(), QByteArray("distance_m,impulse,step,impedance_ohm"));
        const QList<QByteArray> last = lines.last().split(',');
        QCOMPARE(last.size(), 4);
        const auto near = [](double a, double b) {
            return std::fabs(a - b) <= 1e-8 * std::fabs(b);
        };
        QVERIFY(near(last[0].toDouble(), distance.last().toDouble()));
        QVERIFY(near(last[3].toDouble(), got.value("impedance_ohm").toArray().last().toDouble()));

        // Its picture, either kind, with the strongest peak in the lines under it.
        for (const char* name : {"x.png", "x.svg"}) {
            const QString out = dir_.filePath(QLatin1String(name));
            const CliRun drawn =
                RunCli(QStringList{"tdr", vec, "--output", out, "--settings", settings_} + tdrArgs);
            QCOMPARE(drawn.exitCode, 0);
            QFile picture(out);
            QVERIFY(picture.open(QIODevice::ReadOnly));
            const QByteArray bytes = picture.readAll();
            if (out.endsWith(QLatin1String(".svg"))) {
                QVERIFY(bytes.contains(QString::asprintf("%.2f m", at).toUtf8()));
            } else {
                QImage image;
                QVERIFY(image.loadFromData(bytes, "PNG"));
                QVERIFY(image.width() >= 600 && image.height() > 420);
            }
        }
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");  // the .vec file's
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");
        SweepBuffers three;
        three.resize(3);
        SweepBuffers two;
        two.resize(2);
        const QByteArray good = VecFileBytes(three, 1e6f, 4e6f);
        for (const char* vf : {"0", "-0.5", "1.01", "abc", "0,66", "nan"}) {
            QTest::addRow("velocity factor %s", vf)
                << good << QStringList{"--velocity-factor", vf} << 2 << "--velocity-factor";
        }
        QTest::newRow("window") << good << QStringList{"--window", "blackman"} << 2 << "--window";
        QTest::newRow("not a picture") << good << QStringList{"--output", "t.jpg"} << 2 << ".png";
        QTest::newRow("no sweep") << QByteArray("hello") << QStringList{} << 1 << "5 bytes";
        QTest::newRow("two points")
            << VecFileBytes(two, 1e6f, 3e6f) << QStringList{} << 2 << "points";
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, extra);
        QFETCH(QString, mentions);
        const QString vec = write(QStringLiteral("r.vec"), bytes);
        QVERIFY(!vec.isEmpty());
        const CliRun run = RunCli(QStringList{"tdr", vec, "--settings", settings_} + extra);
        QTEST(run.exitCode, "exitCode");
        const QByteArray err = run.err.trimmed();
        QVERIFY2(err.startsWith("zezizav-cli: ") && !err.contains('\n'), run.err.constData());
        QVERIFY2(err.contains(mentions.toLocal8Bit()), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliTdr)
#include "tst_cli_tdr.moc"
