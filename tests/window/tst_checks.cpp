// Limit lines, band shading and marker sets on the window, over a sweep of
// the simulator's antenna (best at 14.2 MHz) from 10 to 20 MHz: with none of
// them chosen the graph's pixels stay as they were; limits say PASS or FAIL
// on every tick and draw their lines; a bad file changes nothing; a marker
// set comes back where it was saved.
#include <QtTest>

#include "dut_models.h"
#include "limits/limits.h"
#include "measure/graph_widget.h"
#include "support/test_support.h"
#include "window/band_shading.h"
#include "window/limits_control.h"
#include "window/marker_controls.h"
#include "window/marker_set_control.h"
#include "window/settings_dialog.h"

using TestSupport::WindowFixture;

namespace {

struct Window : WindowFixture {
    QTemporaryDir dir;
    Window() {
        settings.FMin = 10e6f;
        settings.FMax = 20e6f;
        settings.Champ = 500;
        load();
        // The settings file (and the marker sets beside it) in a folder of the test's own.
        const QString ini = dir.filePath(QStringLiteral("vezizo.ini"));
        w->settingsController()->setPlaces({ini, ini}, ini);
        w->ui.txtStart->setText(QStringLiteral("10"));  // the window starts at 1 to 180 MHz
        w->ui.txtStop->setText(QStringLiteral("20"));
        fill(Sim::Dut::Antenna);
        w->ui.chkSWR->setChecked(true);
    }
    void fill(Sim::Dut dut) {
        Sim::DutSettings model;
        model.dut = dut;
        const double step = (double(settings.FMax) - settings.FMin) / settings.Champ;
        for (std::int32_t k = 1; k <= settings.Champ; ++k) {
            const Sim::Counts c = Sim::CountsOf(Sim::Reflection(model, settings.FMin + k * step));
            buffers.MagnitudeSamples[k] = static_cast<float>(c.magnitude);
            buffers.PhaseSamples[k] = static_cast<float>(c.phase);
        }
    }
    QString file(const QString& name, const QByteArray& text) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            return {};
        }
        return path;
    }
    LimitsControl& limits() { return w->limitsControl(); }
    QString verdict() {
        QLabel* l = limits().indicator();
        return l->isHidden() ? QString() : l->text();
    }
    QImage graph() {
        QImage image(w->ui.picGraph1->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        w->ui.picGraph1->render(&painter);
        return image;
    }
};

}  // namespace

class ChecksTest : public QObject {
    Q_OBJECT

private slots:
    void limitsSayPassOrFailAndLeaveNoTrace() {
        Window f;
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the range read by the first
        const QImage before = f.graph();
        QVERIFY(f.verdict().isEmpty());
        QVERIFY(f.w->ui.picGraph1->strokes().empty());

        // Under 2:1 close to resonance, not across the whole range.
        QVERIFY(
            f.limits().load(f.file("near.limits", "# near resonance\nswr max 14.15 2 14.25 2\n")));
        QVERIFY(f.tick());
        QCOMPARE(f.verdict(), QStringLiteral("PASS"));
        QCOMPARE(f.w->ui.picGraph1->strokes().size(), std::size_t{1});
        QCOMPARE(f.limits().indicator()->accessibleDescription(), QStringLiteral("lblLimits"));

        QSignalSpy failed(&f.limits(), &LimitsControl::turnedToFail);
        QVERIFY(f.limits().load(f.file("wide.limits", "swr max 10 2 20 2\nswr min 10 1 20 1\n")));
        QVERIFY(f.tick());
        QCOMPARE(f.verdict(), QStringLiteral("FAIL"));
        QCOMPARE(failed.count(), 0);  // a new file is no change of verdict
        const auto strokes = f.w->ui.picGraph1->strokes();
        QVERIFY(std::any_of(strokes.begin(), strokes.end(), [](const GraphStroke& s) {
            return s.width > 1;
        }));  // failing stretches
        QVERIFY(f.limits().indicator()->toolTip().contains(QLatin1String("line 1: swr max: FAIL")));
        QVERIFY(f.limits().indicator()->toolTip().contains(QLatin1String("line 2: swr min: pass")));

        // A bad file is refused by its line; the limits held stay.
        const QString held = f.limits().path();
        QVERIFY(!f.limits().load(f.file("bad.limits", "swr max 10 2 20 2\nswr max 14 2 13\n")));
        QVERIFY2(f.warnings().last().contains(QLatin1String("line 2")),
                 qPrintable(f.warnings().last()));
        QCOMPARE(f.limits().path(), held);
        QVERIFY(f.tick());
        QCOMPARE(f.verdict(), QStringLiteral("FAIL"));

        // PASS, then a sweep that fails: one change, said once.
        QVERIFY(f.limits().load(f.file("near.limits", "swr max 14.15 2 14.25 2\n")));
        QVERIFY(f.tick());
        f.fill(Sim::Dut::Open);
        QVERIFY(f.tick());
        QVERIFY(f.tick());
        QCOMPARE(f.verdict(), QStringLiteral("FAIL"));
        QCOMPARE(failed.count(), 1);

        f.fill(Sim::Dut::Antenna);
        f.limits().clear();
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the loss pen comes in from where the last pass left it
        QVERIFY(f.verdict().isEmpty());
        QCOMPARE(f.graph(), before);

        // SWR limits mean nothing in Transmission: not checked, and no lines.
        QVERIFY(f.limits().load(f.file("near.limits", "swr max 14.15 2 14.25 2\n")));
        f.w->ui.toolbarButtons[3]->trigger();
        QVERIFY(f.tick());
        QCOMPARE(f.verdict(), QStringLiteral("NOT CHECKED"));
        QVERIFY(f.w->ui.picGraph1->strokes().empty());
    }

