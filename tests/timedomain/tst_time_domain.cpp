// The time domain of cables the simulator models: the sweep command the
// program encodes, the simulator's line sections and detector counts, the
// program's decoding and conversion, then the transform. Faults, ends and
// impedances must come out where the model put them; any finite sweep must
// give finite arrays, and what cannot be transformed is refused in words.
#include <QtTest>

#include <cmath>
#include <random>

#include "calibrate/normalisation.h"
#include "support/sim_sweep.h"

namespace {

constexpr float kFMin = 1e6f;
constexpr float kFMax = 180e6f;

SweepBuffers Measure(const Sim::DutSettings& dut, std::int32_t Champ, float mode) {
    return SimSweep::Measure(dut, Champ, mode, kFMin, kFMax);
}

TimeDomainSweep SweepOf(const SweepBuffers& buffers, std::span<const double> errors = {}) {
    return SimSweep::SweepOf(buffers, kFMin, kFMax, errors);
}

// faults as at, ohms, at, ohms, ...
Sim::DutSettings Cable(double metres, const QVector<double>& faults, Sim::CableEnd end) {
    Sim::DutSettings cable;
    cable.dut = Sim::Dut::Cable;
    cable.lengthM = metres;
    cable.cableEnd = end;
    for (qsizetype i = 0; i + 1 < faults.size(); i += 2) {
        cable.faults.push_back({faults[i], faults[i + 1]});
    }
    return cable;
}

double At(const TimeDomainResponse& r, const std::vector<double>& values, double metres) {
    const auto n = static_cast<std::size_t>(std::lround(metres / r.DistanceM[1]));
    return values[std::min(n, values.size() - 1)];
}

bool Finite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

class TestTimeDomain : public QObject {
    Q_OBJECT

private slots:
    // Each cable swept 1-180 MHz in 6000 points at VF 0.66. peaks: distance,
    // reflection, tolerance of the reflection; each must be in the list
    // within 0.15 m. ohms: distance, impedance, tolerance. Past quietFrom
    // metres nothing reflects more than 5 %.
    void cables_data() {
        QTest::addColumn<double>("length");
        QTest::addColumn<QVector<double>>("faults");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("response");  // the detector's, normalised away
        QTest::addColumn<QVector<double>>("peaks");
        QTest::addColumn<QVector<double>>("ohms");
        QTest::addColumn<double>("quietFrom");
        const int open = int(Sim::CableEnd::Open), load = int(Sim::CableEnd::Load);
        // 0.2 at the 50/75-ohm step; the open end, seen through it, 1 - 0.2^2
        // less the line's loss (about 0.4 dB out and back). Without the
        // normalisation the rippling detector reads the end 0.06 low. A wave
        // caught in the 75-ohm stretch returns at 7 m, so this line is never
        // quiet.
        const QVector<double> stepPeaks{3.0, 0.2, 0.02, 5.0, 0.92, 0.03};
        const QVector<double> stepOhms{1.5, 50.0, 2.5, 4.0, 75.0, 3.0};
        QTest::newRow("3 m of 50 ohm, 2 m of 75 ohm, open")
            << 5.0 << QVector<double>{3.0, 75.0} << open << "none" << stepPeaks << stepOhms << -1.0;
        QTest::newRow("the same on a rippling detector, normalised")
            << 5.0 << QVector<double>{3.0, 75.0} << open << "ripple" << stepPeaks << stepOhms
            << -1.0;
        QTest::newRow("12.5 m, shorted")
            << 12.5 << QVector<double>{} << int(Sim::CableEnd::Short) << "none"
            << QVector<double>{12.5, -0.85, 0.12} << QVector<double>{6.0, 50.0, 2.5} << -1.0;
        // A step at the port is its own mirror image: still 0.2, at 0 m.
        QTest::newRow("75 ohm from the port, matched at 6 m")
            << 6.0 << QVector<double>{0.0, 75.0} << load << "none"
            << QVector<double>{0.0, 0.2, 0.02, 6.0, -0.19, 0.03}
            << QVector<double>{3.0, 75.0, 3.0, 9.0, 50.0, 2.5} << 7.0;
        // (35 - 50) / 85 at 4 m and back at 5 m.
        QTest::newRow("matched, a 35-ohm metre at 4 m")
            << 10.0 << QVector<double>{4.0, 35.0, 5.0, 50.0} << load << "none"
            << QVector<double>{4.0, -0.176, 0.03, 5.0, 0.17, 0.03}
            << QVector<double>{2.0, 50.0, 2.5, 4.5, 35.0, 3.0, 7.5, 50.0, 2.5} << 6.0;
    }
    void cables() {
        QFETCH(double, length);
        QFETCH(QVector<double>, faults);
        QFETCH(int, end);
        QFETCH(QString, response);
        QFETCH(QVector<double>, peaks);
        QFETCH(QVector<double>, ohms);
        QFETCH(double, quietFrom);
        Sim::DutSettings cable = Cable(length, faults, static_cast<Sim::CableEnd>(end));
        cable.response = *Sim::ResponseFromName(response);
        const std::int32_t Champ = 6000;
        const SweepBuffers buffers = Measure(cable, Champ, 0.0f);
        LossErrors errors;
        if (cable.response != Sim::Response::None) {
            Sim::DutSettings open;
            open.dut = Sim::Dut::Open;
            open.response = cable.response;
            Normalisation n;
            n[Standard::Open] = ReferenceFromSweep(Measure(open, Champ, 0.0f).MagnitudeSamples,
                                                   Champ, kFMin, kFMax);
            errors = ComputeLossErrors(n, kFMin, kFMax, Champ, 0.0f, 0, 0);
            QCOMPARE(errors.Error.size(), std::size_t(Champ + 1));
        }

        const TimeDomainResult result = ReflectionTimeDomain(SweepOf(buffers, errors.Error), {});
        QVERIFY2(result.response, result.error.c_str());
        const TimeDomainResponse& r = *result.response;
        QVERIFY(r.ResolutionM > 0.3 && r.ResolutionM < 1.0);  // Kaiser 6 to 180 MHz: 0.5 m
        for (qsizetype i = 0; i + 2 < peaks.size(); i += 3) {
            const auto near = std::find_if(r.Peaks.begin(), r.Peaks.end(), [&](const auto& p) {
                return std::fabs(p.DistanceM - peaks[i]) <= 0.15;
            });
            QVERIFY2(near != r.Peaks.end(), qPrintable(QStringLiteral("%1 m").arg(peaks[i])));
            qInfo("peak %.3f m: %.3f", near->DistanceM, near->Reflection);
            QVERIFY2(std::fabs(near->Reflection - peaks[i + 1]) <= peaks[i + 2],
                     qPrintable(QString::number(near->Reflection)));
        }
        if (end == int(Sim::CableEnd::Short)) {
            QVERIFY(r.Peaks.front().Reflection < 0.0);
            QVERIFY(std::fabs(r.Peaks.front().DistanceM - length) <= 0.2);
        }
        for (qsizetype i = 0; i + 2 < ohms.size(); i += 3) {
            const double z = At(r, r.Ohms, ohms[i]);
            qInfo("%.2f m: %.2f ohm", ohms[i], z);
            QVERIFY2(std::fabs(z - ohms[i + 1]) <= ohms[i + 2], qPrintable(QString::number(z)));
        }
        if (quietFrom > 0.0) {
            for (std::size_t n = 0; n < r.Impulse.size(); ++n) {
                if (r.DistanceM[n] >= quietFrom && std::fabs(r.Impulse[n]) > 0.05) {
                    QFAIL(qPrintable(
                        QStringLiteral("%1 at %2 m").arg(r.Impulse[n]).arg(r.DistanceM[n])));
                }
            }
        }
    }

