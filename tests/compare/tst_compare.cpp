// The rules of comparing: the running mean and the bank of memories.
#include <QtTest>

#include "compare/memory_trace.h"
#include "compare/running_mean.h"

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
