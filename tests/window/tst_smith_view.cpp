// View → "Smith chart" in the window: nothing is worked out while it is
// hidden; shown, it reads the sweep on the graph after every tick, signs Im G
// by causality, and reads out the chosen point (a click, the keys) as Rs,
// the signed Xs and L or C. Transmission shows why there is no chart.
#include <QtTest>

#include <numbers>

#include "dut_models.h"
#include "support/test_support.h"
#include "timedomain/smith_graph.h"
#include "window/smith_view.h"

using TestSupport::WindowFixture;

namespace {

struct Window : WindowFixture {
    QTemporaryDir folder;

    explicit Window(std::int32_t points = 2000, float fMin = 1e6f, float fMax = 180e6f) {
        settings.FMin = fMin;
        settings.FMax = fMax;
        settings.Champ = points;
        load();
    }
    SmithView& view() { return w->smithView(); }
    QString text(const char* name) {
        return view().view()->findChild<QLabel*>(QLatin1String(name))->text();
    }
    // The detector's counts of the load at every point, as a sweep leaves them.
    void measure(const Sim::DutSettings& dut) {
        const double step = (double(settings.FMax) - settings.FMin) / settings.Champ;
        for (std::int32_t k = 1; k <= settings.Champ; ++k) {
            const Sim::Counts c = Sim::CountsOf(Sim::Reflection(dut, settings.FMin + k * step));
            buffers.MagnitudeSamples[k] = static_cast<float>(c.magnitude);
            buffers.PhaseSamples[k] = static_cast<float>(c.phase);
        }
    }
    // The MHz the readout starts with, after "Point n: ".
    double readoutMHz() {
        const QString t = text("lblSmithMarker");
        return t.section(QLatin1String(": "), 1).section(QLatin1Char(' '), 0, 0).toDouble();
    }
};

Sim::DutSettings Dut(Sim::Dut kind, double f0Hz = 14.2e6) {
    Sim::DutSettings d;
    d.dut = kind;
    d.f0Hz = f0Hz;
    return d;
}

}  // namespace

class SmithViewTest : public QObject {
    Q_OBJECT
private slots:
    // The dipole is capacitive over the whole band: "-" inferred, C in pF;
    // a whip tuned to 30 MHz is inductive at the top of it.
    void signAndReadoutAfterEveryTick() {
        Window f;
        f.measure(Dut(Sim::Dut::Dipole));
        QVERIFY(f.tick());
        QVERIFY(f.view().signs().empty());  // hidden: no work in the tick
        QAction* item = f.w->findChild<QAction*>(QStringLiteral("mnuSmith"));
        QVERIFY(item && !item->shortcut().isEmpty());
        item->trigger();
        QVERIFY(f.view().view()->isVisible());
        QCOMPARE(f.view().view()->windowTitle(), QStringLiteral("Smith chart"));
        const std::vector<ReactanceSign>& signs = f.view().signs();
        QCOMPARE(signs.size(), std::size_t{2000});
        const auto minus = std::count(signs.begin(), signs.end(), ReactanceSign::Minus);
        QVERIFY2(minus > 1800, qPrintable(QString::number(minus)));

        SmithGraph* chart = f.view().graph();
        QTest::keyClick(chart, Qt::Key_End);
        QString readout = f.text("lblSmithMarker");
        QVERIFY2(std::abs(f.readoutMHz() - 180.0) < 0.001 && readout.contains("Xs -") &&
                     readout.contains("(- inferred)") && readout.contains(" pF") &&
                     !readout.contains(QString::fromUtf8("\u00b5H")),
                 qPrintable(readout));
        // The model's 5 pF with its 127 nH in series, near their resonance:
        // C = -1 / (w Xs) of the load itself, to the detector's few counts.
        const std::complex<double> g = Sim::Reflection(Dut(Sim::Dut::Dipole), 180e6);
        const double xs = (50.0 * (1.0 + g) / (1.0 - g)).imag();
        const double expected = -1e12 / (2 * std::numbers::pi * 180e6 * xs);
        const double pf = readout.section(QLatin1String("C "), 1).section(' ', 0, 0).toDouble();
        QVERIFY2(xs < 0 && std::abs(pf / expected - 1.0) < 0.05,
                 qPrintable(readout + QStringLiteral(" against %1 pF").arg(expected)));
        QVERIFY(f.text("lblSmithInfo")
                    .contains(QStringLiteral("inferred at %1 of 2000 points").arg(minus)));

        // The next tick reads the new sweep.
        f.measure(Dut(Sim::Dut::Whip, 30e6));
        QVERIFY(f.tick());
        readout = f.text("lblSmithMarker");
        QVERIFY2(readout.contains("Xs +") && readout.contains("(+ inferred)") &&
                     readout.contains(QString::fromUtf8("\u00b5H")),
                 qPrintable(readout));
        QTest::keyClick(chart, Qt::Key_Home);
        readout = f.text("lblSmithMarker");
        QVERIFY2(std::abs(f.readoutMHz() - 1.0895) < 0.001 && readout.contains("Xs -") &&
                     readout.contains(" pF"),
                 qPrintable(readout));
    }

