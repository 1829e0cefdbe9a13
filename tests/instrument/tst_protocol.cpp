#include <QtTest>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "instrument/protocol.h"

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

std::vector<float> Floats(const QList<float>& values) {
    return {values.begin(), values.end()};
}

}  // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void frequencyWord_data();
    void frequencyWord();
    void workedExampleSweep();
    void transmissionModeByte_data();
    void transmissionModeByte();
    void singleFrequency();
    void outOfRange_data();
    void outOfRange();
    void decode_data();
    void decode();
    void decodeRefusesWrongSizes();
    void replyDeadlineCoversTheWire_data();
    void replyDeadlineCoversTheWire();
};

void TestProtocol::commandLine_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("zero") << 0 << QByteArray(" 0\r");
    QTest::newRow("one") << 1 << QByteArray(" 1\r");
    QTest::newRow("start word") << 10737000 << QByteArray(" 10737000\r");
    QTest::newRow("negative") << -5 << QByteArray("-5\r");
    QTest::newRow("int32 max") << std::numeric_limits<std::int32_t>::max()
                               << QByteArray(" 2147483647\r");
    QTest::newRow("int32 min") << std::numeric_limits<std::int32_t>::min()
                               << QByteArray("-2147483648\r");
}

void TestProtocol::commandLine() {
    QFETCH(int, value);
    QFETCH(QByteArray, line);
    QCOMPARE(CommandLine(value), line);
}

