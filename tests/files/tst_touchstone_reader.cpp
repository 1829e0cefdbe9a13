// The Touchstone reader against files scikit-rf writes in every format and
// unit with a 75-ohm reference, and against the files it must refuse.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <complex>

#include "compare/memory_trace.h"
#include "files/touchstone_reader.h"
#include "support/test_support.h"

namespace {

std::complex<double> Pair(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    return {a.at(0).toDouble(), a.at(1).toDouble()};
}

}  // namespace

class TestTouchstoneReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void skrfFiles_data();
    void skrfFiles();
    void texts_data();
    void texts();

private:
    QTemporaryDir dir_;
    QJsonObject files_;
    QString skipped_;
};

void TestTouchstoneReader::initTestCase() {
    const QString python = TestSupport::PythonWithSkrf(&skipped_);
    if (python.isEmpty()) {
        return;
    }
    QProcess write;
    write.setProcessChannelMode(QProcess::MergedChannels);
    write.start(python, {QStringLiteral(ZEZIZAV_SOURCE_DIR "/tests/files/touchstone_skrf_write.py"),
                         dir_.path()});
    QVERIFY(write.waitForFinished(120000));
    QVERIFY2(write.exitStatus() == QProcess::NormalExit && write.exitCode() == 0,
             write.readAll().constData());
    QFile expected(dir_.filePath(QStringLiteral("expected.json")));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    files_ = QJsonDocument::fromJson(expected.readAll()).object().value("files").toObject();
    QCOMPARE(files_.size(), 15);  // 3 formats x 4 units of a one-port, 3 formats of a two-port
}

void TestTouchstoneReader::skrfFiles_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : files_.keys()) {
        QTest::newRow(qPrintable(name)) << name;
    }
    if (files_.isEmpty()) {
        QTest::newRow("no skrf") << QString();
    }
}

void TestTouchstoneReader::skrfFiles() {
    QFETCH(QString, name);
    if (name.isEmpty()) {
        QSKIP(qPrintable(skipped_));
    }
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("R 75"));
    const TouchstoneReadResult read = ReadTouchstone(bytes, TouchstonePortsOf(name));
    QVERIFY2(read.data, qPrintable(read.error));
    const TouchstoneData& d = *read.data;

    const QJsonObject want = files_.value(name).toObject();
    const QJsonArray hz = want.value("frequencies").toArray();
    QCOMPARE(d.frequencies.size(), std::size_t(hz.size()));
    for (qsizetype i = 0; i < hz.size(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        QVERIFY(std::fabs(d.frequencies[at] - hz.at(i).toDouble()) <= 1e-6);
        QVERIFY2(std::abs(d.s11[at] - Pair(want.value("s11").toArray().at(i))) < 1e-9,
                 qPrintable(QString::number(i)));
        if (d.ports == 2) {
            QVERIFY(std::abs(d.s21[at] - Pair(want.value("s21").toArray().at(i))) < 1e-9);
        }
    }

    if (d.ports == 1) {
        // The memory's impedance is what scikit-rf derives, in 32-bit floats.
        const std::optional<MemoryTrace> m = MemoryFromTouchstone(name, d, false);
        QVERIFY(m);
        const QJsonArray rs = want.value("rs").toArray(), xs = want.value("xs").toArray();
        for (qsizetype i = 0; i < rs.size(); ++i) {
            const auto at = static_cast<std::size_t>(i);
            QVERIFY(std::fabs(m->Rs[at] - rs.at(i).toDouble()) <=
                    1e-5 * rs.at(i).toDouble() + 1e-4);
            QVERIFY(std::fabs(m->Xs[at] - xs.at(i).toDouble()) <=
                    1e-5 * xs.at(i).toDouble() + 1e-4);
        }
        QVERIFY(!MemoryFromTouchstone(name, d, true));  // no S21 for Transmission
    }
}