    // A Transmission sweep's delay is the line's own length at its VF, a
    // 75-ohm stretch or not.
    void throughDelay_data() {
        QTest::addColumn<QVector<double>>("faults");
        QTest::newRow("10 m of 50 ohm") << QVector<double>{};
        QTest::newRow("with 2 m of 75 ohm") << QVector<double>{4.0, 75.0, 6.0, 50.0};
    }
    void throughDelay() {
        QFETCH(QVector<double>, faults);
        const Sim::DutSettings cable = Cable(10.0, faults, Sim::CableEnd::Open);
        const TransmissionDelayResult d =
            TransmissionTimeDomain(SweepOf(Measure(cable, 6000, 1.0f)), {});
        QVERIFY2(d.delay, d.error.c_str());
        qInfo("%.3f m, %.2f ns, gain %.3f", d.delay->LengthM, d.delay->DelaySeconds * 1e9,
              d.delay->Gain);
        QVERIFY(std::fabs(d.delay->LengthM - 10.0) <= 0.15);
        QVERIFY(std::fabs(d.delay->DelaySeconds - 10.0 / (0.66 * 299792458.0)) < 0.8e-9);
        QVERIFY(d.delay->Gain > 0.8 && d.delay->Gain < 1.01);
    }

    // Seeded random sweeps, wild values included: each is transformed, every
    // array finite and as long as the others, every peak within the range.
    void anyFiniteSweepGivesFiniteArrays() {
        std::mt19937 random(20261208);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        TimeDomainTransform transform;
        for (int round = 0; round < 300; ++round) {
            TimeDomainSweep s;
            s.StepHz = std::pow(10.0, 9.0 * unit(random));
            s.StartHz = round % 7 == 0 ? 0.0 : s.StepHz * 300.0 * unit(random);
            const int points = 3 + static_cast<int>(2000.0 * unit(random) * unit(random));
            for (int i = 0; i < points; ++i) {
                const double u = unit(random);
                s.Rho.push_back(u < 0.02 ? 1e300 : u < 0.04 ? -5.0 : 1.5 * unit(random));
                s.PhaseDeg.push_back(u > 0.98 ? 1e12 : 720.0 * unit(random) - 360.0);
            }
            TimeDomainOptions o;
            o.VelocityFactor = 0.01 + 0.99 * unit(random);
            o.Window = static_cast<TimeWindow>(round % 3);
            o.KaiserBeta = 50.0 * unit(random);
            const TimeDomainResult result = transform.reflection(s, o);
            QVERIFY2(result.response, result.error.c_str());
            const TimeDomainResponse& r = *result.response;
            const std::size_t n = r.Impulse.size();
            QVERIFY(n > s.Rho.size());
            QVERIFY(r.DistanceM.size() == n && r.Step.size() == n && r.Ohms.size() == n);
            QVERIFY(Finite(r.DistanceM) && Finite(r.Impulse) && Finite(r.Step) && Finite(r.Ohms));
            QVERIFY(std::isfinite(r.ResolutionM) && r.ResolutionM > 0.0);
            QVERIFY(std::fabs(r.DistanceM.back() - r.AliasFreeM) <= 1e-9 * r.AliasFreeM);
            for (const TimeDomainPeak& p : r.Peaks) {
                QVERIFY(p.DistanceM >= 0.0 && p.DistanceM <= r.DistanceM.back());
                QVERIFY(std::isfinite(p.Reflection));
            }
            const TransmissionDelayResult d = transform.transmission(s, o);
            QVERIFY(d.delay && std::isfinite(d.delay->LengthM) && std::isfinite(d.delay->Gain));
        }
    }

