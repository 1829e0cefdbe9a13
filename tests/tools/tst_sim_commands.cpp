// The simulator's side of the line: the sweep commands it takes or refuses,
// its command line, the reader that assembles commands from the bytes, the
// faults it plays, and the noise on its counts.

#include <QtTest>

#include <cmath>
#include <random>

#include "command_reader.h"
#include "dut_models.h"
#include "instrument/protocol.h"

using namespace Sim;

class TestSimCommands : public QObject {
    Q_OBJECT

private slots:
    void commandChecks_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("good");
        QTest::newRow("reflection") << 0 << 500 << true;
        QTest::newRow("transmission, one point") << 1 << 1 << true;
        QTest::newRow("largest") << 0 << kMaxPoints << true;
        QTest::newRow("mode 2") << 2 << 500 << false;
        QTest::newRow("mode -1") << -1 << 500 << false;
        QTest::newRow("no points") << 0 << 0 << false;
        QTest::newRow("negative points") << 0 << -6000 << false;
        QTest::newRow("too many points") << 0 << kMaxPoints + 1 << false;
    }
    void commandChecks() {
        QFETCH(int, mode);
        QFETCH(int, points);
        QTEST(!CheckCommand({mode, 10737000, points, 1000}).has_value(), "good");
    }

    void commandLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("good");
        QTest::addColumn<int>("value");
        QTest::newRow("blank first") << QByteArray(" 10737000") << true << 10737000;
        QTest::newRow("zero") << QByteArray(" 0") << true << 0;
        QTest::newRow("no blank") << QByteArray("500") << true << 500;
        QTest::newRow("negative") << QByteArray("-5") << true << -5;
        QTest::newRow("int32 min") << QByteArray("-2147483648") << true << INT32_MIN;
        QTest::newRow("int32 max") << QByteArray(" 2147483647") << true << INT32_MAX;
        QTest::newRow("too large") << QByteArray(" 2147483648") << false << 0;
        QTest::newRow("far too large") << QByteArray(" 99999999999999999999") << false << 0;
        QTest::newRow("empty") << QByteArray() << false << 0;
        QTest::newRow("blank only") << QByteArray(" ") << false << 0;
        QTest::newRow("minus only") << QByteArray("-") << false << 0;
        QTest::newRow("two blanks") << QByteArray("  5") << false << 0;
        QTest::newRow("plus") << QByteArray("+5") << false << 0;
        QTest::newRow("blank then minus") << QByteArray(" -5") << false << 0;
        QTest::newRow("decimal point") << QByteArray(" 1.5") << false << 0;
        QTest::newRow("trailing blank") << QByteArray(" 5 ") << false << 0;
        QTest::newRow("text") << QByteArray("SWEEP") << false << 0;
        QTest::newRow("NUL") << QByteArray(
                                    " 1\0"
                                    "2",
                                    4)
                             << false << 0;
    }
    void commandLine() {
        QFETCH(QByteArray, line);
        QFETCH(bool, good);
        const auto value = ParseCommandLine(line);
        QCOMPARE(value.has_value(), good);
        if (good) {
            QTEST(*value, "value");
        }
    }

    void readerAssemblesCommands() {
        CommandReader reader;
        std::vector<CommandReader::Event> events;
        // LF ignored, a garbage line between good ones does not count, bytes
        // arrive in arbitrary pieces.
        const QByteArray stream(" 0\r\n 10737\rhello\r 50");
        reader.feed(stream, 0, &events);
        reader.feed("0\r 3843846\r 1\r", 1, &events);

        std::vector<SweepCommand> commands;
        int garbage = 0;
        for (const auto& e : events) {
            if (e.kind == CommandReader::Event::Kind::Command) {
                commands.push_back(e.command);
            }
            garbage += e.kind == CommandReader::Event::Kind::Garbage;
        }
        QCOMPARE(garbage, 1);
        QCOMPARE(int(commands.size()), 1);
        QCOMPARE(commands[0].mode, 0);
        QCOMPARE(commands[0].startWord, 10737);
        QCOMPARE(commands[0].points, 500);
        QCOMPARE(commands[0].stepWord, 3843846);

        // The line " 1" started the next command: three more complete it.
        events.clear();
        reader.feed(" 10737000\r 1\r 0\r", 2, &events);
        QCOMPARE(events.back().kind, CommandReader::Event::Kind::Command);
        QCOMPARE(events.back().command.mode, 1);
        QCOMPARE(events.back().command.points, 1);
    }

    void readerDropsAStalePartialCommand() {
        CommandReader reader;
        std::vector<CommandReader::Event> events;
        reader.feed(" 0\r 10737000\r", 1000, &events);
        events.clear();
        const qint64 later = 1000 + CommandReader::kMaxGapMs + 1;
        reader.feed(" 0\r 10737000\r 500\r 3843846\r", later, &events);
        QCOMPARE(events.front().kind, CommandReader::Event::Kind::DroppedPartial);
        QCOMPARE(events.back().kind, CommandReader::Event::Kind::Command);
        QCOMPARE(events.back().command.points, 500);
    }

    void readerSurvivesAnEndlessLine() {
        CommandReader reader;
        std::vector<CommandReader::Event> events;
        reader.feed(QByteArray(1 << 20, '7'), 0, &events);
        QVERIFY(events.empty());
        reader.feed(" 5\r", 0, &events);  // ends the long line: garbage
        reader.feed(" 5\r", 0, &events);
        QCOMPARE(int(events.size()), 2);
        QCOMPARE(events[0].kind, CommandReader::Event::Kind::Garbage);
        QCOMPARE(events[1].kind, CommandReader::Event::Kind::Line);
    }

    void faults_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("replyBytes");
        for (const char* name :
             {"none", "silent", "short", "surplus", "garbage-high", "hangup", "late", "slow"}) {
            for (const int bytes : {4, 2000}) {
                QTest::addRow("%s, %d bytes", name, bytes) << QString::fromLatin1(name) << bytes;
            }
        }
    }
    void faults() {
        QFETCH(QString, name);
        QFETCH(int, replyBytes);
        const auto fault = FaultFromName(name);
        QVERIFY(fault.has_value());
        QCOMPARE(FaultName(*fault), name);

        DutSettings load;
        load.dut = Dut::Load;
        const SweepCommand sweep{0, static_cast<std::int32_t>(std::lround(1e6 * kWordsPerHz)),
                                 replyBytes / 4,
                                 static_cast<std::int32_t>(std::lround(1e3 * kWordsPerHz))};
        const QByteArray good = ReplyFor(load, sweep);
        const double figure = *fault == Fault::Late ? 812.0 : 0.25;
        for (std::uint32_t seed = 1; seed <= 50; ++seed) {
            std::mt19937 random(seed);
            const Outgoing out = ApplyFault(*fault, good, random, figure);
            std::mt19937 again(seed);
            QCOMPARE(ApplyFault(*fault, good, again, figure).bytes, out.bytes);  // reproducible
            QCOMPARE(out.delayMs, *fault == Fault::Late ? 812 : 0);
            QCOMPARE(out.rate, *fault == Fault::Slow ? 0.25 : 0.0);
            const QByteArray& b = out.bytes;
            switch (*fault) {
                case Fault::None:
                    QCOMPARE(b, good);
                    break;
                case Fault::Silent:
                    QVERIFY(b.isEmpty());
                    break;
                case Fault::Short:
                    QVERIFY(b.size() >= 1 && b.size() < good.size());
                    QVERIFY(good.size() - b.size() <= 7);
                    QVERIFY(good.startsWith(b));
                    break;
                case Fault::Surplus:
                    QVERIFY(b.size() > good.size() && b.size() <= good.size() + 8);
                    QVERIFY(b.startsWith(good));
                    break;
                case Fault::GarbageHigh: {
                    QCOMPARE(b.size(), good.size());
                    int spoiled = 0;
                    for (int i = 0; i < b.size(); ++i) {
                        if (b[i] == good[i]) {
                            continue;
                        }
                        QVERIFY2(i % 2 == 1, "only high parts change");
                        QVERIFY(static_cast<unsigned char>(b[i]) > 3);
                        ++spoiled;
                    }
                    QVERIFY(spoiled >= 1);
                    break;
                }
                case Fault::Hangup:
                    QCOMPARE(b, good);
                    QCOMPARE(out.hangupAfter, good.size() / 2);
                    break;
                case Fault::Late:
                case Fault::Slow:
                    QCOMPARE(b, good);  // whole, only later or slower
                    break;
            }
        }
    }

    // random:P draws late and slow replies that end within 1.5 reply
    // deadlines of the command, so a program that waits one more deadline
    // before its next command always gets them; about half overrun the first.
    void randomLateAndSlowStayWithinTwoDeadlines() {
        std::mt19937 random(3);
        for (const qsizetype bytes : {4, 400, 2000, 24000}) {
            const auto deadline = static_cast<double>(ReplyDeadlineMs(bytes));
            const double wireMs = static_cast<double>(bytes) * 10.0 * 1000.0 / kBaudRate;
            for (const Fault fault : {Fault::Late, Fault::Slow}) {
                int overran = 0;
                for (int i = 0; i < 200; ++i) {
                    const double figure = RandomFaultFigure(fault, bytes, random);
                    const double endMs = fault == Fault::Late ? figure + wireMs : wireMs / figure;
                    QVERIFY2(endMs >= deadline / 2.0 - 1.0 && endMs <= 1.5 * deadline,
                             qPrintable(QStringLiteral("%1 bytes, %2: %3 ms")
                                            .arg(bytes)
                                            .arg(FaultName(fault))
                                            .arg(endMs)));
                    if (fault == Fault::Slow) {
                        QVERIFY(figure > 0.0 && figure <= 1.0);
                    }
                    overran += endMs > deadline;
                }
                QVERIFY2(overran > 40 && overran < 160, qPrintable(QString::number(overran)));
            }
        }
    }

    // Noise spreads each count by the deviation asked for around its value,
    // never beyond 0..1023, and leaves a spoiled record and a quiet reply alone.
    void noise() {
        QByteArray reply;
        for (int k = 0; k < 2000; ++k) {
            reply.append("\xf4\x01\x01\x00", 4);  // phase 500, magnitude 1
        }
        reply.append("\x05\x07\x05\x07", 4);  // high parts above 3
        std::mt19937 random(7);
        QByteArray quiet = reply;
        AddNoise(quiet, 0.0, random);
        QCOMPARE(quiet, reply);

        QByteArray noisy = reply;
        AddNoise(noisy, 3.0, random);
        QCOMPARE(noisy.size(), reply.size());
        QCOMPARE(noisy.right(4), reply.right(4));
        const auto* b = reinterpret_cast<const unsigned char*>(noisy.constData());
        double sum = 0.0, squares = 0.0;
        int lowest = 1023;
        for (int k = 0; k < 2000; ++k) {
            const int phase = b[4 * k] + 256 * b[4 * k + 1];
            lowest = std::min(lowest, b[4 * k + 2] + 256 * b[4 * k + 3]);
            QVERIFY(b[4 * k + 1] <= 3 && b[4 * k + 3] <= 3);
            sum += phase - 500;
            squares += (phase - 500) * (phase - 500);
        }
        QVERIFY(std::fabs(sum / 2000) < 0.3);
        const double deviation = std::sqrt(squares / 2000);
        QVERIFY2(deviation > 2.7 && deviation < 3.3, qPrintable(QString::number(deviation)));
        QCOMPARE(lowest, 0);  // held at the floor, not wrapped round
    }
};

QTEST_GUILESS_MAIN(TestSimCommands)
#include "tst_sim_commands.moc"
