// The .vec layout, its reader's checks, and the safe file writes.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>

#include <sys/resource.h>

#include "files/vec_file.h"

namespace {

SweepBuffers Filled(std::int32_t champ) {
    SweepBuffers b;
    b.resize(champ);
    for (std::int32_t i = 1; i <= champ; ++i) {
        b.MagnitudeSamples[i] = float((i * 37) % 1024);
        b.PhaseSamples[i] = float((i * 91) % 1024);
    }
    return b;
}

QByteArray Le32(float v) {
    const auto u = std::bit_cast<quint32>(v);
    QByteArray b;
    for (int i = 0; i < 4; ++i) {
        b += char((u >> (8 * i)) & 0xFF);
    }
    return b;
}

QByteArray Le64(double v) {
    const auto u = std::bit_cast<quint64>(v);
    QByteArray b;
    for (int i = 0; i < 8; ++i) {
        b += char((u >> (8 * i)) & 0xFF);
    }
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace

class TestVecFile : public QObject {
    Q_OBJECT

private slots:
    void sizes_data() {
        QTest::addColumn<int>("champ");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("one point") << 1 << qint64(40);
        QTest::newRow("500 points") << 500 << qint64(8024);
        QTest::newRow("6000 points") << 6000 << qint64(96024);
    }
    void sizes() {
        QFETCH(int, champ);
        QFETCH(qint64, bytes);
        QCOMPARE(VecFileSize(champ), bytes);
        QCOMPARE(VecFileBytes(Filled(champ), 1e6f, 180e6f).size(), bytes);
        QCOMPARE(VecPointsForSize(bytes), std::optional<std::int32_t>(champ));
    }

    void pointsForOddSizes_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("limits only") << qint64(8);
        QTest::newRow("no points (Champ 0)") << qint64(24);
        QTest::newRow("one byte more") << qint64(8025);
        QTest::newRow("one byte less") << qint64(8023);
        QTest::newRow("negative") << qint64(-8);
        QTest::newRow("beyond 32 bits of points") << qint64(16) * (qint64(1) << 32) + 8;
    }
    void pointsForOddSizes() {
        QFETCH(qint64, size);
        QVERIFY(!VecPointsForSize(size).has_value());
    }

    void blocksAreLittleEndianInOrder() {
        SweepBuffers b;
        b.resize(2);
        b.MagnitudeSamples = {0.0f, 511.0f, 1023.0f};
        b.PhaseSamples = {0.0f, 564.0f, 1.0f};
        b.ReservedSamples = {0.0, -2.5, 1e300};
        const QByteArray bytes = VecFileBytes(b, 1.5e6f, 2.5e6f);
        const QByteArray expected = Le32(0) + Le32(511) + Le32(1023) + Le32(0) + Le32(564) +
                                    Le32(1) + Le64(0) + Le64(-2.5) + Le64(1e300) + Le32(1.5e6f) +
                                    Le32(2.5e6f);
        QCOMPARE(bytes.toHex(' '), expected.toHex(' '));
        // Spelled out once, so a byte-order slip in the helpers cannot hide.
        QCOMPARE(bytes.mid(4, 4), QByteArray::fromHex("0080ff43"));  // 511.0f
        QCOMPARE(bytes.right(4), QByteArray::fromHex("8096184a"));   // 2.5e6f
    }

    void roundTripIsBitForBit() {
        SweepBuffers b = Filled(500);
        // Values a careless conversion would disturb.
        b.MagnitudeSamples[0] = -0.0f;
        b.PhaseSamples[0] = std::numeric_limits<float>::denorm_min();
        b.MagnitudeSamples[500] = std::nextafter(1023.0f, 0.0f);
        b.ReservedSamples[0] = std::numeric_limits<double>::denorm_min();
        b.ReservedSamples[17] = -1.0 / 3.0;
        b.ReservedSamples[500] = -std::numeric_limits<double>::max();
        const QByteArray bytes = VecFileBytes(b, 1.0e6f, 180.0e6f);

        const VecReadResult read = ReadVecBytes(bytes, 500);
        QVERIFY2(read.data.has_value(), qPrintable(read.error));
        const VecFileData& d = *read.data;
        QCOMPARE(std::memcmp(d.buffers.MagnitudeSamples.data(), b.MagnitudeSamples.data(), 501 * 4),
                 0);
        QCOMPARE(std::memcmp(d.buffers.PhaseSamples.data(), b.PhaseSamples.data(), 501 * 4), 0);
        QCOMPARE(std::memcmp(d.buffers.ReservedSamples.data(), b.ReservedSamples.data(), 501 * 8),
                 0);
        QCOMPARE(std::bit_cast<quint32>(d.FMin), std::bit_cast<quint32>(1.0e6f));
        QCOMPARE(std::bit_cast<quint32>(d.FMax), std::bit_cast<quint32>(180.0e6f));
        QCOMPARE(VecFileBytes(d.buffers, d.FMin, d.FMax), bytes);
    }

    void wrongSizeIsRefused_data() {
        QTest::addColumn<int>("writerChamp");
        QTest::addColumn<int>("readerChamp");
        QTest::addColumn<int>("extraBytes");
        QTest::newRow("other Champ") << 500 << 6000 << 0;
        QTest::newRow("one byte cut") << 500 << 500 << -1;
        QTest::newRow("one byte more") << 500 << 500 << 1;
        QTest::newRow("limits missing") << 500 << 500 << -8;
        QTest::newRow("reader Champ 0") << 1 << 0 << 0;
        QTest::newRow("reader Champ negative") << 1 << -1 << 0;
    }
    void wrongSizeIsRefused() {
        QFETCH(int, writerChamp);
        QFETCH(int, readerChamp);
        QFETCH(int, extraBytes);
        QByteArray bytes = VecFileBytes(Filled(writerChamp), 1e6f, 2e6f);
        if (extraBytes < 0) {
            bytes.chop(-extraBytes);
        } else {
            bytes += QByteArray(extraBytes, '\0');
        }
        const VecReadResult read = ReadVecBytes(bytes, readerChamp);
        QVERIFY(!read.data.has_value());
        QVERIFY(!read.error.isEmpty());
    }

    // No count outside the analyser's 10 bits, no limit outside 0..1 GHz,
    // nothing that is not a number; the message names the value and its
    // point. Fractional counts in range are taken.
    void impossibleValuesAreRefused_data() {
        QTest::addColumn<int>("offset");  // byte offset of the value, Champ 2
        QTest::addColumn<bool>("isDouble");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mentions");  // empty: the file is read
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("NaN magnitude") << 4 << false << nan << "point 1 is not a number";
        QTest::newRow("infinite phase") << 12 + 8 << false << -inf << "point 2 is not a number";
        QTest::newRow("NaN reserved") << 24 + 16 << true << nan << "point 2 is not a number";
        QTest::newRow("infinite FMin") << 48 << false << inf << "limits";
        QTest::newRow("NaN FMax") << 52 << false << nan << "limits";
        QTest::newRow("magnitude 1e30")
            << 4 << false << 1e30 << "magnitude count of point 1 is 1E+30";
        QTest::newRow("phase 5000")
            << 12 + 8 << false << 5000.0 << "phase count of point 2 is 5000";
        QTest::newRow("count below 0") << 8 << false << -1.0 << "point 2 is -1";
        QTest::newRow("count just above 1023") << 4 << false << 1023.001 << "point 1";
        QTest::newRow("start -1000 MHz") << 48 << false << -1e9 << "start limit is -1000 MHz";
        QTest::newRow("stop 999999.99 MHz") << 52 << false << 999999.99e6 << "stop limit";
        QTest::newRow("fractional count") << 4 << false << 512.5 << "";
        QTest::newRow("count 1023") << 12 + 4 << false << 1023.0 << "";
        QTest::newRow("stop 1 GHz") << 52 << false << 1e9 << "";
        QTest::newRow("start above stop")
            << 48 << false << 180e6 << "start limit 180 MHz lies above the stop limit 2 MHz";
        QTest::newRow("start equal to stop") << 48 << false << 2e6 << "";
    }
    void impossibleValuesAreRefused() {
        QFETCH(int, offset);
        QFETCH(bool, isDouble);
        QFETCH(double, value);
        QFETCH(QString, mentions);
        QByteArray bytes = VecFileBytes(Filled(2), 1e6f, 2e6f);
        QCOMPARE(bytes.size(), 56);
        const QByteArray v = isDouble ? Le64(value) : Le32(float(value));
        bytes.replace(offset, v.size(), v);
        const VecReadResult read = ReadVecBytes(bytes, 2);
        QCOMPARE(read.data.has_value(), mentions.isEmpty());
        QVERIFY2(read.error.contains(mentions), qPrintable(read.error));
    }

    void safeWriteCreatesAndReplaces() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sweep.vec"));
        QString error;
        QVERIFY2(WriteFileSafely(path, "first, longer content", &error), qPrintable(error));
        QCOMPARE(ReadAll(path), QByteArray("first, longer content"));
        QVERIFY2(WriteFileSafely(path, "second", &error), qPrintable(error));
        QCOMPARE(ReadAll(path), QByteArray("second"));  // cut to the new length
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sweep.vec"});
    }

