// The simulator's devices and detector: the counts it answers must read back,
// through the program's own conversion, as the device that was simulated.

#include <QtTest>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

#include "command_reader.h"
#include "dut_models.h"
#include "instrument/protocol.h"
#include "measure/conversion.h"

using namespace Sim;

namespace {

// The program's reading of the counts: loss in dB and phase in radians.
double LossOf(int n) {
    return n * 0.0587 - 20.16;
}
double PhaseOf(int p) {
    return p * 0.176 / 57.324;
}

std::complex<double> RatioFor(int n, int p) {
    return std::polar(std::pow(10.0, -LossOf(n) / 20.0), PhaseOf(p));
}

// Sweep of `points` from startHz in steps of stepHz, as the analyser is told.
SweepCommand Sweep(int mode, double startHz, double stepHz, int points) {
    return {mode, static_cast<std::int32_t>(std::lround(startHz * kWordsPerHz)), points,
            static_cast<std::int32_t>(std::lround(stepHz * kWordsPerHz))};
}

struct Record {
    int phase;
    int magnitude;
};

Record RecordAt(const QByteArray& reply, int k) {
    const auto* b = reinterpret_cast<const unsigned char*>(reply.constData()) + 4 * k;
    return {b[0] + 256 * b[1], b[2] + 256 * b[3]};
}

int BestMatchRecord(const QByteArray& reply) {
    int best = 0;
    for (int k = 1; k < reply.size() / 4; ++k) {
        if (RecordAt(reply, k).magnitude > RecordAt(reply, best).magnitude) {
            best = k;
        }
    }
    return best;
}

int LowestLossRecord(const QByteArray& reply) {
    int best = 0;
    for (int k = 1; k < reply.size() / 4; ++k) {
        if (RecordAt(reply, k).magnitude < RecordAt(reply, best).magnitude) {
            best = k;
        }
    }
    return best;
}

}  // namespace

class TestSimModels : public QObject {
    Q_OBJECT

private slots:
    // Every count pair the program can receive maps back onto itself.
    void detectorInvertsTheConversion() {
        for (int n = 0; n <= 1023; ++n) {
            for (const int p : {0, 1, 2, 300, 511, 512, 1000, 1022, 1023}) {
                const Counts c = CountsOf(RatioFor(n, p));
                if (c.magnitude != n || c.phase != p) {
                    QFAIL(qPrintable(QStringLiteral("n %1 p %2 came back as n %3 p %4")
                                         .arg(n)
                                         .arg(p)
                                         .arg(c.magnitude)
                                         .arg(c.phase)));
                }
            }
        }
    }

    void detectorLimits_data() {
        QTest::addColumn<double>("re");
        QTest::addColumn<double>("im");
        QTest::addColumn<int>("magnitude");
        QTest::addColumn<int>("phase");
        // A perfect match: infinite loss, clamped to the largest count.
        QTest::newRow("load") << 0.0 << 0.0 << 1023 << 0;
        QTest::newRow("open") << 1.0 << 0.0 << 343 << 0;
        QTest::newRow("short") << -1.0 << 0.0 << 343 << 1023;
        QTest::newRow("short, negative zero") << -1.0 << -0.0 << 343 << 1023;
        // The detector has no sign for the phase.
        QTest::newRow("-90 deg") << 0.0 << -0.5 << 446 << 512;
        QTest::newRow("+90 deg") << 0.0 << 0.5 << 446 << 512;
        // Gain (a ratio above 1) would be a negative loss: clamped to 0.
        QTest::newRow("gain of 40 dB") << 100.0 << 0.0 << 0 << 0;
        QTest::newRow("not a number") << std::nan("") << 0.0 << 0 << 0;
    }
    void detectorLimits() {
        QFETCH(double, re);
        QFETCH(double, im);
        const Counts c = CountsOf({re, im});
        QTEST(c.magnitude, "magnitude");
        QTEST(c.phase, "phase");
    }

