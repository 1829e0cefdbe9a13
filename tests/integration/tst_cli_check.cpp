// zezizav-cli check on .vec files written by the program's own writer,
// against the example limits files: 0 when every segment passes, 1 when one
// fails, 2 for a file or limits that cannot serve (one line on stderr naming
// it, nothing on stdout).

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>

#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

QString Example(const char* name) {
    return QStringLiteral(ZEZIZAV_SOURCE_DIR "/examples/") + QLatin1String(name);
}

// Counts for each point from its frequency in MHz.
SweepBuffers Sweep(double fminMHz, double fmaxMHz, int points,
                   const std::function<float(double)>& countAt) {
    SweepBuffers b;
    b.resize(points);
    const double step = (fmaxMHz - fminMHz) / points;
    for (int i = 1; i <= points; ++i) {
        b.MagnitudeSamples[static_cast<std::size_t>(i)] = countAt(fminMHz + i * step);
        b.PhaseSamples[static_cast<std::size_t>(i)] = 100.0f;
    }
    return b;
}

// Count 700 reads 20.9 dB of return loss (SWR 1.2), 450 reads 6.3 dB (SWR 2.9).
float Antenna(double mhz, double badAbove) {
    return mhz > badAbove ? 450.0f : 700.0f;
}

// Transmission loss with a 6 dB loss offset: count 250 reads 0.5 dB, 1023
// reads 45.9 dB.
float Filter(double mhz, float passband) {
    return mhz > 6.95 && mhz < 7.25 ? passband : 1023.0f;
}

QJsonObject Json(const CliRun& run) {
    return QJsonDocument::fromJson(run.out).object();
}

QByteArray LastLine(const QByteArray& out) {
    const QList<QByteArray> lines = out.trimmed().split('\n');
    return lines.last();
}

}  // namespace