    void safeWriteFailsWithTheFileNamed_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("folder missing") << QStringLiteral("no/such/folder/sweep.vec");
        QTest::newRow("parent is a file") << QStringLiteral("plain/sweep.vec");
        QTest::newRow("target is a folder") << QStringLiteral("folder");
    }
    void safeWriteFailsWithTheFileNamed() {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        Write(dir.filePath(QStringLiteral("plain")), "x");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QString path = dir.filePath(relative);
        QString error;
        QVERIFY(!WriteFileSafely(path, "data", &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QVERIFY(!WriteFileSafely(path, "data", nullptr));  // no error wanted: no crash
    }

    // A write that fails half-way (here the file-size limit stands in for a
    // full disk) must leave the old file exactly as it was, and no leftovers.
    void failedWriteLeavesTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sweep.vec"));
        const QByteArray old = VecFileBytes(Filled(10), 1e6f, 2e6f);
        Write(path, old);

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool written = WriteFileSafely(path, QByteArray(64 * 1024, 'y'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY2(error.startsWith(QStringLiteral("Cannot write ")), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(ReadAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"sweep.vec"});
    }

    void limitedRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sweep.vec"));
        Write(path, QByteArray(100, 'z'));
        QByteArray bytes;
        QString error;
        QVERIFY2(ReadFileLimited(path, 100, &bytes, &error), qPrintable(error));
        QCOMPARE(bytes, QByteArray(100, 'z'));

        bytes = "untouched";
        QVERIFY(!ReadFileLimited(path, 99, &bytes, &error));
        QCOMPARE(bytes, QByteArray("untouched"));
        QVERIFY(error.contains(path));

        QVERIFY(!ReadFileLimited(dir.filePath(QStringLiteral("missing.vec")), 100, &bytes, &error));
        QVERIFY(error.contains(QStringLiteral("missing.vec")));

        // A device has no size; the limit still holds.
        QVERIFY(!ReadFileLimited(QStringLiteral("/dev/zero"), 1000, &bytes, &error));
        QCOMPARE(bytes, QByteArray("untouched"));
    }
};

QTEST_GUILESS_MAIN(TestVecFile)
#include "tst_vec_file.moc"