    void recordLayoutAndFrequencies() {
        DutSettings shortCircuit;
        shortCircuit.dut = Dut::Short;
        const QByteArray reply = ReplyFor(shortCircuit, {0, 10737000, 3, 3843846});
        // Phase 1023 = 0x3FF, magnitude 343 = 0x157: phase low, high, magnitude low, high.
        QCOMPARE(reply, QByteArray::fromHex("ff035701ff035701ff035701"));
        // Record k is measured where the program labels point k + 1.
        QCOMPARE(RecordHz({0, 10737000, 3, 3843846}, 0), 1e6 + 3843846 / 10.737);
        QCOMPARE(RecordHz({0, 10737000, 3, 3843846}, 2), 1e6 + 3 * 3843846 / 10.737);
    }

    void standards_data() {
        QTest::addColumn<int>("dut");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("magnitude");
        QTest::addColumn<int>("phase");
        QTest::newRow("load") << int(Dut::Load) << 0 << 1023 << 0;
        QTest::newRow("open") << int(Dut::Open) << 0 << 343 << 0;
        QTest::newRow("short") << int(Dut::Short) << 0 << 343 << 1023;
        // A one-port passes nothing to the receiver.
        QTest::newRow("open, transmission") << int(Dut::Open) << 1 << 1023 << 0;
    }
    void standards() {
        QFETCH(int, dut);
        QFETCH(int, mode);
        DutSettings settings;
        settings.dut = static_cast<Dut>(dut);
        const QByteArray reply = ReplyFor(settings, Sweep(mode, 1e6, 1e6, 150));
        QCOMPARE(reply.size(), 600);
        for (int k = 0; k < 150; ++k) {
            QTEST(RecordAt(reply, k).magnitude, "magnitude");
            QTEST(RecordAt(reply, k).phase, "phase");
        }
    }

    // What the program reads from the simulated detector's counts: the load's
    // resistance sets its loss, and the response adds its own on top.
    void responseShapes_data() {
        QTest::addColumn<int>("dut");
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QString>("response");
        QTest::addColumn<double>("mhz");
        QTest::addColumn<double>("lossDb");
        QTest::newRow("25 ohm: SWR 2") << int(Dut::Load) << 25.0 << "none" << 14.0 << 9.54;
        QTest::newRow("100 ohm: SWR 2") << int(Dut::Load) << 100.0 << "none" << 14.0 << 9.54;
        QTest::newRow("open, flat") << int(Dut::Open) << 50.0 << "none" << 180.0 << 0.0;
        QTest::newRow("slope at 1 MHz") << int(Dut::Open) << 50.0 << "slope" << 1.0 << 0.0;
        QTest::newRow("slope half-way") << int(Dut::Short) << 50.0 << "slope" << 90.5 << 1.0;
        QTest::newRow("slope at 180 MHz") << int(Dut::Open) << 50.0 << "slope" << 180.0 << 2.0;
        QTest::newRow("25 ohm on the slope") << int(Dut::Load) << 25.0 << "slope" << 180.0 << 11.54;
    }
    void responseShapes() {
        QFETCH(int, dut);
        QFETCH(QString, response);
        QFETCH(double, mhz);
        QFETCH(double, lossDb);
        DutSettings settings;
        settings.dut = static_cast<Dut>(dut);
        QFETCH(double, ohms);
        settings.loadOhms = ohms;
        settings.response = *ResponseFromName(response);
        const QByteArray reply = ReplyFor(settings, Sweep(0, mhz * 1e6, 0, 1));
        // One count is 0.0587 dB: the reading is within half of it.
        const double read = LossOf(RecordAt(reply, 0).magnitude);
        QVERIFY2(std::fabs(read - lossDb) <= 0.03, qPrintable(QString::number(read)));
    }

    // The ripple stays within 0.5 dB of the slope and reaches it; "none" is
    // flat, and no name but the three is taken.
    void rippleAroundTheSlope() {
        double widest = 0.0;
        for (double mhz = 1.0; mhz <= 180.0; mhz += 0.05) {
            const double off =
                ResponseDb(Response::Ripple, mhz * 1e6) - ResponseDb(Response::Slope, mhz * 1e6);
            QVERIFY(std::fabs(off) <= 0.5);
            widest = std::max(widest, std::fabs(off));
            QCOMPARE(ResponseDb(Response::None, mhz * 1e6), 0.0);
        }
        QVERIFY(widest > 0.49);
        QVERIFY(!ResponseFromName(QStringLiteral("Slope")));
    }