    void refused_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("vf");
        QTest::addColumn<double>("value");  // put in the middle point's |G|
        QTest::addColumn<QString>("because");
        const double nan = std::nan("");
        QTest::newRow("no point") << 0 << 1e6 << 1e6 << 0.66 << 0.5 << "at least 3 points";
        QTest::newRow("1 point") << 1 << 1e6 << 1e6 << 0.66 << 0.5 << "at least 3 points";
        QTest::newRow("2 points") << 2 << 1e6 << 1e6 << 0.66 << 0.5 << "at least 3 points";
        QTest::newRow("VF 0") << 100 << 1e6 << 1e6 << 0.0 << 0.5 << "velocity factor";
        QTest::newRow("VF 1.01") << 100 << 1e6 << 1e6 << 1.01 << 0.5 << "velocity factor";
        QTest::newRow("VF -0.66") << 100 << 1e6 << 1e6 << -0.66 << 0.5 << "velocity factor";
        QTest::newRow("VF NaN") << 100 << 1e6 << 1e6 << nan << 0.5 << "velocity factor";
        QTest::newRow("step 0") << 100 << 1e6 << 0.0 << 0.66 << 0.5 << "must rise";
        QTest::newRow("falling") << 100 << 1e6 << -1e3 << 0.66 << 0.5 << "must rise";
        QTest::newRow("step infinite") << 100 << 1e6 << HUGE_VAL << 0.66 << 0.5 << "finite";
        QTest::newRow("start NaN") << 100 << nan << 1e6 << 0.66 << 0.5 << "finite";
        QTest::newRow("below 0 Hz") << 100 << -1e6 << 1e6 << 0.66 << 0.5 << "below 0 Hz";
        QTest::newRow("NaN |G|") << 100 << 1e6 << 1e6 << 0.66 << nan << "finite";
        QTest::newRow("infinite |G|") << 100 << 1e6 << 1e6 << 0.66 << -HUGE_VAL << "finite";
        QTest::newRow("14 MHz in 10 Hz steps") << 100 << 14e6 << 10.0 << 0.66 << 0.5 << "bins";
    }
    void refused() {
        QFETCH(int, points);
        QFETCH(double, start);
        QFETCH(double, step);
        QFETCH(double, vf);
        QFETCH(double, value);
        QFETCH(QString, because);
        TimeDomainSweep s{start, step, std::vector<double>(points, 0.5),
                          std::vector<double>(points, 30.0)};
        if (points > 0) {
            s.Rho[points / 2] = value;
        }
        TimeDomainOptions o;
        o.VelocityFactor = vf;
        const TimeDomainResult r = ReflectionTimeDomain(s, o);
        QVERIFY(!r.response);
        QVERIFY2(QString::fromStdString(r.error).contains(because), r.error.c_str());
        QCOMPARE(TransmissionTimeDomain(s, o).error, r.error);
    }
};

QTEST_GUILESS_MAIN(TestTimeDomain)
#include "tst_time_domain.moc"
