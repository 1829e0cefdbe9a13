// The remote commands without a socket: program lines in, bytes out, against
// a plain instrument. Each row gives the input, the answer and the error
// queue (SYST:ERR:ALL?) it leaves.
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "remote/command_table.h"
#include "remote/remote_session.h"
#include "remote/scpi_number.h"
#include "remote/store_path.h"
#include "support/plain_instrument.h"

namespace {

const char* const kNoError = "0,\"No error\"";

QByteArray Q(const std::string& s) {
    return QByteArray::fromStdString(s);
}

std::string Errors(RemoteSession& session) {
    std::string all = session.receive("SYST:ERR:ALL?\n");
    if (!all.empty()) {
        all.pop_back();  // the line end
    }
    return all;
}

std::string NumberText(double v) {
    std::string s;
    AppendScpiNumber(s, v);
    return s;
}

}  // namespace

class RemoteTest : public QObject {
    Q_OBJECT

private slots:
    void lines_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("errors");
        const auto row = [](const char* name, const char* in, const char* out,
                            const char* errors = kNoError) {
            QTest::newRow(name) << QByteArray(in) << QByteArray(out) << QByteArray(errors);
        };
        row("identity", "*IDN?\n", "Zezizav,VNA-1,0,2.2.9\n");
        row("CR LF", "*idn?\r\n", "Zezizav,VNA-1,0,2.2.9\n");
        // Short and long forms, any case, the SENSe root optional, a leading ':'.
        row("long form", "SENSE:FREQUENCY:START?\n", "1000000\n");
        row("short form", "SENS:FREQ:STAR?\n", "1000000\n");
        row("mixed case", "sEnSe:FrEq:sTaRt?\n", "1000000\n");
        row("root left out", "FREQ:STAR?\n", "1000000\n");
        row("leading colon", ":SENS:FREQ:STAR?\n", "1000000\n");
        row("neither short nor long", "SENS:FREQU:STAR?\n", "", "-113,\"Undefined header\"");
        row("short form cut", "SENS:FRE:STAR?\n", "", "-113,\"Undefined header\"");
        row("unknown header", "FOO:BAR 1\n", "", "-113,\"Undefined header\"");
        row("query only", "*IDN\n", "", "-113,\"Undefined header\"");
        row("set only", "INIT?\n", "", "-113,\"Undefined header\"");
        row("optional last node", "SYST:ERR:NEXT?\n", "0,\"No error\"\n");
        // Chains: relative to the last header's path, else from the root.
        row("chain on one path", "FREQ:STAR 2e6;STOP 20e6;STAR?;STOP?\n", "2000000;20000000\n");
        row("chain back to the root", "FREQ:STAR 2e6;SWE:POIN 51;SWE:POIN?;:FREQ:STAR?\n",
            "51;2000000\n");
        row("common command keeps the path", "FREQ:STOP 9e6;*IDN?;STOP?\n",
            "Zezizav,VNA-1,0,2.2.9;9000000\n");
        row("two lines, two answers", "*OPC?\n*OPC?\n", "1\n1\n");
        row("centre and span",
            "FREQ:STAR 5e6;STOP 15e6;CENT 12e6;SPAN 2e6;STAR?;STOP?;CENT?;SPAN?\n",
            "11000000;13000000;12000000;2000000\n");
        row("blank line", "  \n\n", "");
        row("empty unit", "*IDN?;;*IDN?\n", "Zezizav,VNA-1,0,2.2.9\n", "-102,\"Syntax error\"");
        // A header error ends the line; a parameter error only its command.
        row("header error ends the line", "*OPC?;FOO;*OPC?\n", "1\n", "-113,\"Undefined header\"");
        row("parameter error goes on", "FREQ:STAR abc;*OPC?\n", "1\n", "-104,\"Data type error\"");
        // Numbers.
        row("unit", "FREQ:STAR 7.1MHz;STAR?\n", "7100000\n");
        row("unit upper case, blank", "FREQ:STOP 0.02 GHZ;STOP?\n", "20000000\n");
        row("kilo", "FREQ:STAR 1500kHz;STAR?\n", "1500000\n");
        row("exponent", "FREQ:STAR +7.1E+6;STAR?\n", "7100000\n");
        row("fraction without 0", "FREQ:STAR .5e7;STAR?\n", "5000000\n");
        row("unknown unit", "FREQ:STAR 7.1MX\n", "", "-131,\"Invalid suffix\"");
        row("two points", "FREQ:STAR 7.1.2\n", "", "-121,\"Invalid character in number\"");
        row("exponent without digits", "FREQ:STAR 1e\n", "",
            "-121,\"Invalid character in number\"");
        row("a sign alone", "FREQ:STAR -\n", "", "-121,\"Invalid character in number\"");
        row("beyond a double", "FREQ:STAR 1e999\n", "", "-222,\"Data out of range\"");
        row("below a double reads as 0", "INIT:CONT ON;CONT 0.001e-400;CONT?\n", "0\n");
        row("out of the window's range", "FREQ:STAR 1\n", "", "-222,\"Data out of range\"");
        row("start above stop", "FREQ:STAR 40MHz\n", "", "-222,\"Data out of range\"");
        row("count with a fraction", "SWE:POIN 60.5\n", "", "-222,\"Data out of range\"");
        row("count with a unit", "SWE:POIN 100Hz\n", "", "-131,\"Invalid suffix\"");
        row("count as text", "SWE:POIN \"100\"\n", "", "-104,\"Data type error\"");
        // Parameters.
        row("missing", "FREQ:STAR\n", "", "-109,\"Missing parameter\"");
        row("missing, blank after", "FREQ:STAR   \n", "", "-109,\"Missing parameter\"");
        row("one too many", "FREQ:STAR 1e6,2e6\n", "", "-108,\"Parameter not allowed\"");
        row("none wanted", "*IDN? 5\n", "", "-108,\"Parameter not allowed\"");
        row("empty between commas", "FREQ:STAR 1e6,,2\n", "", "-109,\"Missing parameter\"");
        row("no blank after header", "FREQ:STAR,5\n", "", "-102,\"Syntax error\"");
        row("control byte", "*IDN?\x01\n", "", "-101,\"Invalid character\"");
        row("unterminated string", "MODE \"Antenna\n", "", "-151,\"Invalid string data\"");
        // Modes: a word, or the window's name quoted, any case.
        row("mode by name", "SENS:MODE \"cable loss\";MODE?\n", "\"Cable Loss\"\n");
        row("mode by word", "MODE LENG;MODE?\n", "\"Cable Length\"\n");
        row("mode long word", "MODE transmission;MODE?\n", "\"Transmission\"\n");
        row("mode single quotes", "MODE 'Antenna';MODE?\n", "\"Antenna\"\n");
        row("mode ambiguous", "MODE CABL\n", "", "-224,\"Illegal parameter value\"");
        row("mode a number", "MODE 2\n", "", "-104,\"Data type error\"");
        // Markers: suffix 1..3, 1 when none.
        row("marker 2", "CALC:MARK2:X 5e6;X?\n", "5000000\n");
        row("marker without suffix", "CALC:MARK:X?\n", "1000000\n");
        row("marker value", "CALC:MARKER3:Y? SWR;Y? phas\n", "302;301\n");
        row("marker 4", "CALC:MARK4:X?\n", "", "-114,\"Header suffix out of range\"");
        row("marker 0", "CALC:MARK0:X?\n", "", "-114,\"Header suffix out of range\"");
        row("suffix where none belongs", "SENS2:FREQ:STAR?\n", "",
            "-114,\"Header suffix out of range\"");
        row("marker off the sweep", "CALC:MARK:X 1e9\n", "", "-222,\"Data out of range\"");
        row("unknown trace", "CALC:MARK:Y? FOO\n", "", "-224,\"Illegal parameter value\"");
        row("trace missing", "TRAC:DATA?\n", "", "-109,\"Missing parameter\"");
        row("no sweep yet", "TRAC:DATA? SWR\n", "", "-230,\"Data corrupt or stale;no sweep yet\"");
        // RUN and Hold.
        row("RUN", "INIT:CONT ON;CONT?\n", "1\n");
        row("Hold by number", "INIT:CONT 1;CONT 0;CONT?\n", "0\n");
        row("no boolean", "INIT:CONT 2\n", "", "-224,\"Illegal parameter value\"");
        // Saves and limits.
        row("save outside", "MMEM:STOR \"../x.csv\"\n", "",
            "-257,\"File name error;the name leaves the saves folder\"");
        row("save with a bad extension", "MMEM:STOR \"x.txt\"\n", "",
            "-257,\"File name error;the name does not end in .vec, .csv, .s1p or .png\"");
        row("save unquoted", "MMEM:STOR x\n", "", "-104,\"Data type error\"");
        row("no limits", "CALC:LIM:FAIL?\n", "",
            "-221,\"Settings conflict;no limit lines loaded\"");
        row("errors in order", "FOO\nFREQ:STAR\n", "",
            "-113,\"Undefined header\",-109,\"Missing parameter\"");
        row("clear status", "FOO\n*CLS\n", "");
    }
    void lines() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, errors);
        PlainInstrument instrument;
        RemoteSession session(instrument, "/saves");
        QCOMPARE(Q(session.receive(input.toStdString())), output);
        QCOMPARE(Q(Errors(session)), errors);
        // Byte by byte, the same.
        PlainInstrument again;
        RemoteSession pieces(again, "/saves");
        std::string out;
        for (const char c : input) {
            out += pieces.receive(std::string_view(&c, 1));
        }
        QCOMPARE(Q(out), output);
    }

    void commandsReachTheInstrument() {
        PlainInstrument instrument;
        instrument.sweeping = true;
        instrument.limitFail = true;
        RemoteSession session(instrument, "/saves/");
        QCOMPARE(Q(session.receive("SWE:POIN 100\nMMEM:STOR \"band 40/a;b.S1P\"\n"
                                   "CALC:MARK:MIN\n*RST\nCALC:LIM:FAIL?\n")),
                 QByteArray("1\n"));
        QCOMPARE(instrument.pointCount, 11);
        QCOMPARE(Q(Errors(session)), QByteArray("-221,\"Settings conflict\""));
        QCOMPARE(instrument.stored, std::vector<std::string>{"/saves/band 40/a;b.S1P"});
        QCOMPARE(instrument.minimumCalls, 1);
        QCOMPARE(instrument.resets, 1);
        RemoteSession noFolder(instrument);
        noFolder.receive("MMEM:STOR \"a.csv\"\n");
        QCOMPARE(Q(Errors(noFolder)),
                 QByteArray("-250,\"Mass storage error;no saves folder is set ([REMOTE] "
                            "SaveFolder=)\""));
    }

    // *OPC? after INIT holds every later byte until the sweep is drawn.
    void opcWaitsForTheSweep() {
        PlainInstrument instrument;
        instrument.fill(3, 1, 1.5);
        RemoteSession session(instrument);
        QCOMPARE(Q(session.receive("INIT:IMM;*OPC?;TRAC:DATA? LOSS\nSENS:FREQ:DATA?\n")),
                 QByteArray());
        QCOMPARE(instrument.sweepsStarted, 1);
        QVERIFY(session.holding());
        QCOMPARE(Q(session.receive("INIT\n*IDN")), QByteArray());
        QCOMPARE(Q(session.operationComplete()),
                 QByteArray("1;0,0.25,0.5\n1000000,15500000,30000000\n"));
        QVERIFY(!session.holding());
        QCOMPARE(instrument.sweepsStarted, 2);  // the held INIT
        // The held INIT's sweep is pending: a second INIT is ignored.
        QCOMPARE(Q(session.receive("?\nINIT\n*WAI;*OPC?\n")),
                 QByteArray("Zezizav,VNA-1,0,2.2.9\n"));
        QCOMPARE(Q(session.operationComplete(false)), QByteArray("1\n"));
        QCOMPARE(Q(Errors(session)),
                 QByteArray("-213,\"Init ignored\",-240,\"Hardware error;sweep abandoned\""));
        // Nothing pending: *OPC? answers at once; a stray completion is ignored.
        QCOMPARE(Q(session.operationComplete()), QByteArray());
        QCOMPARE(Q(session.receive("*OPC?\n")), QByteArray("1\n"));
        // *RST forgets the sweep, so nothing waits for it.
        session.receive("INIT\n*RST\n");
        QCOMPARE(Q(session.receive("*OPC?\n")), QByteArray("1\n"));
    }

    void heldInputIsBounded() {
        PlainInstrument instrument;
        RemoteSession session(instrument);
        session.receive("INIT;*WAI\n");
        const std::string line = std::string(60000, ' ') + "*OPC?\n";
        std::size_t sent = 0;
        while (sent < 2 * RemoteSession::kMaxHeldBytes) {
            QCOMPARE(Q(session.receive(line)), QByteArray());
            sent += line.size();
        }
        const std::string out = session.operationComplete();
        const auto answers = static_cast<std::size_t>(std::count(out.begin(), out.end(), '1'));
        QVERIFY(answers >= RemoteSession::kMaxHeldBytes / line.size() - 1);
        QVERIFY(answers < sent / line.size());
        QCOMPARE(QByteArray::fromStdString(Errors(session)).left(24),
                 QByteArray("-363,\"Input buffer overr"));
    }

    // A line over 64 KiB is refused once and discarded; the session goes on.
    void longLines_data() {
        QTest::addColumn<int>("blanks");
        QTest::addColumn<int>("piece");
        QTest::addColumn<bool>("accepted");
        const int room = static_cast<int>(RemoteSession::kMaxLineBytes) - 5;  // "*OPC?"
        QTest::newRow("64 KiB exactly") << room << 4096 << true;
        QTest::newRow("one byte over") << room + 1 << 4096 << false;
        QTest::newRow("one byte over, one piece") << room + 1 << (1 << 20) << false;
        QTest::newRow("10 MiB") << 10 * 1024 * 1024 << 65536 << false;
    }
    void longLines() {
        QFETCH(int, blanks);
        QFETCH(int, piece);
        QFETCH(bool, accepted);
        PlainInstrument instrument;
        RemoteSession session(instrument);
        const std::string line = std::string(static_cast<std::size_t>(blanks), ' ') + "*OPC?\r\n";
        std::string out;
        for (std::size_t at = 0; at < line.size(); at += static_cast<std::size_t>(piece)) {
            out +=
                session.receive(std::string_view(line).substr(at, static_cast<std::size_t>(piece)));
        }
        out += session.receive("*OPC?\n");
        QCOMPARE(Q(out), QByteArray(accepted ? "1\n1\n" : "1\n"));
        QCOMPARE(
            Q(Errors(session)),
            QByteArray(accepted ? kNoError : "-223,\"Too much data;line over 64 KiB discarded\""));
    }

    void errorQueueOverflows() {
        PlainInstrument instrument;
        RemoteSession session(instrument);
        for (int i = 0; i < 25; ++i) {
            session.receive("FOO\n");
        }
        QCOMPARE(Q(session.receive("SYST:ERR:COUN?\n")), QByteArray("20\n"));
        std::string last;
        for (std::size_t i = 0; i < ErrorQueue::kCapacity; ++i) {
            last = session.receive("SYST:ERR?\n");
        }
        QCOMPARE(Q(last), QByteArray("-350,\"Queue overflow\"\n"));
        QCOMPARE(Q(session.receive("SYST:ERR?\n")), QByteArray("0,\"No error\"\n"));
    }

    void traceRoundTrips() {
        PlainInstrument instrument;
        instrument.fill(6000, 4321, 1.0625);
        instrument.traces[static_cast<std::size_t>(TraceKind::Rs)][7] =
            std::numeric_limits<double>::quiet_NaN();
        RemoteSession session(instrument);
        const QByteArray swr = Q(session.receive("TRAC:DATA? SWR\n")).trimmed();
        const QList<QByteArray> values = swr.split(',');
        QCOMPARE(values.size(), 6000);
        const std::vector<double>& expected = instrument.trace(TraceKind::Swr);
        for (int i = 0; i < values.size(); ++i) {
            bool ok = false;
            QCOMPARE(values[i].toDouble(&ok), expected[static_cast<std::size_t>(i)]);
            QVERIFY(ok);
        }
        QCOMPARE(Q(session.receive("TRAC:DATA? RS\n")).split(',').at(7), QByteArray("9.91E37"));
    }

    void numbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("whole") << 7100000.0 << QByteArray("7100000");
        QTest::newRow("fraction") << 1.5 << QByteArray("1.5");
        QTest::newRow("shortest") << 0.1 << QByteArray("0.1");
        QTest::newRow("negative") << -12.25 << QByteArray("-12.25");
        QTest::newRow("minus zero") << -0.0 << QByteArray("0");
        QTest::newRow("large") << 1e20 << QByteArray("1e+20");
        QTest::newRow("a float, as the window's")
            << static_cast<double>(1.23456f) << QByteArray("1.23456");
        QTest::newRow("a double") << 1.23456 << QByteArray("1.23456");
        QTest::newRow("a double no float holds") << 1.0 / 3.0 << QByteArray("0.3333333333333333");
        QTest::newRow("NaN") << std::nan("") << QByteArray("9.91E37");
        QTest::newRow("infinity") << -HUGE_VAL << QByteArray("-9.9E37");
    }
    void numbers() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(Q(NumberText(value)), text);
    }

    void storePaths_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("path");
        const auto row = [](const char* name, StorePathRefusal r, const char* path = "") {
            QTest::newRow(*name ? name : "empty")
                << QString(name) << static_cast<int>(r) << QString(path);
        };
        row("a.vec", StorePathRefusal::None, "/s/a.vec");
        row("sub/a.CSV", StorePathRefusal::None, "/s/sub/a.CSV");
        row("a b.s1p", StorePathRefusal::None, "/s/a b.s1p");
        row("x.Png", StorePathRefusal::None, "/s/x.Png");
        row("", StorePathRefusal::Empty);
        row("/etc/a.csv", StorePathRefusal::Absolute);
        row("~/a.csv", StorePathRefusal::Absolute);
        row("C:a.csv", StorePathRefusal::Absolute);
        row("../a.csv", StorePathRefusal::Escapes);
        row("sub/../../a.csv", StorePathRefusal::Escapes);
        row("sub/..", StorePathRefusal::Escapes);
        row("./a.csv", StorePathRefusal::Escapes);
        row("sub//a.csv", StorePathRefusal::Escapes);
        row("sub/", StorePathRefusal::Escapes);
        row("..\\a.csv", StorePathRefusal::BadCharacter);
        row("a\nb.csv", StorePathRefusal::BadCharacter);
        row("a.csv.sh", StorePathRefusal::Extension);
        row(".csv", StorePathRefusal::Extension);
        row("sub/.png", StorePathRefusal::Extension);
        row("a.s2p", StorePathRefusal::Extension);
    }
    void storePaths() {
        QFETCH(QString, name);
        QFETCH(int, refusal);
        QFETCH(QString, path);
        const StorePath p = ResolveStorePath("/s", name.toStdString());
        QCOMPARE(static_cast<int>(p.refusal), refusal);
        QCOMPARE(QString::fromStdString(p.path), path);
    }

    // SYST:HELP? is the table, and docs/remote.md lists every row as it says.
    void helpIsTheTable() {
        PlainInstrument instrument;
        RemoteSession session(instrument);
        const QByteArray out = Q(session.receive("SYST:HELP?\n"));
        QVERIFY(out.startsWith('#'));
        const int digits = out.at(1) - '0';
        const int length = out.mid(2, digits).toInt();
        QCOMPARE(out.size(), 2 + digits + length + 1);
        const QByteArray text = out.mid(2 + digits, length);
        QCOMPARE(text, Q(RemoteHelpText()));
        QFile doc(QStringLiteral(ZEZIZAV_SOURCE_DIR "/docs/remote.md"));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        const QByteArray docs = doc.readAll();
        for (const CommandSpec& spec : RemoteCommands()) {
            QVERIFY(text.contains(Q(std::string(spec.pattern))));
            QCOMPARE(spec.query, spec.pattern.back() == '?');
            QByteArray help = Q(std::string(spec.help));
            help.replace("|", "\\|");
            QByteArray syntax = Q(CommandSyntax(spec));
            syntax.replace("|", "\\|");
            const QByteArray docRow = "| `" + syntax + "` | " + help + " |";
            QVERIFY2(docs.contains(docRow), docRow.constData());
        }
    }
};

QTEST_APPLESS_MAIN(RemoteTest)
#include "tst_remote.moc"