    // The program's own command and labels: 7.0 to 7.2 MHz in 10 points, an
    // antenna resonant at 7.100 MHz is best at the point labelled 7.100 MHz.
    void bestPointIsLabelledAtTheResonance() {
        DutSettings antenna;
        antenna.f0Hz = 7.1e6;
        const float FMin = 7.0e6f;
        const std::int32_t Champ = 10;
        const double FreqStep = (7.2e6 - 7.0e6) / Champ;
        const EncodedCommand encoded = EncodeSweepCommand(FMin, FreqStep, Champ, 0.0f);
        QVERIFY(encoded.ok());
        QByteArray lines;
        for (const QByteArray& line : encoded.lines) {
            lines += line;
        }
        CommandReader reader;
        std::vector<CommandReader::Event> events;
        reader.feed(lines, 0, &events);
        QVERIFY(!events.empty());
        QCOMPARE(events.back().kind, CommandReader::Event::Kind::Command);
        const int best = BestMatchRecord(ReplyFor(antenna, events.back().command));
        const double labelled = FMin + (best + 1) * FreqStep;  // point i = record + 1
        QCOMPARE(labelled, 7.1e6);
    }

    void antennaMatchesBestAtItsResonance_data() {
        QTest::addColumn<double>("f0");
        QTest::newRow("20 m band") << 14.2e6;
        QTest::newRow("moved to 7.1 MHz") << 7.1e6;
        QTest::newRow("moved to 50.5 MHz") << 50.5e6;
    }
    void antennaMatchesBestAtItsResonance() {
        QFETCH(double, f0);
        DutSettings antenna;
        antenna.f0Hz = f0;
        // 1 to 60 MHz in 10 kHz steps.
        const SweepCommand sweep = Sweep(0, 1e6, 10e3, 5901);
        const QByteArray reply = ReplyFor(antenna, sweep);
        const int best = BestMatchRecord(reply);
        QVERIFY2(std::fabs(RecordHz(sweep, best) - f0) < 30e3,
                 qPrintable(QString::number(RecordHz(sweep, best))));

        // Read back by the program, the best point is the 60-ohm resistance.
        const Record r = RecordAt(reply, best);
        const PointValues v = ConvertPoint(float(r.magnitude), float(r.phase), 0.0f, 0.0);
        QVERIFY2(std::fabs(v.Rs - 60.0f) < 2.0f, qPrintable(QString::number(v.Rs)));
        QVERIFY2(v.Xs < 5.0f, qPrintable(QString::number(v.Xs)));
        QVERIFY(v.Swr < 1.3f);

        // A realistic Q: the 2:1 SWR band is a few percent of f0, not all of it.
        int below2 = 0;
        for (int k = 0; k < sweep.points; ++k) {
            const Record rk = RecordAt(reply, k);
            below2 += ConvertPoint(float(rk.magnitude), float(rk.phase), 0.0f, 0.0).Swr < 2.0f;
        }
        const double band = below2 * 10e3 / f0;
        QVERIFY2(band > 0.02 && band < 0.12, qPrintable(QString::number(band)));
    }

    void cable() {
        DutSettings cable;
        cable.dut = Dut::Cable;
        const double quarterWave = 0.66 * 299792458.0 / (4 * 10.0);  // 4.95 MHz
        const SweepCommand sweep = Sweep(0, 0.0, quarterWave, 2);
        const QByteArray reflection = ReplyFor(cable, sweep);
        // An open quarter-wave line looks like a short, a half-wave one like an open.
        QVERIFY(RecordAt(reflection, 0).phase > 1015);
        QVERIFY(RecordAt(reflection, 1).phase < 8);
        // The loss is there twice (out and back): 0.3 dB at 10 MHz for 10 m.
        const QByteArray at10 = ReplyFor(cable, Sweep(0, 10e6, 0, 1));
        QCOMPARE(RecordAt(at10, 0).magnitude, 349);
        QCOMPARE(RecordAt(ReplyFor(cable, Sweep(1, 10e6, 0, 1)), 0).magnitude, 346);  // 0.15 dB
        // Loss grows with frequency: 0.45 dB at 90 MHz.
        QCOMPARE(RecordAt(ReplyFor(cable, Sweep(1, 90e6, 0, 1)), 0).magnitude, 351);

        cable.lengthM = 100.0;
        const QByteArray longer = ReplyFor(cable, Sweep(1, 10e6, 0, 1));
        QCOMPARE(RecordAt(longer, 0).magnitude, 369);  // 1.5 dB
    }

