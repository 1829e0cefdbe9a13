// zezizav-cli readout on .vec files written by the program's own writer: the
// JSON carries the readouts the rules give for that sweep, and every failure
// is one line on stderr with a non-zero exit and nothing on stdout.

#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_readout.h"
#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

// A resonance: the match improves towards point 300 of 600.
SweepBuffers Resonance() {
    SweepBuffers b;
    b.resize(600);
    for (int i = 1; i <= 600; ++i) {
        b.MagnitudeSamples[static_cast<std::size_t>(i)] =
            static_cast<float>(900 - std::abs(i - 300));
        b.PhaseSamples[static_cast<std::size_t>(i)] = static_cast<float>(200 + i);
    }
    return b;
}

}  // namespace

class TestCliReadout : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString file = dir_.filePath(name);
        QString error;
        return WriteFileSafely(file, bytes, &error) ? file : QString();
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void jsonMatchesTheRules() {
        const QByteArray bytes = VecFileBytes(Resonance(), 10e6f, 16e6f);
        const QString vec = write(QStringLiteral("res.vec"), bytes);
        const QString ini = write(QStringLiteral("v.ini"),
                                  "[PARAMETERS]\r\nStep=3\r\nInputVelFactor=0.8\r\n"
                                  "[PORTSETTING]\r\ncaloffsetrx=5\r\n");
        QVERIFY(!vec.isEmpty() && !ini.isEmpty());
        const QStringList args{"readout", vec,      "--marker1",  "250", "--marker2",
                               "350",     "--json", "--settings", ini,   "--loss-offset",
                               "0.5"};
        const CliRun run = RunCli(args);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        QJsonParseError error;
        const QJsonObject got = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);

        // The same file, arguments and settings through the rules directly.
        Settings settings;
        settings.Step = 3;
        settings.InputVelFactor = 0.8f;
        settings.caloffsetrx = 5;
        const CliParseResult parsed = ParseCliArguments(args);
        QVERIFY(parsed.arguments);
        const CliReadoutResult expected =
            ComputeCliReadout(vec, bytes, parsed.arguments->readout, settings);
        QVERIFY(expected.readout);
        QCOMPARE(got, QJsonDocument::fromJson(CliReadoutJson(*expected.readout)).object());

        // Marker 3 on the resonance; markers snapped to Step 3; 10 kHz a point.
        const QJsonObject markers = got.value("markers").toObject();
        QCOMPARE(markers.value("3").toObject().value("index").toInt(), 300);
        QCOMPARE(markers.value("3").toObject().value("frequency").toString(),
                 QStringLiteral("13,000,000"));
        QCOMPARE(markers.value("1").toObject().value("index").toInt(), 249);
        QCOMPARE(markers.value("2").toObject().value("index").toInt(), 351);
        QCOMPARE(got.value("bandwidth").toString(), QStringLiteral("1,020,000"));
        QCOMPARE(got.value("points").toInt(), 600);
        QCOMPARE(got.value("fmax_hz").toDouble(), 16e6);
        // 849 x 0.0587 - 20.16 + 0.5 + 0.5
        QCOMPARE(markers.value("1").toObject().value("loss").toString(), QStringLiteral("30.68"));
    }

    void table() {
        const QString vec = write(QStringLiteral("t.vec"), VecFileBytes(Resonance(), 1e6f, 7e6f));
        const CliRun run = RunCli({"readout", vec, "--transmission", "--settings",
                                   write(QStringLiteral("empty.ini"), "")});
        QCOMPARE(run.exitCode, 0);
        const QString text = QString::fromUtf8(run.out);
        for (const char* heading : {"Marker 1", "Marker 2", "Marker 3", "Bandwidth", "Cable"}) {
            QVERIFY2(text.contains(QLatin1String(heading)), heading);
        }
        QVERIFY(!text.contains(QStringLiteral("SWR:")));  // Transmission: no SWR rows
    }

    void failures_data() {
        QTest::addColumn<QString>("file");  // under the temporary folder
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");
        const QByteArray good = VecFileBytes(Resonance(), 1e6f, 7e6f);
        QTest::newRow("bad size") << "bad.vec" << good.left(good.size() - 16 + 3) << QStringList{}
                                  << 1 << "bytes";
        QTest::newRow("missing file") << "" << QByteArray() << QStringList{} << 1 << "none.vec";
        QTest::newRow("marker beyond the points")
            << "good.vec" << good << QStringList{"--marker2", "601"} << 2 << "--marker2";
        SweepBuffers impossible = Resonance();
        impossible.MagnitudeSamples[12] = 1e30f;
        QTest::newRow("impossible count") << "huge.vec" << VecFileBytes(impossible, 1e6f, 7e6f)
                                          << QStringList{} << 1 << "point 12 is 1E+30";
        QTest::newRow("bad settings")
            << "good.vec" << good << QStringList{"--settings", "BAD"} << 2 << "Step";
        QTest::newRow("bad option")
            << "good.vec" << good << QStringList{"--marker", "5"} << 2 << "--marker";
    }
    void failures() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, extra);
        QFETCH(QString, mentions);
        const QString vec =
            file.isEmpty() ? dir_.filePath(QStringLiteral("none.vec")) : write(file, bytes);
        QVERIFY(!vec.isEmpty());
        const qsizetype bad = extra.indexOf(QStringLiteral("BAD"));
        if (bad >= 0) {
            extra[bad] = write(QStringLiteral("bad.ini"), "[PARAMETERS]\nStep=x\n");
        }
        const CliRun run = RunCli(QStringList{"readout", vec, "--json"} + extra);
        QTEST(run.exitCode, "exitCode");
        const QByteArray err = run.err.trimmed();
        QVERIFY2(!err.isEmpty() && !err.contains('\n'), run.err.constData());
        QVERIFY2(err.contains(mentions.toLocal8Bit()), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliReadout)
#include "tst_cli_readout.moc"