    // IARU region 1 on 10 to 20 MHz: 30 m and 20 m, and 17 m beyond 18.068.
    void bandsShadeTheirRegion() {
        Window f;
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the range read by the first
        const QImage before = f.graph();
        QVERIFY(f.w->ui.picGraph1->bands().empty());
        f.w->bandShading().choose(1);
        QVERIFY(f.tick());
        const auto bands = f.w->ui.picGraph1->bands();
        QCOMPARE(bands.size(), std::size_t{3});
        const float W = f.w->ui.picGraph1->ScaleWidth();
        QVERIFY(std::abs(bands[1].x1 - 0.4f * W) < 1.0f);    // 14.000 MHz
        QVERIFY(std::abs(bands[1].x2 - 0.435f * W) < 1.0f);  // 14.350 MHz
        QVERIFY(f.graph() != before);
        f.w->bandShading().choose(0);
        QVERIFY(f.tick());
        QCOMPARE(f.graph(), before);
    }

    void markerSetsComeBackWhereTheyWere() {
        Window f;
        QVERIFY(f.tick());
        MarkerControls& markers = f.w->markerControls();
        MarkerSetControl& sets = f.w->markerSets();
        QVERIFY(markers.placeAtFrequency(1, 13.5e6));
        QVERIFY(markers.placeAtFrequency(2, 15.02e6));
        f.w->ui.chkMkr2->setChecked(false);
        QVERIFY(sets.path().endsWith(QLatin1String(".markers")));
        QVERIFY(sets.save(QStringLiteral("20 m & more")));

        QVERIFY(markers.placeAtFrequency(1, 11e6));
        QVERIFY(markers.placeAtFrequency(2, 19e6));
        QVERIFY(!markers.placeAtFrequency(1, 25e6));  // beyond the sweep
        QVERIFY(sets.recall(QStringLiteral("20 M & MORE")));
        QCOMPARE(markers.frequencyOf(1), 13.5e6);
        QCOMPARE(markers.frequencyOf(2), 15.02e6);
        QVERIFY(f.w->ui.chkMkr1->isChecked());
        QVERIFY(!f.w->ui.chkMkr2->isChecked());
        QVERIFY(!sets.recall(QStringLiteral("none such")));
        // The menu lists it, its ampersand kept.
        sets.menu()->popup({});
        QTRY_VERIFY(sets.menu()->isVisible());
        QCOMPARE(sets.menu()->actions().value(0)->text(), QStringLiteral("20 m && more"));
        sets.menu()->hide();
    }
};

QTEST_MAIN(ChecksTest)
#include "tst_checks.moc"