    // Line sections transform their load as the textbook says, at the quarter
    // and the half wave of 2 m (24.7 and 49.5 MHz at VF 0.66), read back
    // through the program's conversion as Re G (or |S21|).
    void cableSections_data() {
        QTest::addColumn<QVector<double>>("faults");  // at, ohms, at, ohms, ...
        QTest::addColumn<int>("end");
        QTest::addColumn<double>("endOhms");
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("waves");  // the length in wavelengths
        QTest::addColumn<double>("expected");
        const int open = int(CableEnd::Open), shorted = int(CableEnd::Short);
        const int load = int(CableEnd::Load);
        QTest::newRow("quarter wave: a short looks open")
            << QVector<double>{} << shorted << 50.0 << 0 << 0.25 << 0.99;
        QTest::newRow("quarter wave: an open looks short")
            << QVector<double>{} << open << 50.0 << 0 << 0.25 << -0.99;
        QTest::newRow("100-ohm quarter wave matches 200 ohm")
            << QVector<double>{0.0, 100.0} << load << 200.0 << 0 << 0.25 << 0.0;
        // 75^2 / 50 = 112.5 ohm: G = 62.5 / 162.5.
        QTest::newRow("75-ohm quarter wave on 50 ohm")
            << QVector<double>{0.0, 75.0} << load << 50.0 << 0 << 0.25 << 0.385;
        QTest::newRow("75-ohm half wave on 50 ohm")
            << QVector<double>{0.0, 75.0} << load << 50.0 << 0 << 0.5 << 0.0;
        // A 75-ohm stretch of a quarter wave (0.5 m at 99 MHz) between 50-ohm
        // lines: 1 - 0.385^2 of the power passes, and the 2 m of line take
        // 0.09 dB more.
        QTest::newRow("75-ohm quarter wave passes 0.913")
            << QVector<double>{1.0, 75.0, 1.5, 50.0} << open << 50.0 << 1 << 1.0 << 0.913;
    }
    void cableSections() {
        QFETCH(QVector<double>, faults);
        QFETCH(int, end);
        QFETCH(double, endOhms);
        QFETCH(int, mode);
        QFETCH(double, waves);
        QFETCH(double, expected);
        DutSettings cable;
        cable.dut = Dut::Cable;
        cable.lengthM = 2.0;
        cable.cableEnd = static_cast<CableEnd>(end);
        cable.loadOhms = endOhms;
        for (qsizetype i = 0; i + 1 < faults.size(); i += 2) {
            cable.faults.push_back({faults[i], faults[i + 1]});
        }
        QVERIFY(!CheckCable(cable));
        const double hz = waves * 0.66 * 299792458.0 / 2.0;
        const QByteArray reply = ReplyFor(cable, Sweep(mode, hz, 0, 1));
        const Record r = RecordAt(reply, 0);
        const PointValues v = ConvertPoint(float(r.magnitude), float(r.phase), 0.0f, 0.0);
        const double read = mode == 1 ? v.Rho : v.GammaRe;
        // The line's own loss (0.05 dB out and back at 25 MHz) and the
        // detector's counts come to about 0.01.
        QVERIFY2(std::fabs(read - expected) < 0.02, qPrintable(QString::number(read)));
    }

    void cableChecks() {
        DutSettings cable;
        cable.dut = Dut::Cable;
        cable.lengthM = 5.0;
        cable.faults = {{3.0, 75.0}, {5.0, 50.0}};
        QVERIFY(!CheckCable(cable));
        cable.faults = {{3.0, 75.0}, {2.0, 50.0}};
        QVERIFY(CheckCable(cable));
        cable.faults = {{6.0, 75.0}};
        QVERIFY(CheckCable(cable));
        cable.faults = {{3.0, 0.0}};
        QVERIFY(CheckCable(cable));
    }

