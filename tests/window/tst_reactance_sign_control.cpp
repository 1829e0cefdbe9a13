// View → "Sign of X: by causality" in the window: off, the graph's pixels
// and the readouts are those of |Xs|; on, the readouts say the sign (L or C)
// the simulator's whip has, the Xs trace runs about a zero line, and a
// range far from DC says "?" rather than guess.
#include <QRegularExpression>
#include <QtTest>

#include "dut_models.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "support/test_support.h"
#include "window/reactance_sign_control.h"

using TestSupport::SimProcess;
using TestSupport::WindowFixture;

namespace {

struct Window : WindowFixture {
    explicit Window(float fMin = 1e6f, float fMax = 180e6f) {
        settings.FMin = fMin;
        settings.FMax = fMax;
        settings.Champ = 1000;
        load();
        Sim::DutSettings whip;  // capacitive below 14.2 MHz, inductive above
        whip.dut = Sim::Dut::Whip;
        const double step = (double(fMax) - fMin) / settings.Champ;
        for (std::int32_t k = 1; k <= settings.Champ; ++k) {
            const Sim::Counts c = Sim::CountsOf(Sim::Reflection(whip, fMin + k * step));
            buffers.MagnitudeSamples[k] = static_cast<float>(c.magnitude);
            buffers.PhaseSamples[k] = static_cast<float>(c.phase);
        }
        w->ui.chkXS->setChecked(true);
        w->ui.chkMkr1->setChecked(true);
        w->ui.chkMkr2->setChecked(true);
    }
    // Marker m (0 or 1) at a share of the graph's width.
    void place(int m, double share) {
        LineWidget* line = m == 0 ? w->ui.linM1 : w->ui.linM2;
        const auto x = static_cast<float>(share * w->ui.picGraph1->ScaleWidth());
        line->setX1(x);
        line->setX2(x);
    }
    QImage graph() {
        QImage image(w->ui.picGraph1->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        w->ui.picGraph1->render(&painter);
        return image;
    }
    QAction* choice() { return w->reactanceSign().action(); }
};

}  // namespace

class ReactanceSignControlTest : public QObject {
    Q_OBJECT
private slots:
    void offChangesNothingOnSaysTheSign() {
        Window f;
        f.place(0, 0.03);  // about 6 MHz
        f.place(1, 0.5);   // about 90 MHz
        QVERIFY(f.tick());
        const QImage before = f.graph();
        const QString xs1 = f.w->ui.txtMkr1XS->text();
        const QString header = f.w->ui.lblMkrXS->text();
        QVERIFY(!f.choice()->isChecked());
        QVERIFY(f.choice()->text().startsWith(QLatin1String("Sign of &X")));

        f.choice()->setChecked(true);
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the readouts take the signs the tick before drew
        QCOMPARE(f.w->ui.txtMkr1XS->text(), QLatin1Char('-') + xs1);
        QVERIFY(f.w->ui.txtMkr2XS->text().startsWith(QLatin1Char('+')));
        QVERIFY(f.w->ui.txtMkr1XJ->text().endsWith(QLatin1String(" pF")));
        QVERIFY(f.w->ui.txtMkr2XJ->text().endsWith(QLatin1String(" uH")));
        QCOMPARE(f.w->ui.lblMkrXS->text(), QStringLiteral("Xs inf."));
        QVERIFY(f.w->ui.lblMkrXS->toolTip().contains(QLatin1String("inferred by causality")));
        auto* zero = f.w->ui.picGraph1->findChild<LineWidget*>(QStringLiteral("linXsZero"));
        QVERIFY(zero && !zero->isHidden());
        QCOMPARE(zero->accessibleDescription(), QStringLiteral("linXsZero"));
        // Capacitive at the bottom of the band, below the zero line (y grows
        // down); inductive at 90 MHz, above it.
        const auto xs = f.w->ui.picGraph1->segmentsOf(GraphWidget::Xs);
        QCOMPARE(xs.size(), std::size_t{1001});
        QVERIFY(xs[20].y2 > zero->Y1());
        QVERIFY(xs[500].y2 < zero->Y1());
        QVERIFY(f.graph() != before);

        f.choice()->setChecked(false);
        QVERIFY(f.tick());
        QCOMPARE(f.w->ui.txtMkr1XS->text(), xs1);
        QCOMPARE(f.w->ui.lblMkrXS->text(), header);
        QVERIFY(zero->isHidden());
        QVERIFY(f.w->ui.txtMkr1XJ->isHidden());
        QCOMPARE(f.graph(), before);
    }

