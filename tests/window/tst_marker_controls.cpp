// The "&Markers" searches on the parts they are handed, without a window: a
// sweep of the simulator's devices in the buffers, each search placing the
// markers through the mouse-up it is given, or saying why not.
#include <QtTest>

#include <QLineEdit>
#include <QMainWindow>

#include "common/sweep_buffers.h"
#include "common/window_fields.h"
#include "cycle/marker_readouts.h"
#include "dut_models.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "settings/settings.h"
#include "window/marker_controls.h"

namespace {

constexpr std::int32_t kChamp = 2900;  // 1 to 30 MHz in steps of 10 kHz
constexpr float kFMin = 1e6f;
constexpr double kStep = 1e4;

double HzOf(std::int32_t index) {
    return kFMin + index * kStep;
}

// The counts the analyser reads from dut in the mode shown.
void Fill(SweepBuffers& buffers, Sim::Dut dut, bool transmission) {
    Sim::DutSettings settings;
    settings.dut = dut;
    buffers.resize(kChamp);
    for (std::int32_t i = 1; i <= kChamp; ++i) {
        const double hz = HzOf(i);
        const Sim::Counts c = Sim::CountsOf(transmission ? Sim::Transmission(settings, hz)
                                                         : Sim::Reflection(settings, hz));
        buffers.MagnitudeSamples[static_cast<std::size_t>(i)] = static_cast<float>(c.magnitude);
        buffers.PhaseSamples[static_cast<std::size_t>(i)] = static_cast<float>(c.phase);
    }
}

}  // namespace

class MarkerControlsTest : public QObject {
    Q_OBJECT

private slots:
    void searches_data() {
        QTest::addColumn<int>("dut");
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("search");
        // MHz each marker lands within, as [low, high]; none when it stays.
        QTest::addColumn<QList<double>>("marker1");
        QTest::addColumn<QList<double>>("marker2");
        QTest::addColumn<QString>("said");  // part of the status line; empty: nothing said

        const auto antenna = static_cast<int>(Sim::Dut::Antenna);
        const auto filter = static_cast<int>(Sim::Dut::Filter);
        const auto shorted = static_cast<int>(Sim::Dut::Short);
        // The antenna resonates at 14.2 MHz; the filter passes 3.5 % around
        // it, 13.95 to 14.45 MHz at its -3 dB points, a little wider for the
        // loss of its resonators.
        QTest::newRow("least SWR at resonance")
            << antenna << false << "mnuMkr1MinSwr" << QList<double>{14.15, 14.25} << QList<double>{}
            << QString();
        QTest::newRow("SWR 2:1 either side")
            << antenna << false << "mnuMkrSwr2to1" << QList<double>{13.0, 14.15}
            << QList<double>{14.25, 15.5} << QString();
        QTest::newRow("a short never below 2:1")
            << shorted << false << "mnuMkrSwr2to1" << QList<double>{} << QList<double>{}
            << "does not go below 2.0";
        QTest::newRow("-3 dB points of the filter")
            << filter << true << "mnuMkrMinus3dB" << QList<double>{13.9, 13.96}
            << QList<double>{14.44, 14.5} << QString();
        QTest::newRow("-3 dB points in reflection")
            << filter << false << "mnuMkrMinus3dB" << QList<double>{} << QList<double>{}
            << "searched in the Transmission mode";
        // The filter's insertion loss is least in its passband and most far
        // below it, where the detector bottoms out first.
        QTest::newRow("least loss of the filter")
            << filter << true << "mnuMkr1MinLoss" << QList<double>{14.0, 14.4} << QList<double>{}
            << QString();
        QTest::newRow("most loss of the filter")
            << filter << true << "mnuMkr1MaxLoss" << QList<double>{1.0, 10.0} << QList<double>{}
            << QString();
        QTest::newRow("loss searches in reflection")
            << filter << false << "mnuMkr1MaxLoss" << QList<double>{} << QList<double>{}
            << "Transmission mode";
    }
    void searches() {
        QFETCH(int, dut);
        QFETCH(bool, transmission);
        QFETCH(QString, search);
        QFETCH(QList<double>, marker1);
        QFETCH(QList<double>, marker2);
        QFETCH(QString, said);

        QMainWindow window;
        auto* graph = new GraphWidget(&window);
        auto* offset = new QLineEdit(QStringLiteral("0"), &window);
        LineWidget m1(QStringLiteral("linM1"), LineWidget::Style::Solid, 0, graph);
        LineWidget m2(QStringLiteral("linM2"), LineWidget::Style::Solid, 0, graph);
        SweepBuffers buffers;
        Fill(buffers, static_cast<Sim::Dut>(dut), transmission);
        WindowFields fields;
        fields.TransmissionMode = transmission ? 1.0f : 0.0f;
        fields.FreqStep = kStep;
        fields.BestMatchPoint = static_cast<float>((14.2e6 - kFMin) / kStep);
        Settings settings = ParseSettings("").settings;
        settings.Step = 1;
        settings.FMin = kFMin;

        std::map<int, double> placed;  // MHz by button
        QStringList notes;
        MarkerControls controls({.window = window,
                                 .graph = *graph,
                                 .linM1 = m1,
                                 .linM2 = m2,
                                 .lossOffset = *offset,
                                 .fields = fields,
                                 .settings = settings,
                                 .points = [] { return kChamp; },
                                 .readoutInputs =
                                     [&] {
                                         MarkerReadoutInputs in;
                                         in.MagnitudeSamples = buffers.MagnitudeSamples;
                                         in.PhaseSamples = buffers.PhaseSamples;
                                         in.FMin = kFMin;
                                         in.FreqStep = kStep;
                                         return in;
                                     },
                                 .mouseUp =
                                     [&](int button, float x) {
                                         const std::int32_t i =
                                             MarkerIndex(x, graph->ScaleWidth(), kChamp, 1);
                                         placed[button] = HzOf(i) / 1e6;
                                     },
                                 .notify = [&](const QString& m) { notes << m; }});
        auto* action = controls.menu()->findChild<QAction*>(search);
        QVERIFY(action);
        action->trigger();

        const auto check = [&](int button, const QList<double>& range) {
            const auto at = placed.find(button);
            if (range.isEmpty()) {
                QVERIFY2(at == placed.end(), "the marker stays");
                return;
            }
            QVERIFY(at != placed.end());
            QVERIFY2(at->second >= range[0] && at->second <= range[1],
                     qPrintable(QString::number(at->second)));
        };
        check(1, marker1);
        check(2, marker2);
        if (said.isEmpty()) {
            QVERIFY2(notes.isEmpty(), qPrintable(notes.join('|')));
        } else {
            QCOMPARE(notes.size(), 1);
            QVERIFY2(notes[0].contains(said), qPrintable(notes[0]));
        }
    }
};

QTEST_MAIN(MarkerControlsTest)
#include "tst_marker_controls.moc"
