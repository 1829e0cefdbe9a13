// The marker sets' file: what a hand-edited file reads as, what is skipped and
// why, the round trip, saving under a name, and a failed write.
#include <QtTest>

#include "display/marker_sets.h"

namespace {

// "name: 1 on 7050000, 2 off 0, min on" a set, "|" between sets.
QString Summary(const std::vector<MarkerSet>& sets) {
    QStringList parts;
    const auto marker = [](int n, const MarkerSetMarker& m) {
        return QStringLiteral("%1 %2 %3")
            .arg(n)
            .arg(m.on ? "on" : "off")
            .arg(m.frequencyHz, 0, 'f', 0);
    };
    for (const MarkerSet& s : sets) {
        parts << QStringLiteral("%1: %2, %3, min %4")
                     .arg(s.name, marker(1, s.marker1), marker(2, s.marker2),
                          s.minSwrOn ? "on" : "off");
    }
    return parts.join(QLatin1Char('|'));
}

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

MarkerSet Set(const QString& name, double f1, double f2, bool on = true) {
    return {name, {on, f1}, {!on, f2}, on};
}

const QByteArray kGood = "[A]\nMarker1=on 7.050000\nMarker2=off 7.150000\nMinSWR=on\n";

}  // namespace

class MarkerSetsTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("sets");
        QTest::addColumn<QStringList>("messages");
        const QString a = QStringLiteral("A: 1 on 7050000, 2 off 7150000, min on");
        QTest::newRow("one set") << kGood << a << QStringList();
        QTest::newRow("empty") << QByteArray() << QString() << QStringList();
        QTest::newRow("hand-edited: BOM, CRLF, case, blanks, comments, keys missing")
            << QByteArray(
                   "\xEF\xBB\xBF# mine\r\n\r\n[  Beam  ]\r\n ; note\r\n"
                   "  marker2 =  ON   144.3 \r\nminswr=Off\r\n[Dipole]")
            << "Beam: 1 off 0, 2 on 144300000, min off|Dipole: 1 off 0, 2 off 0, min off"
            << QStringList();
        QTest::newRow("name with ] [ = # and non-ASCII")
            << QByteArray("[[x]=#] Ω]\nMarker1=on 1.5\n")
            << "[x]=#] Ω: 1 on 1500000, 2 off 0, min off" << QStringList();
        QTest::newRow("to the hertz") << QByteArray("[A]\nMarker1=on 7.0500004\nMarker2=on 7.\n")
                                      << "A: 1 on 7050000, 2 on 7000000, min off" << QStringList();

        // Each bad entry is skipped whole, with one message; the rest is kept.
        const auto bad = [&a](const char* name, const QByteArray& entry, const char* message) {
            QTest::newRow(name) << QByteArray("[B]\n" + entry + "\n" + kGood) << a
                                << QStringList{QString::fromUtf8(message)};
        };
        bad("unknown key", "Marker1=on 1\nMarker3=on 2",
            "line 3: \"Marker3\" is not a key of a marker set");
        bad("not key=value", "Marker1 on 1", "line 2: \"Marker1 on 1\" is not key=value");
        bad("key twice", "Marker1=on 1\nmarker1=on 2", "line 3: Marker1 is given twice");
        bad("no frequency", "Marker2=on", "line 2: Marker2 is on or off, then MHz");
        bad("neither on nor off", "Marker2=yes 1", "line 2: Marker2 is on or off, then MHz");
        bad("extra word", "MinSWR=on 7", "line 2: MinSWR is on or off");
        bad("comma decimal", "Marker1=on 7,05",
            "line 2: \"7,05\" is not a frequency of 0 to 1000000 MHz");
        bad("negative", "Marker1=on -7", "line 2: \"-7\" is not a frequency of 0 to 1000000 MHz");
        bad("not finite", "Marker1=on nan",
            "line 2: \"nan\" is not a frequency of 0 to 1000000 MHz");
        bad("too high", "Marker1=on 1000000.000001",
            "line 2: \"1000000.000001\" is not a frequency of 0 to 1000000 MHz");
        bad("exponent", "Marker1=on 7e6", "line 2: \"7e6\" is not a frequency of 0 to 1000000 MHz");
        QTest::newRow("duplicate name, in any case and blanks")
            << QByteArray(kGood + "[ a ]\nMarker1=on 1\n") << a
            << QStringList{"line 5: a set named \"A\" comes earlier"};
        QTest::newRow("empty name") << QByteArray("[ ]\nMarker1=on 1\n" + kGood) << a
                                    << QStringList{"line 1: a set needs a name"};
        QTest::newRow("unclosed name") << QByteArray("[B\nMarker1=on 1\n" + kGood) << a
                                       << QStringList{"line 1: a set's name line ends with \"]\""};
        QTest::newRow("control character in a name")
            << QByteArray("[B\x01]\n" + kGood) << a
            << QStringList{"line 1: a set's name holds no control characters"};
        QTest::newRow("lines before any set, then two bad sets")
            << QByteArray("Marker1=on 1\nstray\n" + kGood + "[C]\nX=1\n[D]\nMinSWR=maybe\n") << a
            << QStringList{"line 1: \"Marker1=on 1\" comes before any [name] of a set",
                           "line 8: \"X\" is not a key of a marker set",
                           "line 10: MinSWR is on or off"};
        QTest::newRow("garbage bytes")
            << QByteArray("\xFF\xFE\x00[\x80\n\x00=\x00\n", 10) + kGood << a
            << QStringList{
                   "line 1: \"\xEF\xBF\xBD\xEF\xBF\xBD?[\xEF\xBF\xBD\" comes before any "
                   "[name] of a set"};
        QTest::newRow("long value quoted short")
            << QByteArray("[B]\nMarker1=on " + QByteArray(100, '9') + "x\n" + kGood) << a
            << QStringList{"line 2: \"" + QString(40, QLatin1Char('9')) +
                           "...\" is not a frequency of 0 to 1000000 MHz"};
    }
    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(QString, sets);
        QFETCH(QStringList, messages);
        const MarkerSetsRead read = ParseMarkerSets(text);
        QCOMPARE(Summary(read.sets), sets);
        QCOMPARE(read.messages, messages);
    }

    void writtenSetsReadBackTheSame() {
        const std::vector<MarkerSet> sets = {
            Set(QStringLiteral("40 m dipole"), 7050000, 7150000),
            Set(QStringLiteral("a=b ]x[ #c ;d"), 0, 180000000, false),
            Set(QStringLiteral("[Ωμ 日本]"), 1000000000000.0, 1),
            Set(QStringLiteral("#"), 144300001, 5351500),
        };
        const QByteArray text = MarkerSetsText(sets);
        QVERIFY(
            text.contains("\n[40 m dipole]\nMarker1=on 7.050000\nMarker2=off 7.150000\n"
                          "MinSWR=on\n"));
        QVERIFY(text.contains("Marker1=on 1000000.000000\nMarker2=off 0.000001\n"));
        const MarkerSetsRead read = ParseMarkerSets(text);
        QCOMPARE(read.messages, QStringList());
        QVERIFY(read.sets == sets);
        QCOMPARE(MarkerSetsText(read.sets), text);
    }

    void putReplacesOrRefuses_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("frequencyHz");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("names");
        QTest::newRow("new name, trimmed") << " C " << 1e6 << ""
                                           << "A B C";
        QTest::newRow("replaces in place") << "  b" << 1e6 << ""
                                           << "A b";
        QTest::newRow("replaces in any case") << "a" << 1e6 << ""
                                                       << "a B";
        QTest::newRow("empty") << "" << 1e6 << "a set needs a name"
                               << "A B";
        QTest::newRow("line break") << "x\ny" << 1e6 << "a set's name is one line"
                                    << "A B";
        QTest::newRow("negative frequency")
            << "C" << -1.0 << "a marker's frequency is 0 to 1000000 MHz"
            << "A B";
        QTest::newRow("NaN frequency")
            << "C" << qQNaN() << "a marker's frequency is 0 to 1000000 MHz"
            << "A B";
    }
    void putReplacesOrRefuses() {
        QFETCH(QString, name);
        QFETCH(double, frequencyHz);
        QFETCH(QString, refusal);
        QFETCH(QString, names);
        std::vector<MarkerSet> sets = {Set("A", 1, 2), Set("B", 3, 4)};
        const std::vector<MarkerSet> before = sets;
        const std::optional<QString> result =
            PutMarkerSet(sets, Set(name, frequencyHz, 7000000.4, false));
        QCOMPARE(result.value_or(QString()), refusal);
        QStringList kept;
        for (const MarkerSet& s : sets) {
            kept << s.name;
        }
        QCOMPARE(kept.join(QLatin1Char(' ')), names);
        if (refusal.isEmpty()) {
            const auto put = std::find_if(sets.begin(), sets.end(), [&name](const MarkerSet& s) {
                return s.name == name.trimmed();
            });
            QVERIFY(put != sets.end());
            QCOMPARE(put->marker2.frequencyHz, 7000000.0);  // kept to the hertz
            QCOMPARE(put->minSwrOn, false);
        } else {
            QVERIFY(sets == before);
        }
    }

    void pathIsBesideTheSettings_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("markers");
        QTest::newRow("xdg") << "/c/.config/zezizav/vezizo.ini"
                             << "/c/.config/zezizav/vezizo.markers";
        QTest::newRow("dotted folder and name") << "/opt/z.1/my.vezizo.ini"
                                                << "/opt/z.1/my.vezizo.markers";
        QTest::newRow("no extension") << "/a/vezizo"
                                      << "/a/vezizo.markers";
        QTest::newRow("relative") << "vezizo.ini"
                                  << "vezizo.markers";
    }
    void pathIsBesideTheSettings() {
        QFETCH(QString, settings);
        QFETCH(QString, markers);
        QCOMPARE(MarkerSetsPath(settings), markers);
    }

    void fileRoundTripAndMissingFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("new/folder/vezizo.markers"));
        const MarkerSetsRead none = ReadMarkerSets(path);
        QVERIFY(none.sets.empty());
        QCOMPARE(none.messages, QStringList());

        const std::vector<MarkerSet> sets = {Set("A", 7050000, 7150000)};
        QCOMPARE(WriteMarkerSets(path, sets).value_or(QString()), QString());
        QCOMPARE(Contents(path), MarkerSetsText(sets));
        const MarkerSetsRead read = ReadMarkerSets(path);
        QVERIFY(read.sets == sets);
        QCOMPARE(read.messages, QStringList());
    }

    // Root writes into read-only folders, so the failures here are ones root
    // meets too: the target is a folder, or the name leaves no room for the
    // save's temporary file beside it.
    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<bool>("targetIsFolder");
        QTest::newRow("target is a folder") << true;
        QTest::newRow("no room for the temporary name") << false;
    }
    void failedWriteKeepsTheOldFile() {
        QFETCH(bool, targetIsFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString path;
        QString old;
        if (targetIsFolder) {
            path = dir.filePath(QStringLiteral("vezizo.markers"));
            QVERIFY(QDir().mkpath(path));
            old = path + QStringLiteral("/inside");
        } else {
            path = dir.filePath(QString(247, QLatin1Char('m')) + QStringLiteral(".markers"));
            old = path;
        }
        QVERIFY(WriteFile(old, kGood));

        const std::optional<QString> error = WriteMarkerSets(path, {Set("New", 1, 2)});
        QVERIFY(error.has_value());
        QVERIFY2(error->startsWith(path + QStringLiteral(" cannot be written: ")),
                 qPrintable(*error));
        QCOMPARE(Contents(old), kGood);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);

        const MarkerSetsRead read = ReadMarkerSets(path);
        QCOMPARE(read.sets.size(), targetIsFolder ? std::size_t(0) : std::size_t(1));
        QCOMPARE(read.messages.size(), targetIsFolder ? 1 : 0);
    }
};

QTEST_MAIN(MarkerSetsTest)
#include "tst_marker_sets.moc"