void TestTouchstoneReader::texts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("ports");
    QTest::addColumn<QString>("error");  // empty: read, with points points
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("firstHz");
    QTest::addColumn<double>("firstRe");  // S11, or S21 of a two-port

    // Read: defaults GHz MA 50, comments, CR LF, tabs, a "+" sign, split points, noise data.
    QTest::newRow("defaults") << QByteArray("0.001 0.5 180\n") << 1 << QString() << 1 << 1e6
                              << -0.5;
    QTest::newRow("comments, CR LF, tabs")
        << QByteArray("! made by hand\r\n#\tkhz s ri r 50 ! trailing\r\n\r\n100\t+0.25 0 ! c\r\n")
        << 1 << QString() << 1 << 1e5 << 0.25;
    QTest::newRow("only the first option line counts")
        << QByteArray("# Hz S RI\n# GHz S DB\n5 0.1 0\n") << 1 << QString() << 1 << 5.0 << 0.1;
    QTest::newRow("two-port over two lines, then noise")
        << QByteArray(
               "# MHz S RI R 50\n1 0 0 0.5 0\n 0 0 0 0\n2 0 0 0.4 0 0 0 0 0\n"
               "1 2.0 0.5 30 0.8\n")
        << 2 << QString() << 2 << 1e6 << 0.5;
    QTest::newRow("100 ohm at 100 ohm is 1/3 at 50")
        << QByteArray("# MHz S RI R 100\n1 0 0\n") << 1 << QString() << 1 << 1e6 << 1.0 / 3.0;

    // Refused, naming the line.
    const auto refuse = [](const char* name, const char* text, int ports, const char* error) {
        QTest::newRow(name) << QByteArray(text) << ports << QString::fromLatin1(error) << 0 << 0.0
                            << 0.0;
    };
    refuse("empty", "! nothing\n\n", 1, "the file holds no points");
    refuse("short point", "# MHz S RI\n1 0.1\n", 1, "line 2: the last point has 2 of its 3");
    refuse("Z parameters", "# MHz Z RI\n", 1, "line 1: \"Z\" parameters are not read");
    refuse("unknown option", "\n# MHz S XY\n", 1, "line 2: \"XY\" is no option");
    refuse("reference 0", "# MHz S RI R 0\n", 1, "line 1: the reference impedance \"0\"");
    refuse("not a number", "# MHz S RI\n1 0.1 0.2\n2 0.1 abc\n", 1, "line 3: \"abc\" is not a");
    refuse("NaN", "1 nan 0\n", 1, "line 1: \"nan\" is not a number");
    refuse("falling frequency", "1 0 0\n2 0 0\n2 0 0\n", 1, "line 3: the frequency \"2\"");
    refuse("two points on a line", "1 0 0 2 0 0\n", 1, "line 1: 3 numbers make a point");
    refuse("option line after data", "1 0 0\n# MHz S RI\n", 1, "line 2: the option line");
    refuse("Touchstone 2", "[Version] 2.0\n", 2, "line 1: \"[Version]\": Touchstone 2");
    refuse("negative frequency", "-1 0 0\n", 1, "line 1: the frequency \"-1\"");
    refuse("dB beyond any double", "# MHz S DB\n1 1e308 0\n", 1, "line 2: a value is too large");
    refuse("not renormalisable", "# MHz S RI R 75\n1 -5 0\n", 1, "line 2: the values cannot");
}

void TestTouchstoneReader::texts() {
    QFETCH(QByteArray, text);
    QFETCH(int, ports);
    QFETCH(QString, error);
    QFETCH(int, points);
    QFETCH(double, firstHz);
    QFETCH(double, firstRe);

    const TouchstoneReadResult read = ReadTouchstone(text, ports);
    if (!error.isEmpty()) {
        QVERIFY(!read.data);
        QVERIFY2(read.error.startsWith(error), qPrintable(read.error));
        return;
    }
    QVERIFY2(read.data, qPrintable(read.error));
    QCOMPARE(read.data->frequencies.size(), std::size_t(points));
    QCOMPARE(read.data->frequencies.front(), firstHz);
    const std::complex<double> first = ports == 2 ? read.data->s21.front() : read.data->s11.front();
    QVERIFY2(std::fabs(first.real() - firstRe) < 1e-12, qPrintable(QString::number(first.real())));
    QVERIFY(std::fabs(first.imag()) < 1e-12);
}

QTEST_GUILESS_MAIN(TestTouchstoneReader)
#include "tst_touchstone_reader.moc"
