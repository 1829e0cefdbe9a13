// zezizav-cli convert against the window's own export: a sweep saved as .vec
// and exported through the File menu, then converted by the built program with
// the same settings file, gives the same .csv byte for byte and the same
// Touchstone file but for its date line. Failures write nothing.

#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include "files/vec_file.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Offsets of every kind, so that a mode's key or caloffsetvalue taken wrongly
// shows in the numbers.
const QByteArray kIni =
    "[PARAMETERS]\r\nChamp=400\r\n"
    "[PORTSETTING]\r\ncaloffsetrx=7\r\ncaloffsettx=-12\r\ncaloffsetvalue=15\r\n";

QList<QByteArray> WithoutDate(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    lines.removeIf([](const QByteArray& l) { return l.startsWith("! Date: "); });
    return lines;
}

}  // namespace

class TestCliConvert : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString file = dir_.filePath(name);
        QString error;
        return WriteFileSafely(file, bytes, &error) ? file : QString();
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void sameAsTheWindow_data() {
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("lossOffset");
        QTest::addColumn<float>("calOffsetDb");
        QTest::newRow("reflection") << false << "1.25" << 0.7f;
        QTest::newRow("transmission") << true << " -0.5" << -1.2f;
        QTest::newRow("no loss offset") << false << "" << 0.7f;
    }
    void sameAsTheWindow() {
        QFETCH(bool, transmission);
        QFETCH(QString, lossOffset);
        QFETCH(float, calOffsetDb);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        const QString ini = write(tag + ".ini", kIni);
        QVERIFY(!ini.isEmpty());

        WindowFixture f;
        f.settings = ParseSettings(kIni.toStdString()).settings;
        QCOMPARE(f.settings.Champ, 400);
        f.load();
        chart1& w = *f.w;
        w.ui.chkHold->setChecked(true);
        if (transmission) {
            w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        }
        w.ui.txtLossOffset->setText(lossOffset);
        QVERIFY(f.tick());  // takes the mode's calibration offset
        QCOMPARE(w.fields.CalOffsetDb, calOffsetDb);

        // A sweep with ties and both signs of loss in it (counts up to 1022.5).
        for (std::size_t i = 0; i < f.buffers.MagnitudeSamples.size(); ++i) {
            f.buffers.MagnitudeSamples[i] = static_cast<float>((i * 37) % 1023) + 0.5f * (i % 2);
            f.buffers.PhaseSamples[i] = static_cast<float>((i * 11) % 1024);
        }
        f.settings.FMin = 1500000.0f;
        f.settings.FMax = 14350000.0f;

        const auto saveThrough = [&](void (chart1::*click)(), const QString& name) {
            const QString path = dir_.filePath(tag + name);
            w.chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
                return path;
            };
            (w.*click)();
            return path;
        };
        const QString vec = saveThrough(&chart1::mnuSaveVec_Click, ".vec");
        const QString csv = saveThrough(&chart1::mnuSaveCsv_Click, "_window.csv");
        const QString touchstone = saveThrough(&chart1::mnuSaveTouchstone_Click,
                                               transmission ? "_window.s2p" : "_window.s1p");
        const QByteArray windowCsv = Contents(csv);
        const QByteArray windowTouchstone = Contents(touchstone);
        QVERIFY(windowCsv.count("\r\n") == 402);
        QVERIFY(windowTouchstone.contains("# Hz S RI R 50"));

        const QString cliCsv = dir_.filePath(tag + "_cli.csv");
        QStringList args{"convert", vec, "--output", cliCsv, "--settings", ini};
        if (transmission) {
            args << "--transmission";
        }
        if (!lossOffset.isEmpty()) {
            args << "--loss-offset" << lossOffset;
        }
        CliRun run = RunCli(args);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(run.err.isEmpty());
        QCOMPARE(Contents(cliCsv), windowCsv);

        // Touchstone; .s2p alone is enough to take the Transmission mode.
        const QString cliTouchstone = dir_.filePath(tag + (transmission ? "_cli.s2p" : "_cli.s1p"));
        args[3] = cliTouchstone;
        args.removeAll(QStringLiteral("--transmission"));
        run = RunCli(args);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray cliText = Contents(cliTouchstone);
        QVERIFY(cliText.contains("! Date: "));
        QCOMPARE(WithoutDate(cliText), WithoutDate(windowTouchstone));
    }

    // sweep --output with a .csv or .s2p name writes what convert writes for
    // the same sweep saved as .vec (the simulator answers alike each time).
    void sweepWritesTheSameFiles() {
        const QString ini = write(QStringLiteral("sweep.ini"), kIni);
        QVERIFY(!ini.isEmpty());
        const auto sweepTo = [&](const QString& name, const QStringList& extra) {
            TestSupport::SimProcess sim;
            QString error;
            if (!sim.start({"--dut", "filter"}, &error)) {
                qWarning("%s", qPrintable(error));
                return QString();
            }
            const QString out = dir_.filePath(name);
            const CliRun run = RunCli(QStringList{"sweep", "--device", sim.ptyPath(), "--start",
                                                  "10", "--stop", "18", "--settings", ini,
                                                  "--loss-offset", "0.3", "--output", out} +
                                      extra);
            if (run.exitCode != 0) {
                qWarning("exit %d: %s", run.exitCode, run.err.constData());
                return QString();
            }
            return out;
        };
        const QString vec = sweepTo(QStringLiteral("sw.vec"), {"--transmission"});
        const QString csv = sweepTo(QStringLiteral("sw.csv"), {"--transmission"});
        const QString s2p = sweepTo(QStringLiteral("sw.s2p"), {});  // .s2p: transmission
        QVERIFY(!vec.isEmpty() && !csv.isEmpty() && !s2p.isEmpty());
        QCOMPARE(QFileInfo(vec).size(), VecFileSize(400));

        const QString convertedCsv = dir_.filePath(QStringLiteral("sw_cli.csv"));
        const QString convertedS2p = dir_.filePath(QStringLiteral("sw_cli.s2p"));
        for (const QString& out : {convertedCsv, convertedS2p}) {
            const CliRun run = RunCli({"convert", vec, "--output", out, "--settings", ini,
                                       "--transmission", "--loss-offset", "0.3"});
            QVERIFY2(run.exitCode == 0, run.err.constData());
        }
        const QByteArray sweptCsv = Contents(csv);
        QVERIFY(sweptCsv.startsWith("\"Frequency(Hz)\",\"Transmission Loss(dB)\""));
        QCOMPARE(sweptCsv, Contents(convertedCsv));
        const QByteArray sweptS2p = Contents(s2p);
        QVERIFY(sweptS2p.contains("! Mode: Transmission"));
        QCOMPARE(WithoutDate(sweptS2p), WithoutDate(Contents(convertedS2p)));
    }

    void failuresWriteNothing_data() {
        QTest::addColumn<QByteArray>("vec");  // empty: no such file
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");
        SweepBuffers b;
        b.resize(20);
        const QByteArray good = VecFileBytes(b, 1e6f, 2e6f);
        QByteArray nan = good;
        nan[4 * 3 + 3] = char(0x7f);  // magnitude 3 becomes a NaN
        nan[4 * 3 + 2] = char(0xc0);
        QTest::newRow("no such file")
            << QByteArray() << QStringList{} << "a.csv" << 1 << "none.vec";
        QTest::newRow("size of no .vec")
            << good.left(good.size() - 5) << QStringList{} << "b.csv" << 1 << "bytes";
        QTest::newRow("not finite") << nan << QStringList{} << "c.s1p" << 1 << "in.vec";
        QTest::newRow("other extension") << good << QStringList{} << "d.txt" << 2 << "d.txt";
        QTest::newRow(".s1p in transmission")
            << good << QStringList{"--transmission"} << "e.s1p" << 2 << ".s2p";
        QTest::newRow("bad settings")
            << good << QStringList{"--settings", "BAD"} << "f.csv" << 2 << "Step";
        QTest::newRow("folder missing") << good << QStringList{} << "no/such/g.csv" << 3 << "g.csv";
    }
    void failuresWriteNothing() {
        QFETCH(QByteArray, vec);
        QFETCH(QStringList, extra);
        QFETCH(QString, output);
        QFETCH(QString, mentions);
        const QString in = vec.isEmpty() ? dir_.filePath(QStringLiteral("none.vec"))
                                         : write(QStringLiteral("in.vec"), vec);
        QVERIFY(!in.isEmpty());
        const qsizetype bad = extra.indexOf(QStringLiteral("BAD"));
        if (bad >= 0) {
            extra[bad] = write(QStringLiteral("bad.ini"), "[PARAMETERS]\nStep=x\n");
        }
        const QString out = dir_.filePath(output);
        const CliRun run = RunCli(QStringList{"convert", in, "--output", out} + extra);
        QTEST(run.exitCode, "exitCode");
        const QByteArray err = run.err.trimmed();
        QVERIFY2(!err.isEmpty() && !err.contains('\n'), run.err.constData());
        QVERIFY2(err.contains(mentions.toLocal8Bit()), run.err.constData());
        QVERIFY(!QFileInfo::exists(out));
    }

    void failureKeepsAnExistingOutput() {
        const QString out = write(QStringLiteral("kept.csv"), "old\r\n");
        const QString in = write(QStringLiteral("short.vec"), QByteArray(100, '\0'));
        const CliRun run = RunCli({"convert", in, "--output", out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Contents(out), QByteArray("old\r\n"));
    }
};

QTEST_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