void TestProtocol::frequencyWord_data() {
    QTest::addColumn<double>("hz");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("word");
    QTest::newRow("1 MHz") << 1e6 << true << 10737000;
    QTest::newRow("step of the worked example") << 358000.0 << true << 3843846;
    QTest::newRow("zero") << 0.0 << true << 0;
    // Products that are exactly k + 0.5 in double precision: halves go even.
    QTest::newRow("half to even, down") << 93135.93182453199 << true << 1000000;
    QTest::newRow("half to even, up") << 93136.21123218776 << true << 1000004;
    QTest::newRow("highest that fits") << 200007790.0 << true << 2147483641;
    QTest::newRow("first that does not") << 200007791.0 << false << 0;
    QTest::newRow("lowest that fits") << -200007790.0 << true << -2147483641;
    QTest::newRow("below the range") << -200007791.0 << false << 0;
    QTest::newRow("NaN") << std::nan("") << false << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestProtocol::frequencyWord() {
    QFETCH(double, hz);
    QFETCH(bool, fits);
    QFETCH(int, word);
    const auto result = FrequencyWord(hz);
    QCOMPARE(result.has_value(), fits);
    if (fits) {
        QCOMPARE(*result, word);
    }
}

void TestProtocol::workedExampleSweep() {
    const float FMin = 1000000.0f;
    const float FMax = 180000000.0f;
    const std::int32_t Champ = 500;
    const double FreqStep = static_cast<double>(FMax - FMin) / Champ;
    const EncodedCommand command = EncodeSweepCommand(FMin, FreqStep, Champ, 0.0f);
    QVERIFY2(command.ok(), qPrintable(command.error));
    QCOMPARE(command.lines[0], QByteArray(" 0\r"));
    QCOMPARE(command.lines[1], QByteArray(" 10737000\r"));
    QCOMPARE(command.lines[2], QByteArray(" 500\r"));
    QCOMPARE(command.lines[3], QByteArray(" 3843846\r"));
    QCOMPARE(ReplyBytes(Champ), 2000);
}

void TestProtocol::transmissionModeByte_data() {
    QTest::addColumn<float>("mode");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("transmission") << 1.0f << QByteArray(" 1\r");
    QTest::newRow("reflection") << 0.0f << QByteArray(" 0\r");
    QTest::newRow("just above one") << std::nextafter(1.0f, 2.0f) << QByteArray(" 0\r");
    QTest::newRow("two") << 2.0f << QByteArray(" 0\r");
    QTest::newRow("minus one") << -1.0f << QByteArray(" 0\r");
}

void TestProtocol::transmissionModeByte() {
    QFETCH(float, mode);
    QFETCH(QByteArray, line);
    const EncodedCommand command = EncodeSweepCommand(1e6f, 1000.0, 10, mode);
    QVERIFY(command.ok());
    QCOMPARE(command.lines[0], line);
}

void TestProtocol::singleFrequency() {
    const EncodedCommand command = EncodeSingleFrequencyCommand(14200000.0f);
    QVERIFY(command.ok());
    const std::array<QByteArray, 4> expected = {QByteArray(" 1\r"), QByteArray(" 152465400\r"),
                                                QByteArray(" 1\r"), QByteArray(" 0\r")};
    QCOMPARE(command.lines, expected);

    const EncodedCommand negative = EncodeSingleFrequencyCommand(-1000000.0f);
    QVERIFY(negative.ok());
    QCOMPARE(negative.lines[1], QByteArray("-10737000\r"));
}

void TestProtocol::outOfRange_data() {
    QTest::addColumn<float>("FMin");
    QTest::addColumn<double>("FreqStep");
    QTest::addColumn<int>("Champ");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("startLine");
    // 200 007 790 is no 32-bit float: the floats either side of it.
    QTest::newRow("highest float start")
        << 200007776.0f << 1.0 << 10 << QString() << QByteArray(" 2147483491\r");
    QTest::newRow("start beyond") << 200007792.0f << 1.0 << 10
                                  << "Start frequency 200007792 Hz is beyond the instrument's range"
                                  << QByteArray();
    QTest::newRow("start far beyond")
        << 250000000.0f << 1.0 << 10
        << "Start frequency 250000000 Hz is beyond the instrument's range" << QByteArray();
    QTest::newRow("negative start")
        << -1000000.0f << 1.0 << 10 << QString() << QByteArray("-10737000\r");
    QTest::newRow("step beyond") << 1000000.0f << 250000000.5 << 10
                                 << "Frequency step 250000000.5 Hz is beyond the instrument's range"
                                 << QByteArray();
    QTest::newRow("no points") << 1000000.0f << 1.0 << 0 << "Number of points 0 is not valid"
                               << QByteArray();
}

void TestProtocol::outOfRange() {
    QFETCH(float, FMin);
    QFETCH(double, FreqStep);
    QFETCH(int, Champ);
    QFETCH(QString, error);
    QFETCH(QByteArray, startLine);
    const EncodedCommand command = EncodeSweepCommand(FMin, FreqStep, Champ, 0.0f);
    QCOMPARE(command.error, error);
    QCOMPARE(command.ok(), error.isEmpty());
    if (command.ok()) {
        QCOMPARE(command.lines[1], startLine);
    }
}

void TestProtocol::decode_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<float>>("phaseBefore");
    QTest::addColumn<QList<float>>("magnitudeBefore");
    QTest::addColumn<QList<float>>("phaseAfter");
    QTest::addColumn<QList<float>>("magnitudeAfter");
    // Element 0 starts at -7 in every row: it must never be written.
    QTest::newRow("worked record, Champ 1")
        << Bytes({0x34, 0x02, 0xFF, 0x01}) << QList<float>{-7, 9} << QList<float>{-7, 9}
        << QList<float>{-7, 564} << QList<float>{-7, 511};
    QTest::newRow("all high parts 0")
        << Bytes({0, 0, 255, 0, 13, 0, 10, 0, 128, 0, 1, 0}) << QList<float>{-7, 1, 1, 1}
        << QList<float>{-7, 1, 1, 1} << QList<float>{-7, 0, 13, 128}
        << QList<float>{-7, 255, 10, 1};
    QTest::newRow("largest reading")
        << Bytes({0xFF, 3, 0xFF, 3}) << QList<float>{-7, 0} << QList<float>{-7, 0}
        << QList<float>{-7, 1023} << QList<float>{-7, 1023};
    QTest::newRow("phase high 4 keeps the old phase only")
        << Bytes({1, 0, 2, 0, 5, 4, 6, 1, 7, 1, 8, 2}) << QList<float>{-7, 100, 200, 300}
        << QList<float>{-7, 400, 500, 600} << QList<float>{-7, 1, 200, 263}
        << QList<float>{-7, 2, 262, 520};
    QTest::newRow("high 255 in both keeps both")
        << Bytes({1, 0, 2, 0, 5, 255, 6, 255, 7, 1, 8, 2}) << QList<float>{-7, 100, 200, 300}
        << QList<float>{-7, 400, 500, 600} << QList<float>{-7, 1, 200, 263}
        << QList<float>{-7, 2, 500, 520};
    QTest::newRow("magnitude high 4 keeps the old magnitude only")
        << Bytes({9, 1, 9, 4}) << QList<float>{-7, 50} << QList<float>{-7, 60}
        << QList<float>{-7, 265} << QList<float>{-7, 60};
}