class TestCliCheck : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString ini_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString file = dir_.filePath(name);
        QString error;
        return WriteFileSafely(file, bytes, &error) ? file : QString();
    }
    QString antenna(const QString& name, double badAbove) {
        return write(
            name, VecFileBytes(
                      Sweep(6.9, 7.3, 200, [badAbove](double f) { return Antenna(f, badAbove); }),
                      6.9e6f, 7.3e6f));
    }
    QString filter(const QString& name, float passband) {
        return write(name, VecFileBytes(Sweep(1, 30, 290,
                                              [passband](double f) { return Filter(f, passband); }),
                                        1e6f, 30e6f));
    }
    CliRun check(QStringList args) {
        return RunCli(QStringList{"check"} + args + QStringList{"--settings", ini_});
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // No calibration offsets, whatever the machine's own settings say.
        ini_ = write(QStringLiteral("v.ini"), "[PORTSETTING]\ncaloffsetrx=0\ncaloffsettx=0\n");
        QVERIFY(!ini_.isEmpty());
    }

    void exitStatusIsTheVerdict_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("last");
        const QString good = antenna("good.vec", 99);
        const QString bad = antenna("bad.vec", 7.101);
        const QString pass = filter("pass.vec", 250.0f);
        const QString lossy = filter("lossy.vec", 300.0f);  // 3.5 dB in the passband
        const QString antennaLimits = Example("antenna_40m.limits");
        const QString bandpass = Example("bandpass.limits");
        QTest::newRow("antenna passes")
            << QStringList{good, "--limits", antennaLimits} << 0 << QByteArray("PASS");
        QTest::newRow("antenna fails")
            << QStringList{bad, "--limits", antennaLimits} << 1 << QByteArray("FAIL");
        QTest::newRow("filter passes")
            << QStringList{pass, "--limits", bandpass, "--transmission", "--loss-offset", "6"} << 0
            << QByteArray("PASS");
        QTest::newRow("filter fails in the passband")
            << QStringList{lossy, "--limits", bandpass, "--transmission", "--loss-offset", "6"} << 1
            << QByteArray("FAIL");
    }
    void exitStatusIsTheVerdict() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, last);
        const CliRun table = check(args);
        QCOMPARE(table.exitCode, exitCode);
        QCOMPARE(LastLine(table.out), last);
        QVERIFY2(table.err.isEmpty(), table.err.constData());

        const CliRun json = check(args + QStringList{"--json"});
        QCOMPARE(json.exitCode, exitCode);
        QCOMPARE(Json(json).value("pass").toBool(), exitCode == 0);
    }

    // The failing antenna: SWR 2.9 above 7.1 MHz fails both segments there,
    // reported in the order of the file.
    void jsonNamesTheWorstPoint() {
        const CliRun run = check(
            {antenna("bad2.vec", 7.101), "--limits", Example("antenna_40m.limits"), "--json"});
        QCOMPARE(run.exitCode, 1);
        const QJsonArray segments = Json(run).value("segments").toArray();
        QCOMPARE(segments.size(), 2);
        const QJsonObject swr = segments[0].toObject();
        QCOMPARE(swr.value("trace").toString(), "swr");
        QCOMPARE(swr.value("kind").toString(), "max");
        QCOMPARE(swr.value("pass").toBool(), false);
        // 7.0 to 7.2 MHz at 2 kHz a point: 101 points checked, those above 7.1 MHz fail.
        QCOMPARE(swr.value("checked_points").toInt(), 101);
        QCOMPARE(swr.value("failed_points").toInt(), 50);
        QVERIFY(swr.value("worst_frequency_hz").toDouble() > 7.1e6);
        QVERIFY(swr.value("worst_value").toDouble() > 2.8);
        QCOMPARE(swr.value("worst_margin").toDouble(), 1.5 - swr.value("worst_value").toDouble());
        const QJsonObject loss = segments[1].toObject();
        QCOMPARE(loss.value("trace").toString(), "loss");
        QCOMPARE(loss.value("kind").toString(), "min");
        QVERIFY(loss.value("worst_margin").toDouble() < -7.0);
    }

    void segmentsWithoutPoints() {
        const QString none = write("none.limits", "# nothing yet\n");
        const QString far = write("far.limits", "swr max 100 1.5 200 1.5\n");
        const QString vec = antenna("any.vec", 99);
        const CliRun empty = check({vec, "--limits", none});
        QCOMPARE(empty.exitCode, 0);
        QVERIFY(empty.out.contains("no segments"));
        const CliRun emptyJson = check({vec, "--limits", none, "--json"});
        QCOMPARE(emptyJson.exitCode, 0);
        QCOMPARE(Json(emptyJson).value("segments").toArray().size(), 0);
        const CliRun outside = check({vec, "--limits", far, "--json"});
        QCOMPARE(outside.exitCode, 0);
        const QJsonObject s = Json(outside).value("segments").toArray()[0].toObject();
        QCOMPARE(s.value("checked_points").toInt(), 0);
        QVERIFY(s.value("worst_frequency_hz").isNull());
        QVERIFY(s.value("worst_value").isNull());
        QVERIFY(s.value("worst_margin").isNull());
    }

    void refusalsExitWith2_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("named");
        const QString vec = antenna("ok.vec", 99);
        const QString badLine = write("bad.limits", "swr max 7 1.5 7.2 1.5\n\nswr max 7,0 2 8 2\n");
        const QString notVec = write("text.vec", "not a sweep");
        QTest::newRow("bad line") << QStringList{vec, "--limits", badLine}
                                  << QByteArray("bad.limits: line 3: F1 \"7,0\" is not a number");
        QTest::newRow("swr in the Transmission mode")
            << QStringList{vec, "--limits", Example("antenna_40m.limits"), "--transmission"}
            << QByteArray("line 4: the Transmission mode shows no swr");
        QTest::newRow("no .vec file")
            << QStringList{notVec, "--limits", Example("antenna_40m.limits")}
            << QByteArray("text.vec");
        QTest::newRow("no limits file")
            << QStringList{vec, "--limits", dir_.filePath("missing.limits")}
            << QByteArray("missing.limits");
        QTest::newRow("no --limits") << QStringList{vec} << QByteArray("--limits");
        QTest::newRow("no normalisation file")
            << QStringList{vec, "--limits", Example("antenna_40m.limits"), "--open",
                           dir_.filePath("open.vec")}
            << QByteArray("open.vec");
    }
    void refusalsExitWith2() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, named);
        const CliRun run = check(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(named), run.err.constData());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliCheck)
#include "tst_cli_check.moc"
