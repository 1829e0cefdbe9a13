// The "&Calibrate" menu on the real window: a reference taken from the
// buffers corrects the readouts, the traces' numbers and the exports, never
// the saved .vec; the mark in INFO follows the mode; .norm files go both ways.
#include <QStatusBar>
#include <QtTest>

#include "window/calibrate_controller.h"
#include "files/vec_file.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

constexpr std::int32_t kChamp = 200;

// An open seen through a detector that loses about 2 dB towards the top.
void FillOpen(SweepBuffers& b) {
    for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
        b.MagnitudeSamples[i] = std::round(343.0f + 0.17f * static_cast<float>(i));
        b.PhaseSamples[i] = 0.0f;
    }
}

// A 25-ohm load through the same detector: 163 counts (9.57 dB) above the open.
void FillLoad(SweepBuffers& b) {
    FillOpen(b);
    for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
        b.MagnitudeSamples[i] += 163.0f;
        b.PhaseSamples[i] = 1023.0f;
    }
}

QString WithoutAccessKey(QString text) {
    return text.remove(QLatin1Char('&'));
}

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestCalibrateMenu : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    WindowFixture f_;

    CalibrateController& calibrate() { return f_.w->calibrate(); }
    void answer(const QString& path) {
        f_.w->chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
    }
    QString status() const { return f_.w->statusBar()->currentMessage(); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        f_.settings.Champ = kChamp;
        f_.load();
        QVERIFY(f_.tick());  // the limits come from the boxes: 1 to 180 MHz
    }

    void menuAndMark() {
        QStringList menus;
        for (QAction* a : f_.w->menuBar()->actions()) {
            menus << a->text();
        }
        QCOMPARE(menus, QStringList({"&File", "&View", "&Markers", "M&emory", "&Calibrate",
                                     "&Limits", "&Port", "&About"}));
        QStringList items;
        for (QAction* a : calibrate().mnuCalibrate->actions()) {
            items << WithoutAccessKey(a->text());
        }
        QCOMPARE(items, QStringList({"Normalise to open", "Normalise to short",
                                     "Normalise to through", "", "Clear normalisation", "",
                                     "Save normalisation\u2026", "Load normalisation\u2026"}));
        QVERIFY(calibrate().lblNorm->isHidden());
        QCOMPARE(calibrate().lblNorm->accessibleDescription(), QStringLiteral("lblNorm"));
    }

    void openCorrectsReadoutsAndExports() {
        chart1& w = *f_.w;
        const int infoHeight = w.ui.fraInfo->height();
        FillOpen(f_.buffers);
        calibrate().mnuNormOpen->trigger();
        QVERIFY2(status().contains(QLatin1String("the phase is not changed")),
                 qPrintable(status()));
        FillLoad(f_.buffers);
        QVERIFY(f_.tick());
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("9.57"));
        QCOMPARE(w.ui.txtMkr1SWR->text(), QStringLiteral("1.99"));
        QCOMPARE(calibrate().lblNorm->text(), QStringLiteral("Norm: open"));
        QVERIFY(!calibrate().lblNorm->isHidden());
        QVERIFY(calibrate().lblNorm->toolTip().contains(QLatin1String("phase is not changed")));
        QVERIFY(w.ui.fraInfo->height() > infoHeight);

        // A through serves only the Transmission mode.
        calibrate().mnuNormThrough->trigger();
        QVERIFY(f_.warnings().last().contains(QLatin1String("Transmission mode")));
        QVERIFY(!calibrate().normalisation()[Standard::Through]);

        // The .csv keeps its format with the corrected loss; Touchstone says so;
        // the .vec keeps the raw counts.
        const QString csv = dir_.filePath(QStringLiteral("n.csv"));
        answer(csv);
        w.mnuSaveCsv_Click();
        const QList<QByteArray> lines = Contents(csv).split('\n');
        QCOMPARE(lines.size(), kChamp + 3);  // the last CR LF leaves an empty piece
        QVERIFY2(lines[1].startsWith("1895000,9.57,180.05\r"), lines[1].constData());
        const QString s1p = dir_.filePath(QStringLiteral("n.s1p"));
        answer(s1p);
        w.mnuSaveTouchstone_Click();
        QVERIFY(
            Contents(s1p).contains("! Normalised: the magnitudes are corrected point by point "
                                   "against open; the phase is not changed\n"));
        const QString vec = dir_.filePath(QStringLiteral("n.vec"));
        answer(vec);
        w.mnuSaveVec_Click();
        QCOMPARE(Contents(vec), VecFileBytes(f_.buffers, w.settings().FMin, w.settings().FMax));

        // A calibration offset changed while running cancels as before.
        w.settings().caloffsetrx = 20;
        QVERIFY(f_.tick());
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("9.57"));
        w.settings().caloffsetrx = 0;

        // In the Transmission mode the open corrects nothing and the mark goes.
        w.ui.chkHold->setChecked(false);
        w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        QVERIFY(f_.tick());
        QVERIFY(calibrate().lblNorm->isHidden());
        QCOMPARE(w.ui.fraInfo->height(), infoHeight);
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("10.01"));  // 514 raw counts
        w.Toolbar1_ButtonClick(QStringLiteral("Antenna"));
        QVERIFY(f_.tick());
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("9.57"));
    }

    void saveClearLoad() {
        chart1& w = *f_.w;
        const Normalisation taken = calibrate().normalisation();
        QVERIFY(taken[Standard::Open]);
        answer(dir_.filePath(QStringLiteral("bench")));
        calibrate().mnuNormSave->trigger();
        const QString saved = dir_.filePath(QStringLiteral("bench.norm"));
        QVERIFY(QFileInfo::exists(saved));

        const int infoHeight = w.ui.fraInfo->height();
        calibrate().mnuNormClear->trigger();
        QVERIFY(f_.tick());
        QVERIFY(calibrate().normalisation().empty());
        QVERIFY(calibrate().lblNorm->isHidden());
        QVERIFY(w.ui.fraInfo->height() < infoHeight);
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("10.01"));

        answer(saved);
        calibrate().mnuNormLoad->trigger();
        QVERIFY(calibrate().normalisation() == taken);
        QVERIFY(f_.tick());
        QCOMPARE(w.ui.txtMkr1RL->text(), QStringLiteral("9.57"));

        // A file that is no normalisation changes nothing.
        const QString bad = dir_.filePath(QStringLiteral("bad.norm"));
        QString error;
        QVERIFY(WriteFileSafely(bad, "Zezizav normalisation 1\nopen 1 2 1\n2000\n", &error));
        answer(bad);
        calibrate().mnuNormLoad->trigger();
        QVERIFY(f_.warnings().last().contains(QLatin1String("no detector count")));
        QVERIFY(calibrate().normalisation() == taken);
    }

    // A sweep reaching beyond the reference: those points are not corrected,
    // and the status bar says so.
    void outsideTheReference() {
        chart1& w = *f_.w;
        w.statusBar()->clearMessage();
        w.ui.txtStop->setText(QStringLiteral("359"));
        QVERIFY(f_.tick());
        QVERIFY2(status().contains(QLatin1String("Normalisation covers 1.895 to 180 MHz: 100 "
                                                 "points outside it are not corrected")),
                 qPrintable(status()));
    }
};

QTEST_MAIN(TestCalibrateMenu)
#include "tst_calibrate_menu.moc"
