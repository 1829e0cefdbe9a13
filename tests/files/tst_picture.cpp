// The picture of the window: its caption block reads the readouts the window
// shows, which are `zezizav-cli readout`'s for the same sweep, and "Save
// Picture…" and "Copy Picture" write the picture whole or report why not.
#include <QClipboard>
#include <QSvgRenderer>
#include <QtTest>

#include "window/calibrate_controller.h"
#include "cli_readout.h"
#include "window/average_control.h"
#include "window/picture_menu.h"
#include "files/vec_file.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

// A dip near point 180 of 400, so that every readout has something to say.
QByteArray Sweep() {
    SweepBuffers b;
    b.resize(400);
    for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
        const double d = (static_cast<double>(i) - 180.0) / 30.0;
        b.MagnitudeSamples[i] = static_cast<float>(560.0 + 400.0 * std::exp(-d * d));
        b.PhaseSamples[i] = static_cast<float>(100 + (7 * i) % 800);
    }
    return VecFileBytes(b, 1e6f, 30e6f);
}

void Answer(chart1& w, const QString& path) {
    w.chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
        return path;
    };
}

}  // namespace

class PictureTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString sweep_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        sweep_ = dir_.filePath(QStringLiteral("dip.vec"));
        QString error;
        QVERIFY2(WriteFileSafely(sweep_, Sweep(), &error), qPrintable(error));
    }

    void captionHoldsTheReadouts_data() {
        QTest::addColumn<int>("mode");  // the toolbar button
        QTest::addColumn<bool>("marker2");
        QTest::addColumn<bool>("bandwidth");
        QTest::addColumn<bool>("resistance");  // the Rs and |Xs| traces on
        QTest::newRow("antenna") << 0 << false << false << true;
        QTest::newRow("antenna, no Rs or |Xs| trace") << 0 << true << false << false;
        QTest::newRow("cable loss, marker 2") << 1 << true << false << true;
        QTest::newRow("cable loss, marker 1 alone") << 1 << false << false << true;
        QTest::newRow("cable length, bandwidth and Q") << 2 << true << true << true;
        QTest::newRow("transmission") << 3 << false << false << true;
    }

    void captionHoldsTheReadouts() {
        QFETCH(int, mode);
        QFETCH(bool, marker2);
        QFETCH(bool, bandwidth);
        QFETCH(bool, resistance);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        w.ui.toolbarButtons[static_cast<std::size_t>(mode)]->trigger();
        w.ui.chkBW->setChecked(bandwidth);
        w.cmdAllTraces_Click();  // every readout shown, whatever the mode's preset
        w.ui.chkRS->setChecked(resistance);
        w.ui.chkXS->setChecked(resistance);
        Answer(w, sweep_);
        w.mnuOpen_Click();
        if (marker2) {
            w.picGraph1_MouseUp(2, 0, static_cast<float>(300 * 8835.0 / 400), 0.0f);
        }
        QVERIFY(f.tick());
        QVERIFY(f.tick());

        ReadoutArguments arguments;
        arguments.transmission = mode == 3;
        if (marker2) {
            arguments.marker2 = 300;
        }
        const CliReadoutResult cli = ComputeCliReadout(sweep_, Sweep(), arguments, f.settings);
        QVERIFY2(cli.readout, qPrintable(cli.error));
        const CliReadout& r = *cli.readout;
        const char* const modes[] = {"Antenna", "Cable Loss", "Cable Length", "Transmission"};
        QStringList want = {QStringLiteral("1 to 30 MHz   Points 400   %1   %2")
                                .arg(QLatin1String(modes[mode]), sweep_)};
        for (int m = 0; m < (marker2 ? 2 : 1); ++m) {
            const CliMarkerTexts& t = r.markers[static_cast<std::size_t>(m)];
            want << (mode == 3
                         ? QStringLiteral("Marker %1:   Freq. Hz %2   T.L. %3   Phase %4")
                               .arg(m + 1)
                               .arg(t.frequency, t.loss, t.phase)
                         : QStringLiteral("Marker %1:   Freq. Hz %2   SWR %3   | Z | %4   "
                                          "R.L. %5   Phase %6")
                                   .arg(m + 1)
                                   .arg(t.frequency, t.swr, t.z, t.loss, t.phase) +
                               (resistance ? QStringLiteral("   Rs %1   | Xs | %2").arg(t.rs, t.xs)
                                           : QString()));
        }
        if (bandwidth) {
            want << QStringLiteral("BANDWIDTH and Q:   Bandwidth %1   Q %2").arg(r.bandwidth, r.q);
        }
        if (mode == 1) {  // one marker: one loss, and no captions
            want << (marker2 ? QStringLiteral("CABLE LOSS dB:   Min. %1   Avg. %2   Max. %3")
                                   .arg(r.cableLossMin, r.cableLossAvg, r.cableLossMax)
                             : QStringLiteral("CABLE LOSS dB:   %1").arg(r.cableLossMin));
        }
        if (mode == 2) {
            want << QStringLiteral("CABLE LENGTH:   %1 Meters").arg(r.cableLengthMetres);
        }
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QStringList lines = PictureCaptionLines(w, when);
        QCOMPARE(lines.value(0), QStringLiteral("2026-03-04 05:06:07"));
        QCOMPARE(lines.mid(1), want);
    }

    // A normalised or averaged sweep says so, in the window's own words.
    void captionSaysNormalisedAndAveraged_data() {
        QTest::addColumn<QString>("held");  // the references, by name
        QTest::addColumn<int>("average");   // the View menu's choice
        QTest::addColumn<int>("sweeps");    // decoded since
        QTest::addColumn<QString>("marks");
        QTest::newRow("neither") << QString() << 1 << 3 << QString();
        QTest::newRow("open") << "open" << 1 << 0 << "   Norm: open";
        QTest::newRow("open and short, through held")
            << "open short through" << 1 << 0 << "   Norm: open+short";
        QTest::newRow("averaging") << QString() << 8 << 4 << "   Avg 4/8";
        QTest::newRow("both") << "short" << 2 << 3 << "   Norm: short   Avg 2/2";
    }
    void captionSaysNormalisedAndAveraged() {
        QFETCH(QString, held);
        QFETCH(int, average);
        QFETCH(int, sweeps);
        QFETCH(QString, marks);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        Normalisation n;
        for (const QString& name : held.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            n[*StandardFromName(name.toStdString())] =
                Reference{1e6f, 30e6f, std::vector<float>(50, 700.0f)};
        }
        w.calibrate().use(n);
        Answer(w, sweep_);
        w.mnuOpen_Click();
        auto* choice = w.findChild<QAction*>(QStringLiteral("mnuAverage%1").arg(average));
        QVERIFY(choice);
        choice->trigger();
        for (int k = 0; k < sweeps; ++k) {
            w.averageControl().sweepRequested(1e6f, 29e6 / 400, 400, 0.0f);
            w.averageControl().sweepDecoded();
        }
        QVERIFY(f.tick());
        QCOMPARE(PictureCaptionLines(w, QDateTime::currentDateTime()).value(1),
                 QStringLiteral("1 to 30 MHz   Points 400   Antenna%1   %2").arg(marks, sweep_));
    }

    // Each file as its extension asks, or the PNG of the filter for none; a
    // place that cannot be written is named in a warning and left empty.
    void savePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");  // empty: nothing
        QTest::newRow("png") << "a.png"
                             << "a.png";
        QTest::newRow("svg, any case") << "b.SVG"
                                       << "b.SVG";
        QTest::newRow("no extension") << "c"
                                      << "c.png";
        QTest::newRow("no such folder") << "none/d.png"
                                        << "";
    }

    void savePicture() {
        QFETCH(QString, name);
        QFETCH(QString, written);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        Answer(w, sweep_);
        w.mnuOpen_Click();
        QVERIFY(f.tick());
        Answer(w, dir_.filePath(name));
        w.pictureCommands().mnuSavePicture->trigger();
        const QSize size = PictureSize(WindowPicture(w, QDateTime::currentDateTime()));
        if (written.isEmpty()) {
            QVERIFY(!QFileInfo::exists(dir_.filePath(name)));
            QVERIFY(f.warnings().value(0).contains(dir_.filePath(name)));
            return;
        }
        const QString path = dir_.filePath(written);
        QVERIFY(f.warnings().isEmpty());
        if (PictureFormatOf(path) == PictureFormat::Svg) {
            QSvgRenderer svg(path);
            QVERIFY(svg.isValid());
            QCOMPARE(svg.viewBox().size(), size);
        } else {
            QImage png;
            QVERIFY(png.load(path, "PNG"));
            QCOMPARE(png.size(), size);
        }
    }

    void copyPicture() {
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        QApplication::clipboard()->clear();
        w.pictureCommands().mnuCopyPicture->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), PictureSize(WindowPicture(w, QDateTime::currentDateTime())));
        QVERIFY(!w.ui.chkHold->isChecked());  // a copy leaves the sweep running
    }
};

QTEST_MAIN(PictureTest)
#include "tst_picture.moc"