    // A click chooses the point drawn under it, the arrows step it, and a
    // picture is saved.
    void clickKeysAndPicture() {
        Window f;
        f.measure(Dut(Sim::Dut::Dipole));
        f.view().show();
        SmithGraph* chart = f.view().graph();
        QCOMPARE(f.view().chosen(), std::size_t{0});
        const SmithScene& scene = chart->scene();
        QCOMPARE(scene.points.size(), std::size_t{2000});
        const QRect plot = SmithPlotRect(scene, chart->size());
        const QPointF target = SmithPixelOf(scene.points[1200], plot);
        QTest::mouseClick(chart, Qt::LeftButton, {}, target.toPoint());
        const std::size_t at = f.view().chosen();
        QVERIFY(at > 1000 && at < 1400);
        const QPointF got = SmithPixelOf(scene.points[at], plot);
        QVERIFY(std::hypot(got.x() - target.x(), got.y() - target.y()) < 1.5);
        const double step = 179.0 / 2000;
        QVERIFY(std::abs(f.readoutMHz() - (1.0 + (at + 1) * step)) < 0.001);
        QTest::keyClick(chart, Qt::Key_Right);
        QCOMPARE(f.view().chosen(), at + 1);
        QVERIFY(std::abs(f.readoutMHz() - (1.0 + (at + 2) * step)) < 0.001);
        QTest::keyClick(chart, Qt::Key_Left);
        QTest::keyClick(chart, Qt::Key_Left);
        QCOMPARE(f.view().chosen(), at - 1);

        const QString path = f.folder.filePath(QStringLiteral("smith"));
        f.w->chooseFile = [&](QWidget*, FileDialog, const QString&, const QString&) {
            return path;
        };
        f.view().view()->findChild<QPushButton*>(QStringLiteral("cmdSmithSavePicture"))->click();
        QImage picture(path + QStringLiteral(".png"));
        QVERIFY(!picture.isNull());
        QVERIFY(picture.height() > chart->height());
        if (const QByteArray keep = qgetenv("ZEZIZAV_SMITH_PICTURE"); !keep.isEmpty()) {
            picture.save(QString::fromLocal8Bit(keep));
        }
    }

    // A band far from DC shows no causality: every sign unknown, the points
    // grey rings above the axis, the readout's sign "?".
    void farFromDcIsUnknown() {
        Window f(400, 120e6f, 121e6f);
        f.measure(Dut(Sim::Dut::Dipole));
        f.view().show();
        const std::vector<ReactanceSign>& signs = f.view().signs();
        QCOMPARE(signs.size(), std::size_t{400});
        QCOMPARE(std::count(signs.begin(), signs.end(), ReactanceSign::Unknown), 400);
        for (const std::complex<double> g : f.view().graph()->scene().points) {
            QVERIFY(g.imag() > 0);  // the dipole's Im G is negative: shown unsigned
        }
        const QString readout = f.text("lblSmithMarker");
        QVERIFY2(
            readout.contains("Xs ?") && readout.contains("L/C ?") && !readout.contains("inferred"),
            qPrintable(readout));
        QVERIFY(f.text("lblSmithInfo").contains("inferred at 0 of 400 points"));
    }

    // Transmission has no Smith chart: the view says so and shows no point.
    void transmissionSaysWhy() {
        Window f;
        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        f.measure(Dut(Sim::Dut::Dipole));
        f.view().show();
        QVERIFY(f.view().signs().empty());
        QVERIFY(f.view().graph()->scene().points.empty());
        QVERIFY(f.text("lblSmithInfo").contains(QLatin1String("reflection")));
        QVERIFY(f.text("lblSmithMarker").isEmpty());
    }

    void namesAreAccessible() {
        Window f;
        f.view().show();
        QWidget* view = f.view().view();
        QCOMPARE(view->objectName(), QStringLiteral("frmSmith"));
        QCOMPARE(view->accessibleName(), QStringLiteral("Smith chart"));
        const QList<QWidget*> all = view->findChildren<QWidget*>();
        QVERIFY(all.size() >= 4);
        for (QWidget* w : all + QList<QWidget*>{view}) {
            QVERIFY2(
                !w->objectName().isEmpty() && w->accessibleDescription() == w->objectName(),
                qPrintable(w->metaObject()->className() + QStringLiteral(" ") + w->objectName()));
        }
        for (const char* name :
             {"picSmith", "lblSmithMarker", "lblSmithInfo", "cmdSmithSavePicture"}) {
            QVERIFY2(view->findChild<QWidget*>(QLatin1String(name)), name);
        }
    }
};

QTEST_MAIN(SmithViewTest)
#include "tst_smith_view.moc"
