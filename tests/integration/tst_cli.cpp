// zezizav-cli against zezizav-sim over a real pseudo-terminal: a good sweep
// lands in the file, and every failure leaves the output file as it was.

#include <QtTest>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Index of the largest (bestMatch) or smallest magnitude count among 1..Champ.
std::int32_t ExtremeMagnitude(const SweepBuffers& b, bool largest) {
    std::int32_t at = 1;
    for (std::int32_t i = 2; i <= b.champ(); ++i) {
        const float v = b.MagnitudeSamples[i];
        if (largest ? v > b.MagnitudeSamples[at] : v < b.MagnitudeSamples[at]) {
            at = i;
        }
    }
    return at;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    QString writeSettings(const QByteArray& text) {
        const QString file = path(QStringLiteral("vezizo.ini"));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            return {};
        }
        return file;
    }

    // Runs a sweep that must succeed and returns what it saved.
    VecFileData sweep(const QStringList& simArgs, const QStringList& cliArgs, int champ) {
        TestSupport::SimProcess sim;
        QString error;
        if (!sim.start(simArgs, &error)) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        const QString out = path(QStringLiteral("good.vec"));
        QFile::remove(out);
        const CliRun run =
            RunCli(QStringList{"sweep", "--device", sim.ptyPath(), "--output", out} + cliArgs);
        if (run.exitCode != 0) {
            qWarning("exit %d: %s\n%s", run.exitCode, run.err.constData(),
                     qPrintable(sim.output()));
            return {};
        }
        const QByteArray bytes = ReadAll(out);
        if (bytes.size() != VecFileSize(champ)) {
            qWarning("%lld bytes", static_cast<long long>(bytes.size()));
            return {};
        }
        VecReadResult read = ReadVecBytes(bytes, champ);
        if (!read.data) {
            qWarning("%s", qPrintable(read.error));
            return {};
        }
        return *read.data;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void antennaSweep() {
        const VecFileData d = sweep({}, {"--start", "1", "--stop", "30", "--points", "2900"}, 2900);
        QCOMPARE(d.buffers.champ(), 2900);
        QCOMPARE(d.FMin, 1e6f);
        QCOMPARE(d.FMax, 30e6f);
        // Element 0 is never written by a sweep, the reserved block is zero.
        QCOMPARE(d.buffers.MagnitudeSamples[0], 0.0f);
        QCOMPARE(d.buffers.PhaseSamples[0], 0.0f);
        for (const double r : d.buffers.ReservedSamples) {
            QCOMPARE(r, 0.0);
        }
        const double freqStep = (double(d.FMax) - double(d.FMin)) / 2900;
        const std::int32_t best = ExtremeMagnitude(d.buffers, true);
        const double bestHz = d.FMin + best * freqStep;
        QVERIFY2(std::fabs(bestHz - 14.2e6) < 50e3, qPrintable(QString::number(bestHz)));
        QVERIFY(d.buffers.MagnitudeSamples[best] > 600.0f);  // about 20 dB return loss
    }

    // Transmission reaches the analyser as mode 1: the filter's pass band
    // (lowest loss) shows, where reflection would show its worst match.
    void transmissionWithPointsFromSettings() {
        const QString ini = writeSettings("[PARAMETERS]\r\nChamp=400\r\n");
        QVERIFY(!ini.isEmpty());
        const VecFileData d =
            sweep({"--dut", "filter"},
                  {"--start", "10", "--stop", "18", "--transmission", "--settings", ini}, 400);
        QCOMPARE(d.buffers.champ(), 400);
        const double freqStep = (double(d.FMax) - double(d.FMin)) / 400;
        const double passHz = d.FMin + ExtremeMagnitude(d.buffers, false) * freqStep;
        QVERIFY2(std::fabs(passHz - 14.2e6) < 200e3, qPrintable(QString::number(passHz)));
    }

    void spoiledReadingsAreKeptAndReported() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--fault", "garbage-high", "--dut", "load"}, &error),
                 qPrintable(error));
        const QString out = path(QStringLiteral("spoiled.vec"));
        const CliRun run = RunCli({"sweep", "--device", sim.ptyPath(), "--start", "1", "--stop",
                                   "2", "--points", "200", "--output", out});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("high part above 3"), run.err.constData());
        const VecReadResult read = ReadVecBytes(ReadAll(out), 200);
        QVERIFY(read.data);
        // A load answers 1023 everywhere; a spoiled magnitude kept its 0.
        int zeros = 0;
        for (int i = 1; i <= 200; ++i) {
            const float m = read.data->buffers.MagnitudeSamples[i];
            QVERIFY(m == 1023.0f || m == 0.0f);
            zeros += m == 0.0f;
        }
        QVERIFY(zeros < 200);
    }

    void failuresLeaveTheFileAlone_data() {
        QTest::addColumn<QStringList>("simArgs");  // empty list with "none": no simulator
        QTest::addColumn<QStringList>("cliArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");
        const QStringList range{"--start", "1", "--stop", "30", "--points", "500"};
        QTest::newRow("timeout") << QStringList{"--fault", "silent"}
                                 << range + QStringList{"--timeout-ms", "400"} << 1 << "No reply";
        QTest::newRow("short reply") << QStringList{"--fault", "short"}
                                     << range + QStringList{"--timeout-ms", "600"} << 1 << "Short";
        QTest::newRow("surplus reply")
            << QStringList{"--fault", "surplus"} << range << 1 << "Surplus";
        QTest::newRow("hangup") << QStringList{"--fault", "hangup", "--pace"} << range << 1 << "";
        QTest::newRow("FMin = FMax")
            << QStringList{} << QStringList{"--start", "14.2", "--stop", "14.2"} << 2
            << "same frequency";
        QTest::newRow("word out of range")
            << QStringList{} << QStringList{"--start", "250", "--stop", "260"} << 2 << "range";
        QTest::newRow("bad argument")
            << QStringList{} << range + QStringList{"--points", "0"} << 2 << "--points";
        QTest::newRow("bad settings")
            << QStringList{} << QStringList{"--start", "1", "--stop", "2", "--settings", "BAD"} << 2
            << "Champ";
        QTest::newRow("settings file missing")
            << QStringList{} << range + QStringList{"--settings", "/nonexistent/vezizo.ini"} << 2
            << "/nonexistent/vezizo.ini";
        QTest::newRow("no such device") << QStringList{"none"} << range << 1 << "/nonexistent/tty";
    }
    void failuresLeaveTheFileAlone() {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, cliArgs);
        QFETCH(QString, mentions);

        const qsizetype bad = cliArgs.indexOf(QStringLiteral("BAD"));
        if (bad >= 0) {
            cliArgs[bad] = writeSettings("[PARAMETERS]\nChamp=0\n");
        }
        TestSupport::SimProcess sim;
        QString device = QStringLiteral("/nonexistent/tty");
        if (simArgs != QStringList{"none"}) {
            QString error;
            QVERIFY2(sim.start(simArgs, &error), qPrintable(error));
            device = sim.ptyPath();
        }

        // An older file must come through byte for byte, its time unchanged;
        // a missing one must not appear.
        QTemporaryDir outDir;
        const QString existing = outDir.filePath(QStringLiteral("existing.vec"));
        const QByteArray old = QByteArray("an earlier sweep that must survive");
        {
            QFile f(existing);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(old), old.size());
            const QDateTime then =
                QDateTime::fromString(QStringLiteral("2020-01-02T03:04:05Z"), Qt::ISODate);
            QVERIFY(f.setFileTime(then, QFileDevice::FileModificationTime));
        }
        const QDateTime before = QFileInfo(existing).lastModified();
        const QString missing = outDir.filePath(QStringLiteral("missing.vec"));

        for (const QString& out : {existing, missing}) {
            const CliRun run =
                RunCli(QStringList{"sweep", "--device", device, "--output", out} + cliArgs);
            QTEST(run.exitCode, "exitCode");
            const QByteArray err = run.err.trimmed();
            QVERIFY2(!err.isEmpty() && !err.contains('\n'), run.err.constData());
            QVERIFY2(err.contains(mentions.toLocal8Bit()), run.err.constData());
            QVERIFY(run.out.isEmpty());
            if (simArgs.contains(QStringLiteral("hangup"))) {
                break;  // the simulator is gone after its first exchange
            }
        }
        QCOMPARE(ReadAll(existing), old);
        QCOMPARE(QFileInfo(existing).lastModified(), before);
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"existing.vec"});
    }

    void unwritableOutput() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({}, &error), qPrintable(error));
        const QString out = path(QStringLiteral("no/such/folder/x.vec"));
        const CliRun run = RunCli({"sweep", "--device", sim.ptyPath(), "--start", "1", "--stop",
                                   "2", "--points", "10", "--output", out});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(out.toLocal8Bit()), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