    // The one-ports made to show a reactance of a known sign: Im G has the
    // sign of X, since Im G = 100 X / |Z + 50|^2. The stub of 5 m at VF 0.66
    // has its quarter wave at 9.89 MHz.
    void signedReactances_data() {
        QTest::addColumn<QString>("dut");
        QTest::addColumn<double>("f0Mhz");
        QTest::addColumn<double>("mhz");
        QTest::addColumn<int>("imSign");
        QTest::newRow("whip well below f0") << "whip" << 14.2 << 3.5 << -1;
        QTest::newRow("whip just below f0") << "whip" << 14.2 << 13.9 << -1;
        QTest::newRow("whip just above f0") << "whip" << 14.2 << 14.5 << 1;
        QTest::newRow("whip well above f0") << "whip" << 14.2 << 50.0 << 1;
        QTest::newRow("whip moved to 7.1 MHz, below") << "whip" << 7.1 << 6.95 << -1;
        QTest::newRow("whip moved to 7.1 MHz, above") << "whip" << 7.1 << 7.25 << 1;
        QTest::newRow("dipole at 7 MHz") << "dipole" << 14.2 << 7.0 << -1;
        QTest::newRow("dipole at 50 MHz") << "dipole" << 14.2 << 50.0 << -1;
        QTest::newRow("dipole at 180 MHz") << "dipole" << 14.2 << 180.0 << -1;
        QTest::newRow("stub well below its quarter wave") << "stub" << 14.2 << 2.0 << 1;
        QTest::newRow("stub just below its quarter wave") << "stub" << 14.2 << 9.5 << 1;
        QTest::newRow("stub just above its quarter wave") << "stub" << 14.2 << 10.3 << -1;
        QTest::newRow("stub below its half wave") << "stub" << 14.2 << 19.0 << -1;
    }
    void signedReactances() {
        QFETCH(QString, dut);
        QFETCH(double, f0Mhz);
        QFETCH(double, mhz);
        QFETCH(int, imSign);
        const auto named = DutFromName(dut);
        QVERIFY(named);
        QCOMPARE(DutName(*named), dut);
        DutSettings settings;
        settings.dut = *named;
        settings.f0Hz = f0Mhz * 1e6;
        settings.lengthM = 5.0;
        settings.velocityFactor = 0.66;
        // What --end and the faults say belongs to the cable: the stub keeps its short.
        settings.cableEnd = CableEnd::Open;
        settings.faults = {{2.0, 75.0}};
        const std::complex<double> g = Reflection(settings, mhz * 1e6);
        QVERIFY2((g.imag() > 0.0 ? 1 : -1) == imSign, qPrintable(QString::number(g.imag())));
        QVERIFY2(std::abs(g) <= 1.0, qPrintable(QString::number(std::abs(g))));
        QCOMPARE(Transmission(settings, mhz * 1e6), std::complex<double>(0.0));
        if (*named == Dut::Stub) {
            DutSettings cable = settings;
            cable.dut = Dut::Cable;
            cable.cableEnd = CableEnd::Short;
            cable.faults.clear();
            QCOMPARE(g, Reflection(cable, mhz * 1e6));
        }
    }

    void filter() {
        DutSettings filter;
        filter.dut = Dut::Filter;
        const SweepCommand sweep = Sweep(1, 10e6, 5e3, 1601);  // 10 to 18 MHz
        const QByteArray through = ReplyFor(filter, sweep);
        const int centre = LowestLossRecord(through);
        QVERIFY2(std::fabs(RecordHz(sweep, centre) - 14.2e6) < 150e3,
                 qPrintable(QString::number(RecordHz(sweep, centre))));
        // Resonators of unloaded Q 200 cost about 1.8 dB in a 3.5 % wide filter.
        QVERIFY(LossOf(RecordAt(through, centre).magnitude) < 2.5);
        // Far outside the pass band nearly nothing gets through.
        QVERIFY(LossOf(RecordAt(through, 0).magnitude) > 25.0);
        QVERIFY(LossOf(RecordAt(through, 1600).magnitude) > 25.0);

        // Reflection: its input match, best inside the pass band.
        const QByteArray reflection = ReplyFor(filter, Sweep(0, 10e6, 5e3, 1601));
        QVERIFY(std::fabs(RecordHz(sweep, BestMatchRecord(reflection)) - 14.2e6) < 400e3);
        QVERIFY(LossOf(RecordAt(reflection, 0).magnitude) < 1.0);
    }
};

QTEST_GUILESS_MAIN(TestSimModels)
#include "tst_sim_models.moc"