    // 6.9 to 7.3 MHz cannot show causality: "?", and the status bar says why.
    void narrowRangeIsUnknown() {
        Window f(6.9e6f, 7.3e6f);
        f.place(0, 0.5);
        f.choice()->setChecked(true);
        QVERIFY(f.tick());
        QVERIFY(f.tick());
        QVERIFY(f.w->ui.txtMkr1XS->text().startsWith(QLatin1Char('?')));
        QCOMPARE(f.w->ui.txtMkr1XJ->text(), QStringLiteral("?"));
        QVERIFY(
            f.w->statusBar()->currentMessage().contains(QLatin1String("cannot show causality")));
    }

    // Running on a narrow range, the window first makes one quick wide
    // sweep into the control's own buffers, then the range's own; the signs
    // come from the wide one. A new range makes a new wide sweep; the same
    // range does not.
    void narrowRangeTakesItsSignsFromAQuickWideSweep() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({QStringLiteral("--dut"), QStringLiteral("whip"), QStringLiteral("-v")},
                           &error),
                 qPrintable(error));
        WindowFixture f;
        f.settings.Champ = 200;
        f.loadLive(sim.ptyPath());
        chart1& w = *f.w;
        w.ui.txtStart->setText(QStringLiteral("6.9"));
        w.ui.txtStop->setText(QStringLiteral("7.3"));
        w.ui.chkXS->setChecked(true);
        w.ui.chkMkr1->setChecked(true);
        w.reactanceSign().action()->setChecked(true);
        QSignalSpy said(w.statusBar(), &QStatusBar::messageChanged);
        QSignalSpy acquired(&w, &chart1::sweepAcquired);
        w.cmdRUN_Click();
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= 3, 10000);
        QVERIFY(w.reactanceSign().hasWideSweep());
        QCOMPARE(f.buffers.champ(), 200);
        // The whip is capacitive below 14.2 MHz.
        QTRY_VERIFY_WITH_TIMEOUT(w.ui.txtMkr1XS->text().startsWith(QLatin1Char('-')), 5000);
        QVERIFY(w.ui.txtMkr1XJ->text().endsWith(QLatin1String(" pF")));
        const bool told = std::any_of(said.begin(), said.end(), [](const QList<QVariant>& m) {
            return m.at(0).toString().contains(QLatin1String("quick sweep from 1 to 180 MHz"));
        });
        QVERIFY(told);

        w.ui.txtStart->setText(QStringLiteral("7.0"));
        w.ui.txtStop->setText(QStringLiteral("7.2"));
        const qsizetype before = acquired.count();
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= before + 3, 10000);
        w.ui.chkHold->setChecked(true);
        QVERIFY(f.nextTick());
        sim.stop();

        // Wide sweeps (400 points from 1 MHz) and the range's own (200).
        QStringList kinds;
        const QRegularExpression sweep(
            QStringLiteral("sweep mode 0, ([0-9.]+) Hz \\+ k x [0-9.]+ Hz, ([0-9]+) points"));
        for (const TestSupport::SimExchange& exchange :
             TestSupport::SimExchangesFromLog(sim.output())) {
            const QRegularExpressionMatch m = sweep.match(exchange.command);
            QVERIFY2(m.hasMatch(), qPrintable(exchange.command));
            const bool wide = m.captured(2) == QLatin1String("400");
            QCOMPARE(wide, std::abs(m.captured(1).toDouble() - 1e6) < 1);
            const QString kind = wide ? QStringLiteral("wide") : QStringLiteral("own");
            if (kinds.isEmpty() || kinds.last() != kind) {
                kinds << kind;
            }
        }
        QCOMPARE(kinds, (QStringList{"wide", "own", "wide", "own"}));
    }
};

QTEST_MAIN(ReactanceSignControlTest)
#include "tst_reactance_sign_control.moc"