void TestProtocol::decode() {
    QFETCH(QByteArray, reply);
    QFETCH(QList<float>, phaseBefore);
    QFETCH(QList<float>, magnitudeBefore);
    QFETCH(QList<float>, phaseAfter);
    QFETCH(QList<float>, magnitudeAfter);
    std::vector<float> phase = Floats(phaseBefore);
    std::vector<float> magnitude = Floats(magnitudeBefore);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(reply.constData());
    const auto champ = static_cast<std::int32_t>(reply.size() / 4);
    QVERIFY(DecodeSweepReply(bytes, static_cast<std::size_t>(reply.size()), phase.data(),
                             magnitude.data(), champ));
    QCOMPARE(phase, Floats(phaseAfter));
    QCOMPARE(magnitude, Floats(magnitudeAfter));

    // The span form gives the same.
    std::vector<float> phase2 = Floats(phaseBefore);
    std::vector<float> magnitude2 = Floats(magnitudeBefore);
    QVERIFY(DecodeSweepReply(std::span(bytes, static_cast<std::size_t>(reply.size())),
                             std::span(phase2), std::span(magnitude2)));
    QCOMPARE(phase2, phase);
    QCOMPARE(magnitude2, magnitude);
}

void TestProtocol::decodeRefusesWrongSizes() {
    const QByteArray reply = Bytes({1, 0, 2, 0, 3, 0, 4, 0});
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(reply.constData());
    std::vector<float> phase(3, 5.0f);
    std::vector<float> magnitude(3, 5.0f);
    const std::vector<float> untouched(3, 5.0f);
    // One byte short of two records, and two records for a sweep of three.
    QVERIFY(!DecodeSweepReply(bytes, 7, phase.data(), magnitude.data(), 2));
    QVERIFY(!DecodeSweepReply(bytes, 8, phase.data(), magnitude.data(), 3));
    // Buffers too short for the records.
    QVERIFY(
        !DecodeSweepReply(std::span(bytes, 8), std::span(phase).first(2), std::span(magnitude)));
    QVERIFY(!DecodeSweepReply(std::span(bytes, 7), std::span(phase), std::span(magnitude)));
    QCOMPARE(phase, untouched);
    QCOMPARE(magnitude, untouched);
}

void TestProtocol::replyDeadlineCoversTheWire_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("single frequency") << qint64(4);
    QTest::newRow("500 points") << qint64(2000);
    QTest::newRow("6000 points") << qint64(24000);
    QTest::newRow("100000 points") << qint64(400000);
}

void TestProtocol::replyDeadlineCoversTheWire() {
    QFETCH(qint64, bytes);
    // 10 bits a byte at 115200 baud.
    const double wireMs = static_cast<double>(bytes) * 10.0 * 1000.0 / 115200.0;
    const auto deadline = static_cast<double>(ReplyDeadlineMs(bytes));
    QVERIFY2(deadline >= wireMs * 1.2 + 400.0, qPrintable(QString::number(deadline)));
    QVERIFY2(deadline <= wireMs * 2.0 + 2000.0, qPrintable(QString::number(deadline)));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
