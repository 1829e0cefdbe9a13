// The File menu on the real window: Hold first, the dialog's name kept while
// held, cancel silent, failures named, and nothing lost.
#include <sys/stat.h>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include "window/calibrate_controller.h"
#include "cli_readout.h"
#include "window/marker_controls.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

class FileMenuTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    static void answer(chart1& w, const QString& path) {
        w.chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
    }
    static QString warning(const chart1& w) {
        auto* box = w.findChild<QMessageBox*>(QStringLiteral("warningBox"));
        return box ? box->text() : QString();
    }
    static void fillSweep(SweepBuffers& b) {
        for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
            b.MagnitudeSamples[i] = static_cast<float>(i % 1024);
            b.PhaseSamples[i] = static_cast<float>((3 * i) % 1024);
        }
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void saveThenOpenRestoresTheSweep() {
        WindowFixture f;
        f.settings.Champ = 500;
        f.load();
        chart1& w = *f.w;
        fillSweep(f.buffers);
        f.settings.FMin = 1500000.0f;
        f.settings.FMax = 14350000.0f;
        const SweepBuffers saved = f.buffers;
        const QString path = dir_.filePath(QStringLiteral("sweep.vec"));
        answer(w, path);
        w.mnuSaveVec_Click();
        QVERIFY(w.ui.chkHold->isChecked());
        QCOMPARE(QFileInfo(path).size(), qint64{16 * 501 + 8});
        QCOMPARE(w.CommonDialog1FileName, path);

        std::fill(f.buffers.MagnitudeSamples.begin(), f.buffers.MagnitudeSamples.end(), 0.0f);
        w.ui.chkHold->setChecked(false);
        w.ui.chkBands->setChecked(true);
        w.ui.txtStart->setText(QStringLiteral("99"));
        w.mnuOpen_Click();
        QVERIFY(w.ui.chkHold->isChecked());
        QVERIFY(!w.ui.chkBands->isChecked());
        QVERIFY(f.buffers.MagnitudeSamples == saved.MagnitudeSamples);
        QVERIFY(f.buffers.PhaseSamples == saved.PhaseSamples);
        QCOMPARE(w.ui.txtStart->text(), QStringLiteral("1.5"));
        QCOMPARE(w.ui.txtStop->text(), QStringLiteral("14.35"));
        // The next tick keeps the limits read from the file, and names it.
        QVERIFY(f.tick());
        QCOMPARE(f.settings.FMin, 1500000.0f);
        QCOMPARE(f.settings.FMax, 14350000.0f);
        QCOMPARE(w.ui.txtFileName->text(), path);
        QVERIFY(w.ui.fraMinMkr->isHidden());  // a file on show: no minimum-SWR marker
    }

    // A sweep file of 2000 points opens with Champ 6000 at its own points:
    // the graph, the markers, the searches and every readout are the file's,
    // exactly as `zezizav-cli readout` gives them for it, and a normalisation
    // has one loss error per point of it.
    void fileOfItsOwnPoints() {
        WindowFixture f;
        f.settings.FMin = 1e6f;
        f.settings.FMax = 30e6f;
        f.load();
        chart1& w = *f.w;
        QCOMPARE(f.settings.Champ, 6000);
        SweepBuffers file;
        file.resize(2000);
        fillSweep(file);
        // One best match, at point 1500: every other count is 900 or less.
        for (float& n : file.MagnitudeSamples) {
            n = std::min(n, 900.0f);
        }
        file.MagnitudeSamples[1500] = 1023.0f;
        const QByteArray bytes = VecFileBytes(file, 3.5e6f, 3.8e6f);
        const QString path = dir_.filePath(QStringLiteral("2000.vec"));
        QString error;
        QVERIFY2(WriteFileSafely(path, bytes, &error), qPrintable(error));
        answer(w, path);
        w.ui.chkMkr2->setChecked(true);
        w.mnuOpen_Click();
        QCOMPARE(w.points(), 2000);
        QVERIFY(f.buffers.MagnitudeSamples == file.MagnitudeSamples);
        QCOMPARE(w.ui.lblPoints->text(), QStringLiteral("2000"));
        QCOMPARE(w.fields.PointWidth, static_cast<float>(8835.0 / 2000));
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the step follows the limits read from the file
        QCOMPARE(w.ui.picGraph1->traceSegments(GraphWidget::Z), 2001);  // points 0..2000

        ReadoutArguments arguments;
        arguments.file = path;
        const CliReadoutResult cli = ComputeCliReadout(path, bytes, arguments, f.settings);
        QVERIFY2(cli.readout, qPrintable(cli.error));
        const struct {
            QLabel* frequency;
            QLineEdit *swr, *z, *loss, *phase, *rs, *xs;
        } rows[] = {{w.ui.lblMkr1Freq, w.ui.txtMkr1SWR, w.ui.txtMkr1Z, w.ui.txtMkr1RL,
                     w.ui.txtMkr1PH, w.ui.txtMkr1RS, w.ui.txtMkr1XS},
                    {w.ui.lblMkr2Freq, w.ui.txtMkr2SWR, w.ui.txtMkr2Z, w.ui.txtMkr2RL,
                     w.ui.txtMkr2PH, w.ui.txtMkr2RS, w.ui.txtMkr2XS}};
        for (std::size_t m = 0; m < 2; ++m) {
            const CliMarkerTexts& want = cli.readout->markers[m];
            QCOMPARE(m == 0 ? w.fields.Mkr1Index : w.fields.Mkr2Index, want.index);
            QCOMPARE(rows[m].frequency->text(), want.frequency);
            QCOMPARE(rows[m].swr->text(), want.swr);
            QCOMPARE(rows[m].z->text(), want.z);
            QCOMPARE(rows[m].loss->text(), want.loss);
            QCOMPARE(rows[m].phase->text(), want.phase);
            QCOMPARE(rows[m].rs->text(), want.rs);
            QCOMPARE(rows[m].xs->text(), want.xs);
        }
        QCOMPARE(w.ui.txtBandwidth->text(), cli.readout->bandwidth);
        QCOMPARE(w.ui.txtQ->text(), cli.readout->q);

        // The searches look at the file's points.
        w.markerControls().toMinimumSwr();
        QVERIFY(f.tick());
        QCOMPARE(w.fields.Mkr1Index, 1500);

        // A normalisation gives one loss error per point of the file.
        w.calibrate().mnuNormOpen->trigger();
        QVERIFY2(!w.calibrate().lblNorm->isHidden(), qPrintable(f.warnings().join('|')));
        QVERIFY(f.tick());
        QCOMPARE(w.calibrate().lossErrors().size(), std::size_t(2001));
    }

    // A file opened under a normalisation is drawn through it: the status
    // bar says so, and which points it leaves uncorrected; without one, or
    // with one of the other mode only, nothing is said.
    void openedUnderANormalisationSaysSo_data() {
        QTest::addColumn<QString>("held");  // references held, by name
        QTest::addColumn<float>("refMHz");  // the references' stop
        QTest::addColumn<QString>("said");
        QTest::newRow("none") << QString() << 30.0f << QString();
        QTest::newRow("through only, in Antenna") << "through" << 30.0f << QString();
        QTest::newRow("open") << "open" << 30.0f
                              << "Opened %1: shown normalised to open (the phase is not changed)";
        QTest::newRow("open and short")
            << "open short" << 30.0f
            << "Opened %1: shown normalised to open+short (the phase is not changed)";
        QTest::newRow("part outside")
            << "short" << 20.0f
            << "Opened %1: shown normalised to short (the phase is not changed); Normalisation "
               "covers 2.9 to 20 MHz: 50 points outside it are not corrected";
    }
    void openedUnderANormalisationSaysSo() {
        QFETCH(QString, held);
        QFETCH(float, refMHz);
        QFETCH(QString, said);
        WindowFixture f;
        f.settings.Champ = 100;
        f.load();
        chart1& w = *f.w;
        Normalisation n;
        for (const QString& name : held.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            Reference r{1e6f, refMHz * 1e6f, std::vector<float>(10, 700.0f)};
            n[*StandardFromName(name.toStdString())] = std::move(r);
        }
        w.calibrate().use(n);
        SweepBuffers file;
        file.resize(100);
        fillSweep(file);
        const QString path = dir_.filePath(QStringLiteral("normalised.vec"));
        QString error;
        QVERIFY2(WriteFileSafely(path, VecFileBytes(file, 10e6f, 30e6f), &error),
                 qPrintable(error));
        w.statusBar()->clearMessage();
        answer(w, path);
        w.mnuOpen_Click();
        QVERIFY(f.warnings().isEmpty());
        QCOMPARE(w.statusBar()->currentMessage(), said.isEmpty() ? said : said.arg(path));
    }

    // The name shown while held is the file that holds the sweep on the
    // graph: a command that fails leaves the name that was there.
    void failedCommandsKeepTheNameShown() {
        WindowFixture f;
        f.settings.Champ = 10;
        f.load();
        chart1& w = *f.w;
        fillSweep(f.buffers);
        const QString good = dir_.filePath(QStringLiteral("shown.vec"));
        answer(w, good);
        w.mnuSaveVec_Click();
        QCOMPARE(w.CommonDialog1FileName, good);

        const QString bad = dir_.filePath(QStringLiteral("short.vec"));
        QFile out(bad);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("too short");
        out.close();
        const QString missing = dir_.filePath(QStringLiteral("no/such/folder/x"));
        const std::vector<std::pair<QString, void (chart1::*)()>> failures{
            {bad, &chart1::mnuOpen_Click},
            {missing + QStringLiteral(".vec"), &chart1::mnuSaveVec_Click},
            {missing + QStringLiteral(".csv"), &chart1::mnuSaveCsv_Click},
            {missing + QStringLiteral(".s1p"), &chart1::mnuSaveTouchstone_Click}};
        for (const auto& [path, command] : failures) {
            qDeleteAll(w.findChildren<QMessageBox*>());
            answer(w, path);
            (w.*command)();
            QVERIFY2(warning(w).contains(QFileInfo(path).fileName()), qPrintable(warning(w)));
            QCOMPARE(w.CommonDialog1FileName, good);
            QVERIFY(f.tick());
            QCOMPARE(w.ui.txtFileName->text(), good);
        }
    }

    void savingOverALongerFileCutsIt() {
        WindowFixture f;
        f.settings.Champ = 10;
        f.load();
        const QString path = dir_.filePath(QStringLiteral("long.vec"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
        answer(*f.w, path);
        f.w->mnuSaveVec_Click();
        QCOMPARE(QFileInfo(path).size(), qint64{16 * 11 + 8});
    }

    void cancelIsSilentAndChangesNothing() {
        WindowFixture f;
        f.load();
        answer(*f.w, QString());
        fillSweep(f.buffers);
        const SweepBuffers before = f.buffers;
        f.w->mnuOpen_Click();
        f.w->mnuSaveVec_Click();
        f.w->mnuSaveCsv_Click();
        QVERIFY(f.buffers.MagnitudeSamples == before.MagnitudeSamples);
        QVERIFY(warning(*f.w).isEmpty());
        QVERIFY(f.w->ui.chkHold->isChecked());  // Hold stays set
        QVERIFY(f.w->CommonDialog1FileName.isEmpty());
    }

    void badFilesChangeNothingAndAreNamed_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("mentions");  // besides the file's name
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("truncated") << QByteArray(16 * 11, '\0') << "";
        // A size that fits no number of points.
        QTest::newRow("oversized") << QByteArray(16 * 11 + 8 + 8, '\0') << "";
        QByteArray nan(16 * 11 + 8, '\0');
        nan[4] = char(0x00);
        nan[5] = char(0x00);
        nan[6] = char(0xC0);
        nan[7] = char(0x7F);  // a NaN magnitude
        QTest::newRow("not a number") << nan << "point 1";
        SweepBuffers sweep;
        sweep.resize(10);
        QTest::newRow("stop above 1 GHz")
            << VecFileBytes(sweep, 1e6f, 999999.99e6f) << "stop limit";
        sweep.PhaseSamples[7] = 5000.0f;
        QTest::newRow("phase count 5000")
            << VecFileBytes(sweep, 1e6f, 2e6f) << "phase count of point 7 is 5000";
    }
    void badFilesChangeNothingAndAreNamed() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, mentions);
        WindowFixture f;
        f.settings.Champ = 10;
        f.load();
        fillSweep(f.buffers);
        const SweepBuffers before = f.buffers;
        const QString path = dir_.filePath(QStringLiteral("bad.vec"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        answer(*f.w, path);
        f.w->mnuOpen_Click();
        QVERIFY(f.buffers.MagnitudeSamples == before.MagnitudeSamples);
        QVERIFY(f.buffers.PhaseSamples == before.PhaseSamples);
        QCOMPARE(f.w->ui.txtStart->text(), QStringLiteral("1"));
        QVERIFY2(warning(*f.w).contains(path) && warning(*f.w).contains(mentions),
                 qPrintable(warning(*f.w)));
    }

    // A name typed without an extension gets the one the dialog's filter
    // offers; the Open dialog lists any file and starts only from a .vec.
    void dialogNames_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("openStartsWith");
        const auto row = [](const char* name, const char* command, const char* typed,
                            const char* written, const char* openStartsWith) {
            QTest::newRow(name) << QString(command) << QString(typed) << QString(written)
                                << QString(openStartsWith);
        };
        row(".vec", "vec", "ant20m", "ant20m.vec", "ant20m.vec");
        row(".csv", "csv", "ant20m", "ant20m.csv", "");
        row(".s1p", "s1p", "ant20m", "ant20m.s1p", "");
        row(".s2p", "s2p", "ant20m", "ant20m.s2p", "");
        row("own extension kept", "vec", "ant20m.bin", "ant20m.bin", "");
        row("trailing point", "vec", "ant20m.", "ant20m.vec", "ant20m.vec");
    }
    void dialogNames() {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, openStartsWith);
        QTemporaryDir dir;
        WindowFixture f;
        f.settings.Champ = 10;
        f.load();
        chart1& w = *f.w;
        answer(w, dir.filePath(typed));
        if (command == QLatin1String("s2p")) {
            w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        }
        const auto save = command == QLatin1String("vec")   ? &chart1::mnuSaveVec_Click
                          : command == QLatin1String("csv") ? &chart1::mnuSaveCsv_Click
                                                            : &chart1::mnuSaveTouchstone_Click;
        (w.*save)();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QCOMPARE(w.CommonDialog1FileName, dir.filePath(written));

        QStringList offered;
        w.chooseFile = [&](QWidget*, chart1::FileDialog, const QString& filter,
                           const QString& name) {
            offered << filter << name;
            return QString();
        };
        w.mnuOpen_Click();
        const QString start = openStartsWith.isEmpty() ? QString() : dir.filePath(openStartsWith);
        QCOMPARE(offered, (QStringList{"Zureraru_Files (*.vec);;All files (*)", start}));
    }

    // A pipe named like a sweep would block the window until something
    // wrote to it; it is refused at once instead.
    void aPipeIsRefusedWithoutWaiting() {
        WindowFixture f;
        f.load();
        const QString path = dir_.filePath(QStringLiteral("pipe.vec"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        answer(*f.w, path);
        QElapsedTimer clock;
        clock.start();
        f.w->mnuOpen_Click();
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY2(warning(*f.w).contains(path), qPrintable(warning(*f.w)));
        QCOMPARE(f.w->ui.txtStart->text(), QStringLiteral("1"));
    }

    void failedSaveKeepsTheOldFile() {
        if (geteuid() == 0) {
            QSKIP("root writes into read-only folders");
        }
        WindowFixture f;
        f.load();
        QTemporaryDir ro;
        const QString path = QDir(ro.path()).filePath(QStringLiteral("keep.csv"));
        QFile keep(path);
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("precious");
        keep.close();
        QFile::setPermissions(ro.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        answer(*f.w, path);
        f.w->mnuSaveCsv_Click();
        QFile::setPermissions(
            ro.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(contents(path), QByteArray("precious"));
        QVERIFY(warning(*f.w).contains(path));
    }

    void saveIntoAMissingFolderIsReported() {
        WindowFixture f;
        f.load();
        const QString path = dir_.filePath(QStringLiteral("no/such/folder/sweep.vec"));
        answer(*f.w, path);
        f.w->mnuSaveVec_Click();
        QVERIFY(!QFile::exists(path));
        QVERIFY2(warning(*f.w).contains(QStringLiteral("sweep.vec")), qPrintable(warning(*f.w)));
    }

    void csvExportByMode() {
        WindowFixture f;
        f.settings.Champ = 500;
        f.load();
        f.settings.FMin = 1500000.0f;
        f.settings.FMax = 2500000.0f;
        f.buffers.MagnitudeSamples[1] = 600;
        f.buffers.PhaseSamples[1] = 512;
        const QString path = dir_.filePath(QStringLiteral("sweep.csv"));
        answer(*f.w, path);
        f.w->mnuSaveCsv_Click();
        const QList<QByteArray> lines = contents(path).split('\n');
        QCOMPARE(lines.size(), 502 + 1);  // the last CR LF leaves an empty tail
        QCOMPARE(lines[0], QByteArray("\"Frequency(Hz)\",\"Return Loss(dB)\",\"Phase(deg)\"\r"));
        QCOMPARE(lines[1], QByteArray("1502000,15.06,90.11\r"));
        QCOMPARE(lines[501], QByteArray("1500000,2500000\r"));
        QCOMPARE(f.w->fields.FreqStep, 2000.0);

        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        f.w->mnuSaveCsv_Click();
        QVERIFY(contents(path).startsWith("\"Frequency(Hz)\",\"Transmission Loss(dB)\""));
    }

    void touchstoneByMode() {
        WindowFixture f;
        f.settings.Champ = 20;
        f.load();
        fillSweep(f.buffers);
        f.settings.FMin = 1000000.0f;
        f.settings.FMax = 3000000.0f;
        QString offered;
        f.w->chooseFile = [&](QWidget*, chart1::FileDialog, const QString& filter, const QString&) {
            offered = filter;
            return dir_.filePath(QStringLiteral("dut.s1p"));
        };
        f.w->mnuSaveTouchstone_Click();
        QVERIFY(offered.contains(QStringLiteral("*.s1p")));
        const QByteArray s1p = contents(dir_.filePath(QStringLiteral("dut.s1p")));
        QVERIFY(s1p.contains("# Hz S RI R 50"));
        QCOMPARE(s1p.count("\n1100000 "), 1);  // point 1

        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        f.w->mnuSaveTouchstone_Click();
        QVERIFY(offered.contains(QStringLiteral("*.s2p")));
    }
};

QTEST_MAIN(FileMenuTest)
#include "tst_file_menu.moc"
