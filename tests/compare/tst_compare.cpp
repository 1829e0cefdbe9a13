// The rules of comparing: the running mean and the bank of memories.
#include <QtTest>

#include "compare/memory_trace.h"
#include "compare/running_mean.h"
#include "files/vec_file.h"
#include "instrument/protocol.h"
#include "measure/conversion.h"

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    // Sweeps of three points go in one after another; after each, the
    // buffers hold the mean of the last N and the count says how many.
    void runningMean_data() {
        QTest::addColumn<int>("N");
        QTest::addColumn<QList<QList<float>>>("sweeps");  // magnitudes; phases are 1023 - m
        QTest::addColumn<QList<QList<float>>>("means");
        QTest::addColumn<QList<int>>("counts");

        QTest::newRow("off: the sweep as it came")
            << 1 << QList<QList<float>>{{1, 2, 3}, {7, 8, 9}}
            << QList<QList<float>>{{1, 2, 3}, {7, 8, 9}} << QList<int>{1, 1};
        QTest::newRow("two: fractions kept, the oldest drops out")
            << 2 << QList<QList<float>>{{0, 1, 1023}, {1, 2, 0}, {4, 2, 0}}
            << QList<QList<float>>{{0, 1, 1023}, {0.5f, 1.5f, 511.5f}, {2.5f, 2, 0}}
            << QList<int>{1, 2, 2};
        QTest::newRow("four, filling up")
            << 4 << QList<QList<float>>{{4, 0, 0}, {0, 4, 0}, {0, 0, 4}, {1, 1, 1}, {3, 3, 3}}
            << QList<QList<float>>{{4, 0, 0},
                                   {2, 2, 0},
                                   {4 / 3.f, 4 / 3.f, 4 / 3.f},
                                   {1.25f, 1.25f, 1.25f},
                                   {1, 2, 2}}
            << QList<int>{1, 2, 3, 4, 4};
        QTest::newRow("another size starts again")
            << 4 << QList<QList<float>>{{10, 10, 10}, {20, 20}, {30, 30}}
            << QList<QList<float>>{{10, 10, 10}, {20, 20}, {25, 25}} << QList<int>{1, 1, 2};
    }
    void runningMean() {
        QFETCH(int, N);
        QFETCH(QList<QList<float>>, sweeps);
        QFETCH(QList<QList<float>>, means);
        QFETCH(QList<int>, counts);
        RunningMean mean;
        mean.setLength(N);
        for (qsizetype k = 0; k < sweeps.size(); ++k) {
            std::vector<float> m(sweeps[k].begin(), sweeps[k].end()), p;
            for (const float v : m) {
                p.push_back(1023.0f - v);
            }
            mean.add(m, p);
            QCOMPARE(mean.count(), counts[k]);
            for (qsizetype i = 0; i < means[k].size(); ++i) {
                const auto at = static_cast<std::size_t>(i);
                QCOMPARE(m[at], means[k][i]);
                QCOMPARE(p[at], 1023.0f - means[k][i]);
            }
        }
        // Restarting forgets every sweep.
        mean.restart();
        QCOMPARE(mean.count(), 0);
        std::vector<float> m{5, 5, 5}, p{0, 0, 0};
        mean.add(m, p);
        QCOMPARE(m, (std::vector<float>{5, 5, 5}));
        QCOMPARE(mean.count(), 1);
    }

    // A reading that came corrupt keeps the old value in the buffers, which
    // under averaging is the mean so far: it is left out of the mean instead
    // of weighing twice. Point 1's magnitude is corrupt in the second sweep.
    void corruptReadingIsLeftOutOfTheMean() {
        const auto reply = [](int value, bool corruptFirst) {
            std::vector<std::uint8_t> r;
            for (int k = 0; k < 2; ++k) {
                const auto high = static_cast<std::uint8_t>(value >> 8);
                r.insert(r.end(), {static_cast<std::uint8_t>(value & 0xFF), high,
                                   static_cast<std::uint8_t>(value & 0xFF),
                                   k == 0 && corruptFirst ? std::uint8_t{4} : high});
            }
            return r;
        };
        RunningMean mean;
        mean.setLength(4);
        std::vector<float> m(3, 0.0f), p(3, 0.0f);
        const struct {
            int value;
            bool corrupt;
            float point1, point2;
        } sweeps[] = {{100, false, 100, 100}, {200, true, 100, 150}, {300, false, 200, 200}};
        for (const auto& sweep : sweeps) {
            const std::vector<std::uint8_t> bytes = reply(sweep.value, sweep.corrupt);
            QVERIFY(DecodeSweepReply(bytes, p, m));
            const WholeReadings whole = WholeReadingsOf(bytes, 2);
            mean.add(m, p, whole.magnitude, whole.phase);
            QCOMPARE(m[1], sweep.point1);
            QCOMPARE(m[2], sweep.point2);
            QCOMPARE(p[1], sweep.point2);  // the phase of point 1 came whole
        }
    }

    // A memory loaded from a file: a .vec at its own points and limits by the
    // live conversion, Touchstone S11 (S21 in Transmission) as the loss and
    // phase counts the detector would give and the live impedances; a file
    // that cannot be read is refused by name and line.
    void memoryFromFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("transmission");
        QTest::addColumn<QString>("error");
        QTest::addColumn<double>("lastHz");
        QTest::addColumn<double>("lastLossDb");  // from the counts by the live rule
        QTest::addColumn<double>("lastPhaseDeg");

        SweepBuffers vec;
        vec.resize(4);
        vec.MagnitudeSamples = {0, 500, 450, 400, 350};
        vec.PhaseSamples = {0, 100, 200, 300, 600};
        QTest::newRow(".vec of 4 points")
            << "a.vec" << VecFileBytes(vec, 1e6f, 5e6f) << false << QString() << 5e6
            << 350 * 0.0587 - 20.16 << 600 * 0.176;
        QTest::newRow(".vec of no size") << "b.vec" << QByteArray(100, '\0') << false
                                         << "b.vec: 100 bytes is no .vec file" << 0.0 << 0.0 << 0.0;
        QTest::newRow("S11 of 0.5 at -120 degrees")
            << "c.s1p" << QByteArray("# MHz S MA\n7 0.9 10\n7.1 0.5 -120\n") << false << QString()
            << 7.1e6 << 20 * std::log10(2.0) << 120.0;
        QTest::newRow("S21 of 0.1 in Transmission")
            << "d.S2P" << QByteArray("# kHz S DB\n7000 -1 0 -20 45 -20 45 -1 0\n") << true
            << QString() << 7e6 << 20.0 << 45.0;
        QTest::newRow("no S21 in a .s1p") << "e.s1p" << QByteArray("7 0.5 0\n") << true
                                          << "e.s1p: a .s1p holds no S21" << 0.0 << 0.0 << 0.0;
        QTest::newRow("unreadable line")
            << "f.s1p" << QByteArray("# MHz S RI\n7 0.5 x\n") << false
            << "f.s1p: line 2: \"x\" is not a number" << 0.0 << 0.0 << 0.0;
    }
    void memoryFromFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, transmission);
        QFETCH(QString, error);
        QFETCH(double, lastHz);
        QFETCH(double, lastLossDb);
        QFETCH(double, lastPhaseDeg);

        const MemoryLoadResult r =
            MemoryFromFile(QStringLiteral("/tmp/") + name, bytes, transmission, 0.0f, 0.0);
        if (!error.isEmpty()) {
            QVERIFY(!r.memory);
            QVERIFY2(r.error.startsWith(error), qPrintable(r.error));
            return;
        }
        QVERIFY2(r.memory, qPrintable(r.error));
        const MemoryTrace& m = *r.memory;
        QCOMPARE(m.name, name);
        const std::size_t last = m.size() - 1;
        QCOMPARE(m.frequencies[last], lastHz);
        QVERIFY(std::is_sorted(m.frequencies.begin(), m.frequencies.end()));
        QVERIFY2(std::fabs(m.Magnitude[last] * 0.0587 - 20.16 - lastLossDb) < 1e-4,
                 qPrintable(QString::number(m.Magnitude[last])));
        QVERIFY(std::fabs(m.Phase[last] * 0.176 - lastPhaseDeg) < 1e-4);
        // The impedance of every point is the live conversion's of its counts
        // (a file's value goes through the same stages from its reflection on).
        for (std::size_t i = 0; i < m.size(); ++i) {
            const PointValues live = ConvertPoint(m.Magnitude[i], m.Phase[i], 0.0f, 0.0);
            const float tolerance = name.endsWith(QLatin1String(".vec")) ? 0.0f : 2e-3f;
            QVERIFY(std::fabs(m.Swr[i] - live.Swr) <= tolerance * live.Swr);
            QVERIFY(std::fabs(m.Zmag[i] - live.Zmag) <= tolerance * live.Zmag);
        }
    }

    // A fifth memory takes the slot of the oldest; the others keep theirs.
    void bankReplacesTheOldest() {
        MemoryBank bank;
        const auto named = [](const char* name) {
            MemoryTrace m;
            m.name = QLatin1String(name);
            return m;
        };
        for (const char* name : {"a", "b", "c", "d"}) {
            bank.add(named(name));
        }
        QCOMPARE(bank.count(), std::size_t(4));
        QCOMPARE(bank.add(named("e")), std::size_t(0));
        QCOMPARE(bank.add(named("f")), std::size_t(1));
        QStringList names;
        for (std::size_t i = 0; i < MemoryBank::Slots; ++i) {
            names << bank.slot(i)->name;
        }
        QCOMPARE(names, (QStringList{"e", "f", "c", "d"}));
        bank.clear();
        QVERIFY(bank.empty());
        QCOMPARE(bank.add(named("g")), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(CompareTest)
#include "tst_compare.moc"
